// modelview OUTDIR: headless stills of the embedded sculpture, for looking
// at it while shaping it. Writes four contact sheets as PNG:
//   model_lit.png        white on black from outside, four directions
//   model_orbit.png      white on black from the orbiting camera
//   model_silhouette.png black model with glowing edge fins, orbiting camera
//   model_chrome.png     sphere-mapped, smooth normals, orbiting camera
#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "mesh/model_data.h"
#include "platform/window.h"

namespace {

const int tileW = 640, tileH = 400;

struct View {
    double eye[3], target[3], fov, shiftX, shiftY;
};

const float* vertexAt(int i)
{
    return modelVertices[i];
}

void faceNormal(const int* f, float n[3])
{
    const float *a = vertexAt(f[0]), *b = vertexAt(f[1]), *c = vertexAt(f[2]);
    float e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, g[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    n[0] = e[1] * g[2] - e[2] * g[1];
    n[1] = e[2] * g[0] - e[0] * g[2];
    n[2] = e[0] * g[1] - e[1] * g[0];
    float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++)
        n[k] /= l;
}

std::vector<float> smoothNormals()
{
    std::vector<float> vn(modelVertexCount * 3, 0.0f);
    for (int i = 0; i < modelFaceCount; i++) {
        float n[3];
        faceNormal(modelFaces[i], n);
        for (int c = 0; c < 3; c++)
            for (int k = 0; k < 3; k++)
                vn[modelFaces[i][c] * 3 + k] += n[k];
    }
    for (int i = 0; i < modelVertexCount; i++) {
        float* n = &vn[i * 3];
        float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; k++)
            n[k] /= l;
    }
    return vn;
}

void setView(const View& v)
{
    glViewport(0, 0, tileW, tileH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(v.shiftX, v.shiftY, 0);
    gluPerspective(v.fov, 1.6, 0.2, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(v.eye[0], v.eye[1], v.eye[2], v.target[0], v.target[1], v.target[2], 0, 1, 0);
}

void drawFlat()
{
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < modelFaceCount; i++) {
        float n[3];
        faceNormal(modelFaces[i], n);
        glNormal3fv(n);
        for (int c = 0; c < 3; c++)
            glVertex3fv(vertexAt(modelFaces[i][c]));
    }
    glEnd();
}

void drawSmooth(const std::vector<float>& vn)
{
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < modelFaceCount; i++)
        for (int c = 0; c < 3; c++) {
            glNormal3fv(&vn[modelFaces[i][c] * 3]);
            glVertex3fv(vertexAt(modelFaces[i][c]));
        }
    glEnd();
}

void drawLit(const View& v)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setView(v);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    const float dir[4] = {0.4f, 0.8f, 0.45f, 0}, amb[4] = {0.3f, 0.3f, 0.3f, 1}, white[4] = {0.9f, 0.9f, 0.9f, 1};
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, dir);
    glPopMatrix();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, amb);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    drawFlat();
    glDisable(GL_LIGHTING);
}

// Black model, then every edge raised along its face normal as an additive
// fin that fades from the surface to its tip, under black fog.
void drawSilhouette(const View& v)
{
    glClearColor(0.18f, 0.2f, 0.26f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setView(v);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glColor3f(0, 0, 0);
    drawFlat();
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    const float black[4] = {0, 0, 0, 1};
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, black);
    glFogf(GL_FOG_START, 0);
    glFogf(GL_FOG_END, 128);
    glEnable(GL_FOG);
    const float len = 5, e = 0.3f;
    for (int i = 0; i < modelFaceCount; i++) {
        float n[3];
        faceNormal(modelFaces[i], n);
        for (int k = 0; k < 3; k++) {
            const float *a = vertexAt(modelFaces[i][k]), *b = vertexAt(modelFaces[i][(k + 1) % 3]);
            glBegin(GL_TRIANGLE_STRIP);
            glColor3f(e, e, e);
            glVertex3fv(a);
            glColor3f(0, 0, 0);
            glVertex3f(a[0] + len * n[0], a[1] + len * n[1], a[2] + len * n[2]);
            glColor3f(e, e, e);
            glVertex3fv(b);
            glColor3f(0, 0, 0);
            glVertex3f(b[0] + len * n[0], b[1] + len * n[1], b[2] + len * n[2]);
            glEnd();
        }
    }
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

// A stand-in environment: sky above, a bright horizon band, dark ground.
void makeEnvironment()
{
    std::vector<unsigned char> px(256 * 256 * 3);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            double t = y / 255.0, band = std::exp(-std::pow((t - 0.55) * 9, 2));
            double c[3] = {0.25 + 0.5 * t + band, 0.3 + 0.5 * t + band, 0.4 + 0.55 * t + band * 0.8};
            for (int k = 0; k < 3; k++)
                px[(y * 256 + x) * 3 + k] = (unsigned char)(std::fmin(c[k], 1.0) * 255 * (0.3 + 0.7 * t));
        }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 256, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void drawChrome(const View& v, const std::vector<float>& vn)
{
    glClearColor(0.1f, 0.1f, 0.12f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setView(v);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glColor3f(1, 1, 1);
    drawSmooth(vn);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_2D);
}

struct Sheet {
    int cols, rows;
    std::vector<unsigned char> rgb;
};

void grabTile(Sheet& s, int index)
{
    std::vector<unsigned char> tile(tileW * tileH * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, tileW, tileH, GL_RGB, GL_UNSIGNED_BYTE, tile.data());
    int cx = index % s.cols, cy = index / s.cols, width = s.cols * tileW;
    for (int y = 0; y < tileH; y++) {
        const unsigned char* src = &tile[(tileH - 1 - y) * tileW * 3];
        std::copy(src, src + tileW * 3, &s.rgb[((cy * tileH + y) * width + cx * tileW) * 3]);
    }
}

bool writePng(const std::string& path, const Sheet& s)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    int w = s.cols * tileW, h = s.rows * tileH;
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; y++)
        png_write_row(png, &s.rgb[y * w * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

// The camera of the two model scenes: eye circling the origin at 64, with
// cut index n jumping it between viewpoints.
View orbitView(double t, int n)
{
    return {{64 * std::sin(n + 2.548 * t), 64 * std::sin(n + 1.081 * t), 64 * std::cos(n + 2.351 * t)},
            {0, 0, 0},
            100,
            0.35,
            0.1};
}

std::vector<View> outsideViews()
{
    const double c[3] = {-28, 6, 5};
    return {{{c[0] + 40, c[1] + 60, c[2] + 200}, {c[0], c[1], c[2]}, 50, 0, 0},
            {{c[0] + 170, c[1] + 80, c[2] + 110}, {c[0], c[1], c[2]}, 50, 0, 0},
            {{c[0] - 10, c[1] + 220, c[2] + 1}, {c[0], c[1], c[2]}, 50, 0, 0},
            {{c[0] + 210, c[1] + 15, c[2]}, {c[0], c[1], c[2]}, 50, 0, 0}};
}

std::vector<View> orbitViews()
{
    std::vector<View> v;
    for (double t : {0.0, 1.2, 3.3, 5.1, 7.3, 13.9})
        v.push_back(orbitView(t, t >= 6 ? int(8 * t + 0.5) : 0));
    return v;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: modelview OUTDIR\n");
        return 2;
    }
    char err[256];
    if (!createHeadlessContext(err, sizeof err)) {
        std::fprintf(stderr, "modelview: %s\n", err);
        return 1;
    }
    std::string dir = argv[1];
    std::vector<float> vn = smoothNormals();
    makeEnvironment();
    Sheet lit{2, 2, std::vector<unsigned char>(4 * tileW * tileH * 3)};
    std::vector<View> out = outsideViews();
    for (int i = 0; i < 4; i++)
        drawLit(out[i]), grabTile(lit, i);
    Sheet orbit{2, 3, std::vector<unsigned char>(6 * tileW * tileH * 3)};
    Sheet sil = orbit, chrome = orbit;
    std::vector<View> ov = orbitViews();
    for (int i = 0; i < 6; i++) {
        drawLit(ov[i]), grabTile(orbit, i);
        drawSilhouette(ov[i]), grabTile(sil, i);
        drawChrome(ov[i], vn), grabTile(chrome, i);
    }
    bool ok = writePng(dir + "/model_lit.png", lit) && writePng(dir + "/model_orbit.png", orbit) &&
        writePng(dir + "/model_silhouette.png", sil) && writePng(dir + "/model_chrome.png", chrome);
    if (!ok)
        std::fprintf(stderr, "modelview: cannot write PNGs to %s\n", dir.c_str());
    return ok ? 0 : 1;
}
