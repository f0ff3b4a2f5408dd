// Reading drawn frames back for video. Where the driver has pixel buffer
// objects the read of a frame goes into one of two buffers and is collected
// after the next frame has been handed to the GL, so the program does not
// sit idle while the GL finishes; elsewhere, or with ZANT_READBACK=plain in
// the environment, each frame is read with a plain glReadPixels as soon as
// it is drawn. Both give the same bytes: RGB rows, bottom row first.
#pragma once
#include <cstdint>

// Sets up the reading of width x height frames from the current read
// buffer. Returns true when the buffered way is in use.
bool readbackBegin(int width, int height);
// Starts reading the frame just drawn. When an earlier frame is complete
// its pixels go to `out` (width x height x 3 bytes) and it returns true:
// with buffers that is the frame before this one, without it is this one.
bool readbackPush(uint8_t* out);
// The frame still being read, if any: true with its pixels in `out`.
bool readbackDrain(uint8_t* out);
// Why a push or drain could not collect its frame ("" while none failed
// since readbackBegin); no later frame can be read either.
const char* readbackFailure();
void readbackEnd();
