// The spectrum: the analyser's FFT scale, the four band sums, and the
// spectrum of the decoded song at a position, with and without a device.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "music/analyser.h"
#include "music/music.h"
#include "music/soundlayer.h"
#include "music/spectrum.h"
#include "tests/support/folders.h"

static std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

// ---- band sums -------------------------------------------------------------------

class BandSums : public ::testing::Test {
protected:
    float spectrum[512] = {};
    void TearDown() override { setSpectrumOverride(nullptr); }
    void analyze()
    {
        setSpectrumOverride(spectrum);
        analyzeSpectrum();
    }
};

TEST_F(BandSums, SilenceGivesZeroInEveryBand)
{
    analyze();
    for (int band = 0; band < 4; band++)
        EXPECT_EQ(bandEnergy[band], 0.0f) << "band " << band;
}

TEST_F(BandSums, SixteenLowBinsAtHalfGiveEightInBandZero)
{
    for (int bin = 0; bin < 16; bin++)
        spectrum[bin] = 0.5f;
    analyze();
    EXPECT_EQ(bandEnergy[0], 8.0f);
    EXPECT_EQ(bandEnergy[1], 0.0f);
    EXPECT_EQ(bandEnergy[2], 0.0f);
    EXPECT_EQ(bandEnergy[3], 0.0f);
}

TEST_F(BandSums, BandsEndAt15_63_127_511)
{
    const int edges[] = {0, 15, 16, 63, 64, 127, 128, 511};
    for (int bin : edges)
        spectrum[bin] = 1.0f;
    analyze();
    EXPECT_EQ(bandEnergy[0], 2.0f);
    EXPECT_EQ(bandEnergy[1], 2.0f);
    EXPECT_EQ(bandEnergy[2], 2.0f);
    EXPECT_EQ(bandEnergy[3], 2.0f);
}

// Each partial sum is rounded to float: 1.0 plus 383 values below half an
// ulp of 1.0 stays 1.0, where a wider sum rounded once would not.
TEST_F(BandSums, LevelsAreFloatRunningSums)
{
    spectrum[128] = 1.0f;
    for (int bin = 129; bin < 512; bin++)
        spectrum[bin] = 2.5e-8f;
    analyze();
    EXPECT_EQ(bandEnergy[3], 1.0f);
    double wide = 1.0;
    for (int bin = 129; bin < 512; bin++)
        wide += spectrum[bin];
    EXPECT_NE((float)wide, 1.0f);
}

TEST_F(BandSums, EachPassStartsAfresh)
{
    for (int bin = 0; bin < 512; bin++)
        spectrum[bin] = 0.25f;
    analyze();
    EXPECT_EQ(bandEnergy[3], 96.0f);
    analyze();
    EXPECT_EQ(bandEnergy[3], 96.0f);
    for (int bin = 0; bin < 512; bin++)
        spectrum[bin] = 0.0f;
    analyze();
    EXPECT_EQ(bandEnergy[0], 0.0f);
    EXPECT_EQ(bandEnergy[3], 0.0f);
}

TEST_F(BandSums, NoMusicReadsAsSilence)
{
    setSpectrumOverride(nullptr);
    bandEnergy[0] = 5.0f;
    analyzeSpectrum();
    EXPECT_EQ(bandEnergy[0], 0.0f);
    EXPECT_EQ(soundGetSpectrum(), nullptr);
}

// ---- the analyser's scale ---------------------------------------------------------

static void sine(float* mono, double bin, double amplitude)
{
    for (int i = 0; i < SPECTRUM_WINDOW; i++)
        mono[i] = (float)(amplitude * std::sin(2.0 * M_PI * bin * i / SPECTRUM_WINDOW + 0.3));
}

TEST(Analyser, SilenceReadsZero)
{
    float mono[SPECTRUM_WINDOW] = {}, bins[SPECTRUM_BINS];
    computeSpectrum(mono, bins);
    for (int k = 0; k < SPECTRUM_BINS; k++)
        ASSERT_EQ(bins[k], 0.0f) << "bin " << k;
}

TEST(Analyser, FullScaleSineAtABinCentreReadsOneInThatBin)
{
    for (int bin : {3, 40, 100, 255, 500}) {
        SCOPED_TRACE(bin);
        float mono[SPECTRUM_WINDOW], bins[SPECTRUM_BINS];
        sine(mono, bin, 1.0);
        computeSpectrum(mono, bins);
        EXPECT_NEAR(bins[bin], 1.0f, 0.01f);
        // The Hann window spreads half of it into each neighbour, no further.
        EXPECT_NEAR(bins[bin - 1], 0.5f, 0.01f);
        EXPECT_NEAR(bins[bin + 1], 0.5f, 0.01f);
        for (int k = 0; k < SPECTRUM_BINS; k++) {
            if (std::abs(k - bin) > 1) {
                ASSERT_LT(bins[k], 0.001f) << "bin " << k;
            }
        }
    }
}

TEST(Analyser, LevelFollowsAmplitudeAndStaysWithinOne)
{
    float mono[SPECTRUM_WINDOW], bins[SPECTRUM_BINS];
    sine(mono, 60, 0.25);
    computeSpectrum(mono, bins);
    EXPECT_NEAR(bins[60], 0.25f, 0.005f);
    for (int i = 0; i < SPECTRUM_WINDOW; i++)
        mono[i] = 1.0f;  // a constant puts twice full scale into bin 0
    computeSpectrum(mono, bins);
    EXPECT_EQ(bins[0], 1.0f);
}

// ---- the song's spectrum ----------------------------------------------------------

// The 48 kHz fixture is a half-scale tone at the centre of bin 100 (64-127:
// band 2), so band 2 reads about 0.5 + 2 * 0.25 with the neighbours.
TEST(SongSpectrum, OfflineSpectrumIsTheDecodedSoundAtThatTime)
{
    startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    setSongMillis(3000);
    analyzeSpectrum();
    const float* bins = soundGetSpectrum();
    ASSERT_NE(bins, nullptr);
    EXPECT_NEAR(bins[100], 0.5f, 0.03f);
    EXPECT_NEAR(bandEnergy[2], 1.0f, 0.08f);
    EXPECT_LT(bandEnergy[0], 0.01f);
    float first[4];
    std::copy(bandEnergy, bandEnergy + 4, first);

    // Same position, same levels, whatever was asked for in between.
    setSongMillis(6000);
    analyzeSpectrum();
    setSongMillis(3000);
    analyzeSpectrum();
    for (int band = 0; band < 4; band++)
        EXPECT_EQ(bandEnergy[band], first[band]) << "band " << band;

    // Before any sound and past the end there is nothing to hear.
    setSongMillis(0);
    analyzeSpectrum();
    for (int band = 0; band < 4; band++)
        EXPECT_EQ(bandEnergy[band], 0.0f) << "band " << band;
    setSongMillis(9000);
    analyzeSpectrum();
    EXPECT_EQ(bandEnergy[2], 0.0f);
    stopMusic();
}

TEST(SongSpectrum, AnalyserOffGivesNoSpectrum)
{
    startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    setSongMillis(3000);
    soundSetSpectrumActive(false);
    EXPECT_EQ(soundGetSpectrum(), nullptr);
    analyzeSpectrum();
    EXPECT_EQ(bandEnergy[2], 0.0f);
    soundSetSpectrumActive(true);
    EXPECT_NE(soundGetSpectrum(), nullptr);
    stopMusic();
}

// Through a device the spectrum comes from what was handed to it, a few
// periods behind the writes: the tone must be there while it plays. The
// analysis waits for the clock to show a full window heard; should the song
// run out around it on a stalled machine, it starts over and looks again.
TEST(SongSpectrum, DeviceSpectrumFollowsWhatIsPlaying)
{
    std::string raw = testFolder() + "/device.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    setSoundOptions(false, 0);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    // Well into the tone, as a frame 300 ms after the start would see it.
    const int from = 300;
    const int until = songLengthMillis() - 10;
    const auto start = std::chrono::steady_clock::now();
    float bins[SPECTRUM_BINS] = {};
    bool analysed = false, gotSpectrum = true;
    while (!analysed && std::chrono::steady_clock::now() - start < std::chrono::minutes(1)) {
        if (songMillis() < from) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        analyzeSpectrum();
        const float* now = soundGetSpectrum();
        gotSpectrum = now != nullptr;
        if (now)
            std::copy(now, now + SPECTRUM_BINS, bins);
        if (songMillis() <= until)
            analysed = true;
        else
            setSongMillis(0);
    }
    ASSERT_TRUE(analysed) << "the clock never reached " << from << " ms";
    ASSERT_TRUE(gotSpectrum);
    int peak = 0;
    for (int k = 1; k < SPECTRUM_BINS; k++)
        if (bins[k] > bins[peak])
            peak = k;
    EXPECT_EQ(peak, 100);
    EXPECT_NEAR(bins[100], 0.5f, 0.03f);
    EXPECT_NEAR(bandEnergy[2], 1.0f, 0.08f);
    stopMusic();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    std::remove(raw.c_str());
}
