// Every sync track visibly moves the picture: the demo renders a moment of the committed
// choreography in this process, one track's loaded keys are shifted in memory, the same moment is
// rendered again and the two finished 1280 x 720 frames must differ clearly. Catches a track whose
// name, uniform or shader term was lost on the way. Needs Data/ with the music (the clock is the
// music's position); runs on the headless GL context.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "HeadlessDemo.h"
#include "Sync.h"
#include "SyncDevice.h"

namespace
{
    // Bar 10, beat 1.75 of the build (row 294): the camera low at the side, the sculpture large
    // against floor and sky, no overlay up, between the kick's flash and the clap's tear.
    const double quietBuild = 15.75;
    // Bar 37, beat 2.4: the end logo is up and "Lame" (shown only under it) has not come in yet.
    const double endLogoUp = 62.3;

    struct Nudge
    {
        const char* track;
        double seconds; // a moment where the track matters
        float delta;    // added to every key of the track
    };

    // "Part" is not here: it picks the effect, and any other whole value ends the run.
    const Nudge nudges[] = {
        {"EyeYaw", quietBuild, 8.0f},
        {"EyePitch", quietBuild, 8.0f},
        {"EyeRoll", quietBuild, 8.0f},
        {"EyeOffsetZ", quietBuild, 0.5f},
        {"EyeOffsetY", quietBuild, 0.3f},
        {"EyeOffsetX", quietBuild, 0.5f},
        {"EyeDistance", quietBuild, 0.5f},
        {"Rotation Time", quietBuild, 0.4f},
        {"Skybox Mix", quietBuild, 0.8f},
        {"Color", quietBuild, 0.25f},
        {"Ao Factor", quietBuild, -0.6f},
        {"Cutouts", quietBuild, 0.8f},
        {"Slashes", quietBuild, 0.8f},
        {"Plane Distance", quietBuild, 1.5f},
        {"Rotation Mix", quietBuild, 0.5f},
        {"Morvane Fade", quietBuild, 0.8f},
        {"T0mbel Fade", quietBuild, 0.8f},
        {"Pell00r Fade", quietBuild, 0.8f},
        {"Not Fade", quietBuild, 0.8f},
        {"0ptimize Fade", quietBuild, 0.8f},
        {"At Fade", quietBuild, 0.8f},
        {"Function Fade", quietBuild, 0.8f},
        {"Tjue Fade", quietBuild, 0.8f},
        {"Fucking Fade", quietBuild, 0.8f},
        {"Tolv Fade", quietBuild, 0.8f},
        {"Kel Fade", quietBuild, 0.8f},
        {"Vor Fade", quietBuild, 0.8f},
        {"An Fade", quietBuild, 0.8f},
        {"Dum Fade", quietBuild, 0.8f},
        {"Butterfly Fade", quietBuild, 0.8f},
        {"End Logo Fade", quietBuild, 0.8f},
        {"Lame Fade", endLogoUp, 0.8f},
        {"PerkProc Mix", quietBuild, 0.5f},
        {"Bloom Dry", quietBuild, -0.5f},
        {"Bloom Wet", quietBuild, 0.5f},
        {"Distortion", quietBuild, 0.6f},
        {"Distortion2", quietBuild, 0.8f},
        {"Flash", quietBuild, 0.5f},
        {"Invert", quietBuild, 1.0f},
    };

    // A pixel counts as changed when a colour channel moved by more than this many levels of 255,
    // and a picture as changed when at least this share of its pixels did: a small word image
    // covers several per cent of the frame, rounding noise covers none.
    const int changedLevels = 12;
    const double changedShare = 0.005;

    using Pixels = std::vector<unsigned char>;

    double ChangedShare(const Pixels& a, const Pixels& b)
    {
        size_t changed = 0;
        for (size_t i = 0; i + 3 < a.size(); i += 4)
        {
            int most = 0;
            for (size_t c = 0; c < 3; ++c)
            {
                int d = std::abs(static_cast<int>(a[i + c]) - static_cast<int>(b[i + c]));
                most = d > most ? d : most;
            }
            changed += most > changedLevels ? 1 : 0;
        }
        return a.empty() ? 0.0 : static_cast<double>(changed) / static_cast<double>(a.size() / 4);
    }

    class Nudging : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite() { running.emplace(); }
        static void TearDownTestSuite() { running.reset(); }

        // The finished frame of the given moment. The last overlay's flicker draws one rand() a
        // frame, so the generator is reseeded: two renders of a moment differ only by the nudge.
        static Pixels Frame(double seconds)
        {
            std::srand(1);
            EXPECT_TRUE(running->FrameAt(seconds));
            return HeadlessDemo::FinalFrame();
        }

        static std::optional<HeadlessDemo> running;
    };

    std::optional<HeadlessDemo> Nudging::running;
}

TEST_F(Nudging, TheTableCoversEveryTrackButPart)
{
    std::set<std::string> files;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator("Data"))
    {
        std::string name = entry.path().filename().string();
        if (name.size() > 7 && name[0] == '_' && name.compare(name.size() - 6, 6, ".track") == 0)
            files.insert(name.substr(1, name.size() - 7));
    }
    files.erase("Part");
    std::set<std::string> table;
    for (const Nudge& nudge : nudges)
        table.insert(nudge.track);
    EXPECT_EQ(table, files);
}

TEST_F(Nudging, AMomentRendersTheSamePictureTwice)
{
    for (double seconds : {quietBuild, endLogoUp})
    {
        Pixels first = Frame(seconds);
        // The clock is the music's position; without the music every moment would be row 0.
        ASSERT_NEAR(Sync::GetTime(), seconds, 0.002) << "the music Data/pell00r-wirlow.mp3 must play";
        Frame(seconds / 2.0);
        EXPECT_TRUE(Frame(seconds) == first) << "at " << seconds << " s";
    }
}

TEST_F(Nudging, EveryTrackVisiblyChangesThePicture)
{
    std::map<double, Pixels> plain;
    for (const Nudge& nudge : nudges)
    {
        SCOPED_TRACE(nudge.track);
        if (plain.find(nudge.seconds) == plain.end())
            plain[nudge.seconds] = Frame(nudge.seconds);

        SyncTrack* track = Sync::Instance().device->GetTrack(nudge.track);
        ASSERT_GT(track->keyCount, 0) << "no keys loaded for \"" << nudge.track << "\"";
        std::vector<float> kept;
        for (int k = 0; k < track->keyCount; ++k)
        {
            kept.push_back(track->keys[k].value);
            track->keys[k].value += nudge.delta;
        }
        Pixels nudged = Frame(nudge.seconds);
        for (int k = 0; k < track->keyCount; ++k)
            track->keys[k].value = kept[static_cast<size_t>(k)];

        double share = ChangedShare(plain[nudge.seconds], nudged);
        EXPECT_GE(share, changedShare) << "\"" << nudge.track << "\" + " << nudge.delta << " at " << nudge.seconds
                                       << " s changed only " << share * 100.0 << " % of the pixels";
    }
    // The keys are back: the moments look as they did.
    for (const std::pair<const double, Pixels>& moment : plain)
        EXPECT_TRUE(Frame(moment.first) == moment.second) << "at " << moment.first << " s";
}
