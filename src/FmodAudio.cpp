// FmodAudio: the music player on our sound system; the channel carries the position.
#include "FmodAudio.h"

#include "Zemb/Exception.h"

#include "MusicChannel.h"
#include "SoundSystem.h"

FmodAudio::FmodAudio() : system(new SoundSystem()), channel(nullptr), sound(nullptr), playing(false)
{
    // Newer and older libraries are refused alike.
    if (system->GetVersion() != SoundSystem::requiredVersion)
        ZEMB_THROW("Incorrect version of FMOD");
}

FmodAudio::~FmodAudio() = default;

void FmodAudio::PlayStream(const Zemb::String& fileName)
{
    sound = system->CreateStream(fileName.CStr());
    channel = system->PlaySound(sound);
    playing = true;
}

void FmodAudio::Update() { system->Update(); }

void FmodAudio::Pause()
{
    if (channel == nullptr)
        return;
    channel->SetPaused(true);
    playing = false;
}

void FmodAudio::Resume()
{
    if (channel == nullptr)
        return;
    channel->SetPaused(false);
    playing = true;
}

void FmodAudio::Stop()
{
    if (channel != nullptr)
        channel->Stop();
}

bool FmodAudio::HasChannel() { return channel != nullptr; }

bool FmodAudio::IsPlaying() { return playing; }

double FmodAudio::GetPosition()
{
    if (channel == nullptr)
        return 0.0;
    return channel->GetPosition() / 1000.0;
}

void FmodAudio::SetPosition(double seconds)
{
    if (channel == nullptr)
        return;
    // The conversion of a value out of the 64-bit range is undefined; such a time has no
    // meaningful position anyway, so it goes to 0.
    double ms = seconds * 1000.0;
    int64_t whole = (ms > -9.2e18 && ms < 9.2e18) ? static_cast<int64_t>(ms) : 0;
    channel->SetPosition(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
}
