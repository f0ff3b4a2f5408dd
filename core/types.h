// Plain records shared by every module: vectors, textures, meshes, presets,
// the camera, and the draw-flag bits that travel with them.
#pragma once
#include <cstdint>

struct Vec3 {
    float x, y, z;
};

// Four floats: a colour, or the by-value carrier of a three-float triple
// (texture scale) whose fourth component nobody reads.
struct Color4 {
    float x, y, z, w;
};

struct Texture {
    uint32_t name;  // GL texture object
    Color4 scale;   // texture-matrix scale applied at every bind
    int32_t width;  // stored level-0 size in texels
    int32_t height;
    int32_t flags;  // draw flags fixed at creation
};

struct TextureSet {
    int32_t count;
    Texture* textures;
};

struct MeshFace {
    int32_t v[3];
    Vec3 normal;
};

struct Mesh {
    uint32_t list;  // display list holding the whole mesh
    int32_t vertexCount;
    int32_t faceCount;
    MeshFace* faces;              // owned
    const float (*positions)[4];  // caller's 16-byte entries, not copied
    float (*normals)[4];          // owned, smoothed unit vertex normals
    const float (*texcoords)[4];  // caller's entries, or null
    Vec3 center;
    int32_t flags;
};

struct RenderState {
    Color4 clearColor;
};

struct Camera {
    Vec3 eye;
    float fov;  // vertical field of view, degrees
};

// Draw-flag bits: one signed 32-bit word; each operation reads only its own bits.
enum : int32_t {
    DF_NEAREST = 0x1,
    DF_CLAMP = 0x2,
    DF_SPHEREMAP = 0x4,
    DF_ADD = 0x400,
    DF_DARKEN = 0x800,
    DF_MULTIPLY = 0x1000,
    DF_ALPHA = 0x2000,
    DF_FULLSCREEN = 0x4000,
    DF_FLAT = 0x8000,
    DF_BUILD = 0x10000,
    DF_DRAW = 0x20000,
};
