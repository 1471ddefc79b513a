// kelvorandum-sky: paints the demo's sky as a vertical-cross cube map JPEG; each texel depends only on its
// direction, so the cut-apart faces meet without seams, and every run gives the same bytes. Bad arguments
// exit 2 before anything is written; the JPEG is written under a temporary name and renamed into place.

#include "WriteAtomically.h"
#include "Zemb/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace
{
    const char* const kUsage =
        "usage: kelvorandum-sky --out FILE.jpg [--cell N]\n"
        "\n"
        "Writes the demo's sky as a vertical cross of 3 x 4 square cells of N x N pixels:\n"
        "+Y, +Z, -Y and -Z (turned by 180 degrees) down the middle column, -X and +X\n"
        "left and right of +Z.\n"
        "\n"
        "  --out FILE   output JPEG (the demo reads Data/skyboxlol.jpg)\n"
        "  --cell N     cell size in pixels, 16 to 4096 (default 512)\n"
        "  --help       show this text\n";

    const double kPi = 3.14159265358979323846;
    const int kJpegQuality = 92; // above 90 stb keeps full-resolution colour, which the star colours need

    struct Vec3
    {
        double x, y, z;

        Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
        Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
        Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
        Vec3 operator*(const Vec3& o) const { return {x * o.x, y * o.y, z * o.z}; }
    };

    double Dot(const Vec3& a, const Vec3& b)
    {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    }

    Vec3 Normalised(const Vec3& v)
    {
        return v * (1.0 / std::sqrt(Dot(v, v)));
    }

    Vec3 Mix(const Vec3& a, const Vec3& b, double t)
    {
        return a + (b - a) * t;
    }

    double Smoothstep(double edge0, double edge1, double x)
    {
        const double t = std::max(0.0, std::min(1.0, (x - edge0) / (edge1 - edge0)));
        return t * t * (3 - 2 * t);
    }

    // The direction that OpenGL samples at face coordinates (s, t) of cube face `face`
    // (0..5 = +X, -X, +Y, -Y, +Z, -Z), t = 0 being the face's first row.
    Vec3 FaceDirection(int face, double s, double t)
    {
        const double sc = 2.0 * s - 1.0, tc = 2.0 * t - 1.0;
        switch (face)
        {
        case 0:
            return {1.0, -tc, -sc};
        case 1:
            return {-1.0, -tc, sc};
        case 2:
            return {sc, 1.0, tc};
        case 3:
            return {sc, -1.0, -tc};
        case 4:
            return {sc, -tc, 1.0};
        default:
            return {-sc, -tc, -1.0};
        }
    }

    // Where each face lies in the cross, in cells; -Z is stored turned by 180 degrees.
    struct Cell
    {
        int column, row;
        bool turned;
    };
    const Cell kCells[6] = {{2, 1, false}, {0, 1, false}, {1, 0, false},
                            {1, 2, false}, {1, 1, false}, {1, 3, true}};

    // Small deterministic generator, so the stars do not depend on the C library's rand.
    class Random
    {
    public:
        explicit Random(unsigned long long seed) : state(seed) {}

        double Next()
        {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            return static_cast<double>(state >> 11) / 9007199254740992.0;
        }

    private:
        unsigned long long state;
    };

    // Stars as points on the unit sphere, bucketed in a coarse 3D grid so that a direction only
    // looks at the stars close enough to light it.
    class StarField
    {
    public:
        StarField()
        {
            Random random(0x6b656c766fULL);
            const Vec3 bandNormal = Normalised({0.35, 0.80, 0.45});
            while (stars.size() < 14000)
            {
                // Uniform on the sphere, then thinned away from the nebula band.
                const double z = 2.0 * random.Next() - 1.0, angle = 2.0 * kPi * random.Next();
                const double r = std::sqrt(1.0 - z * z);
                const Vec3 direction = {r * std::cos(angle), z, r * std::sin(angle)};
                const double inBand = std::exp(-std::pow(Dot(direction, bandNormal), 2) / 0.05);
                const double keep = random.Next(), level = random.Next(), tint = random.Next();
                if (keep > 0.35 + 0.65 * inBand)
                    continue;
                Star star;
                star.direction = direction;
                star.brightness = 0.012 + 2.2 * std::pow(level, 7.0);
                star.size = 0.0011 + 0.0009 * std::min(1.0, star.brightness);
                star.colour = Mix({0.70, 0.80, 1.00}, {1.00, 0.82, 0.66}, tint);
                stars.push_back(star);
            }
            buckets.resize(kGrid * kGrid * kGrid);
            for (size_t i = 0; i < stars.size(); ++i)
                buckets[Index(stars[i].direction)].push_back(static_cast<int>(i));
        }

        Vec3 Light(const Vec3& direction) const
        {
            Vec3 total = {0, 0, 0};
            // Reach is below half a grid cell, so the cell and its nearer neighbour on each axis suffice.
            int lo[3], hi[3];
            const double p[3] = {direction.x, direction.y, direction.z};
            for (int k = 0; k < 3; ++k)
            {
                const double g = (p[k] + 1.0) / kCellSize;
                const int i = std::min(kGrid - 1, static_cast<int>(g));
                const int other = (g - i < 0.5) ? i - 1 : i + 1;
                lo[k] = std::max(0, std::min(i, other));
                hi[k] = std::min(kGrid - 1, std::max(i, other));
            }
            for (int ix = lo[0]; ix <= hi[0]; ++ix)
                for (int iy = lo[1]; iy <= hi[1]; ++iy)
                    for (int iz = lo[2]; iz <= hi[2]; ++iz)
                        for (int index : buckets[(ix * kGrid + iy) * kGrid + iz])
                        {
                            const Star& star = stars[index];
                            const Vec3 d = direction - star.direction;
                            const double distance2 = Dot(d, d);
                            const double core = std::exp(-distance2 / (2.0 * star.size * star.size));
                            if (distance2 >= kReach * kReach)
                                continue;
                            const double halo = std::exp(-distance2 / (2.0 * 6.25 * star.size * star.size));
                            // Goes to zero at the reach, so no star ends in a visible edge.
                            const double window = std::pow(1.0 - distance2 / (kReach * kReach), 2.0);
                            total = total + star.colour * (star.brightness * (core + 0.05 * halo) * window);
                        }
            return total;
        }

    private:
        struct Star
        {
            Vec3 direction;
            double brightness, size;
            Vec3 colour;
        };

        // A star lights directions up to kReach away (four halo sigmas of the largest star); the
        // grid cell is twice that, so the cell and one neighbour per axis hold every star in reach.
        static constexpr double kReach = 0.02;
        static constexpr double kCellSize = 2.0 * kReach;
        static constexpr int kGrid = 50; // 2 / kCellSize

        static int Index(const Vec3& v)
        {
            auto at = [](double c)
            { return std::min(kGrid - 1, std::max(0, static_cast<int>((c + 1.0) / kCellSize))); };
            return (at(v.x) * kGrid + at(v.y)) * kGrid + at(v.z);
        }

        std::vector<Star> stars;
        std::vector<std::vector<int>> buckets;
    };

    double Fbm(const Vec3& p, int octaves)
    {
        return stb_perlin_fbm_noise3(static_cast<float>(p.x), static_cast<float>(p.y),
                                     static_cast<float>(p.z), 2.0f, 0.5f, octaves);
    }

    // Dusk over an abstract world: deep violet zenith, a warm glow along the horizon that is strongest
    // under a low sun, a tilted band of magenta and teal nebula with dark dust lanes, and stars.
    class Sky
    {
    public:
        Vec3 Radiance(const Vec3& direction) const
        {
            const Vec3 d = Normalised(direction);
            const double e = d.y;

            // Base gradient by elevation.
            const Vec3 zenith = {0.0015, 0.0025, 0.012}, high = {0.012, 0.008, 0.045};
            const Vec3 low = {0.004, 0.003, 0.012};
            Vec3 colour = e >= 0.0 ? Mix(high, zenith, Smoothstep(0.15, 1.0, e))
                                   : Mix(high, low, Smoothstep(0.0, 0.4, -e));

            // Horizon glow, brighter towards the sun's side.
            const double sunSide =
                std::max(0.0, Dot(Normalised({d.x, 0.0, d.z + 1e-9}), Normalised({sun.x, 0.0, sun.z})));
            const double band = std::exp(-std::fabs(e) * (e >= 0.0 ? 7.0 : 12.0));
            colour = colour + Vec3{0.40, 0.10, 0.22} * (band * (0.25 + 0.9 * std::pow(sunSide, 3.0)));
            colour = colour +
                     Vec3{0.90, 0.40, 0.12} * (std::exp(-std::fabs(e) * 20.0) * std::pow(sunSide, 8.0) * 0.6);

            // The sun: a small disc with a wide warm halo.
            const double c = Dot(d, sun);
            const double toSun = std::max(0.0, c);
            const double ground = e >= 0.0 ? 1.0 : 0.35 + 0.65 * std::exp(e * 10.0);
            colour = colour + Vec3{1.00, 0.50, 0.24} *
                                  ((0.15 * std::pow(toSun, 8.0) + 0.5 * std::pow(toSun, 90.0)) * ground);
            colour = colour + Vec3{3.0, 2.5, 1.9} * Smoothstep(0.99950, 0.99972, c);

            // Nebula in a tilted band, fading into the ground below the horizon.
            const Vec3 p = d * 1.7;
            const Vec3 warp = {Fbm(p + Vec3{3.1, 0.0, 0.0}, 3), Fbm(p + Vec3{0.0, 5.7, 0.0}, 3),
                               Fbm(p + Vec3{0.0, 0.0, 9.2}, 3)};
            const Vec3 q = p + warp * 0.55;
            const double cloud = Fbm(q, 5);
            const double hue = Fbm(q * 0.7 + Vec3{11.0, 2.0, 7.0}, 3);
            const double dust = 1.0 - std::fabs(Fbm(q * 2.3 + Vec3{4.0, 9.0, 1.0}, 4));
            const double inBand = std::exp(-std::pow(Dot(d, bandNormal), 2) / 0.09);
            const double above = 0.25 + 0.75 * Smoothstep(-0.35, 0.15, e);
            double density = Smoothstep(-0.05, 0.75, cloud + 0.3 * inBand) * (0.15 + 0.85 * inBand) * above;
            const double lanes = 1.0 - 0.6 * Smoothstep(0.55, 0.95, dust) * inBand;
            density *= lanes;
            const Vec3 nebula = Mix({0.36, 0.05, 0.30}, {0.03, 0.26, 0.40}, Smoothstep(-0.35, 0.35, hue));
            colour =
                colour + nebula * (0.55 * density) + Vec3{0.70, 0.50, 0.70} * (0.18 * std::pow(density, 3.0));

            // Stars, dimmed where the dust lies, in bright sky and below the horizon.
            const double brightness = 0.3 * colour.x + 0.6 * colour.y + 0.1 * colour.z;
            const double clear = lanes * (0.3 + 0.7 * Smoothstep(-0.5, 0.1, e)) / (1.0 + 12.0 * brightness);
            colour = colour + stars.Light(d) * clear;
            return colour;
        }

    private:
        Vec3 sun = Normalised({-0.45, 0.10, -1.0});
        Vec3 bandNormal = Normalised({0.35, 0.80, 0.45});
        StarField stars;
    };

    // Tone mapping, gamma and a tiny dither against banding in the slow gradients.
    unsigned char Encode(double linear, unsigned hash)
    {
        const double mapped = std::pow(1.0 - std::exp(-linear * 1.5), 1.0 / 2.2);
        const double dither = ((hash & 0xff) / 255.0 - 0.5) / 255.0;
        const double value = std::max(0.0, std::min(1.0, mapped + dither)) * 255.0;
        return static_cast<unsigned char>(std::lround(value));
    }

    unsigned Hash(unsigned a, unsigned b)
    {
        unsigned h = a * 2654435761u ^ (b + 0x9e3779b9u + (a << 6) + (a >> 2));
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        return h;
    }

    std::vector<unsigned char> PaintCross(int n)
    {
        const Sky sky;
        const int width = 3 * n, height = 4 * n;
        std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3, 0);
        for (int face = 0; face < 6; ++face)
        {
            const Cell& cell = kCells[face];
            for (int row = 0; row < n; ++row)
                for (int column = 0; column < n; ++column)
                {
                    const Vec3 d = FaceDirection(face, (column + 0.5) / n, (row + 0.5) / n);
                    const Vec3 c = sky.Radiance(d);
                    const int x = cell.turned ? cell.column * n + n - 1 - column : cell.column * n + column;
                    const int y = cell.turned ? cell.row * n + n - 1 - row : cell.row * n + row;
                    unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
                    const unsigned h =
                        Hash(static_cast<unsigned>(face * n + row), static_cast<unsigned>(column));
                    p[0] = Encode(c.x, h);
                    p[1] = Encode(c.y, h >> 8);
                    p[2] = Encode(c.z, h >> 16);
                }
        }
        return pixels;
    }

    struct Options
    {
        std::string out;
        int cell = 512;
        bool help = false;
    };

    Options Parse(int argc, char** argv)
    {
        Options options;
        for (int i = 1; i < argc; ++i)
        {
            const std::string arg = argv[i];
            if (arg == "--help" || arg == "-h")
                options.help = true;
            else if (arg == "--out" || arg == "--cell")
            {
                if (i + 1 >= argc)
                    ZEMB_THROW(Zemb::String(arg.c_str()) + " needs a value");
                const char* value = argv[++i];
                if (arg == "--out")
                {
                    options.out = value;
                    continue;
                }
                char* end = nullptr;
                errno = 0;
                const long cell = std::strtol(value, &end, 10);
                if (errno != 0 || end == value || *end != '\0' || cell < 16 || cell > 4096)
                    ZEMB_THROW(Zemb::String("--cell must be a whole number from 16 to 4096, not \"") + value +
                               "\"");
                options.cell = static_cast<int>(cell);
            }
            else
                ZEMB_THROW(Zemb::String("unknown argument \"") + arg.c_str() + "\"");
        }
        if (!options.help && options.out.empty())
            ZEMB_THROW("--out FILE is required");
        return options;
    }

    void Run(const Options& options)
    {
        const int n = options.cell;
        const std::vector<unsigned char> pixels = PaintCross(n);
        WriteAtomically(options.out, [&](const char* temporary) {
            return stbi_write_jpg(temporary, 3 * n, 4 * n, 3, pixels.data(), kJpegQuality) != 0;
        });
    }
} // namespace

int main(int argc, char** argv)
{
    try
    {
        const Options options = Parse(argc, argv);
        if (options.help)
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        Run(options);
        return 0;
    }
    catch (const Zemb::Exception& e)
    {
        std::fprintf(stderr, "kelvorandum-sky: %s\nTry --help.\n", e.GetMessage().CStr());
        return 2;
    }
}
