// The demo run as a user runs it: from a working directory with or without Data/,
// headless, and on an X display where Escape is typed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "XvfbDisplay.h"

namespace fs = std::filesystem;

namespace
{
    const std::string demo = std::string(KELVO_BINARY_DIR) + "/kelvorandum";
    const std::string sourceDir = KELVO_SOURCE_DIR;

    // A private working directory with a copy of the run-time assets, for runs that
    // change them.
    class WorkingCopy
    {
    public:
        void CopyData(bool withTracks)
        {
            fs::create_directories(path / "Data");
            for (const auto& entry : fs::directory_iterator(sourceDir + "/Data"))
            {
                bool track = entry.path().extension() == ".track";
                if (!track || withTracks)
                    fs::copy_file(entry.path(), path / "Data" / entry.path().filename());
            }
        }

        void WriteTrack(const std::string& name, int row, float value)
        {
            std::ofstream file(path / "Data" / ("_" + name + ".track"), std::ios::binary);
            int count = 1;
            signed char type = 0;
            file.write(reinterpret_cast<const char*>(&count), 4);
            file.write(reinterpret_cast<const char*>(&row), 4);
            file.write(reinterpret_cast<const char*>(&value), 4);
            file.write(reinterpret_cast<const char*>(&type), 1);
        }

        std::string Path() const { return path.string(); }
        fs::path Data() const { return path / "Data"; }

    private:
        ScratchFolder scratch{"kelvo-demo"};
        const fs::path& path = scratch.Path();
    };

    bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}

TEST(Program, FailsClearlyWithoutADisplay)
{
    // An unusable driver, and no display at all (SDL's silent fallback to memory is refused).
    for (const char* environment : {"SDL_VIDEODRIVER=nonexistent ", "-u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY "})
    {
        ProgramRun run = RunProgram(environment + demo, sourceDir);
        EXPECT_EQ(run.exitCode, 1) << environment;
        EXPECT_TRUE(Contains(run.err, "Fatal Error\nCould not open a display")) << run.err;
        EXPECT_TRUE(Contains(run.err, "\n\nFile: src/Window.cpp\nLine: ")) << run.err;
    }
}

TEST(Program, StartUpFailuresNameTheMissingFile)
{
    struct Case
    {
        const char* what;
        bool copyData;
        const char* removed;
        const char* message;
        const char* file;
    };
    const Case cases[] = {
        {"no Data folder", false, nullptr, "Could not open input file: \"Data/PerkProc.vert\"", "File: src/File.cpp"},
        {"no last overlay", true, "lame.png", "Could not load texture \"Data/lame.png\"", "File: src/Texture.cpp"},
        {"no scene shader", true, "VrelSucks.frag", "Could not open input file: \"Data/VrelSucks.frag\"",
         "File: src/File.cpp"},
    };
    for (const Case& c : cases)
    {
        WorkingCopy copy;
        if (c.copyData)
            copy.CopyData(true);
        if (c.removed != nullptr)
            fs::remove(copy.Data() / c.removed);
        ProgramRun run = RunProgram(demo + " --any argument is ignored", copy.Path());
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_TRUE(Contains(run.err, std::string("Fatal Error\n") + c.message + "\n\n" + c.file + "\nLine: "))
            << c.what << ": " << run.err;
    }
}

TEST(Program, PartTrackNamingNoEffectEndsTheRun)
{
    // Values no int can hold (and NaN) name no effect either, rather than an undefined cast.
    for (float part : {1.0f, -1.0f, 1e10f, -1e10f, std::nanf("")})
    {
        WorkingCopy copy;
        copy.CopyData(false);
        copy.WriteTrack("Part", 0, part);
        ProgramRun run = RunProgram(demo, copy.Path());
        EXPECT_EQ(run.exitCode, 1) << part;
        EXPECT_TRUE(Contains(run.err, "Index out of bounds\n\nFile: frameworks/zemb/include/Zemb/List.h"))
            << part << ": " << run.err;
    }
}

TEST(Program, RunsToItsEndAtSixtyFiveSeconds)
{
    auto started = std::chrono::steady_clock::now();
    ProgramRun run = RunProgram(demo, sourceDir, 240);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_GE(seconds, 64.0);
    EXPECT_LT(seconds, 120.0);
}

TEST(Program, EscapeOnAnXDisplayEndsARunWithoutTracks)
{
    XvfbDisplay display;
    if (!display.IsRunning())
        GTEST_SKIP() << "Xvfb could not be started";
    WorkingCopy copy;
    copy.CopyData(false);
    auto started = std::chrono::steady_clock::now();
    std::string script = "DISPLAY=" + display.Name() + " SDL_VIDEODRIVER=x11 " + demo +
                         " & pid=$!; export DISPLAY=" + display.Name() +
                         "; xdotool search --sync --name Kelvorandum >/dev/null; sleep 2;"
                         " xdotool mousemove 512 384 key Escape; wait $pid";
    ProgramRun run = RunProgram("sh -c '" + script + "'", copy.Path(), 120);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_LT(seconds, 40.0) << "Escape ended the run long before its 65 s";
}
