// The sync device: owns the base path and every track, created on first request and kept until the
// process ends. Only Create can fail (null without memory); a track that cannot be created, or whose
// path does not fit, answers like a missing file: no keys, 0 everywhere.
#include "SyncDevice.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
    // The platform's path limit, terminator included. One buffer serves every request: single thread.
    const std::size_t pathCapacity = 260;
    char pathBuffer[pathCapacity];

    // Answered when a track cannot be allocated; never stored in a device, so a later request retries.
    char emptyName[] = "";
    SyncTrack emptyTrack = {emptyName, nullptr, 0};

    char* CopyText(const char* text)
    {
        std::size_t size = std::strlen(text) + 1;
        char* copy = static_cast<char*>(std::malloc(size));
        if (copy != nullptr)
            std::memcpy(copy, text, size);
        return copy;
    }

    // base + "_" + name + ".track" in the shared buffer; null when it would not fit.
    const char* ComposePath(const char* base, const char* name)
    {
        int length = std::snprintf(pathBuffer, pathCapacity, "%s_%s.track", base, name);
        if (length < 0 || std::size_t(length) >= pathCapacity)
            return nullptr;
        return pathBuffer;
    }

    void DestroyTrack(SyncTrack* track)
    {
        if (track == nullptr)
            return;
        std::free(track->name);
        std::free(track->keys);
        delete track;
    }
}

SyncDevice* SyncDevice::Create(const char* base)
{
    if (base == nullptr)
        return nullptr;
    char* copy = CopyText(base);
    if (copy == nullptr)
        return nullptr;
    SyncDevice* device = new (std::nothrow) SyncDevice{copy, nullptr, 0};
    if (device == nullptr)
        std::free(copy);
    return device;
}

void SyncDevice::Destroy(SyncDevice* device)
{
    if (device == nullptr)
        return;
    for (std::int32_t i = 0; i < device->trackCount; ++i)
        DestroyTrack(device->tracks[i]);
    std::free(device->tracks);
    std::free(device->base);
    delete device;
}

int SyncDevice::FindTrack(const char* name) const
{
    if (name == nullptr || trackCount <= 0)
        return -1;
    for (std::int32_t i = 0; i < trackCount; ++i)
        if (std::strcmp(tracks[i]->name, name) == 0)
            return i;
    return -1;
}

SyncTrack* SyncDevice::GetTrack(const char* name)
{
    if (name == nullptr)
        return &emptyTrack;
    int found = FindTrack(name);
    if (found >= 0)
        return tracks[found];

    char* copy = CopyText(name);
    SyncTrack* track = copy != nullptr ? new (std::nothrow) SyncTrack{copy, nullptr, 0} : nullptr;
    if (track == nullptr)
    {
        std::free(copy);
        return &emptyTrack;
    }
    // The array holds exactly trackCount entries: tracks arrive one at a time, and only at start.
    void* grown = std::realloc(tracks, sizeof(SyncTrack*) * (std::size_t(trackCount) + 1));
    if (grown == nullptr)
    {
        DestroyTrack(track);
        return &emptyTrack;
    }
    tracks = static_cast<SyncTrack**>(grown);
    tracks[trackCount++] = track;

    // A path too long for the buffer is a missing file: the track stays without keys.
    const char* path = ComposePath(base, name);
    if (path != nullptr)
        track->Load(path);
    return track;
}
