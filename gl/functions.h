// The GL 1.1 and GLU entry points the program, FTGL and GLU's callers make:
// one X(return type, name, (parameters), (arguments)) row each. The
// dispatch table, the trampolines and the OpenGL ES layer are all made from
// this one list, so none of them can miss an entry point.
#pragma once

#define ZANT_GL_FUNCTIONS(X)                                                                                        \
    X(void, glAlphaFunc, (GLenum func, GLclampf ref), (func, ref))                                                 \
    X(void, glBegin, (GLenum mode), (mode))                                                                        \
    X(void, glBindBuffer, (GLenum target, GLuint buffer), (target, buffer))                                        \
    X(void, glBindFramebuffer, (GLenum target, GLuint fb), (target, fb))                                           \
    X(void, glBindRenderbuffer, (GLenum target, GLuint rb), (target, rb))                                          \
    X(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))                                     \
    X(void, glBitmap, (GLsizei w, GLsizei h, GLfloat xo, GLfloat yo, GLfloat xm, GLfloat ym, const GLubyte* bits), \
      (w, h, xo, yo, xm, ym, bits))                                                                                \
    X(void, glBlendFunc, (GLenum s, GLenum d), (s, d))                                                             \
    X(void, glBlitFramebuffer,                                                                                     \
      (GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1, GLbitfield mask,   \
       GLenum filter),                                                                                             \
      (sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter))                                                      \
    X(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage),                        \
      (target, size, data, usage))                                                                                 \
    X(void, glCallList, (GLuint list), (list))                                                                     \
    X(void, glCallLists, (GLsizei n, GLenum type, const GLvoid* lists), (n, type, lists))                          \
    X(GLenum, glCheckFramebufferStatus, (GLenum target), (target))                                                 \
    X(void, glClear, (GLbitfield mask), (mask))                                                                    \
    X(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))                          \
    X(void, glClearDepth, (GLclampd d), (d))                                                                       \
    X(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))                                               \
    X(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))                                 \
    X(void, glColorMask, (GLboolean r, GLboolean g, GLboolean b, GLboolean a), (r, g, b, a))                       \
    X(void, glCopyTexSubImage2D,                                                                                   \
      (GLenum target, GLint level, GLint xoff, GLint yoff, GLint x, GLint y, GLsizei w, GLsizei h),               \
      (target, level, xoff, yoff, x, y, w, h))                                                                     \
    X(void, glCullFace, (GLenum mode), (mode))                                                                     \
    X(void, glDeleteBuffers, (GLsizei n, const GLuint* names), (n, names))                                         \
    X(void, glDeleteLists, (GLuint list, GLsizei range), (list, range))                                            \
    X(void, glDeleteTextures, (GLsizei n, const GLuint* names), (n, names))                                        \
    X(void, glDepthFunc, (GLenum func), (func))                                                                    \
    X(void, glDepthMask, (GLboolean flag), (flag))                                                                 \
    X(void, glDisable, (GLenum cap), (cap))                                                                        \
    X(void, glDisableClientState, (GLenum array), (array))                                                         \
    X(void, glDrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))                         \
    X(void, glDrawBuffer, (GLenum buffer), (buffer))                                                               \
    X(void, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const GLvoid* indices),                      \
      (mode, count, type, indices))                                                                                \
    X(void, glDrawPixels, (GLsizei w, GLsizei h, GLenum format, GLenum type, const GLvoid* pixels),                \
      (w, h, format, type, pixels))                                                                                \
    X(void, glEnable, (GLenum cap), (cap))                                                                         \
    X(void, glEnableClientState, (GLenum array), (array))                                                          \
    X(void, glEnd, (void), ())                                                                                     \
    X(void, glEndList, (void), ())                                                                                 \
    X(void, glFinish, (void), ())                                                                                  \
    X(void, glFlush, (void), ())                                                                                   \
    X(void, glFogf, (GLenum pname, GLfloat param), (pname, param))                                                 \
    X(void, glFogfv, (GLenum pname, const GLfloat* params), (pname, params))                                       \
    X(void, glFogi, (GLenum pname, GLint param), (pname, param))                                                   \
    X(void, glFramebufferRenderbuffer, (GLenum target, GLenum attachment, GLenum rbtarget, GLuint rb),             \
      (target, attachment, rbtarget, rb))                                                                          \
    X(void, glFrontFace, (GLenum mode), (mode))                                                                    \
    X(void, glGenBuffers, (GLsizei n, GLuint* names), (n, names))                                                  \
    X(void, glGenFramebuffers, (GLsizei n, GLuint* names), (n, names))                                             \
    X(GLuint, glGenLists, (GLsizei range), (range))                                                                \
    X(void, glGenRenderbuffers, (GLsizei n, GLuint* names), (n, names))                                            \
    X(void, glGenTextures, (GLsizei n, GLuint* names), (n, names))                                                 \
    X(void, glGetBooleanv, (GLenum pname, GLboolean* params), (pname, params))                                     \
    X(GLenum, glGetError, (void), ())                                                                              \
    X(void, glGetFloatv, (GLenum pname, GLfloat* params), (pname, params))                                         \
    X(void, glGetIntegerv, (GLenum pname, GLint* params), (pname, params))                                         \
    X(const GLubyte*, glGetString, (GLenum name), (name))                                                          \
    X(void, glGetTexLevelParameteriv, (GLenum target, GLint level, GLenum pname, GLint* params),                   \
      (target, level, pname, params))                                                                              \
    X(void, glGetTexParameteriv, (GLenum target, GLenum pname, GLint* params), (target, pname, params))            \
    X(void, glHint, (GLenum target, GLenum mode), (target, mode))                                                  \
    X(GLboolean, glIsEnabled, (GLenum cap), (cap))                                                                 \
    X(void, glListBase, (GLuint base), (base))                                                                     \
    X(void, glLoadIdentity, (void), ())                                                                            \
    X(void*, glMapBuffer, (GLenum target, GLenum access), (target, access))                                        \
    X(void, glMaterialf, (GLenum face, GLenum pname, GLfloat param), (face, pname, param))                         \
    X(void, glMaterialfv, (GLenum face, GLenum pname, const GLfloat* params), (face, pname, params))               \
    X(void, glMatrixMode, (GLenum mode), (mode))                                                                   \
    X(void, glMultiDrawArrays, (GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawcount),         \
      (mode, first, count, drawcount))                                                                             \
    X(void, glNewList, (GLuint list, GLenum mode), (list, mode))                                                   \
    X(void, glNormal3d, (GLdouble x, GLdouble y, GLdouble z), (x, y, z))                                           \
    X(void, glNormal3dv, (const GLdouble* v), (v))                                                                 \
    X(void, glNormal3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                              \
    X(void, glNormalPointer, (GLenum type, GLsizei stride, const GLvoid* ptr), (type, stride, ptr))                \
    X(void, glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f)) \
    X(void, glPixelStorei, (GLenum pname, GLint param), (pname, param))                                            \
    X(void, glPixelTransferf, (GLenum pname, GLfloat param), (pname, param))                                       \
    X(void, glPolygonMode, (GLenum face, GLenum mode), (face, mode))                                               \
    X(void, glPopAttrib, (void), ())                                                                               \
    X(void, glPopClientAttrib, (void), ())                                                                         \
    X(void, glPopMatrix, (void), ())                                                                               \
    X(void, glPushAttrib, (GLbitfield mask), (mask))                                                               \
    X(void, glPushClientAttrib, (GLbitfield mask), (mask))                                                         \
    X(void, glPushMatrix, (void), ())                                                                              \
    X(void, glReadBuffer, (GLenum mode), (mode))                                                                   \
    X(void, glReadPixels, (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, GLvoid* pixels),    \
      (x, y, w, h, format, type, pixels))                                                                          \
    X(void, glRenderbufferStorage, (GLenum target, GLenum format, GLsizei w, GLsizei h), (target, format, w, h))   \
    X(void, glRotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z), (angle, x, y, z))                         \
    X(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                                \
    X(void, glScissor, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))                                     \
    X(void, glShadeModel, (GLenum mode), (mode))                                                                   \
    X(void, glTexCoord2f, (GLfloat s, GLfloat t), (s, t))                                                          \
    X(void, glTexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* ptr),                       \
      (size, type, stride, ptr))                                                                                   \
    X(void, glTexEnvi, (GLenum target, GLenum pname, GLint param), (target, pname, param))                         \
    X(void, glTexGeni, (GLenum coord, GLenum pname, GLint param), (coord, pname, param))                           \
    X(void, glTexImage2D,                                                                                          \
      (GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border, GLenum format, GLenum type, \
       const GLvoid* pixels),                                                                                      \
      (target, level, internal, w, h, border, format, type, pixels))                                               \
    X(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))                   \
    X(void, glTexSubImage2D,                                                                                       \
      (GLenum target, GLint level, GLint xoff, GLint yoff, GLsizei w, GLsizei h, GLenum format, GLenum type,      \
       const GLvoid* pixels),                                                                                      \
      (target, level, xoff, yoff, w, h, format, type, pixels))                                                     \
    X(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                            \
    X(GLboolean, glUnmapBuffer, (GLenum target), (target))                                                         \
    X(void, glVertex2f, (GLfloat x, GLfloat y), (x, y))                                                            \
    X(void, glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))                                              \
    X(void, glVertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* ptr),                         \
      (size, type, stride, ptr))                                                                                   \
    X(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))

#define ZANT_GLU_FUNCTIONS(X)                                                                                       \
    X(GLint, gluBuild2DMipmaps,                                                                                    \
      (GLenum target, GLint internal, GLsizei w, GLsizei h, GLenum format, GLenum type, const void* data),        \
      (target, internal, w, h, format, type, data))                                                                \
    X(void, gluLookAt,                                                                                             \
      (GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy,    \
       GLdouble uz),                                                                                               \
      (ex, ey, ez, cx, cy, cz, ux, uy, uz))                                                                        \
    X(void, gluOrtho2D, (GLdouble l, GLdouble r, GLdouble b, GLdouble t), (l, r, b, t))                            \
    X(void, gluPerspective, (GLdouble fovy, GLdouble aspect, GLdouble zn, GLdouble zf), (fovy, aspect, zn, zf))
