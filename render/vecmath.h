// Small vector helpers for the mesh compiler and the fin particles.
#pragma once
#include "core/types.h"

Color4 makeColor4(float x, float y, float z);
float dot(const Vec3& a, const Vec3& b);
void normalize(Vec3& v);
void faceNormal(const Vec3& a, const Vec3& b, const Vec3& c, Vec3& out);
