// The demo clock: the timer fallback and its wrap, the channel-driven clock and track rows,
// values before the player is attached, and a failed construction.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FmodAudio.h"
#include "MusicChannel.h"
#include "Sync.h"
#include "ScratchFolder.h"
#include "SyncDevice.h"
#include "Zemb/Exception.h"

namespace
{
    const std::string tones = std::string(KELVO_SOURCE_DIR) + "/tests/fixtures/tones.mp3";
    const double rowRate = 56.0 / 3.0;

    struct Key
    {
        int32_t row;
        float value;
        int8_t type;
    };

    void WriteTrack(const std::filesystem::path& path, const std::vector<Key>& keys)
    {
        std::ofstream out(path, std::ios::binary);
        int32_t count = static_cast<int32_t>(keys.size());
        out.write(reinterpret_cast<const char*>(&count), 4);
        for (const Key& key : keys)
        {
            out.write(reinterpret_cast<const char*>(&key.row), 4);
            out.write(reinterpret_cast<const char*>(&key.value), 4);
            out.write(reinterpret_cast<const char*>(&key.type), 1);
        }
    }

    uint32_t fakeNow = 0;
    uint32_t FakeTicks() { return fakeNow; }

    // Each test runs in a scratch folder holding Data/ with its track files, so the clock's
    // "Data/" finds them; the attachment, the row rate and the timer are undone afterwards.
    class SyncClockTest : public testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_FALSE(dir.empty());
            std::filesystem::create_directory(dir / "Data");
            // Linear all the way: the value is the row itself.
            WriteTrack(dir / "Data" / "_Row.track", {{0, 0.0f, 1}, {100000000, 100000000.0f, 0}});
            WriteTrack(dir / "Data" / "_From Five.track", {{0, 5.0f, 1}, {100, 105.0f, 0}});
            previous = std::filesystem::current_path();
            std::filesystem::current_path(dir);
        }

        void TearDown() override
        {
            Sync& sync = Sync::Instance();
            sync.audio = nullptr;
            sync.rowRate = 0.0;
            Sync::ticks = originalTicks;
            std::filesystem::current_path(previous);
        }

        ScratchFolder scratch{"kelvo-sync"};
        const std::filesystem::path& dir = scratch.Path();
        std::filesystem::path previous;
        uint32_t (*originalTicks)() = Sync::ticks;
    };
}

TEST_F(SyncClockTest, BeforeTheAudioIsAttachedValuesAreZeroAndNoTrackIsLoaded)
{
    Sync& sync = Sync::Instance();
    int tracks = sync.device->trackCount;
    EXPECT_EQ(Sync::GetValue("From Five"), 0.0f);
    EXPECT_EQ(sync.device->trackCount, tracks);
    EXPECT_EQ(sync.device->FindTrack("From Five"), -1);
}

TEST_F(SyncClockTest, WithoutAChannelTheTimerRunsTheClockAndTracksStayAtRowZero)
{
    Sync& sync = Sync::Instance();
    FmodAudio audio;
    audio.PlayStream("Data/no-such-music.mp3");
    ASSERT_FALSE(audio.HasChannel());
    sync.audio = &audio;
    sync.rowRate = rowRate;
    Sync::ticks = &FakeTicks;

    struct
    {
        uint32_t start;
        uint32_t now;
        double seconds;
    } cases[] = {
        {1000, 3500, 2.5},
        {0xFFFFFF9Cu, 2400, 2.5},           // the tick counter wrapped since construction
        {0, 0xFFFFFFFFu, 4294967.295},      // the largest elapsed time is not negative
        {0x80000000u, 0x7FFFFFFFu, 4294967.295},
    };
    for (const auto& c : cases)
    {
        sync.start = c.start;
        fakeNow = c.now;
        EXPECT_DOUBLE_EQ(Sync::GetTime(), c.seconds) << c.start << " to " << c.now;
        EXPECT_EQ(Sync::GetValue("From Five"), 5.0f);
    }
}

TEST_F(SyncClockTest, ClockAndTracksFollowTheChannelPosition)
{
    Sync& sync = Sync::Instance();
    FmodAudio audio;
    audio.PlayStream(tones.c_str());
    ASSERT_TRUE(audio.HasChannel());
    sync.audio = &audio;
    sync.rowRate = rowRate;
    // The timer must play no part once there is a channel.
    Sync::ticks = &FakeTicks;
    sync.start = 0;
    fakeNow = 123456;
    audio.Pause();

    const uint32_t positions[] = {0, 3, 1500, 65000, 3000000000u};
    for (uint32_t ms : positions)
    {
        audio.SetPosition(ms / 1000.0);
        double seconds = ms / 1000.0;
        EXPECT_DOUBLE_EQ(Sync::GetTime(), seconds) << ms;
        EXPECT_FLOAT_EQ(Sync::GetValue("Row"), static_cast<float>(std::min(rowRate * seconds, 1e8))) << ms;
    }

    // Paused, both stand still; playing again, both move on together.
    audio.SetPosition(1.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_DOUBLE_EQ(Sync::GetTime(), 1.0);
    EXPECT_FLOAT_EQ(Sync::GetValue("Row"), static_cast<float>(rowRate));
    audio.Resume();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    audio.Pause();
    double time = Sync::GetTime();
    EXPECT_GT(time, 1.0);
    EXPECT_FLOAT_EQ(Sync::GetValue("Row"), static_cast<float>(rowRate * time));
}

TEST(SyncConstructionTest, AFailedConstructionIsReportedAndRetried)
{
    // A fresh process, so that this is the first construction of the instance.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Sync::createDevice = [](const char*) -> SyncDevice* { return nullptr; };
            bool reported = false;
            try
            {
                Sync::Instance();
            }
            catch (const Zemb::Exception& exception)
            {
                reported = std::strcmp(exception.GetMessage().CStr(), "Could not initialize sync") == 0 &&
                           std::strcmp(exception.GetFile().CStr(), "src/Sync.cpp") == 0;
            }
            Sync::createDevice = &SyncDevice::Create;
            Sync& sync = Sync::Instance();
            bool fresh = sync.device != nullptr && std::strcmp(sync.device->base, "Data/") == 0 &&
                         sync.audio == nullptr && sync.rowRate == 0.0;
            std::exit(reported && fresh ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
