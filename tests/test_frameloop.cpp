// The frame loop's two rules, driven by a scripted event source: waiting
// events are handled one per pass before any frame, and the quit event
// reaches windowProc with no frame drawn after it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frameloop.h"
#include "app/keys.h"
#include "core/runstate.h"
#include "platform/events.h"

namespace {

std::vector<Event> queue;
std::string trace;  // "e" per event taken, "h"/"q" per event/quit handled, "F" per frame

bool scriptedPoll(Event& event)
{
    if (queue.empty())
        return false;
    event = queue.front();
    queue.erase(queue.begin());
    trace += "e";
    return true;
}

void tracingHandler(const Event& event)
{
    trace += event.type == EVENT_QUIT ? "q" : "h";
    windowProc(event);
}

// Each frame lets the script add events, as a user would between frames.
std::vector<std::vector<Event>> arrivals;
void countingFrame()
{
    trace += "F";
    if (!arrivals.empty()) {
        queue = arrivals.front();
        arrivals.erase(arrivals.begin());
    } else if (trace.size() > 100) {
        quitRequested += 1;  // a runaway loop ends the test instead of hanging it
    }
}

Event textEvent(const char* text)
{
    Event e{};
    e.type = EVENT_TEXT;
    e.text[0] = text[0];
    return e;
}

Event quitEvent()
{
    Event e{};
    e.type = EVENT_QUIT;
    return e;
}

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        quitRequested = 0;
        overlayEnabled = 0;
        trace.clear();
        queue.clear();
        arrivals.clear();
    }
    void TearDown() override
    {
        quitRequested = 0;
        overlayEnabled = 0;
    }
};

TEST_F(FrameLoop, HandlesEveryWaitingEventBeforeTheNextFrame)
{
    // "i" toggles the overlay: three of them are handled, one per pass,
    // before the frame that follows sees the result.
    queue = {textEvent("i"), textEvent("i"), textEvent("i")};
    arrivals = {{textEvent("i")}, {quitEvent()}};
    runFrameLoop(FrameLoopIo{scriptedPoll, tracingHandler, countingFrame});
    EXPECT_EQ(trace,
              "eheheh"
              "F"
              "eh"
              "F"
              "eq");
    EXPECT_EQ(overlayEnabled, 0);
}

TEST_F(FrameLoop, QuitEventGoesToTheHandlerAndNoFrameFollows)
{
    // The "i" behind the quit event must never be taken.
    queue = {quitEvent(), textEvent("i")};
    runFrameLoop(FrameLoopIo{scriptedPoll, tracingHandler, countingFrame});
    EXPECT_EQ(trace, "eq");
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(overlayEnabled, 0);
}

}  // namespace
