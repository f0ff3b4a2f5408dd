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

static SoundStream* musicStream = nullptr;
static int musicChannel = -1;
// The whole file, read once and handed to the sound layer, which streams
// from it for as long as the song plays.
static char* musicImage = nullptr;

static bool soundOff = false;
static int audioOffset = 0;

void setSoundOptions(bool nosound, int audioOffsetMs)
{
    soundOff = nosound;
    audioOffset = audioOffsetMs;
}

// The sound layer is closed first, as for every start-up failure here.
[[noreturn]] static void musicFailure(const char* format, const char* path, const char* detail = "")
{
    soundClose();
    char message[1024];
    std::snprintf(message, sizeof message, format, path, detail);
    fatalError(message);
}

// Returns the size; every way of not getting the bytes is fatal.
static long readMusicFile(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        musicFailure("%s not found", path);
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::free(musicImage);
    musicImage = size > 0 && size < 0x7fffffff ? (char*)std::malloc((size_t)size) : nullptr;
    bool read = musicImage && std::fread(musicImage, 1, (size_t)size, file) == (size_t)size;
    std::fclose(file);
    if (size == 0)
        musicFailure("%s is empty: it holds no MP3 audio", path);
    if (!read)
        musicFailure("%s could not be read", path);
    return size;
}

static void startWith(const char* path, float bpm, SoundOutput output)
{
    songBpm = bpm;
    if (!soundInit(output, 44100)) {
        int error = soundGetError();
        soundClose();
        fatalError(fmodErrorText(error));
    }
    soundSetClockOffset(output == SOUND_OUTPUT_OFFLINE ? 0 : audioOffset);
    long size = readMusicFile(path);
    musicStream = soundStreamOpen(musicImage, (int)size);
    // A file that is not MPEG audio would otherwise give a silent show that
    // never ends.
    if (!musicStream)
        musicFailure("%s is not a playable MP3 file (%s)", path, fmodErrorText(soundGetError()));
    soundStreamSetEndCallback(musicStream, musicCallback, 0);
    soundSetSpectrumActive(true);
    if (musicChannel < 0) {
        soundStreamPlay(musicStream, true);
        musicChannel = 0;
        soundStreamSetPaused(musicStream, false);
    }
    analyzeSpectrum();
}

void startMusic(const char* path, float bpm)
{
    startWith(path, bpm, soundOff ? SOUND_OUTPUT_SILENT : SOUND_OUTPUT_DEVICE);
}

void startMusicOffline(const char* path, float bpm)
{
    startWith(path, bpm, SOUND_OUTPUT_OFFLINE);
}

double songTime()
{
    return patternsForMillis(soundStreamGetTime(musicStream));
}

int songMillis()
{
    return soundStreamGetTime(musicStream);
}

void seekSong(float patterns)
{
    // Truncated, as the seek keys always have: after a seek to pattern 2 the
    // clock reads just below 2.0.
    int ms = truncToInt(millisAtPatterns(patterns));
    soundStreamSetTime(musicStream, ms);
}

void setSongMillis(int ms)
{
    soundStreamSetTime(musicStream, ms);
}

int songLengthMillis()
{
    return soundStreamGetLengthMs(musicStream);
}

int probeSongMillis(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return -1;
    std::vector<unsigned char> bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    Mp3OpenResult result;
    Mp3Decoder* decoder = bytes.empty() ? nullptr : mp3Open(bytes.data(), bytes.size(), &result);
    if (!decoder)
        return -1;
    Mp3Info info = mp3Info(decoder);
    mp3Close(decoder);
    return (int)(info.lengthSamples * 1000 / info.rate);
}

void stopMusic()
{
    soundStreamClose(musicStream);
    soundClose();
    musicStream = nullptr;
    musicChannel = -1;
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
