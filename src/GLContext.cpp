// GLContextIsCurrent on SDL: the context made current by the GL window, if it still is.
#include "GLContext.h"

#include <SDL.h>

bool GLContextIsCurrent()
{
    return SDL_GL_GetCurrentContext() != nullptr;
}
