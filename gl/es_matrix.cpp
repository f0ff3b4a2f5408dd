// The three matrix stacks and the GLU calls that build matrices. The
// arithmetic follows the desktop library's (floats, the same order of
// operations), so both paths place vertices alike.
#include <cmath>
#include <cstring>

#include "gl/es.h"

const size_t MATRIX_STACK_DEPTH = 32;

Mat4 identityMatrix()
{
    Mat4 m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

Mat4 multiply(const Mat4& a, const Mat4& b)
{
    Mat4 p;
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            p.m[j * 4 + i] = a.m[0 * 4 + i] * b.m[j * 4 + 0] + a.m[1 * 4 + i] * b.m[j * 4 + 1] +
                a.m[2 * 4 + i] * b.m[j * 4 + 2] + a.m[3 * 4 + i] * b.m[j * 4 + 3];
        }
    }
    return p;
}

static MatrixStackId currentStack()
{
    switch (L.s.matrixMode) {
    case GL_PROJECTION: return STACK_PROJECTION;
    case GL_TEXTURE: return STACK_TEXTURE;
    default: return STACK_MODELVIEW;
    }
}

Mat4& currentMatrix()
{
    return L.stacks[currentStack()].back();
}

void matrixChanged()
{
    L.matrixSerial++;
}

static void multiplyCurrent(const Mat4& by)
{
    Mat4& top = currentMatrix();
    top = multiply(top, by);
    matrixChanged();
}

void es_glMatrixMode(GLenum mode)
{
    RECORD_IN_LIST(es_glMatrixMode(mode));
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        layerError(GL_INVALID_ENUM);
        return;
    }
    L.s.matrixMode = mode;
}

void es_glLoadIdentity()
{
    RECORD_IN_LIST(es_glLoadIdentity());
    currentMatrix() = identityMatrix();
    matrixChanged();
}

void es_glPushMatrix()
{
    RECORD_IN_LIST(es_glPushMatrix());
    std::vector<Mat4>& stack = L.stacks[currentStack()];
    if (stack.size() >= MATRIX_STACK_DEPTH) {
        layerError(GL_STACK_OVERFLOW);
        return;
    }
    stack.push_back(stack.back());
}

void es_glPopMatrix()
{
    RECORD_IN_LIST(es_glPopMatrix());
    std::vector<Mat4>& stack = L.stacks[currentStack()];
    if (stack.size() <= 1) {
        layerError(GL_STACK_UNDERFLOW);
        return;
    }
    stack.pop_back();
    matrixChanged();
}

void es_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    RECORD_IN_LIST(es_glTranslatef(x, y, z));
    float* m = currentMatrix().m;
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
    matrixChanged();
}

void es_glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    RECORD_IN_LIST(es_glScalef(x, y, z));
    float* m = currentMatrix().m;
    for (int i = 0; i < 4; i++) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
    matrixChanged();
}

// Rotations about a coordinate axis are built exactly; others from the
// normalised axis. The sine and cosine are single-precision functions of the
// angle in radians rounded to a float, as the desktop library takes them: a
// double sine rounded afterwards can land a bit apart, and one bit in a
// camera moves an edge that passes through a pixel centre.
static Mat4 rotation(float angle, float x, float y, float z)
{
    Mat4 r = identityMatrix();
    float s = sinf((float)(angle * M_PI / 180.0));
    float c = cosf((float)(angle * M_PI / 180.0));
    float* m = r.m;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        if (z < 0.0f)
            s = -s;
        m[0] = c;
        m[5] = c;
        m[1] = s;
        m[4] = -s;
        return r;
    }
    if (x == 0.0f && z == 0.0f && y != 0.0f) {
        if (y < 0.0f)
            s = -s;
        m[0] = c;
        m[10] = c;
        m[8] = s;
        m[2] = -s;
        return r;
    }
    if (y == 0.0f && z == 0.0f && x != 0.0f) {
        if (x < 0.0f)
            s = -s;
        m[5] = c;
        m[10] = c;
        m[6] = s;
        m[9] = -s;
        return r;
    }
    float mag = std::sqrt(x * x + y * y + z * z);
    if (mag <= 1.0e-4f)
        return r;
    x /= mag;
    y /= mag;
    z /= mag;
    float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
    float xs = x * s, ys = y * s, zs = z * s, oneC = 1.0f - c;
    m[0] = (oneC * xx) + c;
    m[4] = (oneC * xy) - zs;
    m[8] = (oneC * zx) + ys;
    m[1] = (oneC * xy) + zs;
    m[5] = (oneC * yy) + c;
    m[9] = (oneC * yz) - xs;
    m[2] = (oneC * zx) - ys;
    m[6] = (oneC * yz) + xs;
    m[10] = (oneC * zz) + c;
    return r;
}

void es_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    RECORD_IN_LIST(es_glRotatef(angle, x, y, z));
    multiplyCurrent(rotation(angle, x, y, z));
}

static void ortho(float l, float r, float b, float t, float n, float f)
{
    Mat4 m = identityMatrix();
    m.m[0] = 2.0f / (r - l);
    m.m[12] = -(r + l) / (r - l);
    m.m[5] = 2.0f / (t - b);
    m.m[13] = -(t + b) / (t - b);
    m.m[10] = -2.0f / (f - n);
    m.m[14] = -(f + n) / (f - n);
    multiplyCurrent(m);
}

void es_glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    RECORD_IN_LIST(es_glOrtho(l, r, b, t, n, f));
    if (l == r || b == t || n == f) {
        layerError(GL_INVALID_VALUE);
        return;
    }
    ortho((float)l, (float)r, (float)b, (float)t, (float)n, (float)f);
}

void es_gluOrtho2D(GLdouble l, GLdouble r, GLdouble b, GLdouble t)
{
    es_glOrtho(l, r, b, t, -1.0, 1.0);
}

// Like GLU: the matrix in doubles, multiplied onto the current one (a
// translation already on the projection stays under it).
void es_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    double radians = fovy / 2 * M_PI / 180;
    double deltaZ = zFar - zNear;
    double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    double cotangent = std::cos(radians) / sine;
    double d[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(zFar + zNear) / deltaZ, -1, 0, 0,
                    -2 * zNear * zFar / deltaZ, 0};
    Mat4 m;
    for (int i = 0; i < 16; i++)
        m.m[i] = (float)d[i];
    if (compilingList()) {
        recordCall([=] { multiplyCurrent(m); });
        return;
    }
    multiplyCurrent(m);
}

// GLU keeps the length as a float and divides by it in floats.
static void normalise(float v[3])
{
    float r = (float)std::sqrt((double)(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void es_gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
                  GLdouble uy, GLdouble uz)
{
    float forward[3] = {(float)(cx - ex), (float)(cy - ey), (float)(cz - ez)};
    float up[3] = {(float)ux, (float)uy, (float)uz};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    Mat4 m = identityMatrix();
    m.m[0] = side[0];
    m.m[4] = side[1];
    m.m[8] = side[2];
    m.m[1] = up[0];
    m.m[5] = up[1];
    m.m[9] = up[2];
    m.m[2] = -forward[0];
    m.m[6] = -forward[1];
    m.m[10] = -forward[2];
    if (compilingList()) {
        recordCall([=] {
            multiplyCurrent(m);
            es_glTranslatef((float)-ex, (float)-ey, (float)-ez);
        });
        return;
    }
    multiplyCurrent(m);
    es_glTranslatef((float)-ex, (float)-ey, (float)-ez);
}
