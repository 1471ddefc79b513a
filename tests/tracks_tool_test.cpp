// Tests of kelvorandum-tracks, run as an author runs it: sources compiled into track files that the
// demo's player reads back, bad sources refused without touching the output, dumps that recompile.
// Each test works in its own temporary directory, removed afterwards.
#include "RunProgram.h"
#include "ScratchFolder.h"
#include "SyncDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace
{
    const std::string tool = TRACKS_TOOL;

    class TracksTool : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_FALSE(dir.empty()); }

        void WriteText(const std::string& name, const std::string& text)
        {
            std::ofstream out(dir / name, std::ios::binary);
            out << text;
        }

        ProgramRun Run(const std::string& arguments) { return RunProgram("'" + tool + "' " + arguments, dir.string()); }

        std::set<std::string> FilesIn(const std::string& sub)
        {
            std::set<std::string> names;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir / sub))
                names.insert(entry.path().filename().string());
            return names;
        }

        ScratchFolder scratch{"tracks_tool"};
        const fs::path& dir = scratch.Path();
    };

    const char choreography[] = "# A small choreography: every way of writing a key.\n"
                                "track \"Example\"\n"
                                "    1:1   0    linear\n"
                                "    1:2   1    step\n"
                                "\n"
                                "track \"Rotation Time\"   # spaces belong to the name\n"
                                "\t1:1     0.0   linear\n"
                                "    2:1     1.0   smooth     # row 32\n"
                                "    3:1     3     ramp\n"
                                "    3:3     7     step\n"
                                "    3:3.5   -2.5  linear     # half a beat later: row 84\n"
                                "    100     1e1   step\n"
                                "track \"rotation time\"\n"
                                "    -8      5     step\n"
                                "    12:2    6     step\n";
}

TEST_F(TracksTool, CompiledSourceReadsBackThroughThePlayer)
{
    WriteText("show.tracks", choreography);
    ProgramRun run = Run("--out out show.tracks");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FilesIn("out"),
              (std::set<std::string>{"_Example.track", "_Rotation Time.track", "_rotation time.track"}));

    // Two keys, row 0 value 0 linear and row 8 value 1 step, byte for byte.
    std::string example = ReadWholeFile((dir / "out" / "_Example.track").string());
    EXPECT_EQ(example, std::string("\x02\0\0\0"
                                   "\0\0\0\0"
                                   "\0\0\0\0"
                                   "\x01"
                                   "\x08\0\0\0"
                                   "\0\0\x80\x3f"
                                   "\0",
                                   22));

    std::string base = (dir / "out").string() + "/";
    SyncDevice* device = SyncDevice::Create(base.c_str());
    ASSERT_NE(device, nullptr);
    SyncTrack* rotation = device->GetTrack("Rotation Time");
    ASSERT_EQ(rotation->keyCount, 6);
    const int rows[] = {0, 32, 64, 80, 84, 100};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(rotation->keys[k].row, rows[k]) << "key " << k;
    struct Case
    {
        double row;
        float expected;
    } cases[] = {
        {16.0, 0.5f},    // halfway up the linear key
        {40.0, 1.3125f}, // a quarter into the smooth key: 1 + 2 x 0.15625
        {72.0, 4.0f},    // halfway into the ramp: 3 + 4 x 0.25
        {82.0, 7.0f},    // step holds
        {92.0, 3.75f},   // halfway from -2.5 to 10
        {500.0, 10.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rotation->GetValueAt(c.row), c.expected) << "row " << c.row;

    SyncTrack* lower = device->GetTrack("rotation time");
    ASSERT_EQ(lower->keyCount, 2);
    EXPECT_EQ(lower->keys[0].row, -8);
    EXPECT_EQ(lower->keys[1].row, 360);
    EXPECT_EQ(lower->GetValueAt(359.9), 5.0f);
    SyncDevice::Destroy(device);
}

// Bad sources: exit 2, every message points at its line, and the output directory is untouched.
TEST_F(TracksTool, BadSourcesWriteNothing)
{
    struct Case
    {
        const char* what;
        const char* source;
        int line;
        const char* says;
    } cases[] = {
        {"unknown keyword", "track \"A\"\n  1:1 0 step\ntrak \"B\"\n", 3, "unknown keyword 'trak'"},
        {"bad number", "track \"A\"\n  1:1 0,5 step\n", 2, "bad number '0,5'"},
        {"not a number", "track \"A\"\n  1:1 nan step\n", 2, "bad number 'nan'"},
        {"unknown interpolation", "track \"A\"\n  1:1 0 linaer\n", 2, "unknown interpolation 'linaer'"},
        {"missing interpolation", "track \"A\"\n  1:1 0\n", 2, "POSITION VALUE INTERP"},
        {"duplicate row", "track \"A\"\n  1:2 0 step\n  8 1 step\n", 3, "duplicate row 8 (1:2)"},
        {"decreasing row", "track \"A\"\n  2:1 0 step\n  1:4.5 1 step\n", 3, "decreasing row 28 (1:4.5)"},
        {"duplicate track", "track \"A\"\n  0 0 step\n# again\ntrack \"A\"\n", 4, "duplicate track \"A\""},
        {"key before a track", "  1:1 0 step\ntrack \"A\"\n", 1, "key before any track"},
        {"between rows", "track \"A\"\n  1:1.3 0 step\n", 2, "falls between rows"},
        {"bar zero", "track \"A\"\n  0:1 0 step\n", 2, "bars count from 1"},
        {"beat five", "track \"A\"\n  1:5 0 step\n", 2, "beats run from 1 to 4"},
        {"row beyond 32 bits", "track \"A\"\n  2147483648 0 step\n", 2, "beyond the rows"},
        {"unquoted name", "track Part\n", 1, "double quotes"},
        {"unclosed quote", "track \"Part\n", 1, "not closed"},
        {"slash in name", "track \"a/b\"\n", 1, "'/'"},
        {"name too long for the demo", nullptr, 1, "allows 247"},
        {"error late in a good source", "track \"A\"\n  0 0 step\ntrack \"B\"\n  0 0 step\n  1 x step\n", 5,
         "bad number 'x'"},
    };
    fs::create_directory(dir / "out");
    WriteText("out/_A.track", "old");
    for (const Case& c : cases)
    {
        std::string source = c.source != nullptr ? c.source : "track \"" + std::string(248, 'n') + "\"\n";
        WriteText("bad.tracks", source);
        ProgramRun run = Run("--out out bad.tracks");
        EXPECT_EQ(run.exitCode, 2) << c.what;
        std::string at = "bad.tracks:" + std::to_string(c.line) + ": ";
        EXPECT_NE(run.err.find(at), std::string::npos) << c.what << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << "\n" << run.err;
        EXPECT_EQ(FilesIn("out"), std::set<std::string>{"_A.track"}) << c.what;
        EXPECT_EQ(ReadWholeFile((dir / "out/_A.track").string()), "old") << c.what;
    }
    EXPECT_FALSE(fs::exists(dir / "Data"));
}

TEST_F(TracksTool, EveryErrorOfASourceIsReported)
{
    WriteText("bad.tracks", "track \"A\"\n  1:1 x step\n  oops\n  2:1 0 ramps\n");
    ProgramRun run = Run("--check bad.tracks");
    EXPECT_EQ(run.exitCode, 2);
    for (const char* at : {"bad.tracks:2: ", "bad.tracks:3: ", "bad.tracks:4: "})
        EXPECT_NE(run.err.find(at), std::string::npos) << run.err;
}

TEST_F(TracksTool, CheckWritesNothingAndDumpRecompilesToTheSameFiles)
{
    WriteText("show.tracks", choreography);
    ProgramRun check = Run("--check --out out show.tracks");
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_FALSE(fs::exists(dir / "out"));

    ASSERT_EQ(Run("--out out show.tracks").exitCode, 0);
    ProgramRun dump = Run("--dump 'out/_Example.track' 'out/_Rotation Time.track' 'out/_rotation time.track'");
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("3:3.5"), std::string::npos) << dump.out;
    WriteText("dumped.tracks", dump.out);
    ProgramRun again = Run("--out again dumped.tracks");
    ASSERT_EQ(again.exitCode, 0) << again.err;
    for (const std::string& name : FilesIn("out"))
        EXPECT_EQ(ReadWholeFile((dir / "again" / name).string()), ReadWholeFile((dir / "out" / name).string()))
            << name;
}

TEST_F(TracksTool, DumpNamesDamageAndMissingFiles)
{
    // Announces three keys, holds one and a half.
    WriteText("_Cut.track", std::string("\x03\0\0\0\x08\0\0\0\0\0\x80\x3f\x01\x10\0\0", 16));
    ProgramRun damaged = Run("--dump _Cut.track");
    EXPECT_EQ(damaged.exitCode, 0);
    EXPECT_NE(damaged.out.find("damaged"), std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find("1:2"), std::string::npos) << damaged.out;

    ProgramRun missing = Run("--dump _Absent.track");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("_Absent.track"), std::string::npos);
}

TEST_F(TracksTool, OptionsAndUsage)
{
    ProgramRun help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("BAR:BEAT"), std::string::npos);
    struct Case
    {
        const char* arguments;
        int exitCode;
    } cases[] = {
        {"--frobnicate show.tracks", 2}, {"", 2}, {"a.tracks b.tracks", 2}, {"--out", 2},
        {"absent.tracks", 1},            {"--dump", 2},
    };
    for (const Case& c : cases)
    {
        ProgramRun run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_FALSE(run.err.empty()) << c.arguments;
    }
}
