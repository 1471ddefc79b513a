// One whole demo frame (scene, copy, overlays, PerkProc, bloom, present) on whatever GL
// the machine offers (llvmpipe when headless), at moments from each section of the
// music, with the clock held by the paused player. Also reports the process's resident
// memory once everything is loaded. Prints a table; asserts nothing. Run from the
// repository root (it reads Data/ like the demo).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "Demo.h"
#include "GL.h"
#include "Window.h"
#include "Zemb/Exception.h"

namespace
{
    Demo* demo = nullptr;

    long ResidentKilobytes()
    {
        long kilobytes = -1;
        std::FILE* status = std::fopen("/proc/self/status", "r");
        if (status == nullptr)
            return -1;
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr)
            if (std::strncmp(line, "VmRSS:", 6) == 0)
                kilobytes = std::strtol(line + 6, nullptr, 10);
        std::fclose(status);
        return kilobytes;
    }

    void BM_Frame(benchmark::State& state)
    {
        double seconds = static_cast<double>(state.range(0));
        demo->GetAudio().SetPosition(seconds);
        demo->Update(); // the first frame at a moment may compile shader variants
        for (auto _ : state)
        {
            demo->GetAudio().SetPosition(seconds);
            demo->Update();
            glFinish();
        }
        state.counters["resident_MiB"] = static_cast<double>(ResidentKilobytes()) / 1024.0;
    }
}

BENCHMARK(BM_Frame)->ArgName("second")->Arg(5)->Arg(20)->Arg(35)->Arg(45)->Arg(55)->Arg(63)
    ->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    try
    {
        std::optional<GLWindow> window;
        window.emplace("Morvane - Kelvorandum", false, 1024, 768, 0x00CA0000);
        Extensions::Load();
        std::optional<Demo> loaded;
        loaded.emplace();
        loaded->GetAudio().Pause();
        demo = &*loaded;
        std::printf("GL renderer: %s\nresident after loading: %.1f MiB\n",
                    reinterpret_cast<const char*>(glGetString(GL_RENDERER)), ResidentKilobytes() / 1024.0);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    catch (const Zemb::Exception& exception)
    {
        std::fprintf(stderr, "bench_frame: %s\n", exception.GetMessage().CStr());
        return 1;
    }
    return 0;
}
