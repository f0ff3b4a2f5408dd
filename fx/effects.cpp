#include "fx/effects.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/frame.h"
#include "platform/window.h"
#include "render/caps.h"
#include "texture/assets.h"
#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"

void grabScreen(Texture* texture)
{
    bindTexture(texture, 0);
    // The frame just drawn, never the platform's default read buffer.
    selectFrameReadBuffer();
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, FRAME_WIDTH, FRAME_HEIGHT);
}

// The copies are drawn magnified 1:1 or squeezed; the texture's own flags
// must not make them blocky or let them wrap around.
static void overrideCopySampling()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, clampmode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, clampmode);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

static void disableSceneState()
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
}

// The whole copied frame over the -1..1 square, moved by (dx, dy).
static void drawShiftedCopy(float dx, float dy)
{
    glBegin(GL_POLYGON);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f((float)(dx - 1.0), (float)(dy - 1.0), 0.201f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f((float)(dx + 1.0), (float)(dy - 1.0), 0.201f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f((float)(dx + 1.0), (float)(dy + 1.0), 0.201f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f((float)(dx - 1.0), (float)(dy + 1.0), 0.201f);
    glEnd();
}

void smearEffect(Texture* texture, int count, float spread, float direction, int flags)
{
    pushState();
    setOrtho(flags | DF_FULLSCREEN);
    grabScreen(texture);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    disableSceneState();
    bindTexture(texture, flags);
    overrideCopySampling();
    if (count > 0) {
        double a = direction * 3.141592653589793;
        float sa = (float)std::sin(a);
        float ca = (float)std::cos(a);
        // Layer l blended at alpha 1/l leaves every layer an equal share.
        for (int i = -count; i < count; i++) {
            int layer = i + count + 1;
            float d = (float)(i * (double)spread * 0.0015625);
            glColor4f(1.0f, 1.0f, 1.0f, (float)(1.0 / layer));
            drawShiftedCopy((float)((double)d * sa), (float)((double)d * ca));
        }
    }
    if (flags & DF_ADD) {
        bindTexture(texture, flags);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        overrideCopySampling();
        drawShiftedCopy(0.0f, 0.0f);
    }
    popState();
}

// One quarter: texture coordinates and positions of its four corners.
static void drawMirrorQuarter(const float tc[4][2], const float pos[4][2])
{
    glBegin(GL_POLYGON);
    for (int v = 0; v < 4; v++) {
        glTexCoord2f(tc[v][0], tc[v][1]);
        glVertex2f(pos[v][0], pos[v][1]);
    }
    glEnd();
}

static void drawMirrorQuarters()
{
    const float t1 = 0.6666667f;
    const float t0 = 1.0f - t1;
    const float topLeftTc[4][2] = {{0, t0}, {1, t0}, {1, t1}, {0, t1}};
    const float topLeftPos[4][2] = {{0, 0}, {0.5f, 0}, {0.5f, 0.5f}, {0, 0.5f}};
    const float topRightTc[4][2] = {{1, t0}, {0, t0}, {0, t1}, {1, t1}};
    const float topRightPos[4][2] = {{0.5f, 0}, {1, 0}, {1, 0.5f}, {0.5f, 0.5f}};
    const float bottomLeftTc[4][2] = {{0, t1}, {1, t1}, {1, t0}, {0, t0}};
    const float bottomLeftPos[4][2] = {{0, 0.5f}, {0.5f, 0.5f}, {0.5f, 1}, {0, 1}};
    const float bottomRightTc[4][2] = {{1, t1}, {0, t1}, {0, t0}, {1, t0}};
    const float bottomRightPos[4][2] = {{0.5f, 0.5f}, {1, 0.5f}, {1, 1}, {0.5f, 1}};
    drawMirrorQuarter(topLeftTc, topLeftPos);
    drawMirrorQuarter(topRightTc, topRightPos);
    drawMirrorQuarter(bottomLeftTc, bottomLeftPos);
    drawMirrorQuarter(bottomRightTc, bottomRightPos);
}

void mirrorEffect(Texture* texture, float intensity, int flags)
{
    pushState();
    grabScreen(texture);
    if (!(flags & DF_ADD)) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // 0..1 across whatever viewport the scene left, y running downwards.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 1.0, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    disableSceneState();
    bindTexture(texture, flags);
    glColor4f(intensity, intensity, intensity, intensity);
    overrideCopySampling();
    drawMirrorQuarters();
    popState();
}

// Grid centres over the full width and over the letterbox band.
int mosaicSampleX(int gridWidth, int j)
{
    int cw = screenwidth / gridWidth;
    return (int)(j * cw + cw * 0.5) - 1;
}

int mosaicSampleY(int gridHeight, int k)
{
    int ch = screenheight / gridHeight;
    int step = (int)(ch * 0.75);
    return (int)((k + 1) * step - screenheight * -0.125) - 1;
}

// One single-pixel copy per texel keeps the sampling on the graphics side.
static void copyMosaicGrid(const Texture* grid)
{
    bindTexture(grid, 0);
    selectFrameReadBuffer();
    for (int j = 0; j < grid->width; j++) {
        int x = mosaicSampleX(grid->width, j);
        for (int k = 0; k < grid->height; k++)
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, j, k, x, mosaicSampleY(grid->height, k), 1, 1);
    }
}

// Same texels from one read of the frame and one upload per grid.
static void readBackMosaicGrids()
{
    static std::vector<uint8_t> frame;
    static std::vector<uint8_t> texels;
    frame.resize((size_t)screenwidth * screenheight * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    selectFrameReadBuffer();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, screenwidth, screenheight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    for (int i = 0; i < 4; i++) {
        const Texture* grid = mosaictex[i];
        texels.resize((size_t)grid->width * grid->height * 4);
        for (int k = 0; k < grid->height; k++) {
            size_t row = (size_t)mosaicSampleY(grid->height, k) * screenwidth;
            for (int j = 0; j < grid->width; j++)
                std::memcpy(&texels[((size_t)k * grid->width + j) * 4],
                            &frame[(row + mosaicSampleX(grid->width, j)) * 4], 4);
        }
        bindTexture(grid, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, grid->width, grid->height, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    }
    glPopClientAttrib();
}

// On a software rasteriser every single-pixel copy is a full round trip
// through the renderer (about 75 ms for the 1360 of a frame), while one
// read-back costs about a millisecond and gives identical texels. On a GPU
// the read-back would stall the pipeline, so the copies stay.
static bool softwareRenderer()
{
    const char* r = (const char*)glGetString(GL_RENDERER);
    return r && (std::strstr(r, "llvmpipe") || std::strstr(r, "softpipe") || std::strstr(r, "swrast"));
}

int mosaicSampling = -1;

void mosaicGlow(float intensity, int flags)
{
    if (mosaicSampling < 0)
        mosaicSampling = softwareRenderer() ? MOSAIC_READBACK : MOSAIC_COPIES;
    pushState();
    if (mosaicSampling == MOSAIC_READBACK) {
        readBackMosaicGrids();
    } else {
        for (int i = 0; i < 4; i++)
            copyMosaicGrid(mosaictex[i]);
    }
    // Copied rows run bottom-up, so each grid is drawn flipped.
    for (int i = 0; i < 4; i++)
        drawTexturedQuad(mosaictex[i], 0.0f, 0.0f, 1.0f, 1.0f, -1.0f, 0.0f, (float)((double)intensity * (i + 1) * 0.25),
                         flags);
    popState();
}
