// The embedded model tables as the program compiles them: sizes, a closed
// and consistently wound surface, the coordinate grid, the bounds and the
// separate bodies.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <vector>

#include "mesh/model_data.h"

namespace {

using Grid = std::array<long long, 3>;

// Coordinates in hundredths; the grid test below proves this is lossless.
Grid gridPoint(int i)
{
    Grid g;
    for (int k = 0; k < 3; k++)
        g[k] = std::llround(double(modelVertices[i][k]) * 100);
    return g;
}

float nearestFloatOfHundredths(long long h)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%02lld", h < 0 ? "-" : "", std::llabs(h) / 100, std::llabs(h) % 100);
    return std::strtof(buf, nullptr);
}

Grid sub(Grid a, Grid b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Grid cross(Grid a, Grid b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

struct BodyStats {
    int vertices = 0, faces = 0;
    double volume = 0;
};

int findRoot(std::vector<int>& parent, int i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

// Bodies are the connected pieces of the triangle graph, keyed by a root vertex.
std::map<int, BodyStats> findBodies()
{
    std::vector<int> parent(modelVertexCount);
    std::iota(parent.begin(), parent.end(), 0);
    for (int f = 0; f < modelFaceCount; f++)
        for (int k = 1; k < 3; k++)
            parent[findRoot(parent, modelFaces[f][k])] = findRoot(parent, modelFaces[f][0]);
    std::map<int, BodyStats> bodies;
    for (int i = 0; i < modelVertexCount; i++)
        bodies[findRoot(parent, i)].vertices++;
    for (int f = 0; f < modelFaceCount; f++) {
        BodyStats& b = bodies[findRoot(parent, modelFaces[f][0])];
        b.faces++;
        Grid a = gridPoint(modelFaces[f][0]), c = cross(gridPoint(modelFaces[f][1]), gridPoint(modelFaces[f][2]));
        b.volume += (double(a[0]) * c[0] + double(a[1]) * c[1] + double(a[2]) * c[2]) / 6e6;
    }
    return bodies;
}

TEST(ModelTables, HoldTheSculpturesCounts)
{
    EXPECT_EQ(modelVertexCount, 6691);
    EXPECT_EQ(modelFaceCount, 13046);
    EXPECT_EQ(sizeof(modelVertices[0]), 16u);
    EXPECT_EQ(sizeof(modelFaces[0]), 12u);
}

TEST(ModelTables, CoordinatesAreNearestFloatsOfHundredths)
{
    int off = 0;
    for (int i = 0; i < modelVertexCount; i++) {
        Grid g = gridPoint(i);
        for (int k = 0; k < 3; k++)
            if (modelVertices[i][k] != nearestFloatOfHundredths(g[k]) && off++ < 5)
                ADD_FAILURE() << "vertex " << i << " axis " << k << " is " << modelVertices[i][k];
        if (modelVertices[i][3] != 0.0f && off++ < 5)
            ADD_FAILURE() << "vertex " << i << " has a non-zero fourth float";
    }
    EXPECT_EQ(off, 0);
}

TEST(ModelTables, EveryDirectedEdgeMeetsItsReverseOnce)
{
    std::map<std::pair<int, int>, int> edges;
    for (int f = 0; f < modelFaceCount; f++)
        for (int k = 0; k < 3; k++)
            edges[{modelFaces[f][k], modelFaces[f][(k + 1) % 3]}]++;
    int bad = 0;
    for (const auto& [e, count] : edges) {
        auto rev = edges.find({e.second, e.first});
        if ((count != 1 || rev == edges.end() || rev->second != 1) && bad++ < 5)
            ADD_FAILURE() << "edge " << e.first << "->" << e.second << " used " << count << " times, reverse "
                          << (rev == edges.end() ? 0 : rev->second);
    }
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(edges.size(), size_t(modelFaceCount) * 3);
}

TEST(ModelTables, TrianglesAreProperAndUseEveryVertex)
{
    std::vector<char> used(modelVertexCount, 0);
    int bad = 0;
    for (int f = 0; f < modelFaceCount; f++) {
        const int* t = modelFaces[f];
        bool inRange = true;
        for (int k = 0; k < 3; k++) {
            inRange = inRange && t[k] >= 0 && t[k] < modelVertexCount;
            if (inRange)
                used[t[k]] = 1;
        }
        if (!inRange || t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) {
            if (bad++ < 5)
                ADD_FAILURE() << "triangle " << f << " has a bad or repeated index";
            continue;
        }
        Grid n = cross(sub(gridPoint(t[1]), gridPoint(t[0])), sub(gridPoint(t[2]), gridPoint(t[0])));
        if (n[0] == 0 && n[1] == 0 && n[2] == 0 && bad++ < 5)
            ADD_FAILURE() << "triangle " << f << " has no area";
    }
    EXPECT_EQ(bad, 0);
    for (int i = 0; i < modelVertexCount; i++)
        EXPECT_TRUE(used[i]) << "vertex " << i << " is never used";
}

TEST(ModelTables, FillTheModelsBoundsAroundItsMean)
{
    const float lo[3] = {-117.15f, -61.85f, -70.90f}, hi[3] = {61.80f, 73.30f, 80.64f};
    const double mean[3] = {-31.32, 3.84, 4.64};
    for (int k = 0; k < 3; k++) {
        float mn = modelVertices[0][k], mx = mn;
        double sum = 0;
        for (int i = 0; i < modelVertexCount; i++) {
            mn = std::min(mn, modelVertices[i][k]);
            mx = std::max(mx, modelVertices[i][k]);
            sum += modelVertices[i][k];
        }
        EXPECT_EQ(mn, lo[k]) << "axis " << k;
        EXPECT_EQ(mx, hi[k]) << "axis " << k;
        EXPECT_NEAR(sum / modelVertexCount, mean[k], 0.5) << "axis " << k;
    }
}

TEST(ModelBodies, AreEightyFourClosedOutwardSpheres)
{
    std::map<int, BodyStats> bodies = findBodies();
    EXPECT_EQ(bodies.size(), 84u);
    for (const auto& [root, b] : bodies) {
        EXPECT_GE(b.vertices, 4) << "body at vertex " << root;
        EXPECT_LE(b.vertices, 194) << "body at vertex " << root;
        EXPECT_EQ(b.faces, 2 * b.vertices - 4) << "body at vertex " << root << " is not a closed sphere";
        EXPECT_GT(b.volume, 0.0) << "body at vertex " << root << " is wound inward";
    }
}

}  // namespace
