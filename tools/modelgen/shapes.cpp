// Shape builders: vector helpers, smooth paths with frames, cross-sections,
// and the closed bodies (lofts between two poles, thick plates, tetrahedra).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "modelgen.h"

V3 operator+(V3 a, V3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
double dot(V3 a, V3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(V3 a)
{
    return std::sqrt(dot(a, a));
}
V3 normalize(V3 a)
{
    double l = length(a);
    return l > 0 ? a * (1.0 / l) : V3{0, 0, 0};
}
V3 lerp(V3 a, V3 b, double t)
{
    return a + (b - a) * t;
}

V3 rotateAbout(V3 v, V3 axis, double angle)
{
    V3 k = normalize(axis);
    double c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(k, v) * s + k * (dot(k, v) * (1 - c));
}

// Centripetal Catmull-Rom: no cusps or loops between close control points.
static V3 catmullRom(V3 p0, V3 p1, V3 p2, V3 p3, double t)
{
    auto knot = [](V3 a, V3 b) { return std::sqrt(std::max(length(b - a), 1e-9)); };
    double t0 = 0, t1 = t0 + knot(p0, p1), t2 = t1 + knot(p1, p2), t3 = t2 + knot(p2, p3);
    double u = t1 + (t2 - t1) * t;
    V3 a1 = p0 * ((t1 - u) / (t1 - t0)) + p1 * ((u - t0) / (t1 - t0));
    V3 a2 = p1 * ((t2 - u) / (t2 - t1)) + p2 * ((u - t1) / (t2 - t1));
    V3 a3 = p2 * ((t3 - u) / (t3 - t2)) + p3 * ((u - t2) / (t3 - t2));
    V3 b1 = a1 * ((t2 - u) / (t2 - t0)) + a2 * ((u - t0) / (t2 - t0));
    V3 b2 = a2 * ((t3 - u) / (t3 - t1)) + a3 * ((u - t1) / (t3 - t1));
    return b1 * ((t2 - u) / (t2 - t1)) + b2 * ((u - t1) / (t2 - t1));
}

static std::vector<V3> denseCurve(const std::vector<V3>& ctrl)
{
    std::vector<V3> c;
    c.push_back(ctrl[0] * 2 - ctrl[1]);
    c.insert(c.end(), ctrl.begin(), ctrl.end());
    c.push_back(ctrl.back() * 2 - ctrl[ctrl.size() - 2]);
    std::vector<V3> dense;
    const int steps = 64;
    for (size_t i = 1; i + 2 < c.size(); i++)
        for (int k = 0; k < steps; k++)
            dense.push_back(catmullRom(c[i - 1], c[i], c[i + 1], c[i + 2], double(k) / steps));
    dense.push_back(ctrl.back());
    return dense;
}

std::vector<V3> smoothPath(const std::vector<V3>& ctrl, int count)
{
    std::vector<V3> dense = ctrl.size() == 2 ? std::vector<V3>{ctrl[0], ctrl[1]} : denseCurve(ctrl);
    std::vector<double> arc(dense.size(), 0.0);
    for (size_t i = 1; i < dense.size(); i++)
        arc[i] = arc[i - 1] + length(dense[i] - dense[i - 1]);
    std::vector<V3> out;
    size_t seg = 1;
    for (int k = 0; k < count; k++) {
        double s = arc.back() * k / (count - 1);
        while (seg + 1 < dense.size() && arc[seg] < s)
            seg++;
        double span = arc[seg] - arc[seg - 1];
        double f = span > 0 ? (s - arc[seg - 1]) / span : 0;
        out.push_back(lerp(dense[seg - 1], dense[seg], std::min(std::max(f, 0.0), 1.0)));
    }
    return out;
}

// Up is carried along the path by parallel transport, so a bending path
// does not twist its sections.
std::vector<Frame> framesAlong(const std::vector<V3>& pts, V3 up)
{
    std::vector<Frame> fr(pts.size());
    V3 n = up;
    for (size_t i = 0; i < pts.size(); i++) {
        size_t a = i == 0 ? 0 : i - 1, b = i + 1 < pts.size() ? i + 1 : i;
        V3 t = normalize(pts[b] - pts[a]);
        n = normalize(n - t * dot(n, t));
        fr[i] = {pts[i], t, n, cross(t, n)};
    }
    return fr;
}

Frame frameAt(const std::vector<Frame>& path, double t)
{
    double x = std::min(std::max(t, 0.0), 1.0) * (path.size() - 1);
    size_t i = std::min(size_t(x), path.size() - 2);
    double f = x - i;
    const Frame& a = path[i];
    const Frame& b = path[i + 1];
    V3 tt = normalize(lerp(a.t, b.t, f));
    V3 n = normalize(lerp(a.n, b.n, f));
    n = normalize(n - tt * dot(n, tt));
    return {lerp(a.p, b.p, f), tt, n, cross(tt, n)};
}

std::vector<P2> circleSection(int n)
{
    std::vector<P2> s;
    for (int j = 0; j < n; j++)
        s.push_back({std::cos(2 * M_PI * j / n), std::sin(2 * M_PI * j / n)});
    return s;
}

// Superellipse: power 2 is a circle, larger powers square it off.
std::vector<P2> squareSection(int n, double power)
{
    std::vector<P2> s;
    for (int j = 0; j < n; j++) {
        double a = 2 * M_PI * j / n, c = std::cos(a), d = std::sin(a);
        double r = std::pow(std::pow(std::fabs(c), power) + std::pow(std::fabs(d), power), -1.0 / power);
        s.push_back({c * r, d * r});
    }
    return s;
}

std::vector<P2> lobedSection(int n, int lobes, double depth)
{
    std::vector<P2> s;
    for (int j = 0; j < n; j++) {
        double a = 2 * M_PI * j / n, r = 1 - depth * 0.5 * (1 - std::cos(lobes * a));
        s.push_back({std::cos(a) * r, std::sin(a) * r});
    }
    return s;
}

std::vector<V3> placeRing(const Frame& f, const std::vector<P2>& sec, double ru, double rv, double twist)
{
    std::vector<V3> ring;
    double c = std::cos(twist), s = std::sin(twist);
    for (P2 q : sec) {
        double u = q.u * ru, v = q.v * rv;
        ring.push_back(f.p + f.b * (u * c - v * s) + f.n * (u * s + v * c));
    }
    return ring;
}

double signedVolume(const Body& body)
{
    double vol = 0;
    for (const Tri& t : body.tris)
        vol += dot(body.verts[t[0]], cross(body.verts[t[1]], body.verts[t[2]]));
    return vol / 6;
}

static void orientOutward(Body& body)
{
    if (signedVolume(body) >= 0)
        return;
    for (Tri& t : body.tris)
        std::swap(t[1], t[2]);
}

// Zips two rings of possibly different sizes by the fraction of the way
// round, so every point of both rings is used in order.
static void stitch(std::vector<Tri>& tris, int a0, int na, int b0, int nb)
{
    int i = 0, j = 0;
    while (i < na || j < nb) {
        bool advanceA = j == nb || (i < na && (long)(i + 1) * nb <= (long)(j + 1) * na);
        if (advanceA) {
            tris.push_back({a0 + i, a0 + (i + 1) % na, b0 + j % nb});
            i++;
        } else {
            tris.push_back({a0 + i % na, b0 + (j + 1) % nb, b0 + j});
            j++;
        }
    }
}

Body loft(const std::string& name, V3 pole0, const std::vector<std::vector<V3>>& rings, V3 pole1)
{
    Body b{name, {pole0}, {}};
    std::vector<int> start;
    for (const auto& r : rings) {
        start.push_back(int(b.verts.size()));
        b.verts.insert(b.verts.end(), r.begin(), r.end());
    }
    int last = int(b.verts.size());
    b.verts.push_back(pole1);
    int n0 = int(rings[0].size());
    for (int j = 0; j < n0; j++)
        b.tris.push_back({0, start[0] + (j + 1) % n0, start[0] + j});
    for (size_t k = 0; k + 1 < rings.size(); k++)
        stitch(b.tris, start[k], int(rings[k].size()), start[k + 1], int(rings[k + 1].size()));
    int nl = int(rings.back().size()), sl = start.back();
    for (int j = 0; j < nl; j++)
        b.tris.push_back({sl + j, sl + (j + 1) % nl, last});
    orientOutward(b);
    return b;
}

// A triangulated grid thickened along its normals into a closed slab: top
// and bottom sheets joined by a wall round the grid's border.
Body plate(const std::string& name, const std::vector<std::vector<V3>>& grid,
           const std::vector<std::vector<V3>>& normals, double halfThickness)
{
    int na = int(grid.size()) - 1, nr = int(grid[0].size()) - 1, g = (na + 1) * (nr + 1);
    Body b{name, {}, {}};
    for (int side = 0; side < 2; side++)
        for (int i = 0; i <= na; i++)
            for (int j = 0; j <= nr; j++)
                b.verts.push_back(grid[i][j] + normals[i][j] * (side == 0 ? halfThickness : -halfThickness));
    auto top = [&](int i, int j) { return i * (nr + 1) + j; };
    for (int i = 0; i < na; i++)
        for (int j = 0; j < nr; j++) {
            int a = top(i, j), c = top(i + 1, j), d = top(i + 1, j + 1), e = top(i, j + 1);
            b.tris.push_back({a, c, d});
            b.tris.push_back({a, d, e});
            b.tris.push_back({g + a, g + d, g + c});
            b.tris.push_back({g + a, g + e, g + d});
        }
    std::vector<int> loop;
    for (int i = 0; i < na; i++)
        loop.push_back(top(i, 0));
    for (int j = 0; j < nr; j++)
        loop.push_back(top(na, j));
    for (int i = na; i > 0; i--)
        loop.push_back(top(i, nr));
    for (int j = nr; j > 0; j--)
        loop.push_back(top(0, j));
    for (size_t k = 0; k < loop.size(); k++) {
        int t0 = loop[k], t1 = loop[(k + 1) % loop.size()];
        b.tris.push_back({t1, t0, g + t0});
        b.tris.push_back({t1, g + t0, g + t1});
    }
    orientOutward(b);
    return b;
}

Body tetrahedron(const std::string& name, V3 a, V3 b, V3 c, V3 d)
{
    Body t{name, {a, b, c, d}, {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}}};
    orientOutward(t);
    return t;
}

// Rings sized by the sine of their latitude keep the triangles even; the
// ring counts are nudged until the body has exactly vertexCount vertices.
Body sphereBody(const std::string& name, V3 center, V3 radii, int vertexCount, double lump)
{
    vertexCount = std::max(vertexCount, 5);
    int inner = vertexCount - 2;
    double step = std::sqrt(4 * M_PI / vertexCount);
    int rows = std::max(1, int(std::lround(M_PI / step)) - 1);
    std::vector<int> counts;
    int sum = 0;
    for (int i = 0; i < rows; i++) {
        double th = M_PI * (i + 1) / (rows + 1);
        counts.push_back(std::max(3, int(std::lround(2 * M_PI * std::sin(th) / step))));
        sum += counts.back();
    }
    std::vector<int> order;
    for (int i = 0; i < rows; i++)
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return std::abs(2 * a - rows + 1) < std::abs(2 * b - rows + 1); });
    for (int k = 0; sum != inner && k < 100000; k++) {
        int i = order[k % rows];
        if (sum < inner)
            counts[i]++, sum++;
        else if (counts[i] > 3)
            counts[i]--, sum--;
    }
    auto at = [&](double th, double ph) {
        double r = 1 + lump * std::sin(3 * th) * std::cos(3 * ph + th);
        return V3{center.x + radii.x * r * std::sin(th) * std::cos(ph), center.y - radii.y * r * std::cos(th),
                  center.z + radii.z * r * std::sin(th) * std::sin(ph)};
    };
    std::vector<std::vector<V3>> rings;
    for (int i = 0; i < rows; i++) {
        double th = M_PI * (i + 1) / (rows + 1);
        std::vector<V3> ring;
        for (int j = 0; j < counts[i]; j++)
            ring.push_back(at(th, 2 * M_PI * j / counts[i]));
        rings.push_back(ring);
    }
    return loft(name, at(0, 0), rings, at(M_PI, 0));
}
