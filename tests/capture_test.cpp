// kelvorandum-capture run as a user runs it: stills that are exact and repeatable, the
// letterboxed window, a short video with its music, and refusals that leave nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "RunProgram.h"
#include "ScratchFolder.h"
#include "StbImage.h"

namespace fs = std::filesystem;

namespace
{
    const std::string capture = std::string(KELVO_BINARY_DIR) + "/kelvorandum-capture";
    const std::string sourceDir = KELVO_SOURCE_DIR;

    struct Image
    {
        int width = 0, height = 0;
        std::vector<unsigned char> rgba;
        const unsigned char* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    };

    Image Load(const fs::path& path)
    {
        Image image;
        int channels = 0;
        unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
        if (pixels != nullptr)
        {
            image.rgba.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 4);
            stbi_image_free(pixels);
        }
        return image;
    }

    double BrightnessSpread(const Image& image)
    {
        double sum = 0.0, squares = 0.0;
        size_t count = image.rgba.size() / 4;
        for (size_t i = 0; i < count; ++i)
        {
            double value = (image.rgba[i * 4] + image.rgba[i * 4 + 1] + image.rgba[i * 4 + 2]) / 3.0;
            sum += value;
            squares += value * value;
        }
        double mean = sum / count;
        return std::sqrt(squares / count - mean * mean);
    }

    class CaptureTest : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_FALSE(folder.empty()); }

        ProgramRun Capture(const std::string& arguments)
        {
            return RunProgram(capture + " " + arguments, sourceDir, 280);
        }

        size_t FilesIn(const fs::path& where)
        {
            if (!fs::exists(where))
                return 0;
            return static_cast<size_t>(std::distance(fs::directory_iterator(where), fs::directory_iterator()));
        }

        ScratchFolder scratch{"kelvo-capture"};
        const fs::path& folder = scratch.Path();
    };
}

TEST_F(CaptureTest, MomentsAreExactAndRepeatable)
{
    fs::path stills = folder / "stills";
    ProgramRun run = Capture("--at 21.5 --at 47 --at 21.5 --out " + stills.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(FilesIn(stills), 3u);
    std::string first = ReadWholeFile((stills / "000000.png").string());
    std::string other = ReadWholeFile((stills / "000001.png").string());
    std::string again = ReadWholeFile((stills / "000002.png").string());
    EXPECT_EQ(first, again) << "the same moment gives the same bytes";
    EXPECT_NE(first, other);

    Image frame = Load(stills / "000000.png");
    EXPECT_EQ(frame.width, 1280);
    EXPECT_EQ(frame.height, 720);
    EXPECT_GT(BrightnessSpread(frame), 10.0) << "a picture, not a flat colour";

    // A second run of the tool agrees with the first.
    fs::path rerun = folder / "rerun";
    ASSERT_EQ(Capture("--at 21.5 --out " + rerun.string()).exitCode, 0);
    EXPECT_EQ(ReadWholeFile((rerun / "000000.png").string()), first);
}

TEST_F(CaptureTest, WindowPictureIsLetterboxed)
{
    fs::path stills = folder / "window";
    ProgramRun run = Capture("--window --at 30 --out " + stills.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Image window = Load(stills / "000000.png");
    ASSERT_EQ(window.width, 1024);
    ASSERT_EQ(window.height, 768);
    bool bandsBlack = true;
    for (int y : {0, 50, 95, 672, 700, 767})
        for (int x = 0; x < 1024; ++x)
            bandsBlack = bandsBlack && window.At(x, y)[0] == 0 && window.At(x, y)[1] == 0 && window.At(x, y)[2] == 0;
    EXPECT_TRUE(bandsBlack) << "96 black rows above and below the 1024 x 576 picture";
    Image inner;
    inner.width = 1024;
    inner.height = 576;
    inner.rgba.assign(window.rgba.begin() + 96 * 1024 * 4, window.rgba.begin() + 672 * 1024 * 4);
    EXPECT_GT(BrightnessSpread(inner), 10.0);
}

TEST_F(CaptureTest, RangeOfFramesBecomesAVideoWithMusic)
{
    fs::path sequence = folder / "sequence";
    ASSERT_EQ(Capture("--fps 60000/1001 --from 10 --to 10.1 --out " + sequence.string()).exitCode, 0);
    EXPECT_EQ(FilesIn(sequence), 6u) << "10.0 up to 10.1 at 59.94 fps";

    fs::path video = folder / "clip.mp4";
    ProgramRun run = Capture("--fps 10 --from 20 --to 20.5 --out " + video.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(video));
    EXPECT_EQ(FilesIn(folder), 2u) << "no partial file is left behind";
    ProgramRun probe = RunProgram("ffprobe -v error -show_entries stream=codec_name,width,height -of csv=p=0 '" +
                                      video.string() + "'",
                                  sourceDir);
    EXPECT_NE(probe.out.find("h264,1280,720"), std::string::npos) << probe.out;
    EXPECT_NE(probe.out.find("aac"), std::string::npos) << probe.out;
}

TEST_F(CaptureTest, RefusalsLeaveNothingBehind)
{
    struct Case
    {
        std::string arguments;
        const char* message;
    };
    std::string out = (folder / "out").string();
    const Case cases[] = {
        {"--bogus --out " + out, "unknown option '--bogus'"},
        {"--fps 0 --out " + out, "--fps 0: expected a rate"},
        {"--fps 30/0 --out " + out, "--fps 30/0: expected a rate"},
        {"--from 5 --to 5 --out " + out, "--from must lie before --to"},
        {"--to 70 --out " + out, "--to: the production ends at 65 s"},
        {"--at 65 --out " + out, "--at: the production ends at 65 s"},
        {"--at -1 --out " + out, "--at -1: expected seconds"},
        {"--at", "--at needs a value"},
        {"--at 3", "--out DIR or --out FILE.mp4 is required"},
        {"--at 3 --out " + out + ".mp4", "--at captures stills"},
        {"--out /proc/kelvorandum/stills", "cannot create the directory '/proc/kelvorandum/stills'"},
        {"--out /proc/kelvorandum.mp4", "its folder is missing or not writable"},
        {"--out /proc/version", "it exists and is not a directory"},
    };
    for (const Case& c : cases)
    {
        ProgramRun run = Capture(c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
    }
    EXPECT_EQ(FilesIn(folder), 0u);

    ProgramRun noEncoder = RunProgram("PATH=/nonexistent " + capture + " --from 1 --to 2 --out " + out + ".mp4",
                                      sourceDir);
    EXPECT_EQ(noEncoder.exitCode, 2);
    EXPECT_NE(noEncoder.err.find("ffmpeg was not found"), std::string::npos) << noEncoder.err;
    EXPECT_EQ(FilesIn(folder), 0u);

    ProgramRun help = Capture("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: kelvorandum-capture"), std::string::npos);
}
