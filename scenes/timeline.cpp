// Placeholder until the timeline lands: a cleared frame.
#include "scenes/timeline.h"
#include "render/state.h"
void runTimeline() { applyRenderState(&blackPreset); }
