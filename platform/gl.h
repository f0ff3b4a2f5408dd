// One place that pulls in the OpenGL 1.1 + GLU headers the whole program draws with.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
