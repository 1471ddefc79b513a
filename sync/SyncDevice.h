// The sync-track player: a device that owns named keyframe tracks, loads each from its own file on
// first request and evaluates it at a fractional row. Plain records; everything lives until the process
// ends (Destroy exists for tests and tools). No exceptions: failures are return values or empty tracks.
#pragma once

#include <cstdint>

// How a value moves from one key to the next. Stored as read from the file: numbers other than these
// four are kept and evaluate to 0 between their key and the next.
enum class KeyType : std::int32_t
{
    Step = 0,
    Linear = 1,
    Smooth = 2,
    Ramp = 3
};

struct TrackKey
{
    std::int32_t row;
    float value;
    KeyType type;
};

struct SyncTrack
{
    char* name;  // owned, compared byte for byte
    TrackKey* keys;  // owned; null when no key was read
    std::int32_t keyCount;

    // Reads the track file at path into this track: 0 when the file was opened, 1 when it could not be
    // (the track is then left untouched). A damaged file keeps only the keys read completely.
    int Load(const char* path);
    // Index of the last key whose row is at or before row; -1 before the first key or without keys.
    int FindKey(int row) const;
    // The track's value at a fractional row; 0 for a track without keys.
    float GetValueAt(double row) const;

    // A track owns its name and keys: copies would share them.
    SyncTrack(const SyncTrack&) = delete;
    SyncTrack& operator=(const SyncTrack&) = delete;
};

struct SyncDevice
{
    char* base;  // owned prefix of every track file path
    SyncTrack** tracks;  // owned, in order of first request; null while empty
    std::int32_t trackCount;

    // A new device with a private copy of base, or null without memory (or without a base).
    static SyncDevice* Create(const char* base);
    // Releases a device with all its tracks; accepts null. The demo never calls it.
    static void Destroy(SyncDevice* device);

    // Index of the first track named name, or -1.
    int FindTrack(const char* name) const;
    // The track named name, created and loaded from <base>_<name>.track on its first request only.
    // Never null: without memory it answers with a shared empty track that is not kept.
    SyncTrack* GetTrack(const char* name);

    SyncDevice(const SyncDevice&) = delete;
    SyncDevice& operator=(const SyncDevice&) = delete;
};
