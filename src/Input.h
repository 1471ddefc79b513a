// Input: the keyboard and quit requests that end the run. The window's message pump
// reports events here; the frame loop polls once per pass.
#pragma once

#include <SDL.h>

namespace Input
{
    // Called by the message pump for every event it removes.
    void NoteEvent(const SDL_Event& event);

    // A close request for our window (close button, Alt-F4, the desktop asking us to quit).
    void RequestQuit();

    // True when Escape is down now or was pressed since the previous poll, or when a quit
    // was requested. Reading it forgets the remembered press.
    bool StopRequested();

    // Forgets every remembered press and request (tests only).
    void Reset();
}
