// Loops, pauses and steps of the song clock. The seam is checked sample for
// sample, rendered offline and as played on a device (SDL's disk driver
// writes what the device got to a file); the silent clock goes round its
// loop and never ends the song; a resume goes on from the paused sample.
// Waits are for the clock or the device file to move, never for a time.
#include <gtest/gtest.h>

#include "tests/support/folders.h"
#include "tests/support/gl_fixture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "core/runstate.h"
#include "core/songtime.h"
#include "music/music.h"
#include "music/soundlayer_testing.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

long fileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

// Polls until done() holds, for up to a minute; false if it never did.
bool waitFor(const std::function<bool()>& done)
{
    Clock::time_point start = Clock::now();
    while (!done()) {
        if (Clock::now() - start > std::chrono::seconds(60))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// The whole song as the device would get it, stereo s16 at 44100 Hz.
std::vector<int16_t> renderWhole(const std::vector<char>& mp3)
{
    SoundStream* s = soundStreamOpen(mp3.data(), (int)mp3.size());
    EXPECT_NE(s, nullptr);
    if (!s)
        return {};
    std::vector<int16_t> out((size_t)soundStreamGetLengthFrames(s) * 2);
    soundStreamRender(s, out.data(), (int)(out.size() / 2));
    soundStreamClose(s);
    return out;
}

void append(std::vector<int16_t>& to, const std::vector<int16_t>& from, int64_t first, int64_t end)
{
    to.insert(to.end(), from.begin() + first * 2, from.begin() + end * 2);
}

bool sameFrames(const int16_t* a, const int16_t* b, int64_t frames)
{
    return std::equal(a, a + frames * 2, b);
}

class LoopRender : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(soundInit(SOUND_OUTPUT_OFFLINE, 44100)); }
    void TearDown() override { soundClose(); }
};

// Through the loop's end three times and on: the song from 20000 to the end
// at 50000, then 30000..50000 again and again, sample for sample; switched
// off it plays on past the end.
void expectSeamlessRender(const char* fixture)
{
    std::vector<char> mp3 = readFileBytes(fixturePath(fixture));
    std::vector<int16_t> whole = renderWhole(mp3);
    ASSERT_GT(whole.size(), 2u * 90000);
    SoundStream* s = soundStreamOpen(mp3.data(), (int)mp3.size());
    ASSERT_NE(s, nullptr);
    soundStreamSetFrame(s, 20000);
    ASSERT_TRUE(soundStreamSetLoop(s, true, 30000, 50000));
    std::vector<int16_t> got(95000 * 2);
    // In device-period pieces, so seams fall inside a piece as on a device.
    for (int done = 0; done < 95000; done += 512)
        soundStreamRender(s, got.data() + done * 2, std::min(512, 95000 - done));
    std::vector<int16_t> want;
    append(want, whole, 20000, 50000);
    for (int pass = 0; pass < 3; pass++)
        append(want, whole, 30000, 50000);
    append(want, whole, 30000, 35000);
    ASSERT_EQ(want.size(), got.size());
    for (int64_t f = 0; f < 95000; f++)
        if (got[2 * f] != want[2 * f] || got[2 * f + 1] != want[2 * f + 1])
            FAIL() << fixture << ": first wrong frame " << f;
    soundStreamSetLoop(s, false, 0, 0);
    std::vector<int16_t> on(40000 * 2);
    soundStreamRender(s, on.data(), 40000);
    EXPECT_TRUE(sameFrames(on.data(), whole.data() + 2 * 35000, 40000)) << fixture;
    soundStreamClose(s);
}

// Straight through, and through the resampler (48 kHz to 44.1 kHz).
TEST_F(LoopRender, TheSeamIsSampleExact)
{
    expectSeamlessRender("sweep_stereo_44k.mp3");
    expectSeamlessRender("tone_mono_48k.mp3");
}

TEST_F(LoopRender, RangesAreCheckedAndCutToTheSong)
{
    std::vector<char> mp3 = readFileBytes(fixturePath("sweep_stereo_44k.mp3"));
    SoundStream* s = soundStreamOpen(mp3.data(), (int)mp3.size());
    ASSERT_NE(s, nullptr);
    int64_t length = soundStreamGetLengthFrames(s);
    EXPECT_FALSE(soundStreamSetLoop(s, true, 5000, 5000));
    EXPECT_FALSE(soundStreamSetLoop(s, true, -1, 5000));
    EXPECT_FALSE(soundStreamSetLoop(s, true, length, length + 10));
    // An end past the song loops at the song's end.
    ASSERT_TRUE(soundStreamSetLoop(s, true, 1000, length + 5000));
    soundStreamSetFrame(s, length - 100);
    std::vector<int16_t> got(300 * 2);
    EXPECT_EQ(soundStreamRender(s, got.data(), 300), 300);
    std::vector<int16_t> whole = renderWhole(mp3);
    EXPECT_TRUE(sameFrames(got.data(), whole.data() + 2 * (length - 100), 100));
    EXPECT_TRUE(sameFrames(got.data() + 200, whole.data() + 2 * 1000, 200));
    soundStreamClose(s);
}

// ---- the song clock ----------------------------------------------------------

// The silent clock (no device) goes round too: readings stay in the loop
// after entering it, the song (3 s) never ends while it loops, and it ends
// once the loop is off.
TEST(SilentLoop, TheClockGoesRoundAndTheSongEndsOnlyWithoutIt)
{
    quitRequested = 0;
    setSoundOptions(true, 0);
    startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f);
    const long long a = samplesAtPatterns(0.05, 44100), b = samplesAtPatterns(0.15, 44100);
    setSongLoop(true, 0.05, 0.15);
    long long last = -1;
    int wraps = 0, outside = 0;
    bool inside = false;
    // Seven seams: more than the song's length of looping.
    EXPECT_TRUE(waitFor([&] {
        long long s = songSample();
        if (s >= a)
            inside = true;
        if (inside && (s < a || s >= b))
            outside++;
        if (s < last)
            wraps++;
        last = s;
        return wraps >= 7;
    }));
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(quitRequested, 0);
    setSongLoop(false, 0.05, 0.15);
    EXPECT_TRUE(waitFor([] { return quitRequested != 0; }));
    EXPECT_EQ(songMillis(), 3000);
    stopMusic();
    quitRequested = 0;
}

// ---- on a device ---------------------------------------------------------------

// SDL's disk driver writes what the device plays to the named file, in the
// test's own folder: a suite running beside this one has its own.
std::string useDiskAudio(const char* name)
{
    std::string file = testFolder() + "/" + name;
    std::remove(file.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    return file;
}

void restoreAudioDriver(const std::string& file)
{
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    std::remove(file.c_str());
}

// Every place in the recording where the loop's last 2048 frames end must
// go on with its first frames; the offset from there to where they really
// follow is the seam's gap (positive) or overlap (negative) in samples.
TEST(DeviceLoop, EverySeamTheDevicePlayedIsSampleExact)
{
    const std::string raw = useDiskAudio("zant_loop_device.raw");
    quitRequested = 0;
    setSoundOptions(false, 0);
    startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f);
    const long long a = samplesAtPatterns(0.05, 44100), b = samplesAtPatterns(0.15, 44100);
    setSongLoop(true, 0.05, 0.15);
    long long last = -1;
    int wraps = 0;
    EXPECT_TRUE(waitFor([&] {
        long long s = songSample();
        wraps += s < last;
        last = s;
        return wraps >= 3;
    }));
    stopMusic();
    EXPECT_EQ(quitRequested, 0);
    std::vector<char> bytes = readFileBytes(raw);
    restoreAudioDriver(raw);
    const int16_t* played = (const int16_t*)bytes.data();
    const int64_t frames = (int64_t)bytes.size() / 4;
    ASSERT_TRUE(soundInit(SOUND_OUTPUT_OFFLINE, 44100));
    std::vector<int16_t> whole = renderWhole(readFileBytes(fixturePath("sweep_stereo_44k.mp3")));
    soundClose();
    const int W = 2048;
    int seams = 0;
    for (int64_t f = 0; f + W <= frames; f++) {
        if (!sameFrames(played + 2 * f, whole.data() + 2 * (b - W), W))
            continue;
        int64_t seam = f + W, found = -1;
        if (seam + W > frames)
            break;
        for (int64_t d = 0; d <= 4096 && found < 0; d++)
            for (int64_t at : {seam + d, seam - d})
                if (found < 0 && at + W <= frames && sameFrames(played + 2 * at, whole.data() + 2 * a, W))
                    found = at;
        ASSERT_GE(found, 0) << "no loop start near the seam at recorded frame " << seam;
        EXPECT_EQ(found - seam, 0) << "seam at recorded frame " << seam << ": gap (+) or overlap (-)";
        seams++;
        f += W;
    }
    EXPECT_GE(seams, 2);
    std::printf("loop seams in the device's output: %d, each 0 samples of gap or overlap\n", seams);
}

// Pausing stops the clock on a whole sample; the device then gets silence,
// and the resumed sound starts at exactly that sample.
TEST(DevicePause, ResumeGoesOnFromThePausedSample)
{
    const std::string raw = useDiskAudio("zant_pause_device.raw");
    quitRequested = 0;
    setSoundOptions(false, 0);
    startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f);
    EXPECT_TRUE(waitFor([] { return songSample() > 30000; }));
    setSongPaused(true);
    const long long paused = songSample();
    long size = fileSize(raw);
    // Sixteen periods of silence written: the clock has had time to move.
    EXPECT_TRUE(waitFor([&] { return fileSize(raw) >= size + 16 * 512 * 4; }));
    EXPECT_EQ(songSample(), paused);
    setSongPaused(false);
    EXPECT_TRUE(waitFor([&] { return songSample() > paused + 22050; }));
    stopMusic();
    std::vector<char> bytes = readFileBytes(raw);
    restoreAudioDriver(raw);
    const int16_t* played = (const int16_t*)bytes.data();
    const int64_t frames = (int64_t)bytes.size() / 4;
    ASSERT_TRUE(soundInit(SOUND_OUTPUT_OFFLINE, 44100));
    std::vector<int16_t> whole = renderWhole(readFileBytes(fixturePath("sweep_stereo_44k.mp3")));
    soundClose();
    // The last place the paused sample's sound starts: after the silence.
    int64_t resumed = -1;
    for (int64_t f = frames - 20000; f >= 0 && resumed < 0; f--)
        if (sameFrames(played + 2 * f, whole.data() + 2 * paused, 20000))
            resumed = f;
    ASSERT_GE(resumed, 512) << "the sound after the resume is not the song from the paused sample";
    for (int64_t f = resumed - 512; f < resumed; f++)
        ASSERT_TRUE(played[2 * f] == 0 && played[2 * f + 1] == 0) << "no silence before the resume at " << f;
}

}  // namespace
