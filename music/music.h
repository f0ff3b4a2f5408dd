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
// Length of the song in a file without starting anything; -1 when it can't
// be read or decoded (start-up then says why).
int probeSongMillis(const char* path);

double songTime();
int songMillis();
void seekSong(float patterns);
void stopMusic();

// The stream's end (null buffer) asks the frame loop to quit; any other call
// does nothing. Safe to call from the audio thread.
bool musicCallback(SoundStream* stream, void* buffer, int length, int userValue);
const char* fmodErrorText(int code);
