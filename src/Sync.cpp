// Sync: the clock follows the music channel's millisecond position, and the tracks are read
// at that position converted to rows.
#include "Sync.h"

#include <SDL.h>

#include "SyncDevice.h"
#include "Zemb/Exception.h"

#include "FmodAudio.h"
#include "MusicChannel.h"

namespace
{
    uint32_t SdlTicks() { return SDL_GetTicks(); }

    Sync* instance = nullptr;
}

uint32_t (*Sync::ticks)() = &SdlTicks;
SyncDevice* (*Sync::createDevice)(const char* base) = &SyncDevice::Create;

Sync::Sync() : audio(nullptr), start(ticks()), device(createDevice("Data/")), rowRate(0.0)
{
    if (device == nullptr)
        ZEMB_THROW("Could not initialize sync");
}

Sync& Sync::Instance()
{
    // Set only once construction succeeded, so a failed one is retried.
    if (instance == nullptr)
        instance = new Sync();
    return *instance;
}

double Sync::GetTime()
{
    Sync& sync = Instance();
    MusicChannel* channel = sync.audio != nullptr ? sync.audio->GetChannel() : nullptr;
    // Unsigned subtraction stays right across the wrap of the 32-bit tick counter.
    uint32_t ms = channel != nullptr ? channel->GetPosition() : ticks() - sync.start;
    return ms / 1000.0;
}

float Sync::GetValue(const char* trackName)
{
    Sync& sync = Instance();
    if (sync.audio == nullptr)
        return 0.0f;
    MusicChannel* channel = sync.audio->GetChannel();
    double seconds = channel != nullptr ? channel->GetPosition() / 1000.0 : 0.0;
    double row = sync.rowRate * seconds;
    return sync.device->GetTrack(trackName)->GetValueAt(row);
}
