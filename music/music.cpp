// Placeholder until the sound layer lands.
#include "music/music.h"
static int placeholderMillis = 0;
void setSoundOptions(bool, int) {}
void startMusic(const char*, float) {}
void startMusicOffline(const char*, float) {}
void setSongMillis(int ms) { placeholderMillis = ms; }
int songLengthMillis() { return 202667; }
double songTime() { return placeholderMillis * 180.0 * 1.0416666666666667e-06; }
int songMillis() { return placeholderMillis; }
void seekSong(float patterns) { placeholderMillis = (int)(patterns * 16.0 / 180.0 * 60000.0); }
void stopMusic() {}
