// Soundtrack playback and the song clock: everything on screen is a function
// of the play position, counted in patterns (16 beats).
#pragma once

#include "core/songtime.h"

struct SoundStream;

// Set before startMusic: no audio device (silent, clock runs on a monotonic
// timer), and the offset in ms the clock runs behind the sound.
void setSoundOptions(bool nosound, int audioOffsetMs);

void startMusic(const char* path, float bpm);
// Device-free start for stills and video: the clock stands still at the
// position set with seekSong/setSongMillis, and the spectrum is computed
// from the decoded stream at that position.
void startMusicOffline(const char* path, float bpm);
void setSongMillis(int ms);
// Length of the decoded song in milliseconds (after startMusic*).
int songLengthMillis();

double songTime();
int songMillis();
void seekSong(float patterns);
// Warns when the sound device ran dry while the song played.
void stopMusic();
// Times the sound device ran dry since the song started (a gap heard).
int soundGapCount();

// Samples per second of the song clock's output.
const int SONG_RATE = 44100;

// Pausing stops the sound and the clock together; resuming goes on from the
// same sample.
void setSongPaused(bool paused);
bool songPaused();
// The sample the listener hears now (before the audio offset).
long long songSample();
// Seeks to the exact sample (seekSong lands on whole milliseconds).
void seekSongSample(long long sample);
// Moves the clock by a song-time distance, to the exact sample (a sixtieth
// of a second is 735), kept inside the song; negative goes back.
void stepSong(double patterns);

// A range of the song played round and round, in patterns; reaching its end
// goes on from its start without a gap, so the beat keeps time. The range
// stays when the loop is switched off.
struct SongLoop {
    bool on = false;
    double start = 0.0;
    double end = 0.0;  // 0 until a range is set
};
void setSongLoop(bool on, double startPattern, double endPattern);
SongLoop songLoop();
// Length of the playing song in patterns.
double songLengthPatterns();
// Length in ms of the MP3 file at path, without playing it; -1 when it
// cannot be read or holds no MPEG audio.
int probeSongMillis(const char* path);
// Reads the soundtrack again and plays it on from the same position, paused
// or looping as before. A file that can't be played leaves the old one
// playing, with a warning; returns false then.
bool reloadMusic(const char* path);

// The stream's end (null buffer) asks the frame loop to quit; any other call
// does nothing. Safe to call from the audio thread.
bool musicCallback(SoundStream* stream, void* buffer, int length, int userValue);
const char* fmodErrorText(int code);
// The table's text for a problem the sound layer reports.
enum SoundProblem : int;
const char* soundProblemText(SoundProblem problem);
