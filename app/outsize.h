// --size: pictures and videos bigger than the show's 640x480, for video
// sites that re-encode anything below 1080p at a low bit rate. The frame is
// drawn at 640x480 as always and ffmpeg scales it: kept 4:3, centred on
// black bars.
#pragma once
#include <string>

const int MAX_OUTPUT_WIDTH = 7680;
const int MAX_OUTPUT_HEIGHT = 4320;

// Reads "WxH" for --size. A video (yuv420p halves the colour planes) needs
// even sides; PNG files do not. Returns false with a message that names
// --size in err.
bool parseOutputSize(const std::string& text, bool video, int* width, int* height, char* err, int errSize);

// Where the 640x480 picture lands in the output.
struct PictureRect {
    int x, y, width, height;
};
// The largest 4:3 rectangle centred in width x height; with align 2 every
// edge falls on an even pixel, so no colour sample straddles picture and bar.
PictureRect fitPicture(int width, int height, int align);

// The ffmpeg filter chain from frames as GL reads them (bottom row first,
// 640x480 RGB) to width x height: flip, then for other sizes a Lanczos
// scale and black bars. A video also gets its colour conversion here, with
// the BT.709 matrix that players assume for HD sizes.
std::string outputFilter(int width, int height, bool video);
