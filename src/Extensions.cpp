// Extensions: fills the GL entry-point table at start-up; see Extensions.h.
#include "GL.h"

#include <SDL.h>

#include "Zemb/Exception.h"

#define KELVO_DEFINE_SLOT(name, type) type name = nullptr;
KELVO_GL_ENTRY_POINTS(KELVO_DEFINE_SLOT)
#undef KELVO_DEFINE_SLOT

namespace
{
    struct EntryPoint
    {
        const char* name;
        void** slot;
    };

#define KELVO_TABLE_ROW(name, type) {#name, reinterpret_cast<void**>(&name)},
    const EntryPoint entryPoints[] = {KELVO_GL_ENTRY_POINTS(KELVO_TABLE_ROW)};
#undef KELVO_TABLE_ROW

    static_assert(sizeof(entryPoints) / sizeof(entryPoints[0]) == Extensions::entryPointCount,
                  "the table lists every entry point once");

    void* SdlLookup(const char* name) { return SDL_GL_GetProcAddress(name); }
}

void Extensions::Load() { LoadWith(SdlLookup); }

void Extensions::LoadWith(Lookup lookup)
{
    for (const EntryPoint& entryPoint : entryPoints)
    {
        *entryPoint.slot = lookup(entryPoint.name);
        if (*entryPoint.slot == nullptr)
            ZEMB_THROW(Zemb::String("Could not load extension procedure: ") + entryPoint.name);
    }
}

const char* Extensions::EntryPointName(int index) { return entryPoints[index].name; }

void* Extensions::EntryPointAddress(int index) { return *entryPoints[index].slot; }

void Extensions::Reset()
{
    for (const EntryPoint& entryPoint : entryPoints)
        *entryPoint.slot = nullptr;
}
