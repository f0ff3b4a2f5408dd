// The per-frame GL baseline every scene starts from, temporary state
// save/restore, fog, and the per-frame counters the status overlay shows.
#pragma once
#include "core/types.h"

extern const RenderState blackPreset;
extern int letterboxClears;  // applyRenderState calls since the music started
extern int vertexcount;      // drawn this frame
extern int polygoncount;

void applyRenderState(const RenderState* preset);
void pushState();
void popState();
void setFog(const Color4& color, float start, float end);
