// Input: remembers Escape presses and quit requests between two polls of the frame loop.
#include "Input.h"

namespace
{
    bool escapePressed = false;
    bool quitRequested = false;
}

void Input::NoteEvent(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN && event.key.keysym.scancode == SDL_SCANCODE_ESCAPE)
        escapePressed = true;
    else if (event.type == SDL_QUIT)
        quitRequested = true;
}

void Input::RequestQuit() { quitRequested = true; }

bool Input::StopRequested()
{
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    bool escapeDown = keys != nullptr && keys[SDL_SCANCODE_ESCAPE] != 0;
    bool stop = escapeDown || escapePressed || quitRequested;
    escapePressed = false;
    return stop;
}

void Input::Reset()
{
    escapePressed = false;
    quitRequested = false;
}
