// The tick recorder: song positions tapped on the beat, kept as rows (1/64
// pattern) and written out as a source table, "ticks.inc".
#pragma once

const int TICK_CAPACITY = 1024;

extern int recordedTicks[TICK_CAPACITY];
extern int recordedTickCount;

// Stores the current row; taps once the table is full are ignored.
void recordTick();
// Writes every tick so far to "ticks.inc" in the working directory; if the
// file can't be made, says so on stderr and carries on.
void writeTickFile();
// At the end of a run however it ends (the song's end, the window closed,
// Ctrl+C): writes "ticks.inc" when a tick was recorded after the last
// successful write, so no tap is lost.
void writeUnsavedTicks();
