// Sync::GetValue with the program's forty tracks loaded (synthetic files of 64 keys each in a
// scratch Data/), following a channel that plays on SDL's dummy device, or with no channel.
// Prints a table; asserts nothing.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FmodAudio.h"
#include "MusicChannel.h"
#include "Sync.h"
#include "SyncDevice.h"

namespace
{
    const char* const trackNames[] = {
        "Part",          "EyeYaw",        "EyePitch",       "EyeRoll",       "EyeOffsetZ",    "EyeOffsetY",
        "EyeOffsetX",    "EyeDistance",   "Rotation Time",  "Skybox Mix",    "Color",         "Ao Factor",
        "Cutouts",       "Slashes",       "Plane Distance", "Rotation Mix",  "Morvane Fade",  "T0mbel Fade",
        "Pell00r Fade",  "Not Fade",      "0ptimize Fade",  "At Fade",       "Function Fade", "Tjue Fade",
        "Fucking Fade",  "Tolv Fade",     "Kel Fade",       "Vor Fade",      "An Fade",       "Dum Fade",
        "Butterfly Fade", "End Logo Fade", "Lame Fade",     "PerkProc Mix",  "Bloom Dry",     "Bloom Wet",
        "Distortion",    "Distortion2",   "Flash",          "Invert"};
    constexpr int trackCount = sizeof trackNames / sizeof trackNames[0];
    constexpr int keysPerTrack = 64;

    // 64 keys spread over the 65 seconds (about 1213 rows), cycling through the four key types.
    void WriteTrack(const std::filesystem::path& path, int seed)
    {
        std::ofstream out(path, std::ios::binary);
        int32_t count = keysPerTrack;
        out.write(reinterpret_cast<const char*>(&count), 4);
        for (int k = 0; k < keysPerTrack; ++k)
        {
            int32_t row = k * 20;
            float value = static_cast<float>((k * 7 + seed) % 13) / 13.0f;
            int8_t type = static_cast<int8_t>(k % 4);
            out.write(reinterpret_cast<const char*>(&row), 4);
            out.write(reinterpret_cast<const char*>(&value), 4);
            out.write(reinterpret_cast<const char*>(&type), 1);
        }
    }

    FmodAudio* playing = nullptr;
    FmodAudio* silent = nullptr;

    FmodAudio* Player(const benchmark::State& state) { return state.range(0) != 0 ? playing : silent; }

    void BM_GetValue(benchmark::State& state)
    {
        Sync::Instance().audio = Player(state);
        int next = 0;
        for (auto _ : state)
        {
            benchmark::DoNotOptimize(Sync::GetValue(trackNames[next]));
            next = next + 1 == trackCount ? 0 : next + 1;
        }
        state.SetItemsProcessed(state.iterations());
    }

    void BM_FrameOfFortyValues(benchmark::State& state)
    {
        Sync::Instance().audio = Player(state);
        for (auto _ : state)
            for (const char* name : trackNames)
                benchmark::DoNotOptimize(Sync::GetValue(name));
        state.SetItemsProcessed(state.iterations() * trackCount);
    }

    void BM_ChannelPosition(benchmark::State& state)
    {
        MusicChannel* channel = playing->GetChannel();
        for (auto _ : state)
            benchmark::DoNotOptimize(channel->GetPosition());
    }
}

BENCHMARK(BM_GetValue)->ArgName("channel")->Arg(1)->Arg(0);
BENCHMARK(BM_FrameOfFortyValues)->ArgName("channel")->Arg(1)->Arg(0);
BENCHMARK(BM_ChannelPosition);

int main(int argc, char** argv)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string name = (std::filesystem::temp_directory_path() / "kelvo-bench-sync-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr)
    {
        std::perror("bench_sync: scratch folder");
        return 1;
    }
    std::filesystem::path dir = name;
    std::filesystem::create_directory(dir / "Data");
    for (int i = 0; i < trackCount; ++i)
        WriteTrack(dir / "Data" / (std::string("_") + trackNames[i] + ".track"), i);
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);

    int result = 0;
    {
        FmodAudio music;
        music.PlayStream((std::string(KELVO_SOURCE_DIR) + "/tests/fixtures/tones.mp3").c_str());
        FmodAudio none;
        none.PlayStream("Data/no-music.mp3");
        if (!music.HasChannel())
        {
            std::fprintf(stderr, "bench_sync: no audio device for the music\n");
            result = 1;
        }
        else
        {
            playing = &music;
            silent = &none;
            Sync& sync = Sync::Instance();
            sync.audio = &music;
            sync.rowRate = 56.0 / 3.0;
            // Every track loaded before measuring, as after the demo's first frame.
            for (const char* track : trackNames)
                Sync::GetValue(track);
            benchmark::Initialize(&argc, argv);
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
            sync.audio = nullptr;
        }
    }
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return result;
}
