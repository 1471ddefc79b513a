// FmodAudio: the music player. Owns the sound system from construction to destruction,
// and with it the music stream and its channel. Throws Zemb::Exception when the sound
// libraries are not the versions it was built against; every other failure is silence.
#pragma once

#include <cstdint>
#include <memory>

#include "Zemb/String.h"

#include "Audio.h"

class MusicChannel;
class MusicStream;
class SoundSystem;

class FmodAudio final : public Audio
{
public:
    FmodAudio();
    ~FmodAudio();

    FmodAudio(const FmodAudio&) = delete;
    FmodAudio& operator=(const FmodAudio&) = delete;

    // Opens the file as a stream and starts it at once; without a device or a playable file the
    // player stays without a channel (and the clock runs on its timer).
    void PlayStream(const Zemb::String& fileName);
    // The channel the music plays on, or null; the clock reads its position directly.
    MusicChannel* GetChannel() const { return channel; }

    void Update() override;
    void Pause() override;
    void Resume() override;
    void Stop() override;
    bool HasChannel() override;
    bool IsPlaying() override;
    double GetPosition() override;
    // seconds x 1000, truncated toward zero; its low 32 bits are the millisecond position.
    void SetPosition(double seconds) override;

private:
    std::unique_ptr<SoundSystem> system;
    MusicChannel* channel; // owned by system
    MusicStream* sound;    // owned by system, freed with it
    bool playing;
};
