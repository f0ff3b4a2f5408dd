// Saving the frame as 24-bit bitmaps: plain screenshots and depth-blurred
// stills, "vkt%05i.bmp" in the working directory, one counter per kind.
#pragma once
#include <cstdint>
#include <string>

extern int screenshotCounter;
extern int stillCounter;

// Each returns why no picture was saved ("" when one was); a failure costs
// the picture, never the show.
std::string saveScreenshot();
std::string saveDepthBlurredStill();

// The 54 header bytes of a bottom-up 24-bit bitmap of width x height.
void makeBmpHeader(uint8_t header[54], int width, int height);

// Spreads every pixel of rgb (rows bottom first) over a disc whose radius
// grows with its distance from the focal depth; writes BGR bytes to out.
// acc is scratch space of width*height*3 integers.
void depthBlur(const uint8_t* rgb, const float* depth, int width, int height, int32_t* acc, uint8_t* out);
