// MusicChannel: SDL pulls audio on its own thread; this decodes on that thread, as much as
// each buffer needs, so a slow frame on the main thread never starves the device.
#include "MusicChannel.h"

#include <algorithm>

#include "MusicStream.h"

int MusicChannel::requestedRate = 0;

namespace
{
    // About 23 ms at 44.1 kHz: short enough for a smooth clock between callbacks.
    constexpr Uint16 bufferFrames = 1024;
    // Room for several MP3 frames' worth of decoded samples per read.
    constexpr size_t decodeBytes = 16384;
    constexpr int bytesPerSample = 2;
}

MusicChannel::MusicChannel(MusicStream& stream)
    : stream(stream), device(0), obtained(), converter(nullptr), decoded(decodeBytes), ended(false),
      stopped(false), originMs(0), framesBefore(0), lastFrames(0), lastCounter(SDL_GetPerformanceCounter()),
      paused(false)
{
    if (!stream.IsOpen() || SDL_WasInit(SDL_INIT_AUDIO) == 0)
        return;
    // A stream played a second time starts over.
    stream.Seek(0);
    SDL_AudioSpec wanted = {};
    wanted.freq = requestedRate > 0 ? requestedRate : stream.GetRate();
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(stream.GetChannels());
    wanted.samples = bufferFrames;
    wanted.callback = &MusicChannel::Callback;
    wanted.userdata = this;
    // The device may pick its own rate and channel count; the converter adapts the stream to
    // whatever it gave, and the position is counted at the rate it gave.
    SDL_AudioDeviceID opened = SDL_OpenAudioDevice(
        nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (opened == 0)
        return;
    converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(stream.GetChannels()), stream.GetRate(),
                                   obtained.format, obtained.channels, obtained.freq);
    if (converter == nullptr || obtained.freq <= 0 || obtained.channels == 0)
    {
        SDL_CloseAudioDevice(opened);
        return;
    }
    device = opened;
    lastCounter = SDL_GetPerformanceCounter();
    // The device opens paused; the first callback comes right after this.
    SDL_PauseAudioDevice(device, 0);
}

MusicChannel::~MusicChannel()
{
    // Closing joins the callback thread, so nothing decodes into the converter after this.
    if (device != 0)
        SDL_CloseAudioDevice(device);
    SDL_FreeAudioStream(converter);
}

void SDLCALL MusicChannel::Callback(void* userData, Uint8* output, int length)
{
    static_cast<MusicChannel*>(userData)->Fill(output, length);
}

void MusicChannel::Fill(Uint8* output, int length)
{
    uint64_t counter = SDL_GetPerformanceCounter();
    int filled = 0;
    while (filled < length)
    {
        int got = SDL_AudioStreamGet(converter, output + filled, length - filled);
        if (got > 0)
        {
            filled += got;
            continue;
        }
        if (got < 0 || ended)
            break;
        size_t bytes = stream.Read(decoded.data(), decoded.size());
        if (bytes == 0 || SDL_AudioStreamPut(converter, decoded.data(), static_cast<int>(bytes)) != 0)
        {
            // SDL's resampler keeps the last few hundred frames back even through a flush; the
            // silence that follows the music anyway pushes them out. What the converter still
            // holds comes out on the next rounds of this loop.
            ended = true;
            std::fill(decoded.begin(), decoded.end(), 0);
            SDL_AudioStreamPut(converter, decoded.data(), static_cast<int>(decoded.size()));
            SDL_AudioStreamFlush(converter);
        }
    }
    SDL_memset(output + filled, obtained.silence, static_cast<size_t>(length - filled));

    // Silence after the end counts too: the clock runs on past the music.
    uint64_t frames = static_cast<uint64_t>(length) / (static_cast<uint64_t>(obtained.channels) * bytesPerSample);
    std::lock_guard<std::mutex> lock(positionLock);
    framesBefore += lastFrames;
    lastFrames = frames;
    lastCounter = counter;
}

void MusicChannel::SetPaused(bool pause)
{
    if (device == 0)
        return;
    if (pause)
    {
        // Once SDL has paused, no callback runs: the position rests at the end of the last buffer
        // handed over, which the device plays out.
        SDL_PauseAudioDevice(device, 1);
        std::lock_guard<std::mutex> lock(positionLock);
        paused = true;
        return;
    }
    {
        // The buffer from before the pause is done; the next callback starts a fresh one. This
        // must happen before the device runs again, or that callback's buffer would count twice.
        std::lock_guard<std::mutex> lock(positionLock);
        if (paused)
        {
            framesBefore += lastFrames;
            lastFrames = 0;
            lastCounter = SDL_GetPerformanceCounter();
            paused = false;
        }
    }
    SDL_PauseAudioDevice(device, 0);
}

void MusicChannel::Stop()
{
    if (device == 0)
        return;
    SDL_LockAudioDevice(device);
    stopped = true;
    ended = true;
    SDL_AudioStreamClear(converter);
    SDL_UnlockAudioDevice(device);
}

uint64_t MusicChannel::PlayedFrames() const
{
    if (paused)
        return framesBefore + lastFrames;
    // Between callbacks the buffer plays at the device's rate; the position moves with it
    // instead of jumping a buffer at a time.
    double seconds = static_cast<double>(SDL_GetPerformanceCounter() - lastCounter) /
                     static_cast<double>(SDL_GetPerformanceFrequency());
    double elapsed = seconds * obtained.freq;
    uint64_t within = elapsed >= static_cast<double>(lastFrames) ? lastFrames : static_cast<uint64_t>(elapsed);
    return framesBefore + within;
}

uint32_t MusicChannel::GetPosition() const
{
    if (device == 0)
        return 0;
    std::lock_guard<std::mutex> lock(positionLock);
    uint64_t ms = originMs + PlayedFrames() * 1000u / static_cast<uint64_t>(obtained.freq);
    return static_cast<uint32_t>(ms);
}

void MusicChannel::SetPosition(uint32_t ms)
{
    if (device == 0)
        return;
    SDL_LockAudioDevice(device);
    SDL_AudioStreamClear(converter);
    // A stopped channel stays silent; a seek the decoder cannot follow is silence from there.
    ended = stopped || !stream.Seek(ms);
    {
        std::lock_guard<std::mutex> lock(positionLock);
        originMs = ms;
        framesBefore = 0;
        lastFrames = 0;
        lastCounter = SDL_GetPerformanceCounter();
    }
    SDL_UnlockAudioDevice(device);
}
