// The song clock and its loader: pattern arithmetic, seeking, the end of the
// song, the clock against a monotonic timer, the error texts, and every bad
// music file ending the program with a message.
#include <gtest/gtest.h>

#include "tests/support/folders.h"
#include "tests/support/gl_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/jpeg_writer.h"
#include <sys/stat.h>
#include <unistd.h>

#include "core/errors.h"
#include "core/runstate.h"
#include "platform/audio.h"
#include "platform/dialogs.h"
#include "render/caps.h"
#include "music/music.h"
#include "music/soundlayer_testing.h"

using Clock = std::chrono::steady_clock;

static std::string fixturePath(const char* name)
{
    return std::string(ZANT_SOURCE_DIR) + "/tests/data/music/" + name;
}

static double millisSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

static void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// How long a test waits for something that must happen before it calls it
// missing: far beyond any real delay, so only a hang fails.
const double kGiveUpMs = 60000.0;

// Polls until the end notification arrives or the wait is given up.
static void waitForQuitRequest()
{
    Clock::time_point start = Clock::now();
    while (quitRequested == 0 && millisSince(start) < kGiveUpMs)
        sleepMs(1);
}

static std::string tempPath(const char* name)
{
    // The test's own folder, the same in a threadsafe death test's re-run
    // child, and apart from any suite running beside this one.
    return testFolder() + "/" + name;
}

static void writeBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// ---- song time in patterns ----------------------------------------------------

class SongClock : public ::testing::Test {
protected:
    void SetUp() override { startMusicOffline(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f); }
    void TearDown() override { stopMusic(); }
};

TEST_F(SongClock, MillisecondsBecomePatternsAt180Bpm)
{
    EXPECT_EQ(songBpm, 180.0f);
    setSongMillis(0);
    EXPECT_EQ(songTime(), 0.0);
    setSongMillis(5333);
    EXPECT_EQ(songTime(), 5333 * 180.0 * 1.0416666666666667e-06);
    EXPECT_NEAR(songTime(), 0.99994, 5e-6);
    EXPECT_LT(songTime(), 1.0);
    setSongMillis(5334);
    EXPECT_NEAR(songTime(), 1.00013, 5e-6);
    EXPECT_GT(songTime(), 1.0);
    // After the seek key moves to pattern 2 the clock reads just below 2.0,
    // so a truncating consumer still sees pattern 1.
    setSongMillis(10666);
    EXPECT_NEAR(songTime(), 1.999875, 1e-9);
    EXPECT_EQ((int)(float)songTime(), 1);
}

TEST_F(SongClock, SeekSongTruncatesToWholeMilliseconds)
{
    seekSong(1.0f);
    EXPECT_EQ(songMillis(), 5333);
    seekSong(2.0f);
    EXPECT_EQ(songMillis(), 10666);
    seekSong(3.0f);
    EXPECT_EQ(songMillis(), 16000);
    seekSong(0.5f);
    EXPECT_EQ(songMillis(), 2666);
}

// Page Up in the first pattern asks for a negative position: it starts over.
TEST_F(SongClock, NegativeSeekGoesToTheStart)
{
    seekSong(1.0f);
    seekSong(-1.0f);
    EXPECT_EQ(songMillis(), 0);
    EXPECT_EQ(songTime(), 0.0);
}

TEST_F(SongClock, OfflineClockStandsStillAtTheSetPosition)
{
    setSongMillis(4321);
    sleepMs(30);
    EXPECT_EQ(songMillis(), 4321);
    EXPECT_EQ(songLengthMillis(), 7000);
}

// ---- callback and error texts ----------------------------------------------------

TEST(MusicCallback, EndOfStreamAsksToQuitAndSyncPointsDoNothing)
{
    quitRequested = 0;
    char name[] = "sync";
    EXPECT_TRUE(musicCallback(nullptr, name, 4, 0));
    EXPECT_EQ(quitRequested, 0);
    EXPECT_TRUE(musicCallback(nullptr, nullptr, 0, 0));
    EXPECT_EQ(quitRequested, 1);
    quitRequested = 0;
}

TEST(FmodErrorText, EveryCodeHasItsExactText)
{
    const char* expected[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    for (int code = 0; code < 19; code++)
        EXPECT_STREQ(fmodErrorText(code), expected[code]) << "code " << code;
    EXPECT_STREQ(fmodErrorText(-1), "Unknown error");
    EXPECT_STREQ(fmodErrorText(19), "Unknown error");
    EXPECT_STREQ(fmodErrorText(1000), "Unknown error");
}

TEST(FmodErrorText, LayerProblemsNameTheRightTexts)
{
    EXPECT_STREQ(soundProblemText(SOUND_ALREADY_STARTED),
                 "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(soundProblemText(SOUND_NOT_STARTED), "This command failed because FSOUND_Init was not called");
    EXPECT_STREQ(soundProblemText(SOUND_NO_DEVICE), "Error initializing output device.");
    EXPECT_STREQ(soundProblemText(SOUND_NOT_MP3), "Unknown file format");
    EXPECT_STREQ(soundProblemText(SOUND_NO_DATA), "Error loading file");
    EXPECT_STREQ(soundProblemText(SOUND_NO_MEMORY), "Not enough memory ");
    EXPECT_STREQ(soundProblemText(SOUND_BAD_ARGUMENT), "An invalid parameter was passed to this function");
}

// ---- playing without a device --------------------------------------------------

// The end callback comes once, when the last sample would have been heard:
// never before the half second left after the seek has passed (timed from
// before the seek, so a slow machine only makes it later), and with the
// clock standing at the end.
TEST(SilentPlayback, EndCallbackFiresOnceAtTheEnd)
{
    quitRequested = 0;
    setSoundOptions(true, 0);
    startMusic(fixturePath("sweep_vbr_id3.mp3").c_str(), 180.0f);
    ASSERT_EQ(songLengthMillis(), 2500);
    Clock::time_point beforeSeek = Clock::now();
    setSongMillis(2000);
    waitForQuitRequest();
    double took = millisSince(beforeSeek);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_GE(took, 499.0) << "the end came before the rest of the song could have played";
    EXPECT_EQ(songMillis(), 2500);
    sleepMs(200);
    EXPECT_EQ(quitRequested, 1) << "the end was announced more than once";
    stopMusic();
    quitRequested = 0;
}

// Nothing is left to play after such a seek: the clock stands at the end at
// once, and the end notification follows without the clock having to move.
TEST(SilentPlayback, SeekPastTheEndEndsTheSong)
{
    quitRequested = 0;
    setSoundOptions(true, 0);
    startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f);
    seekSong(7.0f);
    EXPECT_EQ(songMillis(), 3000);
    waitForQuitRequest();
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(songMillis(), 3000);
    seekSong(0.0f);
    sleepMs(50);
    EXPECT_EQ(quitRequested, 1);
    stopMusic();
    quitRequested = 0;
}

// Read the way a frame loop reads it: the clock follows a monotonic timer to
// within a few ms, and no reading is below the one before. The clock starts
// between `before` and `after`, so each reading is bracketed by the timer
// read just before it (from `after`) and just after it (from `before`): a
// busy machine widens the gap between readings, never the bracket.
TEST(SilentPlayback, ClockTracksAMonotonicTimerAndNeverRunsBackwards)
{
    quitRequested = 0;
    setSoundOptions(true, 0);
    Clock::time_point before = Clock::now();
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    Clock::time_point after = Clock::now();
    const int length = songLengthMillis();
    int last = -1, backwards = 0, worstEarly = 0, worstLate = 0, endedEarly = 0;
    while (last < 3000 && millisSince(before) < kGiveUpMs) {
        int ended = quitRequested;
        double low = millisSince(after);
        int ms = songMillis();
        double high = millisSince(before);
        if (ms < last)
            backwards++;
        if (ended && ms < length)
            endedEarly++;
        last = ms;
        worstEarly = std::max(worstEarly, (int)(low - ms));
        worstLate = std::max(worstLate, (int)(ms - high));
        sleepMs(1);
    }
    EXPECT_EQ(backwards, 0);
    EXPECT_LE(worstEarly, 3);
    EXPECT_LE(worstLate, 1);
    EXPECT_GE(last, 3000);
    EXPECT_EQ(endedEarly, 0) << "the end was announced while the clock was short of " << length;
    stopMusic();
    quitRequested = 0;
}

// Every reading is the bracketing timer less the offset, so it reads zero
// for as long as less than the offset has passed.
TEST(SilentPlayback, AudioOffsetHoldsTheClockBack)
{
    setSoundOptions(true, 400);
    Clock::time_point before = Clock::now();
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    Clock::time_point after = Clock::now();
    int ms = 0, tooEarly = 0, tooLate = 0;
    while (ms < 500 && millisSince(before) < kGiveUpMs) {
        double low = millisSince(after);
        ms = songMillis();
        double high = millisSince(before);
        if (ms < std::max(0, (int)low - 400 - 3))
            tooEarly++;
        if (ms > std::max(0, (int)high - 400 + 1))
            tooLate++;
        sleepMs(1);
    }
    EXPECT_GE(ms, 500);
    EXPECT_EQ(tooEarly, 0);
    EXPECT_EQ(tooLate, 0) << "the clock ran ahead of the timer less the offset";
    stopMusic();
    setSoundOptions(false, 0);
}

// ---- a real device: SDL's disk driver writes what it plays to a file ---------------

static void useDiskAudio(const std::string& file)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

static void restoreAudioDriver()
{
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
}

// The disk driver takes one period at a time and waits a period's time
// before each, so the 1.5 s left after the seek cannot go by sooner (timed
// from before the seek). Frame-loop reads 16 ms apart never run backwards;
// the song ends once, after its last sample, with the clock at the end; and
// the file holds the song's own sound.
TEST(DevicePlayback, PlaysTheStreamThroughTheDeviceAndEndsOnce)
{
    std::string raw = tempPath("device.raw");
    useDiskAudio(raw);
    quitRequested = 0;
    setSoundOptions(false, 0);
    startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f);
    Clock::time_point beforeSeek = Clock::now();
    setSongMillis(1500);
    int last = -1, backwards = 0;
    while (quitRequested == 0 && millisSince(beforeSeek) < kGiveUpMs) {
        int ms = songMillis();
        if (ms < last)
            backwards++;
        last = ms;
        sleepMs(16);
    }
    double took = millisSince(beforeSeek);
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(backwards, 0);
    EXPECT_GT(took, 1200.0);
    EXPECT_EQ(songMillis(), 3000);
    sleepMs(100);
    EXPECT_EQ(quitRequested, 1);
    stopMusic();
    restoreAudioDriver();
    quitRequested = 0;

    // The right channel is a steady tone, the left a sweep that never repeats:
    // the last 1.5 s of the sweep must appear in the file, sample for sample.
    std::vector<char> bytes = readFileBytes(raw);
    std::remove(raw.c_str());
    const int16_t* played = (const int16_t*)bytes.data();
    int64_t frames = (int64_t)bytes.size() / 4;
    soundInit(SOUND_OUTPUT_OFFLINE, 44100);
    std::vector<char> mp3 = readFileBytes(fixturePath("sweep_stereo_44k.mp3"));
    SoundStream* s = soundStreamOpen(mp3.data(), (int)mp3.size());
    ASSERT_NE(s, nullptr);
    soundStreamSetTime(s, 1500);
    std::vector<int16_t> expect(66150 * 2);
    ASSERT_EQ(soundStreamRender(s, expect.data(), 66150), 66150);
    soundStreamClose(s);
    soundClose();
    int64_t found = -1;
    for (int64_t f = 0; f + 66150 <= frames && found < 0; f++)
        if (played[2 * f] == expect[0] && played[2 * f + 1] == expect[1] &&
            std::equal(expect.begin(), expect.end(), played + 2 * f))
            found = f;
    EXPECT_GE(found, 0) << "the song's sound is not in the device output";
    if (found >= 0) {
        for (int64_t f = found + 66150; f < frames; f++)
            ASSERT_EQ(played[2 * f], 0) << "sound after the end at frame " << f;
    }
}

// Between the device's periods (512 frames, 11.6 ms) the clock runs on the
// timer: reads 1 ms apart see it move by less than a period. Each read lands
// between periods unless the machine stalls the reader for a whole period
// every time, so the test watches until it sees such a step (starting the
// song over when it nears its end) and only a minute without one fails.
TEST(DevicePlayback, ClockMovesBetweenTheDevicesPeriods)
{
    std::string raw = tempPath("periods.raw");
    useDiskAudio(raw);
    quitRequested = 0;
    setSoundOptions(false, 0);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    const int length = songLengthMillis();
    Clock::time_point start = Clock::now();
    int last = -1, backwards = 0, smallSteps = 0;
    while (smallSteps == 0 && millisSince(start) < kGiveUpMs) {
        int ms = songMillis();
        if (ms < last)
            backwards++;
        if (last >= 0 && ms - last >= 1 && ms - last <= 10)
            smallSteps++;
        last = ms;
        if (ms > length - 1000) {
            setSongMillis(0);
            last = -1;
        }
        sleepMs(1);
    }
    EXPECT_GT(smallSteps, 0) << "the clock only ever moved in whole device periods";
    EXPECT_EQ(backwards, 0);
    stopMusic();
    restoreAudioDriver();
    quitRequested = 0;
    std::remove(raw.c_str());
}

static std::string loggedLines;
static void keepLogLine(LogLevel level, const char* line)
{
    loggedLines += level == LOG_WARNING ? "warning: " : "other: ";
    loggedLines += line;
    loggedLines += "\n";
}

// Waits (up to the give-up time) until the song has moved past `frames`.
static bool waitForSample(long long frames)
{
    Clock::time_point start = Clock::now();
    while (songSample() <= frames && millisSince(start) < kGiveUpMs)
        sleepMs(2);
    return songSample() > frames;
}

// Holding the device off for half a second makes its next call later than
// the 93 ms it holds: counted, with about the time it went without sound,
// and said once the song stops. A fresh start counts from nothing.
TEST(DeviceGaps, ALateDeviceCallIsCountedAndReported)
{
    std::string raw = tempPath("late.raw");
    useDiskAudio(raw);
    quitRequested = 0;
    setSoundOptions(false, 0);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    ASSERT_TRUE(waitForSample(10000));
    EXPECT_EQ(soundGapCount(), 0) << "a count before anything went wrong is not reset at the start";
    lockAudioDevice();
    sleepMs(500);
    unlockAudioDevice();
    long long after = songSample();
    ASSERT_TRUE(waitForSample(after + 8192));
    EXPECT_GE(soundGapCount(), 1);
    loggedLines.clear();
    setLogSink(keepLogLine);
    stopMusic();
    setLogSink(nullptr);
    EXPECT_NE(loggedLines.find("warning: the sound device ran dry "), std::string::npos) << loggedLines;
    // 500 ms held off, less the 93 ms the device held; a loaded machine may
    // only add to it.
    int ms = -1;
    std::sscanf(loggedLines.c_str() + loggedLines.find("(about "), "(about %d ms", &ms);
    EXPECT_GE(ms, 300) << loggedLines;
    restoreAudioDriver();
    std::remove(raw.c_str());

    setSoundOptions(true, 0);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    EXPECT_EQ(soundGapCount(), 0);
    loggedLines.clear();
    setLogSink(keepLogLine);
    stopMusic();
    setLogSink(nullptr);
    EXPECT_EQ(loggedLines.find("ran dry"), std::string::npos) << "a silent run has no device to run dry";
    setSoundOptions(false, 0);
    quitRequested = 0;
}

// A sound server's stream gets a target length of two device periods
// (2048 frames each: 93 ms), not the one period SDL asks for; a length the
// user chose is kept.
TEST(DeviceGaps, SoundServerStreamsGetTwoPeriods)
{
    std::string raw = tempPath("latency.raw");
    useDiskAudio(raw);
    unsetenv("PULSE_LATENCY_MSEC");
    setSoundOptions(false, 0);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    const char* chosen = std::getenv("PULSE_LATENCY_MSEC");
    EXPECT_STREQ(chosen ? chosen : "(unset)", "93");
    stopMusic();
    setenv("PULSE_LATENCY_MSEC", "150", 1);
    startMusic(fixturePath("tone_mono_48k.mp3").c_str(), 180.0f);
    EXPECT_STREQ(std::getenv("PULSE_LATENCY_MSEC"), "150");
    stopMusic();
    unsetenv("PULSE_LATENCY_MSEC");
    restoreAudioDriver();
    std::remove(raw.c_str());
    quitRequested = 0;
}

// ---- bad input: a message naming the file, exit status 1 ----------------------------

class MusicLoadFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        setenv("ZANT_NO_DIALOGS", "1", 1);
        setSoundOptions(true, 0);
    }
    void TearDown() override { setSoundOptions(false, 0); }
};

TEST_F(MusicLoadFailure, MissingFileIsNotFound)
{
    EXPECT_EXIT(startMusic("data/no_such_tune.mp3", 180.0f), ::testing::ExitedWithCode(1),
                "data/no_such_tune.mp3 not found");
}

TEST_F(MusicLoadFailure, EmptyFileSaysItIsEmpty)
{
    std::string path = tempPath("empty.mp3");
    writeBytes(path, "", 0);
    EXPECT_EXIT(startMusic(path.c_str(), 180.0f), ::testing::ExitedWithCode(1), path + " is empty");
    std::remove(path.c_str());
}

// A small colour JPEG in memory.
static std::vector<uint8_t> makeJpeg()
{
    std::vector<uint8_t> rgb(64 * 48 * 3);
    for (int y = 0; y < 48; y++)
        for (int x = 0; x < 64 * 3; x++)
            rgb[(size_t)y * 64 * 3 + x] = (uint8_t)(x * 7 + y * 13);
    return encodeJpeg(64, 48, 3, JCS_RGB, rgb);
}

TEST_F(MusicLoadFailure, JpegRenamedIsNotAnMp3)
{
    std::string path = tempPath("picture.mp3");
    std::vector<uint8_t> jpeg = makeJpeg();
    ASSERT_GT(jpeg.size(), 100u);
    writeBytes(path, jpeg.data(), jpeg.size());
    EXPECT_EXIT(startMusic(path.c_str(), 180.0f), ::testing::ExitedWithCode(1),
                path + " is not a playable MP3 file \\(Unknown file format\\)");
    std::remove(path.c_str());
}

TEST_F(MusicLoadFailure, TextFileIsNotAnMp3)
{
    std::string path = tempPath("notes.mp3");
    std::string text = "180 bpm, 16 beats a pattern\n";
    writeBytes(path, text.data(), text.size());
    EXPECT_EXIT(startMusic(path.c_str(), 180.0f), ::testing::ExitedWithCode(1), path + " is not a playable MP3");
    std::remove(path.c_str());
}

TEST_F(MusicLoadFailure, DirectoryCannotBeRead)
{
    std::string path = tempPath("folder.mp3");
    mkdir(path.c_str(), 0700);  // the death test's own process finds it made
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EXIT(startMusic(path.c_str(), 180.0f), ::testing::ExitedWithCode(1), path);
    rmdir(path.c_str());
}

TEST_F(MusicLoadFailure, NoUsableDeviceIsAnInitError)
{
    setSoundOptions(false, 0);
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    EXPECT_EXIT(startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f), ::testing::ExitedWithCode(1),
                "Error initializing output device\\.");
    unsetenv("SDL_AUDIODRIVER");
}

// The box keeps the table's text; stderr says first what the driver said
// and how to watch anyway.
TEST_F(MusicLoadFailure, NoUsableDeviceSaysWhyAndTheWayOut)
{
    setSoundOptions(false, 0);
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    EXPECT_EXIT(startMusic(fixturePath("sweep_stereo_44k.mp3").c_str(), 180.0f), ::testing::ExitedWithCode(1),
                "zant: no sound: [^\n]*no_such_driver[^\n]*; run with --nosound to watch without sound\n"
                "zant: Error initializing output device\\.\n");
    unsetenv("SDL_AUDIODRIVER");
}

// Cut short, a file plays what is there and ends as if it were whole.
TEST(TruncatedMusic, PlaysWhatIsThereThenEndsNormally)
{
    std::vector<char> whole = readFileBytes(fixturePath("sweep_stereo_44k.mp3"));
    std::string path = tempPath("cut.mp3");
    writeBytes(path, whole.data(), whole.size() * 6 / 10);
    quitRequested = 0;
    setSoundOptions(true, 0);
    startMusic(path.c_str(), 180.0f);
    int length = songLengthMillis();
    EXPECT_GT(length, 1600);
    EXPECT_LT(length, 1900);
    Clock::time_point beforeSeek = Clock::now();
    setSongMillis(length - 100);
    waitForQuitRequest();
    EXPECT_EQ(quitRequested, 1);
    // It ends where the song ends: not before the last 100 ms could have
    // played, and with the clock at the length it gave.
    EXPECT_GE(millisSince(beforeSeek), 99.0);
    EXPECT_EQ(songMillis(), length);
    stopMusic();
    quitRequested = 0;
    std::remove(path.c_str());
}
