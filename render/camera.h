// Screen-space and perspective set-ups, the scene camera, and the
// projection shift a scene may set for its frame.
#pragma once
#include "render/types.h"

extern float projshiftx;
extern float projshifty;

void setOrtho(int flags);
void setPerspective(float fov, int flags);
void setCamera(const Camera& camera, const Vec3& target, int flags);
