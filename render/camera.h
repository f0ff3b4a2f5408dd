// Screen-space and perspective set-ups, the scene camera, and the
// projection shift a scene may set for its frame.
#pragma once
#include "core/types.h"

extern float projshiftx;
extern float projshifty;

void setOrtho(int flags);
void setPerspective(float fov, int flags);
void setCamera(const Camera& camera, const Vec3& target, int flags);

// The camera readout the status overlay prints. Only yrot ever moves (the
// arrow keys); nothing draws with them.
extern float xpos, ypos, zpos, xrot, yrot;
