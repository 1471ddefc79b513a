// Sync: the demo's clock and its access to the sync tracks. One instance, made on first use
// and never destroyed; it owns the sync device rooted at "Data/" and every track in it. Its
// construction throws Zemb::Exception when the device cannot be created.
#pragma once

#include <cstdint>

class FmodAudio;
struct SyncDevice;

class Sync
{
public:
    // The one instance, constructed on the first call; a construction that throws is tried again
    // by the next call.
    static Sync& Instance();
    // Seconds since the music started: the channel's position, or the millisecond timer since
    // construction while there is no channel.
    static double GetTime();
    // The named track at the current row. 0 before audio is attached, and row 0 while there is
    // no channel (the timer does not move the tracks).
    static float GetValue(const char* trackName);

    FmodAudio* audio;   // the player to follow, not owned; set by the demo
    uint32_t start;     // timer tick at construction, origin of the fallback clock
    SyncDevice* device; // owned, never released
    double rowRate;     // rows per second; set by the demo

    // The millisecond timer (SDL's tick count by default); tests put a stand-in here.
    static uint32_t (*ticks)();
    // How the device is made (SyncDevice::Create by default); tests put a failing one here.
    static SyncDevice* (*createDevice)(const char* base);

    Sync(const Sync&) = delete;
    Sync& operator=(const Sync&) = delete;

private:
    Sync();
    ~Sync() = delete;
};
