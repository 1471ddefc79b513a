// MessageBox: stderr first, so the report survives when no dialog can be shown.
#include "MessageBox.h"

#include <cstdio>
#include <cstring>

#include <SDL.h>

namespace
{
    // Headless drivers have no screen to put a dialog on, and under them a dialog could
    // only block an unattended run.
    bool DialogPossible()
    {
        const char* driver = SDL_getenv("SDL_VIDEODRIVER");
        if (driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
            return false;
        return SDL_getenv("DISPLAY") != nullptr || SDL_getenv("WAYLAND_DISPLAY") != nullptr;
    }
}

void MessageBox::ShowError(const Zemb::String& text, const char* caption)
{
    const char* body = text.CStr() != nullptr ? text.CStr() : "";
    std::fprintf(stderr, "%s\n%s\n", caption, body);
    std::fflush(stderr);
    if (DialogPossible())
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, body, nullptr);
}
