// Logs on stderr for scripts that drive the show, each switched on by its
// own environment variable (read once).
#pragma once

// ZANT_LOG_SEEKS=1: every seek, pause, step and loop change.
bool logSeeks();
// ZANT_LOG_CLOCK=1: the song clock of every frame drawn.
bool logClock();
