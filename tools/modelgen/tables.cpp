// From bodies to the program's tables: the fit into the model's bounds, the
// checks every table must pass, and the C++ source that carries them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <unordered_map>

#include "modelgen.h"

namespace {

const int wantVertices = 6691;
const int wantFaces = 13046;
const int wantBodies = 84;
const long long boxLo[3] = {-11715, -6185, -7090};
const long long boxHi[3] = {6180, 7330, 8064};
const double wantMean[3] = {-31.32, 3.84, 4.64};

double axis(V3 p, int k)
{
    return k == 0 ? p.x : k == 1 ? p.y : p.z;
}

// Maps one axis onto [lo, hi] exactly, with a gentle quadratic bend that
// moves the vertex mean onto its target without moving the ends.
void fitAxis(std::vector<V3>& pts, int k, std::vector<std::array<long long, 3>>& out)
{
    double mn = 1e300, mx = -1e300;
    for (V3 p : pts)
        mn = std::min(mn, axis(p, k)), mx = std::max(mx, axis(p, k));
    double lo = boxLo[k] / 100.0, hi = boxHi[k] / 100.0;
    double mu = 0, q = 0;
    for (V3 p : pts) {
        double u = (axis(p, k) - mn) / (mx - mn);
        mu += u, q += u * (1 - u);
    }
    mu /= pts.size(), q /= pts.size();
    double target = (wantMean[k] - lo) / (hi - lo);
    double bend = (target - mu) / q;
    std::fprintf(stderr, "axis %c: design %.2f..%.2f, scale %.3f, bend %.3f\n", "xyz"[k], mn, mx, (hi - lo) / (mx - mn),
                 bend);
    for (size_t i = 0; i < pts.size(); i++) {
        double u = (axis(pts[i], k) - mn) / (mx - mn);
        double g = u + bend * u * (1 - u);
        out[i][k] = std::llround((lo + (hi - lo) * g) * 100);
    }
}

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

std::string fail(const char* fmt, long long a = 0, long long b = 0, long long c = 0)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

std::string checkFaces(const Tables& t)
{
    long long n = t.verts.size();
    std::vector<char> used(n, 0);
    std::unordered_map<long long, int> edges;
    for (size_t f = 0; f < t.faces.size(); f++) {
        const Tri& tri = t.faces[f];
        for (int k = 0; k < 3; k++) {
            if (tri[k] < 0 || tri[k] >= n)
                return fail("triangle %lld: index %lld out of range", f, tri[k]);
            used[tri[k]] = 1;
        }
        if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2])
            return fail("triangle %lld repeats a vertex", f);
        const auto &a = t.verts[tri[0]], &b = t.verts[tri[1]], &c = t.verts[tri[2]];
        long long e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, g[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        if (e[1] * g[2] - e[2] * g[1] == 0 && e[2] * g[0] - e[0] * g[2] == 0 && e[0] * g[1] - e[1] * g[0] == 0)
            return fail("triangle %lld has zero area", f);
        for (int k = 0; k < 3; k++)
            edges[tri[k] * n + tri[(k + 1) % 3]]++;
    }
    for (long long i = 0; i < n; i++)
        if (!used[i])
            return fail("vertex %lld is not used by any triangle", i);
    for (const auto& [key, count] : edges) {
        if (count != 1)
            return fail("edge %lld->%lld is run along %lld times", key / n, key % n, count);
        auto rev = edges.find((key % n) * n + key / n);
        if (rev == edges.end())
            return fail("edge %lld->%lld has no reverse", key / n, key % n);
    }
    return "";
}

long long volume6(const Tables& t, const Tri& tri)
{
    const auto &a = t.verts[tri[0]], &b = t.verts[tri[1]], &c = t.verts[tri[2]];
    return a[0] * (b[1] * c[2] - b[2] * c[1]) + a[1] * (b[2] * c[0] - b[0] * c[2]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
}

std::string checkBodies(const Tables& t)
{
    int n = int(t.verts.size());
    std::vector<int> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    for (const Tri& tri : t.faces)
        for (int k = 1; k < 3; k++)
            parent[findRoot(parent, tri[k])] = findRoot(parent, tri[0]);
    struct Count {
        long long v = 0, f = 0, vol = 0;
    };
    std::map<int, Count> bodies;
    for (int i = 0; i < n; i++)
        bodies[findRoot(parent, i)].v++;
    for (const Tri& tri : t.faces) {
        Count& c = bodies[findRoot(parent, tri[0])];
        c.f++;
        c.vol += volume6(t, tri);
    }
    if (bodies.size() != wantBodies)
        return fail("%lld bodies, want %lld", bodies.size(), wantBodies);
    for (const auto& [root, c] : bodies) {
        if (c.v < 4 || c.v > 194)
            return fail("body at vertex %lld has %lld vertices (4..194)", root, c.v);
        if (c.v - c.f * 3 / 2 + c.f != 2)
            return fail("body at vertex %lld is not a closed sphere", root);
        if (c.vol <= 0)
            return fail("body at vertex %lld is wound inward", root);
    }
    return "";
}

std::string checkPlacement(const Tables& t)
{
    for (int k = 0; k < 3; k++) {
        long long mn = t.verts[0][k], mx = mn;
        double sum = 0;
        for (const auto& v : t.verts)
            mn = std::min(mn, v[k]), mx = std::max(mx, v[k]), sum += v[k];
        if (mn != boxLo[k] || mx != boxHi[k])
            return fail("axis %lld spans %lld..%lld hundredths", k, mn, mx);
        double mean = sum / t.verts.size() / 100;
        if (std::fabs(mean - wantMean[k]) > 0.5)
            return fail("axis %lld mean off by %lld hundredths", k, std::llround((mean - wantMean[k]) * 100));
    }
    return "";
}

void printCoord(std::string& s, long long h)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lldf", h < 0 ? "-" : "", std::llabs(h) / 100, std::llabs(h) % 100);
    s += buf;
}

}  // namespace

Tables fitToBounds(const std::vector<Body>& bodies)
{
    std::vector<V3> pts;
    Tables t;
    for (const Body& b : bodies) {
        int base = int(pts.size());
        pts.insert(pts.end(), b.verts.begin(), b.verts.end());
        for (Tri tri : b.tris)
            t.faces.push_back({base + tri[0], base + tri[1], base + tri[2]});
    }
    t.verts.resize(pts.size());
    for (int k = 0; k < 3; k++)
        fitAxis(pts, k, t.verts);
    return t;
}

std::string checkTables(const Tables& t)
{
    if (t.verts.size() != wantVertices)
        return fail("%lld vertices, want %lld", t.verts.size(), wantVertices);
    if (t.faces.size() != wantFaces)
        return fail("%lld triangles, want %lld", t.faces.size(), wantFaces);
    std::string err = checkFaces(t);
    if (err.empty())
        err = checkBodies(t);
    if (err.empty())
        err = checkPlacement(t);
    return err;
}

std::string formatSource(const Tables& t)
{
    std::string s = "// Generated by tools/modelgen: the sculpture's vertex and triangle tables.\n"
                    "// Do not edit by hand; run modelgen to rebuild it.\n"
                    "#include \"mesh/model_data.h\"\n\n";
    s += "const int modelVertexCount = " + std::to_string(t.verts.size()) + ";\n";
    s += "const int modelFaceCount = " + std::to_string(t.faces.size()) + ";\n\n";
    s += "const float modelVertices[][4] = {\n";
    for (size_t i = 0; i < t.verts.size(); i++) {
        s += i % 4 == 0 ? "    {" : " {";
        for (int k = 0; k < 3; k++)
            printCoord(s, t.verts[i][k]), s += ", ";
        s += "0},";
        if (i % 4 == 3 || i + 1 == t.verts.size())
            s += "\n";
    }
    s += "};\n\nconst int modelFaces[][3] = {\n";
    for (size_t i = 0; i < t.faces.size(); i++) {
        const Tri& f = t.faces[i];
        s += i % 6 == 0 ? "    {" : " {";
        s += std::to_string(f[0]) + ", " + std::to_string(f[1]) + ", " + std::to_string(f[2]) + "},";
        if (i % 6 == 5 || i + 1 == t.faces.size())
            s += "\n";
    }
    s += "};\n";
    return s;
}
