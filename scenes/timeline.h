// The show's timeline: which scene and effects make the frame at a song time.
#pragma once
#include "core/types.h"

// Reads the song time once, runs the spectrum analysis and draws that time's
// scene and effects.
void runTimeline();

// Everything the timeline calls goes through this table, so a test can put
// recorders in place of the real clock, analysis, scenes and effects.
struct TimelineOps {
    double (*songTime)();
    void (*analyzeSpectrum)();
    void (*silhouette)(float t);
    void (*cubeSwarm)(float t);
    void (*breakingBoxes)(float t);
    void (*columnHall)(float t, int mode);
    void (*slabTunnel)(float t);
    void (*metalModel)(float t);
    void (*flicker)(float t);
    void (*smear)(Texture* texture, int count, float spread, float direction, int flags);
    void (*mirror)(Texture* texture, float intensity, int flags);
    void (*mosaic)(float intensity, int flags);
    void (*overlay)(const Texture* texture, float intensity, int flags);
};

extern const TimelineOps realTimelineOps;
extern const TimelineOps* timelineOps;  // realTimelineOps unless a test swaps it

// The timeline's rows as people name them: from which pattern each runs,
// its scene and its effects. The timeline draws by this table, and the
// help, the manual and the authors' readout list it.
struct TimelineRow {
    float from;
    const char* scene;
    const char* effects;
};
extern const TimelineRow timelineRows[];
extern const int timelineRowCount;
// The row that draws song time t; the last runs on past the song's end.
int timelineRowIndex(float t);
// The scene drawn at t by the row's name, or in the cycling section the
// scene of that half pattern.
const char* sceneNameAt(float t);

// Half pattern index of the cycling section (44..63 between 22 and 32).
int cycleIndex(float t);
// Intensity of the cycling section's mirror: 0.2..1.0, once per pattern.
float mirrorPulse(float t);

// What the effects at song time t make of the band levels: the smear's
// spread per unit of band 0 (0 where no smear runs) and the number of
// flicker layers added up, each as bright as band 2 makes it.
struct BandUse {
    float smearSpreadPerLevel;
    int flickerLayers;
};
BandUse bandUseAt(float t);
