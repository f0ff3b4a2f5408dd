#include "music/analyser.h"

#include <kissfft/kiss_fftr.h>

#include <cmath>
#include <mutex>

static kiss_fftr_cfg fftConfig;
static float hann[SPECTRUM_WINDOW];

static void prepare()
{
    static std::once_flag once;
    std::call_once(once, [] {
        fftConfig = kiss_fftr_alloc(SPECTRUM_WINDOW, 0, nullptr, nullptr);
        for (int i = 0; i < SPECTRUM_WINDOW; i++)
            hann[i] = (float)(0.5 - 0.5 * std::cos(2.0 * M_PI * i / SPECTRUM_WINDOW));
    });
}

void computeSpectrum(const float* mono, float* bins)
{
    prepare();
    kiss_fft_scalar windowed[SPECTRUM_WINDOW];
    kiss_fft_cpx spectrum[SPECTRUM_WINDOW / 2 + 1];
    for (int i = 0; i < SPECTRUM_WINDOW; i++)
        windowed[i] = mono[i] * hann[i];
    kiss_fftr(fftConfig, windowed, spectrum);
    // A sine of amplitude a at a bin centre gives a * N/2 * mean(window) =
    // a * N/4 in that bin, so this scale makes a full-scale tone read 1.0.
    const float scale = 4.0f / SPECTRUM_WINDOW;
    for (int k = 0; k < SPECTRUM_BINS; k++) {
        float m = std::hypot(spectrum[k].r, spectrum[k].i) * scale;
        bins[k] = m < 1.0f ? m : 1.0f;
    }
}
