// Lettering for the pictures: finds the bold sans face through fontconfig
// and rasterises strings with FreeType into coverage masks.
#pragma once

#include "canvas.h"

enum class TextAlign { left, centre, right };

// Opens the face on first use; prints a message and ends the program if no
// font can be found, since a picture without its lettering is no use.
float textWidth(const char* text, int pixelSize, float tracking);

// Writes the text's coverage (times value) into the mask. x is the left
// edge, centre or right edge by align; baseline is the baseline row;
// tracking is extra space between letters in pixels.
void drawText(Mask& mask, const char* text, int pixelSize, float x, float baseline, TextAlign align, float tracking,
              float value);

// Height of capital letters above the baseline at this size, in pixels.
float capHeight(int pixelSize);
