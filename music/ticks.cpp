#include "music/ticks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/errors.h"
#include "music/music.h"

int recordedTicks[TICK_CAPACITY];
int recordedTickCount = 0;
static bool ticksUnsaved = false;

void recordTick()
{
    if (recordedTickCount >= TICK_CAPACITY)
        return;
    recordedTicks[recordedTickCount] = (int)(songTime() * 64.0);
    recordedTickCount++;
    ticksUnsaved = true;
}

void writeUnsavedTicks()
{
    if (ticksUnsaved && recordedTickCount > 0)
        writeTickFile();
}

// Pattern by arithmetic shift, row as the remainder with the tick's sign.
void writeTickFile()
{
    FILE* file = std::fopen("ticks.inc", "w");
    if (!file) {
        warning("cannot create ticks.inc (%s); the ticks were not saved. Run zant from a folder you can write to.",
                std::strerror(errno));
        return;
    }
    std::fprintf(file, "static int ticktable[]={\n");
    for (int i = 0; i < recordedTickCount; i++)
        std::fprintf(file, " 64*%i + %i,\n", recordedTicks[i] >> 6, recordedTicks[i] % 64);
    std::fprintf(file, "};\n");
    bool written = !std::ferror(file);
    if (std::fclose(file) == 0 && written)
        ticksUnsaved = false;
    else
        logMessage(LOG_WARNING, "could not write all of ticks.inc (%s); the ticks were not saved",
                   std::strerror(errno));
}
