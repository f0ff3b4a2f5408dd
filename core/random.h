// The program's one random generator: every random value in the show comes
// from this sequence, so the number and order of draws fixes every picture.
#pragma once
#include <cstdint>

int rand15();
// Generator state: 1 at start and never reseeded by the program; tests
// rewind it to check sequences from the start.
extern uint32_t rand15State;
// Values drawn so far (for checking draw order in tests).
extern uint64_t rand15Draws;
