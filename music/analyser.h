// The sound layer's spectrum analyser: 512 magnitudes in 0..1, lowest
// frequency first, from a Hann-windowed 1024-point FFT of a mono signal.
#pragma once

const int SPECTRUM_WINDOW = 1024;
const int SPECTRUM_BINS = 512;

// `mono` holds SPECTRUM_WINDOW samples in -1..1, oldest first. A full-scale
// sine at a bin's centre frequency reads close to 1.0 in that bin.
void computeSpectrum(const float* mono, float* bins);
