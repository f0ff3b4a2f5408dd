#include "music/spectrum.h"

#include <cstring>

#include "music/soundlayer.h"

float bandEnergy[4];

static float overrideValues[512];
static bool overrideSet = false;

static const int bandFirstBin[5] = {0, 16, 64, 128, 512};

void setSpectrumOverride(const float* spectrum512)
{
    overrideSet = spectrum512 != nullptr;
    if (overrideSet)
        std::memcpy(overrideValues, spectrum512, sizeof overrideValues);
}

// Each partial sum is stored as a float, so the levels are the float-rounded
// running sums, not a wider sum rounded once.
void analyzeSpectrum()
{
    const float* spectrum = overrideSet ? overrideValues : soundGetSpectrum();
    for (int band = 0; band < 4; band++)
        bandEnergy[band] = 0.0f;
    if (!spectrum)
        return;
    for (int band = 0; band < 4; band++)
        for (int bin = bandFirstBin[band]; bin < bandFirstBin[band + 1]; bin++)
            bandEnergy[band] = bandEnergy[band] + spectrum[bin];
}
