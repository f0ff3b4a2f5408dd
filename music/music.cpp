#include "music/music.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/errors.h"
#include "core/runstate.h"
#include "core/clamp.h"
#include "core/songtime.h"
#include "music/mp3decode.h"
#include "music/soundlayer.h"
#include "music/spectrum.h"

#include <algorithm>

struct Music {
    SoundStream* stream = nullptr;
    int channel = -1;
    // The whole file, read once and handed to the sound layer, which
    // streams from it for as long as the song plays.
    char* image = nullptr;
    bool soundOff = false;
    int audioOffset = 0;
    bool paused = false;
    SongLoop loop;
};
static Music music;

void setSoundOptions(bool nosound, int audioOffsetMs)
{
    music.soundOff = nosound;
    music.audioOffset = audioOffsetMs;
}

// The sound layer is closed first, as for every start-up failure here.
[[noreturn]] static void musicFailure(const char* format, const char* path, const char* detail = "")
{
    soundClose();
    char message[1024];
    std::snprintf(message, sizeof message, format, path, detail);
    fatalError(message);
}

enum SongFileResult { SONG_FILE_OK, SONG_FILE_MISSING, SONG_FILE_EMPTY, SONG_FILE_UNREADABLE };

// The whole file in a new malloc'd image; null unless SONG_FILE_OK.
static char* readSongFile(const char* path, long* size, SongFileResult* result)
{
    *size = 0;
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        *result = SONG_FILE_MISSING;
        return nullptr;
    }
    std::fseek(file, 0, SEEK_END);
    *size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    char* image = *size > 0 && *size < 0x7fffffff ? (char*)std::malloc((size_t)*size) : nullptr;
    bool read = image && std::fread(image, 1, (size_t)*size, file) == (size_t)*size;
    std::fclose(file);
    *result = *size == 0 ? SONG_FILE_EMPTY : read ? SONG_FILE_OK : SONG_FILE_UNREADABLE;
    if (*result != SONG_FILE_OK) {
        std::free(image);
        return nullptr;
    }
    return image;
}

static const char* songFileProblem(SongFileResult result)
{
    switch (result) {
    case SONG_FILE_MISSING: return "%s not found";
    case SONG_FILE_EMPTY: return "%s is empty: it holds no MP3 audio";
    default: return "%s could not be read";
    }
}

// Returns the size; every way of not getting the bytes is fatal.
static long readMusicFile(const char* path)
{
    long size = 0;
    SongFileResult result;
    std::free(music.image);
    music.image = readSongFile(path, &size, &result);
    if (!music.image)
        musicFailure(songFileProblem(result), path);
    return size;
}

// The design's error table numbers the sound layer's problems.
static int fmodErrorCode(SoundProblem problem)
{
    switch (problem) {
    case SOUND_NO_PROBLEM: return 0;
    case SOUND_ALREADY_STARTED: return 1;
    case SOUND_NOT_STARTED: return 2;
    case SOUND_NO_DEVICE: return 3;
    case SOUND_NOT_MP3: return 10;
    case SOUND_NO_DATA: return 11;
    case SOUND_NO_MEMORY: return 12;
    case SOUND_BAD_ARGUMENT: return 14;
    }
    return -1;
}

const char* soundProblemText(SoundProblem problem)
{
    return fmodErrorText(fmodErrorCode(problem));
}

static void startWith(const char* path, float bpm, SoundOutput output)
{
    songBpm = bpm;
    SoundFailure why;
    if (!soundInit(output, SONG_RATE, &why)) {
        soundClose();
        // The box shows only the table's text; the reason and the way out
        // go to stderr.
        if (why.problem == SOUND_NO_DEVICE)
            logMessage(LOG_ERROR, "no sound: %s; run with --nosound to watch without sound", why.detail);
        fatalError(soundProblemText(why.problem));
    }
    soundSetClockOffset(output == SOUND_OUTPUT_OFFLINE ? 0 : music.audioOffset);
    long size = readMusicFile(path);
    music.stream = soundStreamOpen(music.image, (int)size, &why);
    // A file that is not MPEG audio would otherwise give a silent show that
    // never ends.
    if (!music.stream)
        musicFailure("%s is not a playable MP3 file (%s)", path, soundProblemText(why.problem));
    soundStreamSetEndCallback(music.stream, musicCallback, 0);
    soundSetSpectrumActive(true);
    music.paused = false;
    music.loop = SongLoop{};
    if (music.channel < 0) {
        soundStreamPlay(music.stream, true);
        music.channel = 0;
        soundStreamSetPaused(music.stream, false);
    }
    analyzeSpectrum();
}

void startMusic(const char* path, float bpm)
{
    startWith(path, bpm, music.soundOff ? SOUND_OUTPUT_SILENT : SOUND_OUTPUT_DEVICE);
}

void startMusicOffline(const char* path, float bpm)
{
    startWith(path, bpm, SOUND_OUTPUT_OFFLINE);
}

double songTime()
{
    return patternsForMillis(soundStreamGetTime(music.stream));
}

int songMillis()
{
    return soundStreamGetTime(music.stream);
}

void seekSong(float patterns)
{
    // Truncated, as the seek keys always have: after a seek to pattern 2 the
    // clock reads just below 2.0.
    int ms = truncToInt(millisAtPatterns(patterns));
    soundStreamSetTime(music.stream, ms);
}

void setSongMillis(int ms)
{
    soundStreamSetTime(music.stream, ms);
}

int songLengthMillis()
{
    return soundStreamGetLengthMs(music.stream);
}

// A stutter is the worst flaw a music show can have; say so once it is over.
static void reportGaps()
{
    SoundUnderruns late = soundUnderruns();
    if (late.count > 0)
        warning("the sound device ran dry %d time%s (about %d ms of gaps in all): the machine or the sound "
                "server was too busy to keep it fed",
                late.count, late.count == 1 ? "" : "s", late.ms);
}

int soundGapCount()
{
    return soundUnderruns().count;
}

void stopMusic()
{
    reportGaps();
    soundStreamClose(music.stream);
    soundClose();
    music.stream = nullptr;
    music.channel = -1;
    music.paused = false;
}

void setSongPaused(bool paused)
{
    if (!music.stream || paused == music.paused)
        return;
    music.paused = paused;
    soundStreamSetPaused(music.stream, paused);
}

bool songPaused()
{
    return music.paused;
}

long long songSample()
{
    return soundStreamGetFrame(music.stream);
}

void seekSongSample(long long sample)
{
    soundStreamSetFrame(music.stream, sample);
}

// Kept a frame short of the end: a step must not end the show.
void stepSong(double patterns)
{
    long long target = songSample() + samplesAtPatterns(patterns, SONG_RATE);
    long long last = soundStreamGetLengthFrames(music.stream) - 1;
    soundStreamSetFrame(music.stream, std::max(0LL, std::min(target, last)));
}

static void applyLoop()
{
    soundStreamSetLoop(music.stream, music.loop.on, samplesAtPatterns(music.loop.start, SONG_RATE),
                       samplesAtPatterns(music.loop.end, SONG_RATE));
}

void setSongLoop(bool on, double startPattern, double endPattern)
{
    music.loop.on = on;
    music.loop.start = startPattern;
    music.loop.end = endPattern;
    if (music.stream)
        applyLoop();
}

SongLoop songLoop()
{
    return music.loop;
}

double songLengthPatterns()
{
    return patternsForMillis(soundStreamGetLengthFrames(music.stream) * 1000.0 / SONG_RATE);
}

int probeSongMillis(const char* path)
{
    long size = 0;
    SongFileResult result;
    char* image = readSongFile(path, &size, &result);
    if (!image)
        return -1;
    Mp3OpenResult opened;
    Mp3Decoder* decoder = mp3Open((const unsigned char*)image, (size_t)size, &opened);
    int ms = -1;
    if (decoder) {
        Mp3Info info = mp3Info(decoder);
        ms = (int)(info.lengthSamples * 1000 / info.rate);
        mp3Close(decoder);
    }
    std::free(image);
    return ms;
}

// The new stream takes the old one's place at the same frame, paused or
// not, with the same loop; the device plays what it still held of the old.
bool reloadMusic(const char* path)
{
    if (!music.stream)
        return false;
    long size = 0;
    SongFileResult result;
    char* image = readSongFile(path, &size, &result);
    if (!image) {
        char problem[1024];
        std::snprintf(problem, sizeof problem, songFileProblem(result), path);
        warning("%s; the soundtrack plays on unchanged", problem);
        return false;
    }
    SoundFailure why;
    SoundStream* next = soundStreamOpen(image, (int)size, &why);
    if (!next) {
        warning("%s is not a playable MP3 file (%s); the soundtrack plays on unchanged", path,
                soundProblemText(why.problem));
        std::free(image);
        return false;
    }
    long long frame = songSample();
    soundStreamClose(music.stream);
    std::free(music.image);
    music.stream = next;
    music.image = image;
    soundStreamSetEndCallback(next, musicCallback, 0);
    if (frame >= soundStreamGetLengthFrames(next)) {
        warning("%s ends before the song position; it plays from the start", path);
        frame = 0;
    }
    soundStreamSetFrame(next, frame);
    if (music.loop.on || music.loop.end > 0.0)
        applyLoop();
    soundStreamPlay(next, music.paused);
    return true;
}

bool musicCallback(SoundStream*, void* buffer, int, int)
{
    if (!buffer)
        quitRequested += 1;
    return true;
}

const char* fmodErrorText(int code)
{
    switch (code) {
    case 0: return "No errors";
    case 1: return "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";
    case 2: return "This command failed because FSOUND_Init was not called";
    case 3: return "Error initializing output device.";
    case 4: return "The output device is already in use and cannot be reused.";
    case 5: return "Playing the sound failed.";
    case 6: return "Soundcard does not support the features needed for this soundsystem (16bit stereo output)";
    case 7: return "Error setting cooperative level for hardware.";
    case 8: return "Error creating hardware sound buffer.";
    case 9: return "File not found";
    case 10: return "Unknown file format";
    case 11: return "Error loading file";
    case 12: return "Not enough memory ";
    case 13: return "The version number of this file format is not supported";
    case 14: return "An invalid parameter was passed to this function";
    case 15: return "Tried to use an EAX command on a non EAX enabled channel or output.";
    case 16: return "Failed to allocate a new channel";
    case 17: return "Recording not supported on this device";
    case 18: return "Required Mediaplayer codec is not installed";
    default: return "Unknown error";
    }
}
