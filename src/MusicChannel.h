// MusicChannel: one music stream playing on the audio device. Owns the SDL audio device
// and its format converter from construction to destruction; plays a MusicStream that it
// does not own and that must outlive it. No device leaves the channel closed; nothing throws.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <mutex>
#include <vector>

class MusicStream;

class MusicChannel
{
public:
    // Opens the default output device and starts playing stream from its beginning at once.
    explicit MusicChannel(MusicStream& stream);
    ~MusicChannel();

    MusicChannel(const MusicChannel&) = delete;
    MusicChannel& operator=(const MusicChannel&) = delete;

    // False when no output device could be opened; a closed channel plays nothing.
    bool IsOpen() const { return device != 0; }
    // Pausing halts playback and the position with it.
    void SetPaused(bool paused);
    // Ends the music; the device goes on playing silence, so the position keeps running.
    void Stop();
    // Milliseconds of the stream played out by the device, low 32 bits. Past the end of the
    // music it keeps counting the silence that follows, in real time.
    uint32_t GetPosition() const;
    // Playback continues from ms milliseconds; past the end of the music that is silence.
    void SetPosition(uint32_t ms);
    // The sample rate the device was actually opened with.
    int GetDeviceRate() const { return obtained.freq; }

    // The sample rate asked of the device; 0 asks for the stream's own rate. For tests that
    // need a device whose rate differs from the file's.
    static int requestedRate;

private:
    static void SDLCALL Callback(void* userData, Uint8* output, int length);
    void Fill(Uint8* output, int length);
    // How far the device has got, in device frames since the last seek.
    uint64_t PlayedFrames() const;

    MusicStream& stream;
    SDL_AudioDeviceID device;
    SDL_AudioSpec obtained;
    SDL_AudioStream* converter;

    // Decoder-side state: touched by the callback thread, and by the main thread only while it
    // holds the device lock.
    std::vector<unsigned char> decoded;
    bool ended;
    bool stopped;

    // Position state, shared with the main thread under positionLock. A buffer handed to the
    // device counts as playing from the moment it was handed over.
    mutable std::mutex positionLock;
    uint64_t originMs;     // position of the last seek
    uint64_t framesBefore; // frames since the seek, before the buffer now playing
    uint64_t lastFrames;   // frames of the buffer now playing
    uint64_t lastCounter;  // performance counter when that buffer was handed over
    bool paused;
};
