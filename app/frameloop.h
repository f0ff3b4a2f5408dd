// The frame loop: one waiting event per pass, a frame only when none waits,
// until something asks to quit.
#pragma once

struct Event;

// Where the loop gets its events, who handles them (windowProc in the
// show) and how it draws; tests pass their own.
struct FrameLoopIo {
    bool (*pollEvent)(Event& event);
    void (*handleEvent)(const Event& event);
    void (*drawFrame)();
};

// The quit event adds to quitRequested and still goes to the handler; no
// frame is drawn after it.
void runFrameLoop(const FrameLoopIo& io);
// One frame of the show at the song clock's time, for any loop: what
// --watch saw change, the paused picture held still, the timeline, the
// status overlay and band meter when on, and the swap. Returns the GL error
// the frame left (0 for none); one is fetched per frame.
unsigned int drawShowFrame();
// The window's frame: drawShowFrame, and a GL error is fatal, by name.
void drawWindowFrame();
