// Placeholder until the sound layer lands.
#include "music/music.h"
void startMusic(const char*, float) {}
double songTime() { return 0.0; }
int songMillis() { return 0; }
void seekSong(float) {}
void stopMusic() {}
