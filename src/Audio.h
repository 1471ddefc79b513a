// Audio: the music player's interface. Holds nothing; an implementation owns its sound
// system and its music. Never deleted through this interface, hence the protected
// destructor.
#pragma once

class Audio
{
public:
    // Periodic housekeeping, once per frame.
    virtual void Update() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    virtual void Stop() = 0;
    virtual bool HasChannel() = 0;
    virtual bool IsPlaying() = 0;
    // Playback position in seconds; 0 without a channel.
    virtual double GetPosition() = 0;
    virtual void SetPosition(double seconds) = 0;

protected:
    Audio() = default;
    ~Audio() = default;
    Audio(const Audio&) = default;
    Audio& operator=(const Audio&) = default;
};
