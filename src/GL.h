// The program's one way to reach OpenGL: the system's GL 1.1 header, then the entry
// points that Extensions::Load fetches at run time, callable by their GL names.
// Include this instead of <GL/gl.h>.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "Extensions.h"
