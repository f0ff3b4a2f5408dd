// The one palette every picture is painted from: cold steel and cyan light
// on near black, with warm ember accents.
#pragma once

#include "canvas.h"

inline const Rgb inkBlack{0.010f, 0.014f, 0.022f};
inline const Rgb steelDeep{0.050f, 0.085f, 0.130f};
inline const Rgb steelDark{0.120f, 0.175f, 0.240f};
inline const Rgb steel{0.300f, 0.400f, 0.500f};
inline const Rgb steelLight{0.600f, 0.700f, 0.800f};
inline const Rgb cyanGlow{0.300f, 0.800f, 1.000f};
inline const Rgb iceWhite{0.880f, 0.960f, 1.000f};
inline const Rgb emberOrange{1.000f, 0.420f, 0.080f};
inline const Rgb amber{1.000f, 0.700f, 0.320f};
