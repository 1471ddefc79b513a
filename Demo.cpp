// Demo stand-in: a cleared frame per pass, 65 seconds in all.
#include "Demo.h"

#include <SDL.h>

#include "GL.h"

Demo::Demo() : start(SDL_GetTicks()) {}

bool Demo::Update()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (SDL_GetTicks() - start >= 65000u)
        return false;
    SDL_Delay(1);
    return true;
}
