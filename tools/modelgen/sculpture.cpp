// The sculpture: a bone dragon in flight, head towards +x, wings raised in
// a V, legs hanging, tail sweeping back. Its neck and shoulders pass near
// the origin, so a camera circling the origin flies between wings and ribs.
#include <cmath>
#include <functional>

#include "modelgen.h"

namespace {

const V3 up{0, 1, 0};

// Piecewise-linear lookup in (t, value) keys sorted by t.
double keyed(const std::vector<P2>& keys, double t)
{
    if (t <= keys.front().u)
        return keys.front().v;
    for (size_t i = 1; i < keys.size(); i++)
        if (t <= keys[i].u)
            return keys[i - 1].v + (keys[i].v - keys[i - 1].v) * (t - keys[i - 1].u) / (keys[i].u - keys[i - 1].u);
    return keys.back().v;
}

Frame shifted(Frame f, double along)
{
    f.p = f.p + f.t * along;
    return f;
}

// A frame on a straight axis, with `hint` as the preferred up direction.
Frame axisFrame(V3 p, V3 dir, V3 hint)
{
    V3 t = normalize(dir);
    V3 n = normalize(hint - t * dot(hint, t));
    return {p, t, n, cross(t, n)};
}

struct Sweep {
    std::vector<P2> section;
    std::function<P2(double)> radius;  // (across, up) half-sizes at t in 0..1
    double twist = 0;                  // radians from start to end
    double cap0 = 0, cap1 = 0;         // how far the poles stand beyond the ends
};

Body sweep(const std::string& name, const std::vector<V3>& pts, V3 hint, const Sweep& s)
{
    std::vector<Frame> fr = framesAlong(pts, hint);
    std::vector<std::vector<V3>> rings;
    for (size_t i = 0; i < fr.size(); i++) {
        double t = double(i) / (fr.size() - 1);
        P2 r = s.radius(t);
        rings.push_back(placeRing(fr[i], s.section, r.u, r.v, s.twist * t));
    }
    return loft(name, fr.front().p - fr.front().t * s.cap0, rings, fr.back().p + fr.back().t * s.cap1);
}

// A bone: a straight shaft from a to b, swelling into knobs at both ends.
Body bone(const std::string& name, V3 a, V3 b, double r0, double r1, int sides, int rings)
{
    Sweep s;
    s.section = circleSection(sides);
    s.radius = [=](double t) {
        double r = (r0 + (r1 - r0) * t) * (1 + 0.45 * std::pow(std::cos(M_PI * t), 6));
        return P2{r, r};
    };
    s.cap0 = r0 * 0.9;
    s.cap1 = r1 * 0.9;
    return sweep(name, smoothPath({a, b}, rings), up, s);
}

// A curved horn or claw: a ridged section tapering to a point.
Body horn(const std::string& name, const std::vector<V3>& ctrl, double r0, int rings, int lobes, double twist)
{
    Sweep s;
    s.section = lobes ? lobedSection(lobes * 2, lobes, 0.3) : circleSection(8);
    s.radius = [=](double t) {
        double r = r0 * std::pow(1 - 0.87 * t, 0.9);
        return P2{r, r};
    };
    s.twist = twist;
    s.cap0 = r0 * 0.5;
    s.cap1 = r0 * 0.35;
    return sweep(name, smoothPath(ctrl, rings), up, s);
}

// ---- Spine ----------------------------------------------------------------

const int vertebraCount = 24;
const int thoraxFirst = 5, thoraxLast = 12, spikeLast = 12;

std::vector<Frame> spinePath()
{
    std::vector<V3> ctrl = {{36, 22, 0},   {27, 25, 1},   {17, 22, 2},    {7, 16, 1},      {-3, 11, -1},
                            {-14, 9, -2},  {-28, 7, -1},  {-41, 5, 1},    {-53, 0, 4},     {-64, -8, 6},
                            {-75, -17, 6}, {-87, -23, 3}, {-98, -21, -2}, {-106, -13, -6}, {-110, -2, -8}};
    return framesAlong(smoothPath(ctrl, 400), up);
}

// Where vertebra k sits along the spine (0 at the skull, 1 at the tail tip),
// and how far it is from its neighbours: the neck is long and sparse.
double vertebraT(int k)
{
    if (k < thoraxFirst)
        return 0.025 + 0.052 * k;
    if (k <= thoraxLast)
        return 0.29 + 0.04 * (k - thoraxFirst);
    return 0.61 + 0.038 * (k - thoraxLast - 1);
}

double vertebraGap(int k)
{
    return k < thoraxFirst ? 0.052 : k <= thoraxLast ? 0.04 : 0.038;
}

double vertebraRadius(int k)
{
    if (k < thoraxFirst)
        return 3.0 + 0.15 * k;
    if (k <= thoraxLast)
        return 4.0;
    return 4.0 - 2.4 * (k - thoraxLast) / double(vertebraCount - thoraxLast);
}

// Ribcage depth for thorax vertebra i (0..7): deepest behind the shoulders.
double cageRadius(int i)
{
    return 8 + 14 * std::sin(M_PI * (i + 1.2) / 9.4);
}

double spineLength(const std::vector<Frame>& spine)
{
    double len = 0;
    for (size_t i = 1; i < spine.size(); i++)
        len += length(spine[i].p - spine[i - 1].p);
    return len;
}

Body vertebra(const std::vector<Frame>& spine, int k)
{
    Frame f = frameAt(spine, vertebraT(k));
    double r = vertebraRadius(k), half = 0.36 * vertebraGap(k) * spineLength(spine);
    std::vector<P2> sec;
    std::vector<double> scale;
    if (k < thoraxFirst) {
        sec = circleSection(8);
        scale = {0.8, 1.05, 0.75, 0.7, 0.75, 1.05, 0.8};
    } else if (k <= thoraxLast) {
        sec = lobedSection(12, 4, 0.35);
        scale = {0.75, 1.0, 1.05, 0.7, 1.05, 1.0, 0.75};
    } else {
        sec = circleSection(10);
        scale = {0.8, 1.0, 0.75, 0.65, 0.75, 1.0, 0.8};
    }
    std::vector<std::vector<V3>> rings;
    for (size_t i = 0; i < scale.size(); i++) {
        double along = -half + 2 * half * i / (scale.size() - 1);
        double twist = k < thoraxFirst ? 0.4 * double(i) / scale.size() + 0.2 * k : M_PI / 4;
        rings.push_back(placeRing(shifted(f, along), sec, r * scale[i], r * scale[i], twist));
    }
    return loft("vertebra", f.p - f.t * (half + 0.3 * r), rings, f.p + f.t * (half + 0.3 * r));
}

// Dorsal spikes: twisted square blades leaning back along the spine.
Body spike(const std::vector<Frame>& spine, int k)
{
    Frame f = frameAt(spine, vertebraT(k));
    double r = vertebraRadius(k);
    double len = 7 + 12 * std::sin(M_PI * (k - thoraxFirst + 1.0) / (spikeLast - thoraxFirst + 2.0));
    V3 dir = normalize(f.n - f.t * 0.6);
    V3 base = f.p + f.n * (r * 0.6);
    const int rings = 8;
    std::vector<std::vector<V3>> rs;
    for (int j = 0; j < rings; j++) {
        double t = double(j) / rings;
        Frame g = axisFrame(base + dir * (len * t), dir, f.t);
        double h = 2.4 * std::pow(1 - t, 0.8) + 0.2;
        rs.push_back(placeRing(g, circleSection(4), h * 0.55, h, 1.8 * t));
    }
    return loft("spike", base - dir * 0.5, rs, base + dir * len);
}

// A rib curls from the spine down round the chest and sweeps back.
Body rib(const std::vector<Frame>& spine, int k, int side)
{
    Frame f = frameAt(spine, vertebraT(k));
    double rc = cageRadius(k - thoraxFirst);
    std::vector<V3> pts;
    const int rings = 18;
    for (int j = 0; j < rings; j++) {
        double ph = M_PI * (0.12 + 0.72 * j / (rings - 1));
        pts.push_back(f.p + f.b * (side * rc * std::sin(ph) * 1.05) + f.n * (rc * (std::cos(ph) - 1) * 0.92) -
                      f.t * (rc * 0.45 * (1 - std::cos(ph))));
    }
    Sweep s;
    s.section = circleSection(6);
    s.radius = [](double t) { return P2{0.75 * (1 - 0.5 * t), 1.5 * (1 - 0.55 * t)}; };
    s.cap0 = 0.8;
    s.cap1 = 0.6;
    return sweep("rib", pts, f.t, s);
}

// ---- Head -------------------------------------------------------------------

std::vector<Frame> skullPath()
{
    return framesAlong(smoothPath({{33, 24, 0}, {46, 22.5, 0}, {62, 15.5, 0}}, 64), up);
}

double skullWidth(double t)
{
    return keyed({{0, 5.5}, {0.12, 8.5}, {0.3, 8}, {0.45, 6.5}, {0.6, 4.5}, {0.8, 3.2}, {1, 2}}, t);
}
double skullHeight(double t)
{
    return keyed({{0, 6.5}, {0.12, 8}, {0.3, 7}, {0.45, 5.5}, {0.6, 4}, {0.8, 3}, {1, 1.6}}, t);
}

Body skull(const std::vector<Frame>& path)
{
    const int rings = 16;
    std::vector<P2> sec = squareSection(12, 2.6);
    std::vector<std::vector<V3>> rs;
    for (int i = 0; i < rings; i++) {
        double t = (i + 0.5) / rings;
        Frame f = frameAt(path, t);
        std::vector<V3> ring = placeRing(f, sec, skullWidth(t), skullHeight(t), 0);
        double crest = 2.2 * std::sin(M_PI * std::min(t * 1.6, 1.0));
        ring[3] = ring[3] + f.n * crest;
        ring[2] = ring[2] + f.n * (crest * 0.4);
        ring[4] = ring[4] + f.n * (crest * 0.4);
        rs.push_back(ring);
    }
    Frame a = frameAt(path, 0), b = frameAt(path, 1);
    return loft("skull", a.p - a.t * 3.5, rs, b.p + b.t * 1.2);
}

std::vector<V3> jawCurve()
{
    return smoothPath(
        {{36, 14, -6.5}, {46, 9.5, -5.5}, {55, 6, -3}, {59.5, 5.5, 0}, {55, 6, 3}, {46, 9.5, 5.5}, {36, 14, 6.5}}, 22);
}

Body jaw()
{
    Sweep s;
    s.section = circleSection(6);
    s.radius = [](double t) {
        double r = 1.3 + 0.6 * std::sin(M_PI * t);
        return P2{r, r * 1.3};
    };
    s.cap0 = s.cap1 = 1.2;
    return sweep("jaw", jawCurve(), up, s);
}

Body tooth(V3 base, V3 tip, V3 across)
{
    V3 fwd = normalize(cross(across, tip - base));
    return tetrahedron("tooth", base + across * 0.9, base - across * 0.6 + fwd * 0.8, base - across * 0.6 - fwd * 0.8,
                       tip);
}

void addHead(std::vector<Body>& out)
{
    std::vector<Frame> path = skullPath();
    out.push_back(skull(path));
    out.push_back(jaw());
    std::vector<V3> jc = jawCurve();
    for (int side = -1; side <= 1; side += 2) {
        Frame h = frameAt(path, 0.14);
        V3 base = h.p + h.n * (skullHeight(0.14) * 0.8) + h.b * (side * skullWidth(0.14) * 0.45);
        std::vector<V3> ctrl = {base, base + V3{-7, 8, side * 5.0}, base + V3{-17, 12, side * 10.0},
                                base + V3{-27, 9, side * 15.0}, base + V3{-33, 1, side * 17.0}};
        out.push_back(horn("horn", ctrl, 2.7, 10, 5, 2.5 * side));
        Frame e = frameAt(path, 0.42);
        out.push_back(sphereBody("eye", e.p + e.b * (side * skullWidth(0.42) * 0.82) + e.n * (skullHeight(0.42) * 0.3),
                                 {2.2, 2.2, 2.2}, 54, 0));
        for (double t : {0.62, 0.82}) {
            Frame f = frameAt(path, t);
            V3 base2 = f.p + f.b * (side * skullWidth(t) * 0.62) - f.n * (skullHeight(t) * 0.7);
            out.push_back(tooth(base2, base2 - f.n * 4.2 + f.t * 0.8, f.t));
        }
        for (int j : {side < 0 ? 7 : 14}) {
            V3 base3 = jc[j] + up * 1.2;
            out.push_back(tooth(base3, base3 + up * 3.4 + V3{-0.6, 0, 0}, V3{1, 0, 0}));
        }
    }
}

// ---- Wings --------------------------------------------------------------------

struct WingPlane {
    V3 root, span, back, normal;
};

V3 onWing(const WingPlane& w, P2 q, double lift)
{
    return w.root + w.span * (q.u * 1.07) + w.back * q.v + w.normal * lift;
}

P2 mix(P2 a, P2 b, double t)
{
    return {a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
}

const P2 elbow{24, 12}, wrist{44, -6}, tipLead{94, 2}, tipMid{84, 34}, tipRear{62, 54};

// Membrane rows run from the arm (r = 0) to the trailing edge (r = 1); its
// columns sweep from the wing tip (a = 0) to the flank (a = 1). The trailing
// edge scallops inward between the finger tips.
P2 membranePoint(int i, int j, int na, int nr)
{
    const P2 lead[4] = {tipLead, wrist, elbow, {3, 3}};
    const P2 trail[4] = {{tipLead.u - 3, tipLead.v + 5}, tipMid, tipRear, {8, 50}};
    const int key[4] = {0, 5, 9, na};
    int s = i >= key[2] ? 2 : i >= key[1] ? 1 : 0;
    double f = double(i - key[s]) / (key[s + 1] - key[s]);
    P2 a = mix(lead[s], lead[s + 1], f);
    P2 b = mix(trail[s], trail[s + 1], f);
    double scallop = 0.2 * std::hypot(trail[s + 1].u - trail[s].u, trail[s + 1].v - trail[s].v) * std::sin(M_PI * f);
    double ab = std::hypot(a.u - b.u, a.v - b.v);
    b = mix(b, a, scallop / ab);
    return mix(a, b, double(j) / nr);
}

Body membrane(const WingPlane& w)
{
    const int na = 15, nr = 5;
    std::vector<std::vector<V3>> grid(na + 1), normals(na + 1);
    for (int i = 0; i <= na; i++)
        for (int j = 0; j <= nr; j++) {
            double billow = -2.5 * std::sin(M_PI * j / nr) * std::sin(M_PI * (i + 1.0) / (na + 2));
            grid[i].push_back(onWing(w, membranePoint(i, j, na, nr), billow));
            normals[i].push_back(w.normal);
        }
    return plate("membrane", grid, normals, 0.45);
}

void addWing(std::vector<Body>& out, const std::vector<Frame>& spine, int side)
{
    Frame f = frameAt(spine, vertebraT(thoraxFirst));
    double el = 38 * M_PI / 180;
    WingPlane w;
    w.root = f.p + f.b * (side * 4.5) + f.n * 2.5;
    w.span = normalize(V3{0, std::sin(el), side * std::cos(el)});
    w.back = normalize(V3{-1, -0.1, 0} - w.span * dot(V3{-1, -0.1, 0}, w.span));
    w.normal = cross(w.span, w.back) * side;  // mirrored, so both wings billow upward
    out.push_back(bone("humerus", w.root, onWing(w, elbow, 0), 2.4, 1.9, 8, 8));
    out.push_back(bone("forearm", onWing(w, elbow, 0), onWing(w, wrist, 0), 1.9, 1.5, 8, 10));
    for (P2 tip : {tipLead, tipMid, tipRear}) {
        V3 a = onWing(w, wrist, 0), b = onWing(w, tip, 0);
        V3 mid = lerp(a, b, 0.5) - w.normal * 1.5;
        out.push_back(horn("finger", {a, mid, b}, 1.5, 10, 0, 0));
    }
    out.push_back(membrane(w));
}

// ---- Legs, tail, heart ----------------------------------------------------------

void addLeg(std::vector<Body>& out, const std::vector<Frame>& spine, int side)
{
    Frame f = frameAt(spine, vertebraT(thoraxLast + 1));
    V3 hip = f.p + f.b * (side * 5.0) - f.n * 1.5;
    V3 knee = hip + V3{12, -25, side * 6.0};
    V3 ankle = knee + V3{-14, -25, side * 2.0};
    out.push_back(bone("thigh", hip, knee, 2.7, 2.2, 8, 8));
    out.push_back(bone("shin", knee, ankle, 2.1, 1.6, 8, 8));
    for (int toe = -1; toe <= 1; toe++) {
        V3 spread{0, 0, toe * 4.0};
        double reach = toe == 0 ? 1.0 : 0.75;
        std::vector<V3> ctrl = {ankle, ankle + V3{5, -5, 0} * reach + spread,
                                ankle + (V3{11, -8, 0} * reach) + spread * 1.6,
                                ankle + (V3{16, -6, 0} * reach) + spread * 1.8};
        out.push_back(horn("talon", ctrl, toe == 0 ? 2.3 : 1.7, toe == 0 ? 12 : 9, 4, 0.8));
    }
}

Body tailBlade(const std::vector<Frame>& spine)
{
    Frame f = spine.back();
    const double len = 24;
    Sweep s;
    s.section = circleSection(8);
    s.radius = [](double t) {
        return P2{keyed({{0, 1.2}, {0.12, 4.5}, {0.32, 11}, {0.38, 5.5}, {0.58, 9}, {1, 0.3}}, t), 0.8};
    };
    s.cap0 = 0.6;
    s.cap1 = 1.0;
    return sweep("tail blade", smoothPath({f.p - f.t * 1.5, f.p + f.t * len}, 14), f.n, s);
}

}  // namespace

std::vector<Body> buildSculpture(int totalVertices)
{
    std::vector<Body> out;
    addHead(out);
    std::vector<Frame> spine = spinePath();
    for (int k = 0; k < vertebraCount; k++) {
        out.push_back(vertebra(spine, k));
        if (k >= thoraxFirst && k <= spikeLast)
            out.push_back(spike(spine, k));
        if (k >= thoraxFirst && k <= thoraxLast)
            for (int side = -1; side <= 1; side += 2)
                out.push_back(rib(spine, k, side));
    }
    for (int side = -1; side <= 1; side += 2)
        addWing(out, spine, side);
    for (int side = -1; side <= 1; side += 2)
        addLeg(out, spine, side);
    out.push_back(tailBlade(spine));

    // The heart hangs inside the ribcage and takes the vertices left over,
    // which makes the totals come out exact.
    int used = 0;
    for (const Body& b : out)
        used += int(b.verts.size());
    Frame c = frameAt(spine, (vertebraT(thoraxFirst) + vertebraT(thoraxLast)) / 2);
    out.push_back(sphereBody("heart", c.p - c.n * 21, {7, 8.5, 7}, totalVertices - used, 0.12));
    return out;
}
