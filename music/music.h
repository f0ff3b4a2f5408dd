// Soundtrack playback and the song clock: everything on screen is a function
// of the play position, counted in patterns (16 beats).
#pragma once

void startMusic(const char* path, float bpm);
double songTime();
int songMillis();
void seekSong(float patterns);
void stopMusic();
