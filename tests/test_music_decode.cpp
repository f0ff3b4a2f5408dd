// Decoding the MP3 fixtures (known tones and sweeps, made by tools/testmp3):
// exact lengths, sample-exact seeks, and conversion to the output rate at the
// right speed.
#include <gtest/gtest.h>

#include "tests/support/gl_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "music/analyser.h"
#include "music/mp3decode.h"
#include "music/soundlayer_testing.h"

static std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

static std::vector<char> readFixture(const char* name)
{
    return readFileBytes(fixturePath(name));
}

struct FixtureFacts {
    const char* name;
    int rate;
    int channels;
    int64_t samples;  // what the generator encoded, per channel
    int toneBin;      // bin of the right channel's tone at 44100 Hz / 1024
};

// Mono and stereo, 32, 44.1 and 48 kHz, CBR and VBR with ID3v1 and v2 tags.
static const FixtureFacts fixtures[] = {
    {"tone_mono_48k.mp3", 48000, 1, 336000, 100},
    {"sweep_stereo_44k.mp3", 44100, 2, 132300, 40},
    {"tone_stereo_32k.mp3", 32000, 2, 64000, 60},
    {"sweep_vbr_id3.mp3", 44100, 2, 110250, 80},
};

static std::vector<int16_t> decodeAll(Mp3Decoder* d, int channels)
{
    std::vector<int16_t> all;
    int16_t chunk[4096 * 2];
    int n;
    while ((n = mp3Read(d, chunk, 4096)) > 0)
        all.insert(all.end(), chunk, chunk + n * channels);
    return all;
}

// ---- the decoder ---------------------------------------------------------------

TEST(Mp3Decoder, GaplessLengthAndFormatMatchWhatWasEncoded)
{
    for (const FixtureFacts& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::vector<char> bytes = readFixture(f.name);
        ASSERT_FALSE(bytes.empty());
        Mp3OpenResult result;
        Mp3Decoder* d = mp3Open((const unsigned char*)bytes.data(), bytes.size(), &result);
        ASSERT_NE(d, nullptr);
        Mp3Info info = mp3Info(d);
        EXPECT_EQ(info.rate, f.rate);
        EXPECT_EQ(info.channels, f.channels);
        // Encoder delay and padding removed: exactly the encoded samples.
        EXPECT_EQ(info.lengthSamples, f.samples);
        EXPECT_EQ((int64_t)decodeAll(d, f.channels).size(), f.samples * f.channels);
        mp3Close(d);
    }
}

// Within 1 LSB: mpg123's synthesis filter may round a sample differently
// depending on its buffer phase; one sample off would differ by thousands.
TEST(Mp3Decoder, SeekGivesTheSamplesOfAFullDecodeAtThatOffset)
{
    for (const FixtureFacts& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::vector<char> bytes = readFixture(f.name);
        Mp3OpenResult result;
        Mp3Decoder* d = mp3Open((const unsigned char*)bytes.data(), bytes.size(), &result);
        ASSERT_NE(d, nullptr);
        std::vector<int16_t> all = decodeAll(d, f.channels);
        const int64_t offsets[] = {0, 1, 1151, 1152, 12345, 40001, f.samples / 2, f.samples - 3000};
        for (int64_t offset : offsets) {
            SCOPED_TRACE(offset);
            ASSERT_TRUE(mp3Seek(d, offset));
            std::vector<int16_t> part(3000 * f.channels);
            ASSERT_EQ(mp3Read(d, part.data(), 3000), 3000);
            int worst = 0;
            for (size_t k = 0; k < part.size(); k++)
                worst = std::max(worst, std::abs(part[k] - all[offset * f.channels + k]));
            EXPECT_LE(worst, 1);
        }
        mp3Close(d);
    }
}

TEST(Mp3Decoder, SeekPastTheEndEndsTheStream)
{
    std::vector<char> bytes = readFixture("sweep_vbr_id3.mp3");
    Mp3OpenResult result;
    Mp3Decoder* d = mp3Open((const unsigned char*)bytes.data(), bytes.size(), &result);
    ASSERT_NE(d, nullptr);
    int16_t buffer[64 * 2];
    mp3Seek(d, 110250);
    EXPECT_EQ(mp3Read(d, buffer, 64), 0);
    mp3Seek(d, 1 << 30);
    EXPECT_EQ(mp3Read(d, buffer, 64), 0);
    mp3Seek(d, 110250 - 10);
    EXPECT_EQ(mp3Read(d, buffer, 64), 10);
    mp3Close(d);
}

TEST(Mp3Decoder, RejectsDataThatIsNotMpegAudio)
{
    std::vector<unsigned char> noise(50000);
    unsigned seed = 12345;
    for (unsigned char& b : noise) {
        seed = seed * 1103515245u + 12345u;
        b = (unsigned char)(seed >> 16);
    }
    std::string text = "This is not an MP3 file at all, just some text.\n";
    Mp3OpenResult result = MP3_OK;
    EXPECT_EQ(mp3Open(noise.data(), noise.size(), &result), nullptr);
    EXPECT_EQ(result, MP3_NOT_MP3);
    EXPECT_EQ(mp3Open((const unsigned char*)text.data(), text.size(), &result), nullptr);
    EXPECT_EQ(result, MP3_NOT_MP3);
    EXPECT_EQ(mp3Open(noise.data(), 0, &result), nullptr);
    EXPECT_EQ(result, MP3_NOT_MP3);
}

TEST(Mp3Decoder, TruncatedFilePlaysWhatIsThereThenEnds)
{
    std::vector<char> bytes = readFixture("sweep_stereo_44k.mp3");
    for (size_t keep : {bytes.size() / 2, bytes.size() * 9 / 10, bytes.size() - 7}) {
        SCOPED_TRACE(keep);
        Mp3OpenResult result;
        Mp3Decoder* d = mp3Open((const unsigned char*)bytes.data(), keep, &result);
        ASSERT_NE(d, nullptr);
        Mp3Info info = mp3Info(d);
        EXPECT_GT(info.lengthSamples, 132300 * (int64_t)keep / (int64_t)bytes.size() - 4000);
        EXPECT_LE(info.lengthSamples, 132300 + 1152);
        EXPECT_EQ((int64_t)decodeAll(d, 2).size(), info.lengthSamples * 2);
        mp3Close(d);
    }
}

// ---- conversion to the output format -----------------------------------------

struct OfflineLayer {
    OfflineLayer() { soundInit(SOUND_OUTPUT_OFFLINE, 44100); }
    ~OfflineLayer() { soundClose(); }
};

static std::vector<int16_t> renderAll(SoundStream* s)
{
    std::vector<int16_t> all;
    int16_t chunk[1000 * 2];
    for (;;) {
        int n = soundStreamRender(s, chunk, 1000);
        all.insert(all.end(), chunk, chunk + n * 2);
        if (n < 1000)
            return all;
    }
}

static float toneLevelAt(const std::vector<int16_t>& stereo, int64_t frame, int bin, int* peakBin)
{
    float mono[SPECTRUM_WINDOW], bins[SPECTRUM_BINS];
    for (int i = 0; i < SPECTRUM_WINDOW; i++)
        mono[i] = stereo[2 * (frame + i) + 1] / 32768.0f;
    computeSpectrum(mono, bins);
    *peakBin = 0;
    for (int k = 1; k < SPECTRUM_BINS; k++)
        if (bins[k] > bins[*peakBin])
            *peakBin = k;
    return bins[bin];
}

// A file played at its own rate as if it were 44.1 kHz would move its tone
// to another bin and change its length.
TEST(SoundStreamRender, EveryRateAndChannelCountPlaysAtTheRightSpeed)
{
    OfflineLayer layer;
    for (const FixtureFacts& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::vector<char> bytes = readFixture(f.name);
        SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size());
        ASSERT_NE(s, nullptr);
        std::vector<int16_t> out = renderAll(s);
        int64_t expectFrames = (f.samples * 44100 + f.rate - 1) / f.rate;
        EXPECT_EQ((int64_t)out.size() / 2, expectFrames);
        EXPECT_EQ(soundStreamGetLengthMs(s), (int)(f.samples * 1000 / f.rate));
        // The right channel holds a half-scale tone at the centre of toneBin.
        for (int64_t at : {expectFrames / 4, expectFrames / 2, expectFrames - 3000}) {
            int peak = -1;
            float level = toneLevelAt(out, at, f.toneBin, &peak);
            EXPECT_EQ(peak, f.toneBin) << "at frame " << at;
            EXPECT_NEAR(level, 0.5f, 0.05f) << "at frame " << at;
        }
        soundStreamClose(s);
    }
}

// Seeking restarts the decoder and the rate converter; what follows must be
// the same frames a run from the start gives there, so a seek never shifts
// the sound against the clock.
TEST(SoundStreamRender, SetTimeLandsOnTheFrameOfAFullRender)
{
    OfflineLayer layer;
    for (const FixtureFacts& f : fixtures) {
        SCOPED_TRACE(f.name);
        std::vector<char> bytes = readFixture(f.name);
        SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size());
        ASSERT_NE(s, nullptr);
        std::vector<int16_t> all = renderAll(s);
        for (int ms : {0, 1, 23, 777, 1500, 1999 - 60}) {
            SCOPED_TRACE(ms);
            ASSERT_TRUE(soundStreamSetTime(s, ms));
            EXPECT_EQ(soundStreamGetTime(s), ms);
            int64_t frame = ((int64_t)ms * 44100 + 999) / 1000;
            std::vector<int16_t> part(2000 * 2);
            ASSERT_EQ(soundStreamRender(s, part.data(), 2000), 2000);
            int worst = 0;
            for (size_t k = 0; k < part.size(); k++)
                worst = std::max(worst, std::abs(part[k] - all[frame * 2 + k]));
            EXPECT_LE(worst, 1);
        }
        soundStreamClose(s);
    }
}

TEST(SoundStreamRender, NegativeTimeSeeksToTheStart)
{
    OfflineLayer layer;
    std::vector<char> bytes = readFixture("sweep_stereo_44k.mp3");
    SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size());
    ASSERT_NE(s, nullptr);
    std::vector<int16_t> all = renderAll(s);
    soundStreamSetTime(s, -5333);
    EXPECT_EQ(soundStreamGetTime(s), 0);
    std::vector<int16_t> part(500 * 2);
    soundStreamRender(s, part.data(), 500);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin()));
    soundStreamClose(s);
}

TEST(SoundStreamRender, OpenFailuresSayWhy)
{
    OfflineLayer layer;
    std::string text(4000, 'x');
    SoundFailure why;
    EXPECT_EQ(soundStreamOpen(text.data(), (int)text.size(), &why), nullptr);
    EXPECT_EQ(why.problem, SOUND_NOT_MP3);
    EXPECT_EQ(soundStreamOpen(text.data(), 0, &why), nullptr);
    EXPECT_EQ(why.problem, SOUND_NO_DATA);
    EXPECT_EQ(soundStreamOpen(nullptr, 10, &why), nullptr);
    EXPECT_EQ(why.problem, SOUND_BAD_ARGUMENT);
    // A good stream after a failure says nothing went wrong.
    std::vector<char> bytes = readFixture("sweep_stereo_44k.mp3");
    SoundStream* s = soundStreamOpen(bytes.data(), (int)bytes.size(), &why);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(why.problem, SOUND_NO_PROBLEM);
    soundStreamClose(s);
}

TEST(SoundInit, FailuresSayWhy)
{
    SoundFailure why;
    EXPECT_FALSE(soundInit(SOUND_OUTPUT_OFFLINE, 7999, &why));
    EXPECT_EQ(why.problem, SOUND_BAD_ARGUMENT);
    std::string data(100, 'x');
    EXPECT_EQ(soundStreamOpen(data.data(), (int)data.size(), &why), nullptr);
    EXPECT_EQ(why.problem, SOUND_NOT_STARTED);
    ASSERT_TRUE(soundInit(SOUND_OUTPUT_OFFLINE, 8000, &why));
    EXPECT_FALSE(soundInit(SOUND_OUTPUT_OFFLINE, 44100, &why));
    EXPECT_EQ(why.problem, SOUND_ALREADY_STARTED);
    soundClose();
}
