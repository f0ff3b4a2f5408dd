#include "render/vecmath.h"

#include <cmath>

Color4 makeColor4(float x, float y, float z)
{
    Color4 c;
    c.x = x;
    c.y = y;
    c.z = z;
    c.w = 0.0f;  // nobody reads it; zero keeps sanitizers quiet
    return c;
}

float dot(const Vec3& a, const Vec3& b)
{
    return (float)((double)a.x * b.x + (double)a.y * b.y + (double)a.z * b.z);
}

void normalize(Vec3& v)
{
    long double len2 = (long double)v.x * v.x + (long double)v.y * v.y + (long double)v.z * v.z;
    long double s = 1.0L / std::sqrt(len2);
    v.x = (float)(v.x * s);
    v.y = (float)(v.y * s);
    v.z = (float)(v.z * s);
}

void faceNormal(const Vec3& a, const Vec3& b, const Vec3& c, Vec3& out)
{
    double e1x = (double)b.x - a.x, e1y = (double)b.y - a.y, e1z = (double)b.z - a.z;
    double e2x = (double)c.x - a.x, e2y = (double)c.y - a.y, e2z = (double)c.z - a.z;
    out.x = (float)(e1y * e2z - e1z * e2y);
    out.y = (float)(e1z * e2x - e1x * e2z);
    out.z = (float)(e1x * e2y - e1y * e2x);
    normalize(out);
}
