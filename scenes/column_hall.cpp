// A hall of 25 fogged octagonal columns covered in grid fins, compiled into
// one display list at start-up and seen through a very wide lens.
#include <cmath>

#include "fx/overlay.h"
#include "render/camera.h"
#include "platform/gl.h"
#include "render/state.h"
#include "render/texbind.h"
#include "scenes/fins.h"
#include "scenes/mesh_draw.h"
#include "scenes/scenes.h"
#include "mesh/meshes.h"
#include "texture/assets.h"

unsigned int halllist = 0;

// Rows 5 apart in z; odd rows shifted sideways by 2 (before the list's scale).
static float columnX(int row, int col)
{
    return (float)(5 * col - 10 + (row % 2 == 1 ? 2 : 0));
}

static float columnZ(int row)
{
    return (float)(5 * row - 10);
}

static void recordColumns()
{
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 5; c++) {
            glPushMatrix();
            glTranslatef(columnX(r, c), 0.0f, columnZ(r));
            drawMesh(tubemesh);
            glPopMatrix();
        }
}

static void recordFins()
{
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 5; c++) {
            glPushMatrix();
            glTranslatef(columnX(r, c), 0.0f, columnZ(r));
            drawFinsGrid(tubemesh, txtr2tex, 0.6f);
            glPopMatrix();
        }
}

// Runs once at start-up; the grid fins fill their random table here and
// the column counts are added now, not on replays.
static void buildHall()
{
    halllist = glGenLists(1);
    glNewList(halllist, GL_COMPILE);
    bindTexture(txtr1tex, 0);
    glScalef(10.0f, 20.0f, 10.0f);
    recordColumns();
    setFog(blackPreset.clearColor, 0.0f, 64.0f);
    recordFins();
    glEndList();
}

void drawColumnHallScene(float t, int mode)
{
    const int n = (int)(8.0 * t + 0.5);
    if (mode & DF_BUILD) {
        buildHall();
        return;
    }
    applyRenderState(&blackPreset);
    drawOverlay(bg2tex, 1.0f, 0);

    projshiftx = 0.35f;
    projshifty = 0.1f;
    Camera camera;
    camera.eye = Vec3{(float)(70.0 * std::sin(n + 2.548 * t)), (float)(35.0 * std::sin(n + 1.981 * t)),
                      (float)(70.0 * std::cos(n + 2.548 * t))};
    camera.fov = 140.0f;
    setCamera(camera, Vec3{0.0f, 0.0f, 0.0f}, 0);

    setFog(blackPreset.clearColor, 0.0f, 64.0f);
    glCallList(halllist);
}
