// The fixed frame size the show is drawn at, and the power-of-two texture
// size that holds a copy of it.
#pragma once

// The show is always drawn at this size; a bigger window or video scales it.
const int FRAME_WIDTH = 640;
const int FRAME_HEIGHT = 480;

extern int screenwidth;   // 640 once the display is set up
extern int screenheight;  // 480
extern int texwidth;      // 1024
extern int texheight;     // 512

// The smallest power of two at or above n, for n from 2 to 65536, and 0
// (no texture size) for anything else, 1 included: the frame sides and
// decoded picture sides it is given are always 2 to 65536, and a caller
// that could see other sizes refuses a 0 result.
int nextPowerOfTwo(int n);
