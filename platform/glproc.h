// Where GL entry points come from: the desktop GL and GLU libraries the
// program links (looked up in those libraries only, never in the program,
// whose own gl* names are the dispatch layer's), and the current context's
// OpenGL ES entry points.
#pragma once

// libGL's (or libOpenGL's) function of that name; null when it has none.
void* desktopGlProc(const char* name);
// libGLU's function of that name; null when it has none.
void* desktopGluProc(const char* name);
// The current OpenGL ES context's entry point of that name (through SDL for
// the window, EGL otherwise); null when there is none.
void* glesProc(const char* name);
