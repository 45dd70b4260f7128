// The OpenGL headers, included the same way everywhere. Extension entry
// points are never taken from the headers' prototypes: they are looked up
// at run time (see graphics.h).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
