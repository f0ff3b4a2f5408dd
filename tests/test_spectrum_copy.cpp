// Without a device the spectrum reads a decoded copy of the song instead of
// seeking and decoding for every frame. Its values must be those of the
// sound a full decode gives at that frame, bit for bit, in any order of
// frames, and it must hold a bounded stretch of a long song.
#include <gtest/gtest.h>

#include "tests/support/gl_fixture.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/songtime.h"
#include "music/analyser.h"
#include "music/music.h"
#include "music/soundlayer_testing.h"

namespace {

std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

// The whole stream converted in one run from the start, on a stream of its own.
std::vector<int16_t> fullDecode(const std::string& path)
{
    std::vector<char> bytes = readFileBytes(path);
    SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size());
    std::vector<int16_t> all;
    if (!s)
        return all;
    int16_t chunk[4096 * 2];
    for (;;) {
        int n = soundStreamRender(s, chunk, 4096);
        all.insert(all.end(), chunk, chunk + n * 2);
        if (n < 4096)
            break;
    }
    soundStreamClose(s);
    return all;
}

// The spectrum of the 1024 frames before the frame that `ms` puts the clock on.
std::vector<float> expectedSpectrum(const std::vector<int16_t>& all, int ms)
{
    int64_t end = ((int64_t)ms * 44100 + 999) / 1000;
    int64_t frames = (int64_t)all.size() / 2;
    float mono[SPECTRUM_WINDOW];
    for (int i = 0; i < SPECTRUM_WINDOW; i++) {
        int64_t f = end - SPECTRUM_WINDOW + i;
        mono[i] = f >= 0 && f < frames ? (all[2 * f] + all[2 * f + 1]) / 65536.0f : 0.0f;
    }
    std::vector<float> bins(SPECTRUM_BINS);
    computeSpectrum(mono, bins.data());
    return bins;
}

std::vector<float> spectrumAt(int ms)
{
    setSongMillis(ms);
    const float* bins = soundGetSpectrum();
    return bins ? std::vector<float>(bins, bins + SPECTRUM_BINS) : std::vector<float>();
}

// Frames at 60 fps from `fromMs` on, as --render asks for them.
std::vector<int> renderTimes(int fromMs, int toMs)
{
    std::vector<int> times;
    for (long k = 0;; k++) {
        int ms = fromMs + (int)(k * 1000 / 60);
        if (ms >= toMs)
            return times;
        times.push_back(ms);
    }
}

// Returns how many times differ from the full decode.
int compareAt(const std::vector<int16_t>& all, const std::vector<int>& times)
{
    int differ = 0;
    for (int ms : times)
        if (spectrumAt(ms) != expectedSpectrum(all, ms))
            differ++;
    return differ;
}

// These three decode the same samples after any seek, as the song does; the
// 48 kHz mono fixture does not (see below).
const char* exactFixtures[] = {"sweep_stereo_44k.mp3", "sweep_vbr_id3.mp3", "tone_stereo_32k.mp3"};

TEST(SpectrumCopy, ARenderSeesTheFullDecodeBitForBit)
{
    for (const char* name : exactFixtures) {
        SCOPED_TRACE(name);
        startMusicOffline(fixturePath(name).c_str(), 180.0f);
        std::vector<int16_t> all = fullDecode(fixturePath(name));
        ASSERT_FALSE(all.empty());
        int length = songLengthMillis();
        EXPECT_EQ(compareAt(all, renderTimes(0, length + 100)), 0);
        stopMusic();
    }
}

TEST(SpectrumCopy, JumpsAnywhereGiveTheSameValues)
{
    for (const char* name : exactFixtures) {
        SCOPED_TRACE(name);
        startMusicOffline(fixturePath(name).c_str(), 180.0f);
        std::vector<int16_t> all = fullDecode(fixturePath(name));
        int length = songLengthMillis();
        // Backwards, a little ahead, far ahead, past the end, the very start.
        std::vector<int> times = {
            length / 2, length / 2 - 5, length / 3, length / 3 + 40, length / 3 + 1900, length - 1, length + 5000, 0, 1,
            23,         length / 2};
        EXPECT_EQ(compareAt(all, times), 0);
        stopMusic();
    }
}

// This decoder's output after a seek can differ from a run from the start
// in the last bit of a few samples (the seek-per-window spectrum had the
// same spread), so here the values only have to be close.
TEST(SpectrumCopy, AStreamWithSeekNoiseStaysClose)
{
    startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    std::vector<int16_t> all = fullDecode(fixturePath("tone_mono_48k.mp3"));
    for (int ms : renderTimes(1000, 6000)) {
        std::vector<float> got = spectrumAt(ms), want = expectedSpectrum(all, ms);
        ASSERT_EQ(got.size(), want.size());
        for (int b = 0; b < SPECTRUM_BINS; b++)
            ASSERT_NEAR(got[b], want[b], 1e-3f) << "at " << ms << " ms, bin " << b;
    }
    stopMusic();
}

TEST(SpectrumCopy, ALongRenderHoldsABoundedStretch)
{
    startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    int length = songLengthMillis();
    int64_t most = 0;
    for (int ms : renderTimes(0, length)) {
        spectrumAt(ms);
        most = std::max(most, soundSpectrumCopyFrames());
    }
    int64_t songFrames = (int64_t)length * 44100 / 1000;
    EXPECT_GT(most, 0);
    EXPECT_LT(most, songFrames);  // the 7 s fixture is longer than the copy's bound
    EXPECT_LE(most, (1 << 18) + (1 << 16) + 8192);
    stopMusic();
}

// A row of stills a little under a second apart, as a contact sheet asks for
// them: each step lands past the end of what is held, and once the copy is
// full the part before the window is dropped.
TEST(SpectrumCopy, StepsPastTheHeldEndOnceFull)
{
    startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    std::vector<int16_t> all = fullDecode(fixturePath("tone_mono_48k.mp3"));
    for (int ms = 30; ms < songLengthMillis(); ms += 850) {
        std::vector<float> got = spectrumAt(ms), want = expectedSpectrum(all, ms);
        ASSERT_EQ(got.size(), want.size());
        for (int b = 0; b < SPECTRUM_BINS; b++)
            ASSERT_NEAR(got[b], want[b], 1e-3f) << "at " << ms << " ms, bin " << b;
        ASSERT_LE(soundSpectrumCopyFrames(), (1 << 18) + (1 << 16) + 8192);
    }
    stopMusic();
}

// The real soundtrack the test fixture made in the build folder: every
// frame of a whole-song render at 60 fps.
TEST(SpectrumCopy, TheSongIsBitForBitAtEveryFrame)
{
    std::string song = std::string(ZANT_BINARY_DIR) + "/data/tunemix.mp3";
    ASSERT_FALSE(readFileBytes(song).empty()) << song << " is missing: ctest makes it (test make_test_data)";
    startMusicOffline(song.c_str(), 180.0f);
    std::vector<int16_t> all = fullDecode(song);
    int length = songLengthMillis();
    EXPECT_EQ(compareAt(all, renderTimes(0, length)), 0);
    EXPECT_EQ(compareAt(all, renderTimes(millisForPatterns(22), millisForPatterns(24))), 0);
    std::vector<int> stills;
    for (int ms = 13; ms < length; ms += 842)
        stills.push_back(ms);
    EXPECT_EQ(compareAt(all, stills), 0);
    EXPECT_LE(soundSpectrumCopyFrames(), (1 << 18) + (1 << 16) + 8192);
    stopMusic();
}

}  // namespace
