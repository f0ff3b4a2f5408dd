#include "app/framequeue.h"

#include <condition_variable>
#include <mutex>
#include <vector>

// A ring of slots: `count` full ones from `head`, then the free ones.
struct FrameQueue {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<uint8_t> slots[FRAME_QUEUE_SLOTS];
    long index[FRAME_QUEUE_SLOTS] = {};
    int head = 0;
    int count = 0;
    bool taken = false;  // the writer holds the slot at head
    bool closed = false;
    bool failed = false;
    long written = 0;
};

static FrameQueue& queue = *new FrameQueue;

void frameQueueOpen(size_t frameBytes)
{
    std::lock_guard<std::mutex> guard(queue.lock);
    for (auto& slot : queue.slots)
        slot.assign(frameBytes, 0);
    queue.head = queue.count = 0;
    queue.taken = queue.closed = queue.failed = false;
    queue.written = 0;
}

uint8_t* frameQueueSlot()
{
    std::unique_lock<std::mutex> guard(queue.lock);
    queue.changed.wait(guard, [] { return queue.failed || queue.count < FRAME_QUEUE_SLOTS; });
    if (queue.failed)
        return nullptr;
    return queue.slots[(queue.head + queue.count) % FRAME_QUEUE_SLOTS].data();
}

void frameQueuePush(long index)
{
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.index[(queue.head + queue.count) % FRAME_QUEUE_SLOTS] = index;
    queue.count++;
    queue.changed.notify_all();
}

void frameQueueClose()
{
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.closed = true;
    queue.changed.notify_all();
}

const uint8_t* frameQueueTake(long* index)
{
    std::unique_lock<std::mutex> guard(queue.lock);
    queue.changed.wait(guard, [] { return queue.count > 0 || queue.closed || queue.failed; });
    if (queue.count == 0 || queue.failed)
        return nullptr;
    queue.taken = true;
    *index = queue.index[queue.head];
    return queue.slots[queue.head].data();
}

void frameQueueRelease(bool ok)
{
    std::lock_guard<std::mutex> guard(queue.lock);
    if (!queue.taken)
        return;
    queue.taken = false;
    queue.head = (queue.head + 1) % FRAME_QUEUE_SLOTS;
    queue.count--;
    if (ok)
        queue.written++;
    else
        queue.failed = true;
    queue.changed.notify_all();
}

bool frameQueueFailed()
{
    std::lock_guard<std::mutex> guard(queue.lock);
    return queue.failed;
}

long frameQueueWritten()
{
    std::lock_guard<std::mutex> guard(queue.lock);
    return queue.written;
}

void frameQueueFree()
{
    std::lock_guard<std::mutex> guard(queue.lock);
    for (auto& slot : queue.slots)
        std::vector<uint8_t>().swap(slot);
    queue.head = queue.count = 0;
}
