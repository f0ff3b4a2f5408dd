// The four band levels of the live spectrum, summed afresh once per frame so
// that pictures can pulse with the music.
#pragma once

// Raw float running sums of spectrum bins 0-15, 16-63, 64-127 and 128-511.
extern float bandEnergy[4];

void analyzeSpectrum();

// For tests and tools: while set, analyzeSpectrum reads these 512 values
// instead of the sound layer's spectrum; null goes back to the music.
void setSpectrumOverride(const float* spectrum512);
