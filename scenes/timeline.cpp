#include "scenes/timeline.h"

#include <cmath>

#include "fx/effects.h"
#include "fx/overlay.h"
#include "music/music.h"
#include "music/spectrum.h"
#include "fx/flicker.h"
#include "scenes/scenes.h"
#include "texture/assets.h"

const TimelineOps realTimelineOps = {
    .songTime = songTime,
    .analyzeSpectrum = analyzeSpectrum,
    .silhouette = drawSilhouetteScene,
    .cubeSwarm = drawCubeSwarmScene,
    .breakingBoxes = drawBreakingBoxesScene,
    .columnHall = drawColumnHallScene,
    .slabTunnel = drawSlabTunnelScene,
    .metalModel = drawMetalModelScene,
    .flicker = drawFlickerOverlay,
    .smear = smearEffect,
    .mirror = mirrorEffect,
    .mosaic = mosaicGlow,
    .overlay = drawOverlay,
};

const TimelineOps* timelineOps = &realTimelineOps;

int cycleIndex(float t)
{
    return (int)(t * 2.0f);
}

float mirrorPulse(float t)
{
    return (float)(0.6 + 0.4 * std::sin(6.283185307179586 * t));
}

// Scene by half pattern, period 4: hall, tunnel, boxes, metal model.
static void drawCycleScene(const TimelineOps& op, float t, int k)
{
    switch (k % 4) {
    case 0: op.columnHall(t, DF_DRAW); break;
    case 1: op.slabTunnel(t); break;
    case 2: op.breakingBoxes(t); break;
    default: op.metalModel(t); break;
    }
}

// Effects by half pattern, period 3, so the pairing repeats every 12 halves.
static void drawCycleEffects(const TimelineOps& op, float t, int k, float bass)
{
    switch (k % 3) {
    case 0:
        op.mosaic(0.5f, DF_ADD | DF_NEAREST);
        op.overlay(gridtex, 1.0f, DF_DARKEN);
        op.flicker(t);
        break;
    case 1:
        op.mirror(screentex, mirrorPulse(t), DF_ADD);
        op.flicker(t);
        op.flicker(t);
        break;
    default:
        op.smear(screentex, 5, bass, t, 0);
        op.flicker(t);
        break;
    }
}

// The rows in song order. A row runs from its pattern up to the next row's;
// the last runs on to the end of the song (and past it in a longer one).
const TimelineRow timelineRows[] = {
    {0.0f, "silhouette", "smear (the intro)"},
    {6.0f, "cube swarm", "smear, flicker"},
    {10.0f, "breaking boxes", "mosaic, grid, flicker"},
    {12.0f, "column hall", "mirror, flicker"},
    {14.0f, "slab tunnel", "flicker"},
    {16.0f, "cube swarm", "mosaic, grid, flicker"},
    {17.0f, "column hall", "added mirror, flicker"},
    {18.0f, "metal model", "mosaic, flicker"},
    {20.0f, "column hall", "smear, flicker"},
    {21.0f, "cube swarm", "mirror, flicker"},
    {22.0f, "cycle", "hall, tunnel, boxes, model by half pattern; mosaic, mirror, smear in turn"},
    {32.0f, "silhouette", "smear, flicker"},
    {36.0f, "silhouette", "smear (the outro)"},
};
const int timelineRowCount = (int)(sizeof timelineRows / sizeof timelineRows[0]);

// `t < from` as the rows were always tested, so a NaN time lands on the
// last row.
int timelineRowIndex(float t)
{
    int i = 0;
    while (i + 1 < timelineRowCount && !(t < timelineRows[i + 1].from))
        i++;
    return i;
}

static const int cycleRow = 10;  // patterns 22 to 32
static const char* const cycleSceneNames[4] = {"column hall", "slab tunnel", "breaking boxes", "metal model"};

const char* sceneNameAt(float t)
{
    int row = timelineRowIndex(t);
    return row == cycleRow ? cycleSceneNames[cycleIndex(t) % 4] : timelineRows[row].scene;
}

// Patterns 6 to 22: one row every one or two patterns.
static void drawMiddleRow(const TimelineOps& op, float t, float bass, int row)
{
    switch (row) {
    case 1:
        op.cubeSwarm(t);
        op.smear(screentex, 5, bass + bass, t, 0);
        op.flicker(t);
        break;
    case 2:
        op.breakingBoxes(t);
        op.mosaic(0.5f, DF_ADD | DF_NEAREST);
        op.flicker(t);
        op.overlay(gridtex, 1.0f, DF_DARKEN);
        break;
    case 3:
        op.columnHall(t, DF_DRAW);
        op.mirror(screentex, 1.0f, 0);
        op.flicker(t);
        break;
    case 4:
        op.slabTunnel(t);
        op.flicker(t);
        break;
    case 5:
        op.cubeSwarm(t);
        op.mosaic(0.25f, DF_ADD);
        op.overlay(gridtex, 1.0f, DF_DARKEN);
        op.flicker(t);
        break;
    case 6:
        op.columnHall(t, DF_DRAW);
        op.mirror(screentex, 0.25f, DF_ADD);
        op.flicker(t);
        break;
    case 7:
        op.metalModel(t);
        op.mosaic(0.5f, DF_ADD);
        op.flicker(t);
        break;
    case 8:
        op.columnHall(t, DF_DRAW);
        op.smear(screentex, 5, bass, t, 0);
        op.flicker(t);
        break;
    default:
        op.cubeSwarm(t);
        op.mirror(screentex, 1.0f, 0);
        op.flicker(t);
        break;
    }
}

static void drawRow(const TimelineOps& op, float t, float bass)
{
    int row = timelineRowIndex(t);
    if (row == 0) {
        op.silhouette(t);
        op.smear(screentex, 5, bass + bass, t, 0);
    } else if (row < cycleRow) {
        drawMiddleRow(op, t, bass, row);
    } else if (row == cycleRow) {
        int k = cycleIndex(t);
        drawCycleScene(op, t, k);
        drawCycleEffects(op, t, k, bass);
    } else if (row == cycleRow + 1) {
        op.silhouette(t);
        op.smear(screentex, 5, bass, t, 0);
        op.flicker(t);
    } else {
        // The song's last change; a longer song keeps this row on screen.
        op.silhouette(t);
        op.smear(screentex, 5, bass, t, 0);
    }
}

void runTimeline()
{
    const TimelineOps& op = *timelineOps;
    float t = (float)op.songTime();
    op.analyzeSpectrum();
    drawRow(op, t, bandEnergy[0]);
}

// The row is run with recorders in place of every scene and effect, and a
// band 0 level of 1, so the answer follows the table above.
static BandUse probed;

static void probeScene(float)
{
}
static void probeHall(float, int)
{
}
static void probeFlicker(float)
{
    probed.flickerLayers++;
}
static void probeSmear(Texture*, int, float spread, float, int)
{
    if (spread > probed.smearSpreadPerLevel)
        probed.smearSpreadPerLevel = spread;
}
static void probeMirror(Texture*, float, int)
{
}
static void probeMosaic(float, int)
{
}
static void probeOverlay(const Texture*, float, int)
{
}

BandUse bandUseAt(float t)
{
    // No clock and no analysis: drawRow needs neither.
    static const TimelineOps probe = {
        .songTime = nullptr,
        .analyzeSpectrum = nullptr,
        .silhouette = probeScene,
        .cubeSwarm = probeScene,
        .breakingBoxes = probeScene,
        .columnHall = probeHall,
        .slabTunnel = probeScene,
        .metalModel = probeScene,
        .flicker = probeFlicker,
        .smear = probeSmear,
        .mirror = probeMirror,
        .mosaic = probeMosaic,
        .overlay = probeOverlay,
    };
    probed = BandUse{0.0f, 0};
    drawRow(probe, t, 1.0f);
    return probed;
}
