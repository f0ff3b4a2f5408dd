// Usage: scenetable SONG.mp3 > section.scd
// Prints the manual's THE SHOW section in scdoc markup: the song's length and
// one entry per timeline row with its pattern range, scene and effects.
#include <cstdio>

#include "app/options.h"
#include "music/music.h"
#include "scenes/timeline.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scenetable SONG.mp3\n");
        return 2;
    }
    std::string length = songLengthText(probeSongMillis(argv[1]));
    if (length.empty()) {
        std::fprintf(stderr, "scenetable: cannot read the length of %s\n", argv[1]);
        return 1;
    }
    std::printf("# THE SHOW\n\n");
    std::printf("The default soundtrack lasts %s. Every song time the options and keys\n"
                "take is counted in patterns of 16 beats at 180 beats per minute; the band\n"
                "meter (*b*) shows the scene, pattern:row (16 rows a pattern), seconds and\n"
                "frame number of the moment on screen. Scenes by pattern:\n\n",
                length.c_str());
    for (int i = 0; i < timelineRowCount; i++) {
        const TimelineRow& row = timelineRows[i];
        if (i + 1 < timelineRowCount)
            std::printf("*%g-%g*\n", row.from, timelineRows[i + 1].from);
        else
            std::printf("*%g* to the end\n", row.from);
        std::printf("\t%s: %s\n\n", row.scene, row.effects);
    }
    return 0;
}
