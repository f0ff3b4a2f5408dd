#include "core/random.h"

uint32_t rand15State = 1;
uint64_t rand15Draws = 0;

int rand15()
{
    rand15State = rand15State * 214013u + 2531011u;
    rand15Draws++;
    return (int)((rand15State >> 16) & 0x7FFF);
}
