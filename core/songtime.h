// Song time arithmetic: positions in patterns (16 beats at songBpm) and in
// milliseconds of the soundtrack. Every conversion in the program goes
// through these, so they all agree on a frame.
#pragma once

// The tempo, set once when the music starts (180 for this show).
extern float songBpm;

// The exact millisecond position of a song time in patterns, evaluated as
// patterns x 16 / bpm x 60000 in that order (so pattern 3 is 16000.0).
double millisAtPatterns(double patterns);
// The first whole millisecond at or after a song time (within 1e-6 ms): a
// frame asked for at an exact pattern (22) then shows that pattern, not
// the last millisecond of the one before. NaN gives 0; the result is
// bounded to the int range. The seek keys truncate instead (music.cpp).
int millisForPatterns(double patterns);
// Song time in patterns of a millisecond position.
double patternsForMillis(double ms);
// The sample of a song time at `rate` samples per second, to the nearest
// sample: a pattern is a whole number of samples at the usual rates (235200
// at 44100 Hz), so loops and steps stay on the beat grid.
long long samplesAtPatterns(double patterns, int rate);
