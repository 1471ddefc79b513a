// The committed choreography: the track files in Data/ are exactly what kelvorandum-tracks builds
// from tools/choreography/kelvorandum.tracks, one file for each of the demo's forty tracks, and
// their keys keep the few rules the demo depends on. Compiles into a scratch folder.
#include "RunProgram.h"
#include "ScratchFolder.h"
#include "SyncDevice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace
{
    const std::string tool = TRACKS_TOOL;
    const std::string root = KELVO_SOURCE_DIR;
    const std::string source = root + "/tools/choreography/kelvorandum.tracks";

    // Every track the demo asks for, by its exact name.
    const char* const trackNames[] = {
        "Part", "EyeYaw", "EyePitch", "EyeRoll", "EyeOffsetZ", "EyeOffsetY", "EyeOffsetX", "EyeDistance",
        "Rotation Time", "Skybox Mix", "Color", "Ao Factor", "Cutouts", "Slashes", "Plane Distance",
        "Rotation Mix", "Morvane Fade", "T0mbel Fade", "Pell00r Fade", "Not Fade", "0ptimize Fade", "At Fade",
        "Function Fade", "Tjue Fade", "Fucking Fade", "Tolv Fade", "Kel Fade", "Vor Fade", "An Fade", "Dum Fade",
        "Butterfly Fade", "End Logo Fade", "Lame Fade", "PerkProc Mix", "Bloom Dry", "Bloom Wet", "Distortion",
        "Distortion2", "Flash", "Invert"};

    std::set<std::string> ExpectedFiles()
    {
        std::set<std::string> names;
        for (const char* name : trackNames)
            names.insert(std::string("_") + name + ".track");
        return names;
    }

    // The track files (_*.track) in a folder.
    std::set<std::string> TrackFilesIn(const fs::path& folder)
    {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        {
            std::string name = entry.path().filename().string();
            if (name.size() > 7 && name[0] == '_' && name.compare(name.size() - 6, 6, ".track") == 0)
                names.insert(name);
        }
        return names;
    }
}

TEST(Choreography, CommittedTrackFilesAreWhatTheSourceCompilesTo)
{
    ScratchFolder scratch("choreography");
    ASSERT_FALSE(scratch.Path().empty());
    ProgramRun run = RunProgram("'" + tool + "' --out '" + scratch.Path().string() + "' '" + source + "'", root);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const std::set<std::string> expected = ExpectedFiles();
    ASSERT_EQ(expected.size(), 40u);
    EXPECT_EQ(TrackFilesIn(scratch.Path()), expected) << "the source must define exactly the demo's forty tracks";
    EXPECT_EQ(TrackFilesIn(root + "/Data"), expected) << "Data/ must hold exactly the demo's forty track files";

    for (const std::string& name : expected)
    {
        std::string built = ReadWholeFile((scratch.Path() / name).string());
        std::string committed = ReadWholeFile(root + "/Data/" + name);
        EXPECT_FALSE(built.empty()) << name;
        EXPECT_TRUE(built == committed) << "Data/" << name << " differs from what " << source
                                        << " compiles to; recompile it with kelvorandum-tracks --out Data";
    }
}

TEST(Choreography, KeysKeepTheRulesTheDemoDependsOn)
{
    SyncDevice* device = SyncDevice::Create((root + "/Data/").c_str());
    ASSERT_NE(device, nullptr);
    for (const char* name : trackNames)
    {
        const SyncTrack* track = device->GetTrack(name);
        ASSERT_GT(track->keyCount, 0) << name;
        // Before its first key a track holds that key's value: a first key later than the start
        // would show its value from the first frame (an overlay up from the beginning, say).
        EXPECT_EQ(track->keys[0].row, 0) << name << " must start at 1:1";
        for (int k = 0; k < track->keyCount; ++k)
        {
            const TrackKey& key = track->keys[k];
            // "Part" indexes the effect list, which has one entry: anything else ends the run.
            if (std::string(name) == "Part")
            {
                EXPECT_EQ(key.value, 0.0f) << "Part at row " << key.row;
            }
            // Every interpolation stays between its two keys, so the keys bound the track. Both
            // bloom weights at zero would mean no bloom pass at all; the sharp image never goes out.
            if (std::string(name) == "Bloom Dry")
            {
                EXPECT_GT(key.value, 0.02f) << "Bloom Dry at row " << key.row;
            }
        }
    }
    SyncDevice::Destroy(device);
}
