// Tests of the image tools, run as programs: the overlay PNGs (format, transparency, layout, determinism,
// equal to the committed Data/ files) and the cube-map sky (square cells, no seam along any of the cube's
// twelve edges once the faces are cut apart as the demo's loader does). Bad arguments write nothing.
// Each test works in its own temporary directory, removed afterwards.
#include "RunProgram.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace fs = std::filesystem;

namespace
{
    const std::string imagesTool = IMAGES_TOOL;
    const std::string skyTool = SKY_TOOL;
    const fs::path dataDir = fs::path(KELVO_SOURCE_DIR) / "Data";

    const char* const overlayNames[] = {
        "morvane.png",  "t0mbel.png", "pell00r.png",   "not.png",     "0ptimize.png", "at.png",
        "function.png", "tjue.png",   "fucking.png",   "tolv.png",    "kel.png",      "vor.png",
        "an.png",       "dum.png",    "butterfly.png", "endlogo.png", "lame.png"};
    const int frameWidth = 1280, frameHeight = 720;

    struct Image
    {
        int width = 0, height = 0, channelsInFile = 0;
        std::vector<unsigned char> pixels; // 4 channels, or 3 for the sky

        const unsigned char* At(int x, int y) const
        {
            const int channels = static_cast<int>(pixels.size() / (static_cast<size_t>(width) * height));
            return &pixels[(static_cast<size_t>(y) * width + x) * channels];
        }
    };

    Image Load(const fs::path& path, int channels)
    {
        Image image;
        unsigned char* data =
            stbi_load(path.string().c_str(), &image.width, &image.height, &image.channelsInFile, channels);
        if (data)
        {
            image.pixels.assign(data, data + static_cast<size_t>(image.width) * image.height * channels);
            stbi_image_free(data);
        }
        return image;
    }

    class ImageTools : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_FALSE(dir.empty()); }

        ProgramRun Run(const std::string& tool, const std::string& arguments)
        {
            return RunProgram("'" + tool + "' " + arguments, dir.string());
        }

        std::set<std::string> FilesIn(const fs::path& where)
        {
            std::set<std::string> names;
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(where))
                names.insert(fs::relative(entry.path(), where).string());
            return names;
        }

        ScratchFolder scratch{"images_test"};
        const fs::path& dir = scratch.Path();
    };

    // Alpha of an overlay at (x, y).
    int Alpha(const Image& image, int x, int y)
    {
        return image.At(x, y)[3];
    }

    TEST_F(ImageTools, OverlaysAreTransparentRgbaFramesWithOpaqueInkInsideTheSafeArea)
    {
        ASSERT_EQ(fs::create_directory(dir / "a"), true);
        const ProgramRun run = Run(imagesTool, "--out a");
        ASSERT_EQ(run.exitCode, 0) << run.err;

        const std::set<std::string> expected(std::begin(overlayNames), std::end(overlayNames));
        EXPECT_EQ(FilesIn(dir / "a"), expected); // nothing else, no temporary left behind

        for (const char* name : overlayNames)
        {
            SCOPED_TRACE(name);
            const Image image = Load(dir / "a" / name, 4);
            ASSERT_FALSE(image.pixels.empty());
            EXPECT_EQ(image.channelsInFile, 4);
            ASSERT_EQ(image.width, frameWidth);
            ASSERT_EQ(image.height, frameHeight);

            long transparent = 0, ink = 0, inkOutsideSafeArea = 0;
            for (int y = 0; y < frameHeight; ++y)
                for (int x = 0; x < frameWidth; ++x)
                {
                    const int alpha = Alpha(image, x, y);
                    transparent += alpha == 0;
                    if (alpha == 255)
                    {
                        ++ink;
                        // Title-safe area: the middle 80% in each direction.
                        inkOutsideSafeArea += x < 128 || x >= 1152 || y < 72 || y >= 648;
                    }
                }
            EXPECT_GT(transparent, frameWidth * frameHeight / 2);
            EXPECT_GT(ink, 2000);
            EXPECT_EQ(inkOutsideSafeArea, 0);
            for (const auto& corner :
                 {std::make_pair(0, 0), std::make_pair(frameWidth - 1, 0), std::make_pair(0, frameHeight - 1),
                  std::make_pair(frameWidth - 1, frameHeight - 1)})
                EXPECT_EQ(Alpha(image, corner.first, corner.second), 0);
        }

        // Layout promises: the title's syllables spell the word from left to right without covering
        // each other, the stamp leaves the end logo readable, and the butterfly is exactly symmetric.
        std::vector<Image> syllables;
        for (const char* name : {"kel.png", "vor.png", "an.png", "dum.png"})
            syllables.push_back(Load(dir / "a" / name, 4));
        double previousCentre = 0.0;
        for (size_t i = 0; i < syllables.size(); ++i)
        {
            double sum = 0.0;
            long count = 0;
            for (int y = 0; y < frameHeight; ++y)
                for (int x = 0; x < frameWidth; ++x)
                    if (Alpha(syllables[i], x, y) == 255)
                    {
                        sum += x;
                        ++count;
                        if (i > 0)
                        {
                            EXPECT_LT(Alpha(syllables[i - 1], x, y), 255)
                                << "syllables " << i - 1 << " and " << i;
                        }
                    }
            ASSERT_GT(count, 0);
            EXPECT_GT(sum / count, previousCentre + 100.0) << "syllable " << i;
            previousCentre = sum / count;
        }

        const Image logo = Load(dir / "a" / "endlogo.png", 4), stamp = Load(dir / "a" / "lame.png", 4);
        long covered = 0;
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < frameWidth; ++x)
                covered += Alpha(logo, x, y) > 16 && Alpha(stamp, x, y) > 16;
        EXPECT_EQ(covered, 0);

        const Image butterfly = Load(dir / "a" / "butterfly.png", 4);
        long asymmetric = 0;
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < frameWidth / 2; ++x)
                asymmetric += !std::equal(butterfly.At(x, y), butterfly.At(x, y) + 4,
                                          butterfly.At(frameWidth - 1 - x, y));
        EXPECT_EQ(asymmetric, 0);
    }

    // Two runs give the same bytes, and those are the bytes committed in Data/, so the assets cannot
    // drift from their tools.
    TEST_F(ImageTools, OutputIsDeterministicAndEqualsTheCommittedData)
    {
        ASSERT_TRUE(fs::create_directory(dir / "a"));
        ASSERT_TRUE(fs::create_directory(dir / "b"));
        ProgramRun run = Run(imagesTool, "--out a");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        run = Run(imagesTool, "--out b");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (const char* name : overlayNames)
        {
            SCOPED_TRACE(name);
            const std::string bytes = ReadWholeFile((dir / "a" / name).string());
            ASSERT_FALSE(bytes.empty());
            EXPECT_TRUE(bytes == ReadWholeFile((dir / "b" / name).string()));
            EXPECT_TRUE(bytes == ReadWholeFile((dataDir / name).string()))
                << "Data/" << name << " differs from the tool's output: run scripts/make-images.sh";
        }

        run = Run(skyTool, "--out sky.jpg");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string sky = ReadWholeFile((dir / "sky.jpg").string());
        ASSERT_FALSE(sky.empty());
        EXPECT_TRUE(sky == ReadWholeFile((dataDir / "skyboxlol.jpg").string()))
            << "Data/skyboxlol.jpg differs from the tool's output: run scripts/make-images.sh";
    }

    // The six faces of a vertical cross, cut as the demo's cube texture loader cuts them, and looked up
    // by direction with OpenGL's face selection (nearest texel).
    class CubeFaces
    {
    public:
        explicit CubeFaces(const Image& cross) : n(cross.width / 3)
        {
            const int cells[6][3] = {{2, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 2, 0}, {1, 1, 0}, {1, 3, 1}};
            for (int f = 0; f < 6; ++f)
            {
                faces[f].resize(static_cast<size_t>(n) * n * 3);
                for (int r = 0; r < n; ++r)
                    for (int c = 0; c < n; ++c)
                    {
                        const bool turned = cells[f][2] != 0;
                        const int x = turned ? 2 * n - 1 - c : cells[f][0] * n + c;
                        const int y = turned ? 4 * n - 1 - r : cells[f][1] * n + r;
                        std::copy(cross.At(x, y), cross.At(x, y) + 3,
                                  &faces[f][(static_cast<size_t>(r) * n + c) * 3]);
                    }
            }
        }

        int Size() const { return n; }

        const unsigned char* Texel(int face, int column, int row) const
        {
            return &faces[face][(static_cast<size_t>(row) * n + column) * 3];
        }

        // The direction through face coordinates (s, t); s and t may lie outside [0, 1].
        static void Direction(int face, double s, double t, double r[3])
        {
            const double sc = 2 * s - 1, tc = 2 * t - 1;
            const double table[6][3] = {{1, -tc, -sc}, {-1, -tc, sc}, {sc, 1, tc},
                                        {sc, -1, -tc}, {sc, -tc, 1},  {-sc, -tc, -1}};
            std::copy(table[face], table[face] + 3, r);
        }

        const unsigned char* Sample(const double r[3]) const
        {
            const double ax = std::fabs(r[0]), ay = std::fabs(r[1]), az = std::fabs(r[2]);
            int face;
            double sc, tc, ma;
            if (ax >= ay && ax >= az)
            {
                face = r[0] > 0 ? 0 : 1;
                sc = r[0] > 0 ? -r[2] : r[2];
                tc = -r[1];
                ma = ax;
            }
            else if (ay >= az)
            {
                face = r[1] > 0 ? 2 : 3;
                sc = r[0];
                tc = r[1] > 0 ? r[2] : -r[2];
                ma = ay;
            }
            else
            {
                face = r[2] > 0 ? 4 : 5;
                sc = r[2] > 0 ? r[0] : -r[0];
                tc = -r[1];
                ma = az;
            }
            auto texel = [this](double coordinate)
            { return std::max(0, std::min(n - 1, static_cast<int>((coordinate + 1.0) * 0.5 * n))); };
            return Texel(face, texel(sc / ma), texel(tc / ma));
        }

    private:
        int n;
        std::vector<unsigned char> faces[6];
    };

    // For each face side (24: each of the 12 edges seen from both faces), the mean difference between
    // a border texel and its neighbour across the edge, relative to the mean difference between the
    // border texel and its neighbour inside the face. A continuous sky gives about 1 (up to 1.7 after
    // JPEG, whose block edges fall on the face edges); a face stored the wrong way round gives 15 to 50.
    std::vector<double> SeamRatios(const CubeFaces& cube)
    {
        const int n = cube.Size();
        std::vector<double> ratios;
        for (int face = 0; face < 6; ++face)
            for (int side = 0; side < 4; ++side)
            {
                double across = 0.0, inside = 0.0;
                for (int i = 0; i < n; ++i)
                {
                    // side 0: left column, 1: right column, 2: top row, 3: bottom row
                    const int column = side == 0 ? 0 : side == 1 ? n - 1 : i;
                    const int row = side == 2 ? 0 : side == 3 ? n - 1 : i;
                    const int inColumn = side == 0 ? 1 : side == 1 ? n - 2 : i;
                    const int inRow = side == 2 ? 1 : side == 3 ? n - 2 : i;
                    double s = (column + 0.5) / n, t = (row + 0.5) / n;
                    s += side == 0 ? -1.0 / n : side == 1 ? 1.0 / n : 0.0;
                    t += side == 2 ? -1.0 / n : side == 3 ? 1.0 / n : 0.0;
                    double r[3];
                    CubeFaces::Direction(face, s, t, r);
                    const unsigned char* border = cube.Texel(face, column, row);
                    const unsigned char* neighbour = cube.Sample(r);
                    const unsigned char* next = cube.Texel(face, inColumn, inRow);
                    for (int k = 0; k < 3; ++k)
                    {
                        across += std::abs(border[k] - neighbour[k]);
                        inside += std::abs(border[k] - next[k]);
                    }
                }
                ratios.push_back((across + n) / (inside + n)); // + n: one level per texel of slack
            }
        return ratios;
    }

    TEST_F(ImageTools, SkyCellsAreSquareAndTheCubeHasNoSeams)
    {
        Image cross = Load(dataDir / "skyboxlol.jpg", 3);
        ASSERT_FALSE(cross.pixels.empty());
        EXPECT_EQ(cross.width % 3, 0);
        EXPECT_EQ(cross.height % 4, 0);
        ASSERT_EQ(cross.width / 3, cross.height / 4);
        ASSERT_GE(cross.width / 3, 256);

        const std::vector<double> ratios = SeamRatios(CubeFaces(cross));
        ASSERT_EQ(ratios.size(), 24u);
        for (size_t i = 0; i < ratios.size(); ++i)
            EXPECT_LT(ratios[i], 2.5) << "face " << i / 4 << ", side " << i % 4;

        // The check sees a real fault: the -Z cell stored unturned breaks its four edges.
        const int n = cross.width / 3;
        for (int r = 0; r < n / 2; ++r)
            for (int c = 0; c < n; ++c)
                for (int k = 0; k < 3; ++k)
                    std::swap(
                        cross.pixels[(static_cast<size_t>(3 * n + r) * cross.width + n + c) * 3 + k],
                        cross.pixels[(static_cast<size_t>(4 * n - 1 - r) * cross.width + 2 * n - 1 - c) * 3 +
                                     k]);
        const std::vector<double> broken = SeamRatios(CubeFaces(cross));
        for (int side = 0; side < 4; ++side)
            EXPECT_GT(broken[5 * 4 + side], 5.0) << "-Z side " << side;
    }

    TEST_F(ImageTools, BadArgumentsExitWithTwoAndWriteNothing)
    {
        ASSERT_TRUE(fs::create_directory(dir / "out"));
        std::ofstream(dir / "plain-file") << "not a directory";
        const std::set<std::string> before = FilesIn(dir);
        const struct
        {
            const std::string& tool;
            const char* arguments;
        } cases[] = {
            {imagesTool, ""},
            {imagesTool, "--out"},
            {imagesTool, "--out out --bogus"},
            {imagesTool, "--out out extra"},
            {imagesTool, "--out missing"},
            {imagesTool, "--out plain-file"},
            {skyTool, ""},
            {skyTool, "--cell 64"},
            {skyTool, "--out out/sky.jpg --cell"},
            {skyTool, "--out out/sky.jpg --cell 0"},
            {skyTool, "--out out/sky.jpg --cell 15"},
            {skyTool, "--out out/sky.jpg --cell 5000"},
            {skyTool, "--out out/sky.jpg --cell 12x"},
            {skyTool, "--out out/sky.jpg --cell abc"},
            {skyTool, "--out out/sky.jpg -v"},
            {skyTool, "--out missing/sky.jpg --cell 16"},
        };
        for (const auto& c : cases)
        {
            SCOPED_TRACE(fs::path(c.tool).filename().string() + " " + c.arguments);
            const ProgramRun run = Run(c.tool, c.arguments);
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_NE(run.err.find(fs::path(c.tool).filename().string() + ": "), std::string::npos)
                << run.err;
            EXPECT_EQ(FilesIn(dir), before);
        }

        for (const std::string& tool : {imagesTool, skyTool})
        {
            const ProgramRun run = Run(tool, "--help");
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.out.rfind("usage: ", 0), 0u) << run.out;
            EXPECT_EQ(FilesIn(dir), before);
        }
    }
} // namespace
