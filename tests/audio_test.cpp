// The music player on SDL's disk and dummy audio drivers, against the fixture's own
// decoding: what reaches the device, the position, pause and seek, the version check and
// the silent cases.
#include <gtest/gtest.h>

#include <mpg123.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "FmodAudio.h"
#include "MusicChannel.h"
#include "ScratchFolder.h"
#include "SoundSystem.h"
#include "Zemb/Exception.h"

namespace
{
    const std::string tones = std::string(KELVO_SOURCE_DIR) + "/tests/fixtures/tones.mp3";

    struct Decoded
    {
        std::vector<unsigned char> bytes;
        long rate = 0;
        int channels = 0;
        double BytesPerSecond() const { return rate * channels * 2.0; }
        double Seconds() const { return bytes.size() / BytesPerSecond(); }
    };

    // The whole file decoded in one go, as the reference for what the device must receive.
    Decoded DecodeWhole(const std::string& path)
    {
        Decoded decoded;
        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        if (handle == nullptr)
            return decoded;
        int encoding = 0;
        if (mpg123_open(handle, path.c_str()) == MPG123_OK &&
            mpg123_getformat(handle, &decoded.rate, &decoded.channels, &encoding) == MPG123_OK)
        {
            mpg123_format_none(handle);
            mpg123_format(handle, decoded.rate, decoded.channels, MPG123_ENC_SIGNED_16);
            unsigned char chunk[8192];
            for (;;)
            {
                size_t done = 0;
                int result = mpg123_read(handle, chunk, sizeof chunk, &done);
                decoded.bytes.insert(decoded.bytes.end(), chunk, chunk + done);
                if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
                    break;
            }
        }
        mpg123_delete(handle);
        return decoded;
    }

    std::vector<unsigned char> ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }

    long FileSize(const std::string& path)
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : 0;
    }

    void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // SDL's disk driver: the device writes what it is given to a file, paced by delayMs per
    // buffer (real time when delayMs is negative). The tests' default driver comes back after.
    struct DiskDevice
    {
        ScratchFolder dir{"kelvo-audio"};
        std::string file = (dir / "device.raw").string();
        explicit DiskDevice(int delayMs = -1)
        {
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
            if (delayMs >= 0)
                setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
        }
        ~DiskDevice()
        {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            unsetenv("SDL_DISKAUDIOFILE");
            unsetenv("SDL_DISKAUDIODELAY");
        }
    };

    // Index of the first byte where output differs from expected, or -1 when output holds all
    // of expected from outputFrom on.
    long FirstDifference(const std::vector<unsigned char>& output, const std::vector<unsigned char>& expected,
                         size_t outputFrom = 0, size_t expectedFrom = 0)
    {
        for (size_t i = 0; expectedFrom + i < expected.size(); ++i)
            if (outputFrom + i >= output.size() || output[outputFrom + i] != expected[expectedFrom + i])
                return static_cast<long>(i);
        return -1;
    }

    bool AllZero(const std::vector<unsigned char>& bytes, size_t from, size_t to)
    {
        return std::all_of(bytes.begin() + std::min(from, bytes.size()), bytes.begin() + std::min(to, bytes.size()),
                           [](unsigned char b) { return b == 0; });
    }

    // Where the music from byte `from` on begins in the output, or npos. The sweeps never repeat,
    // so a stretch of them has one place. (A paused device, and SDL's device before its first
    // callback, write silence ahead of it.)
    size_t FindMusic(const std::vector<unsigned char>& output, const std::vector<unsigned char>& expected,
                     size_t from)
    {
        const size_t probe = std::min<size_t>(4096, expected.size() - from);
        auto found = std::search(output.begin(), output.end(), expected.begin() + from,
                                 expected.begin() + from + probe);
        return found == output.end() ? std::string::npos : static_cast<size_t>(found - output.begin());
    }

    // The stretches of sound in the output, [begin, end) in bytes, split by runs of silence
    // longer than the music ever holds.
    std::vector<std::pair<size_t, size_t>> SoundStretches(const std::vector<unsigned char>& bytes)
    {
        const size_t gap = 4096;
        std::vector<std::pair<size_t, size_t>> stretches;
        size_t i = 0;
        while (i < bytes.size())
        {
            while (i < bytes.size() && bytes[i] == 0)
                ++i;
            if (i == bytes.size())
                break;
            size_t begin = i;
            size_t lastSound = i;
            while (i < bytes.size() && i - lastSound < gap)
            {
                if (bytes[i] != 0)
                    lastSound = i;
                ++i;
            }
            stretches.emplace_back(begin, lastSound + 1);
            i = lastSound + 1;
        }
        return stretches;
    }

    void PlayUntil(FmodAudio& audio, double seconds, int frameMs)
    {
        // A guard, not a timing: a stuck position ends the wait after a generous while.
        for (int frame = 0; frame < 60000 / frameMs && audio.GetPosition() < seconds; ++frame)
        {
            audio.Update();
            Sleep(frameMs);
        }
    }
}

TEST(AudioStreamTest, DeviceReceivesTheWholeMusicAndThePositionFollowsIt)
{
    Decoded expected = DecodeWhole(tones);
    ASSERT_EQ(expected.rate, 44100);
    ASSERT_EQ(expected.channels, 2);
    DiskDevice disk;
    {
        FmodAudio audio;
        audio.PlayStream(tones.c_str());
        ASSERT_TRUE(audio.HasChannel());
        EXPECT_EQ(audio.GetChannel()->GetDeviceRate(), 44100);
        // Frames of 300 ms, far longer than one device buffer: playback must not wait for them.
        for (int frame = 0; frame < 200 && audio.GetPosition() < expected.Seconds() + 0.5; ++frame)
        {
            audio.Update();
            Sleep(300);
            double position = audio.GetPosition();
            double written = FileSize(disk.file) / expected.BytesPerSecond();
            EXPECT_NEAR(position, written, 0.1) << "frame " << frame;
        }
    }
    std::vector<unsigned char> output = ReadBytes(disk.file);
    size_t at = FindMusic(output, expected.bytes, 0);
    ASSERT_NE(at, std::string::npos) << "the start of the music never reached the device";
    EXPECT_TRUE(AllZero(output, 0, at));
    EXPECT_EQ(FirstDifference(output, expected.bytes, at), -1);
    EXPECT_TRUE(AllZero(output, at + expected.bytes.size(), output.size()));
}

TEST(AudioStreamTest, PositionCountsAtTheRateTheDeviceGave)
{
    Decoded decoded = DecodeWhole(tones);
    MusicChannel::requestedRate = 48000;
    DiskDevice disk(2);
    double paused = 0.0;
    {
        FmodAudio audio;
        audio.PlayStream(tones.c_str());
        MusicChannel::requestedRate = 0;
        ASSERT_TRUE(audio.HasChannel());
        ASSERT_EQ(audio.GetChannel()->GetDeviceRate(), 48000);
        PlayUntil(audio, 1.0, 5);
        audio.Pause();
        paused = audio.GetPosition();
        // The paused device writes silence: the pause shows in the output as a gap.
        Sleep(100);
        EXPECT_EQ(audio.GetPosition(), paused);
        audio.Resume();
        PlayUntil(audio, decoded.Seconds() + 0.3, 5);
    }
    std::vector<unsigned char> output = ReadBytes(disk.file);
    auto stretches = SoundStretches(output);
    ASSERT_EQ(stretches.size(), 2u);
    const double deviceBytesPerSecond = 48000 * 2 * 2.0;
    double before = (stretches[0].second - stretches[0].first) / deviceBytesPerSecond;
    double after = (stretches[1].second - stretches[1].first) / deviceBytesPerSecond;
    // Paused, the position is what the device had been given, counted at the device's rate.
    EXPECT_NEAR(paused, before, 0.002);
    // Converted to the device's rate, the music lasts as long as it did at the file's.
    EXPECT_NEAR(before + after, decoded.Seconds(), 0.01);
}

TEST(AudioStreamTest, SeekContinuesPlaybackFromThere)
{
    Decoded expected = DecodeWhole(tones);
    DiskDevice disk(2);
    {
        FmodAudio audio;
        audio.PlayStream(tones.c_str());
        ASSERT_TRUE(audio.HasChannel());
        audio.SetPosition(1.0);
        PlayUntil(audio, expected.Seconds() + 0.5, 10);
    }
    std::vector<unsigned char> output = ReadBytes(disk.file);
    size_t from = static_cast<size_t>(expected.rate) * expected.channels * 2;
    size_t at = FindMusic(output, expected.bytes, from);
    ASSERT_NE(at, std::string::npos) << "the music from 1.0 s never reached the device";
    EXPECT_EQ(FirstDifference(output, expected.bytes, at, from), -1);
    EXPECT_TRUE(AllZero(output, at + expected.bytes.size() - from, output.size()));
}

TEST(AudioStreamTest, PauseFreezesThePositionAndSeekSetsIt)
{
    FmodAudio audio;
    audio.PlayStream(tones.c_str());
    ASSERT_TRUE(audio.HasChannel());
    Sleep(200);
    audio.Pause();
    EXPECT_FALSE(audio.IsPlaying());
    double frozen = audio.GetPosition();
    EXPECT_GT(frozen, 0.0);
    Sleep(200);
    EXPECT_EQ(audio.GetPosition(), frozen);

    struct
    {
        double seconds;
        double position;
    } seeks[] = {
        {1.5, 1.5},
        {0.0015, 0.001},         // truncated to whole milliseconds
        {65.0, 65.0},            // past the end of the music
        {3000000.0, 3000000.0},  // above 2^31 ms: still a positive time
        {4294967.5, 0.204},      // only the low 32 bits of the milliseconds count
    };
    for (const auto& seek : seeks)
    {
        audio.SetPosition(seek.seconds);
        EXPECT_DOUBLE_EQ(audio.GetPosition(), seek.position) << seek.seconds;
        EXPECT_EQ(audio.GetChannel()->GetPosition(), static_cast<uint32_t>(seek.position * 1000 + 0.5));
    }

    audio.SetPosition(1.0);
    audio.Resume();
    EXPECT_TRUE(audio.IsPlaying());
    Sleep(200);
    EXPECT_GT(audio.GetPosition(), 1.0);
    audio.Stop();
    EXPECT_TRUE(audio.HasChannel());
    EXPECT_TRUE(audio.IsPlaying());
}

TEST(AudioStreamTest, PositionRunsOnPastTheEndOfTheMusic)
{
    double duration = DecodeWhole(tones).Seconds();
    FmodAudio audio;
    audio.PlayStream(tones.c_str());
    ASSERT_TRUE(audio.HasChannel());
    audio.SetPosition(duration - 0.1);
    PlayUntil(audio, duration + 0.3, 20);
    double after = audio.GetPosition();
    EXPECT_GT(after, duration + 0.3);
    PlayUntil(audio, after + 0.2, 20);
    EXPECT_GT(audio.GetPosition(), after + 0.2);

    // Stopping ends the music, not the clock.
    audio.Stop();
    double stopped = audio.GetPosition();
    PlayUntil(audio, stopped + 0.2, 20);
    EXPECT_GT(audio.GetPosition(), stopped + 0.2);
}

TEST(AudioVersionTest, OnlyTheLibrariesBuiltAgainstAreAccepted)
{
    EXPECT_EQ(SoundSystem::LoadedVersion(), SoundSystem::requiredVersion);

    const uint64_t required = SoundSystem::requiredVersion;
    static uint64_t reported;
    uint64_t others[] = {
        required + 1,             // newer libmpg123
        required - 1,             // older libmpg123
        required + (1ull << 32),  // newer SDL patch level
        required - (1ull << 40),  // older SDL minor version
        0,                        // a library that cannot tell
    };
    uint64_t (*original)() = SoundSystem::versionSource;
    SoundSystem::versionSource = [] { return reported; };
    for (uint64_t other : others)
    {
        reported = other;
        try
        {
            FmodAudio audio;
            ADD_FAILURE() << std::hex << "version " << other << " was accepted";
        }
        catch (const Zemb::Exception& exception)
        {
            EXPECT_STREQ(exception.GetMessage().CStr(), "Incorrect version of FMOD");
            EXPECT_STREQ(exception.GetFile().CStr(), "src/FmodAudio.cpp");
        }
    }
    reported = required;
    EXPECT_NO_THROW(FmodAudio());
    SoundSystem::versionSource = original;
}

TEST(AudioSilentTest, MusicThatCannotPlayLeavesNoChannel)
{
    ScratchFolder dir{"kelvo-audio"};
    std::ofstream(dir / "empty.mp3").close();
    std::ofstream(dir / "text.mp3") << "This is a list of things to do, not a piece of music.\n";
    const std::string cases[] = {(dir / "missing.mp3").string(), (dir / "empty.mp3").string(),
                                 (dir / "text.mp3").string(), dir.Path().string()};
    for (const std::string& path : cases)
    {
        SCOPED_TRACE(path);
        FmodAudio audio;
        EXPECT_FALSE(audio.IsPlaying());
        audio.PlayStream(path.c_str());
        EXPECT_FALSE(audio.HasChannel());
        EXPECT_EQ(audio.GetChannel(), nullptr);
        EXPECT_TRUE(audio.IsPlaying());
        audio.Update();
        audio.Pause();
        EXPECT_TRUE(audio.IsPlaying());
        audio.SetPosition(2.0);
        audio.Stop();
        audio.Resume();
        EXPECT_EQ(audio.GetPosition(), 0.0);
        EXPECT_TRUE(audio.IsPlaying());
    }
}

TEST(AudioSilentTest, NoSoundDeviceLeavesNoChannel)
{
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    {
        FmodAudio audio;
        audio.PlayStream(tones.c_str());
        EXPECT_FALSE(audio.HasChannel());
        EXPECT_EQ(audio.GetPosition(), 0.0);
        EXPECT_TRUE(audio.IsPlaying());
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}
