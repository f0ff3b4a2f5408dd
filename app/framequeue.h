// Finished frames on their way from the thread that draws them to the thread
// that writes them out (to the encoder or to PNG files). Half a second of
// frames at 60 fps (about 30 MB at 640x480): enough for the encoder, which
// runs at a lower priority, to lag while the drawing has both cores and catch
// up when it waits on the GL; then the drawing waits, so memory stays bounded
// and a stopped writer stops the drawing.
#pragma once
#include <cstddef>
#include <cstdint>

const int FRAME_QUEUE_SLOTS = 32;

// Empties the queue for frames of frameBytes each.
void frameQueueOpen(size_t frameBytes);
// Drawing side: a free slot to fill, waiting for one if all are full; the
// same slot until it is pushed. Null once the writer has failed.
uint8_t* frameQueueSlot();
// Hands the filled slot to the writer as frame `index`.
void frameQueuePush(long index);
// No more frames will come; the writer finishes those queued.
void frameQueueClose();

// Writing side: the oldest queued frame, waiting for one; null once the
// queue is closed and empty.
const uint8_t* frameQueueTake(long* index);
// Gives the taken slot back; ok false says the frame could not be written,
// which stops the drawing side.
void frameQueueRelease(bool ok);

bool frameQueueFailed();
// Frames written so far.
long frameQueueWritten();
// Frees the slots (after the writer has stopped).
void frameQueueFree();
