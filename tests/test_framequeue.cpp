// The queue between the drawing and the writing thread: order, its bound, a
// writer that fails, and closing with frames still queued.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "app/framequeue.h"

static void fill(uint8_t* slot, long k)
{
    for (int i = 0; i < 16; i++)
        slot[i] = (uint8_t)(k * 7 + i);
}

static bool holds(const uint8_t* slot, long k)
{
    for (int i = 0; i < 16; i++)
        if (slot[i] != (uint8_t)(k * 7 + i))
            return false;
    return true;
}

TEST(FrameQueue, FramesArriveInOrderWithTheirPixels)
{
    frameQueueOpen(16);
    std::vector<long> seen;
    bool intact = true;
    std::thread writer([&] {
        long k = 0;
        while (const uint8_t* p = frameQueueTake(&k)) {
            intact = intact && holds(p, k);
            seen.push_back(k);
            frameQueueRelease(true);
        }
    });
    for (long k = 0; k < 200; k++) {
        uint8_t* slot = frameQueueSlot();
        ASSERT_NE(slot, nullptr);
        fill(slot, k);
        frameQueuePush(k);
    }
    frameQueueClose();
    writer.join();
    ASSERT_EQ(seen.size(), 200u);
    for (long k = 0; k < 200; k++)
        EXPECT_EQ(seen[k], k);
    EXPECT_TRUE(intact);
    EXPECT_EQ(frameQueueWritten(), 200);
    EXPECT_FALSE(frameQueueFailed());
    frameQueueFree();
}

// With no writer the drawing side gets exactly FRAME_QUEUE_SLOTS slots; the
// next one comes only once a frame has been taken and given back.
TEST(FrameQueue, DrawingWaitsWhenAllSlotsAreFull)
{
    frameQueueOpen(16);
    std::vector<uint8_t*> slots;
    for (long k = 0; k < FRAME_QUEUE_SLOTS; k++) {
        uint8_t* slot = frameQueueSlot();
        ASSERT_NE(slot, nullptr);
        for (uint8_t* earlier : slots)
            EXPECT_NE(slot, earlier);
        slots.push_back(slot);
        fill(slot, k);
        frameQueuePush(k);
    }
    std::atomic<bool> asking{false};
    std::promise<void> gotSlot;
    std::future<void> got = gotSlot.get_future();
    std::thread drawer([&] {
        asking = true;
        uint8_t* slot = frameQueueSlot();
        gotSlot.set_value();
        fill(slot, FRAME_QUEUE_SLOTS);
        frameQueuePush(FRAME_QUEUE_SLOTS);
    });
    // Once the drawer is asking, half a second must pass without a slot: a
    // queue that hands one out without waiting gives it at once.
    while (!asking)
        std::this_thread::yield();
    EXPECT_EQ(got.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout)
        << "a slot came while all were full and nothing had been taken";
    long k = -1;
    const uint8_t* first = frameQueueTake(&k);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(k, 0);
    EXPECT_TRUE(holds(first, 0));
    frameQueueRelease(true);
    EXPECT_EQ(got.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "no slot after one was given back";
    drawer.join();
    frameQueueClose();
    // Closing hands over what is queued before the end.
    for (long want = 1; want <= FRAME_QUEUE_SLOTS; want++) {
        const uint8_t* p = frameQueueTake(&k);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(k, want);
        EXPECT_TRUE(holds(p, want));
        frameQueueRelease(true);
    }
    EXPECT_EQ(frameQueueTake(&k), nullptr);
    frameQueueFree();
}

TEST(FrameQueue, AFailedWriteStopsTheDrawing)
{
    frameQueueOpen(16);
    std::thread writer([] {
        long k = 0;
        if (frameQueueTake(&k))
            frameQueueRelease(false);
    });
    long pushed = 0;
    while (uint8_t* slot = frameQueueSlot()) {
        fill(slot, pushed);
        frameQueuePush(pushed++);
        ASSERT_LT(pushed, 1000);
    }
    writer.join();
    EXPECT_TRUE(frameQueueFailed());
    EXPECT_EQ(frameQueueWritten(), 0);
    long k = 0;
    EXPECT_EQ(frameQueueTake(&k), nullptr);
    frameQueueFree();
}
