// The ten pictures of the show's data folder: one painter per picture and
// the table that names them.
#pragma once

#include "canvas.h"

Canvas paintTxtr1();  // tiling panel surface of the columns
Canvas paintTxtr2();  // glow ramp of the fins and tunnel blocks
Canvas paintMetal();  // chrome sphere map
Canvas paintBg1();    // light well: swarm backdrop, tunnel vignette
Canvas paintBg2();    // circuit traces on black
Canvas paintBg3();    // planet dusk backdrop
Canvas paintBg4();    // targeting display on black
Canvas paintBg5();    // lens flare on black
Canvas paintBg6();    // closing title card
Canvas paintGridi();  // thin grid lines on black

struct PictureEntry {
    const char* name;  // file name without ".jpg"
    Canvas (*paint)();
};

inline constexpr PictureEntry pictureTable[] = {
    {"txtr1", paintTxtr1}, {"txtr2", paintTxtr2}, {"metal", paintMetal}, {"bg1", paintBg1}, {"bg2", paintBg2},
    {"bg3", paintBg3},     {"bg4", paintBg4},     {"bg5", paintBg5},     {"bg6", paintBg6}, {"gridi", paintGridi},
};

// Pictures that the show lays over a scene only show rows 1/8 to 7/8; the
// landscape pictures are 800 x 600 so that band maps 1:1.25 onto 640 x 360.
inline constexpr int sceneWidth = 800;
inline constexpr int sceneHeight = 600;
inline constexpr float bandTop = 75.0f;
inline constexpr float bandBottom = 525.0f;
// Where the scenes with a shifted projection put their centre of interest.
inline constexpr float focusX = 540.0f;
inline constexpr float focusY = 277.5f;
