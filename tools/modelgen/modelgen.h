// Shared records of the model generator: bodies as closed triangle meshes in
// design space, the shape builders, the sculpture and the table checks.
#pragma once
#include <array>
#include <string>
#include <vector>

struct V3 {
    double x, y, z;
};
struct P2 {
    double u, v;
};
using Tri = std::array<int, 3>;

// One closed body, its vertex indices local to the body.
struct Body {
    std::string name;
    std::vector<V3> verts;
    std::vector<Tri> tris;
};

// A point on a path with its unit tangent, up and side directions.
struct Frame {
    V3 p, t, n, b;
};

V3 operator+(V3 a, V3 b);
V3 operator-(V3 a, V3 b);
V3 operator*(V3 a, double s);
double dot(V3 a, V3 b);
V3 cross(V3 a, V3 b);
double length(V3 a);
V3 normalize(V3 a);
V3 lerp(V3 a, V3 b, double t);
V3 rotateAbout(V3 v, V3 axis, double angle);

// Paths: a smooth curve through control points, resampled evenly by length.
std::vector<V3> smoothPath(const std::vector<V3>& ctrl, int count);
std::vector<Frame> framesAlong(const std::vector<V3>& pts, V3 up);
Frame frameAt(const std::vector<Frame>& path, double t);

// Cross-sections, unit size, counter-clockwise from +u.
std::vector<P2> circleSection(int n);
std::vector<P2> squareSection(int n, double power);
std::vector<P2> lobedSection(int n, int lobes, double depth);
std::vector<V3> placeRing(const Frame& f, const std::vector<P2>& sec, double ru, double rv, double twist);

// Closed bodies. Each comes out wound outward.
Body loft(const std::string& name, V3 pole0, const std::vector<std::vector<V3>>& rings, V3 pole1);
Body plate(const std::string& name, const std::vector<std::vector<V3>>& grid,
           const std::vector<std::vector<V3>>& normals, double halfThickness);
Body tetrahedron(const std::string& name, V3 a, V3 b, V3 c, V3 d);
Body sphereBody(const std::string& name, V3 center, V3 radii, int vertexCount, double lump);
double signedVolume(const Body& body);

// The sculpture, in design space, body by body.
std::vector<Body> buildSculpture(int totalVertices);

// The finished tables: coordinates in hundredths of a unit.
struct Tables {
    std::vector<std::array<long long, 3>> verts;
    std::vector<Tri> faces;
};

Tables fitToBounds(const std::vector<Body>& bodies);
std::string checkTables(const Tables& t);
std::string formatSource(const Tables& t);
