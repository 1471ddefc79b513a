// SoundSystem: the sound library as the music player sees it. Owns SDL's audio subsystem
// (a reference on it), every stream it opened and the one channel it plays, until
// destruction. No audio device is not an error: nothing plays, and nothing throws.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <SDL.h>
#include <mpg123.h>

class MusicChannel;
class MusicStream;

// One number for the two libraries: SDL's major, minor and patch in bits 48, 40 and 32,
// libmpg123's interface version in the low 32 bits.
constexpr uint64_t MakeSoundVersion(unsigned major, unsigned minor, unsigned patch, unsigned mpg123)
{
    return (uint64_t(major) << 48) | (uint64_t(minor) << 40) | (uint64_t(patch) << 32) | mpg123;
}

class SoundSystem
{
public:
    SoundSystem();
    ~SoundSystem();

    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // The libraries this program was built against.
    static constexpr uint64_t requiredVersion =
        MakeSoundVersion(SDL_MAJOR_VERSION, SDL_MINOR_VERSION, SDL_PATCHLEVEL, MPG123_API_VERSION);
    // The libraries loaded in this process, as the versionSource reports them.
    uint64_t GetVersion() const { return versionSource(); }
    // What the loaded libraries say of themselves; 0 where libmpg123's version cannot be found.
    static uint64_t LoadedVersion();
    // Where GetVersion asks; tests put a stand-in here to play a library of another version.
    static uint64_t (*versionSource)();

    // A stream on the file, kept until the system goes; null when it holds no playable MPEG audio.
    MusicStream* CreateStream(const char* path);
    // Starts sound from its beginning on the system's one channel, replacing what played there;
    // null when there is no sound or no audio device to play it on.
    MusicChannel* PlaySound(MusicStream* sound);
    // Streaming runs on the audio device's own thread, so the frame has nothing to do here.
    void Update() {}

private:
    bool audioInitialised;
    std::vector<std::unique_ptr<MusicStream>> streams;
    std::unique_ptr<MusicChannel> channel;
};
