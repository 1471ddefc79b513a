// SoundSystem: SDL audio plus libmpg123, and the check that they are the ones built against.
#include "SoundSystem.h"

#include <link.h>

#include <cstdlib>
#include <cstring>

#include "MusicChannel.h"
#include "MusicStream.h"

uint64_t (*SoundSystem::versionSource)() = &SoundSystem::LoadedVersion;

namespace
{
    // libmpg123 before 1.32 cannot tell its version, but its file name can: libtool names it
    // libmpg123.so.<current - age>.<age>.<revision>, and its current interface number is
    // the MPG123_API_VERSION of its header.
    int FindMpg123Interface(struct dl_phdr_info* info, size_t, void* data)
    {
        const char* path = info->dlpi_name;
        if (path == nullptr || std::strstr(path, "libmpg123.so") == nullptr)
            return 0;
        char* real = realpath(path, nullptr);
        if (real == nullptr)
            return 0;
        const char* suffix = std::strstr(real, "libmpg123.so.");
        unsigned long major = 0;
        unsigned long age = 0;
        char* end = nullptr;
        if (suffix != nullptr)
        {
            const char* numbers = suffix + std::strlen("libmpg123.so.");
            major = std::strtoul(numbers, &end, 10);
            if (end != numbers && *end == '.')
            {
                const char* ageText = end + 1;
                age = std::strtoul(ageText, &end, 10);
                if (end != ageText)
                    *static_cast<unsigned long*>(data) = major + age;
            }
        }
        std::free(real);
        return 1;
    }
}

uint64_t SoundSystem::LoadedVersion()
{
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    unsigned long mpg123 = 0;
    dl_iterate_phdr(&FindMpg123Interface, &mpg123);
    if (mpg123 == 0)
        return 0;
    return MakeSoundVersion(sdl.major, sdl.minor, sdl.patch, static_cast<unsigned>(mpg123));
}

SoundSystem::SoundSystem() : audioInitialised(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}

SoundSystem::~SoundSystem()
{
    // The channel's device thread reads its stream: it goes first.
    channel.reset();
    streams.clear();
    if (audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

MusicStream* SoundSystem::CreateStream(const char* path)
{
    if (path == nullptr)
        return nullptr;
    std::unique_ptr<MusicStream> stream(new MusicStream(path));
    if (!stream->IsOpen())
        return nullptr;
    streams.push_back(std::move(stream));
    return streams.back().get();
}

MusicChannel* SoundSystem::PlaySound(MusicStream* sound)
{
    if (sound == nullptr || !audioInitialised)
        return nullptr;
    // One channel at a time: the old one must let go of the device before the new one opens.
    channel.reset();
    channel.reset(new MusicChannel(*sound));
    if (!channel->IsOpen())
    {
        channel.reset();
        return nullptr;
    }
    return channel.get();
}
