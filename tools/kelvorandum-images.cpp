// kelvorandum-images: draws the demo's 17 overlay images as 1280 x 720 RGBA PNGs, rasterised here from glyph
// outlines and vector paths, so the same fonts give the same bytes. Bad arguments or a missing font exit 2
// before anything is written; each PNG goes to a temporary name and is renamed, so none is half-written.

#include "WriteAtomically.h"
#include "Zemb/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace
{
    const int kWidth = 1280;
    const int kHeight = 720;
    const double kPi = 3.14159265358979323846;

    const char* const kBoldFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    const char* const kBookFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

    const char* const kUsage = "usage: kelvorandum-images --out DIR\n"
                               "\n"
                               "Writes the demo's 17 overlay images (1280 x 720 RGBA PNG) into DIR,\n"
                               "which must exist. Same input, same bytes.\n"
                               "\n"
                               "  --out DIR   output directory (the demo reads them from Data/)\n"
                               "  --help      show this text\n";

    struct Point
    {
        double x, y;
    };

    struct Colour
    {
        float r, g, b;
    };

    const Colour kWhite = {1.0f, 1.0f, 1.0f};
    const Colour kBlack = {0.0f, 0.0f, 0.0f};
    // One accent for labels and rules: a pale cyan that stays calm next to white.
    const Colour kAccent = {0.45f, 0.90f, 1.0f};
    const Colour kStampRed = {0.96f, 0.16f, 0.20f};

    using Contour = std::vector<Point>;

    double SignedArea(const Contour& contour)
    {
        double area = 0.0;
        for (size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++)
            area += contour[j].x * contour[i].y - contour[i].x * contour[j].y;
        return area * 0.5;
    }

    // x' = a x + b y + c, y' = d x + e y + f
    struct Affine
    {
        double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;

        Point Apply(Point p) const { return {a * p.x + b * p.y + c, d * p.x + e * p.y + f}; }

        static Affine Rotation(double radians, Point centre)
        {
            const double cs = std::cos(radians), sn = std::sin(radians);
            Affine m;
            m.a = cs;
            m.b = -sn;
            m.d = sn;
            m.e = cs;
            m.c = centre.x - cs * centre.x + sn * centre.y;
            m.f = centre.y - sn * centre.x - cs * centre.y;
            return m;
        }
    };

    // Closed polygons in pixel coordinates (y down), filled by the non-zero rule.
    class Shape
    {
    public:
        // Kept as given: glyph holes carry the opposite winding.
        void Add(Contour contour)
        {
            if (contour.size() >= 3)
                contours.push_back(std::move(contour));
        }

        // Oriented one way, so overlapping solids join instead of cancelling.
        void AddSolid(Contour contour)
        {
            if (contour.size() < 3)
                return;
            if (SignedArea(contour) < 0.0)
                std::reverse(contour.begin(), contour.end());
            contours.push_back(std::move(contour));
        }

        // A hole punched into solids added with AddSolid.
        void AddHole(Contour contour)
        {
            if (contour.size() < 3)
                return;
            if (SignedArea(contour) > 0.0)
                std::reverse(contour.begin(), contour.end());
            contours.push_back(std::move(contour));
        }

        void Append(const Shape& other)
        {
            contours.insert(contours.end(), other.contours.begin(), other.contours.end());
        }

        Shape Transformed(const Affine& m) const
        {
            Shape result;
            for (const Contour& contour : contours)
            {
                Contour moved;
                for (const Point& p : contour)
                    moved.push_back(m.Apply(p));
                result.contours.push_back(std::move(moved));
            }
            return result;
        }

        Shape Moved(double dx, double dy) const
        {
            Affine m;
            m.c = dx;
            m.f = dy;
            return Transformed(m);
        }

        // Ink bounds: min x, min y, max x, max y.
        void Bounds(double& x0, double& y0, double& x1, double& y1) const
        {
            x0 = y0 = 1e30;
            x1 = y1 = -1e30;
            for (const Contour& contour : contours)
                for (const Point& p : contour)
                {
                    x0 = std::min(x0, p.x);
                    y0 = std::min(y0, p.y);
                    x1 = std::max(x1, p.x);
                    y1 = std::max(y1, p.y);
                }
        }

        const std::vector<Contour>& Contours() const { return contours; }

    private:
        std::vector<Contour> contours;
    };

    // Flattening tolerance in pixels: far below what the eye or the PNG can tell apart.
    const double kFlatness = 0.05;

    int Segments(Point p0, Point p1, Point p2)
    {
        const double dx = p0.x - 2.0 * p1.x + p2.x, dy = p0.y - 2.0 * p1.y + p2.y;
        const double n = std::ceil(std::sqrt(std::sqrt(dx * dx + dy * dy) / (8.0 * kFlatness)));
        return std::max(1, std::min(64, static_cast<int>(n)));
    }

    void AddQuadratic(Contour& out, Point p0, Point p1, Point p2)
    {
        const int n = Segments(p0, p1, p2);
        for (int i = 1; i <= n; ++i)
        {
            const double t = static_cast<double>(i) / n, u = 1.0 - t;
            out.push_back({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                           u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
        }
    }

    void AddCubic(Contour& out, Point p0, Point p1, Point p2, Point p3)
    {
        const int n = std::max(Segments(p0, p1, p2), Segments(p1, p2, p3)) * 2;
        for (int i = 1; i <= n; ++i)
        {
            const double t = static_cast<double>(i) / n, u = 1.0 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            out.push_back(
                {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
        }
    }

    // A closed path of cubic curves, as drawn by hand: start point, then (control, control, end) triples.
    Contour CubicPath(Point start, const std::vector<Point>& rest)
    {
        Contour out{start};
        Point current = start;
        for (size_t i = 0; i + 2 < rest.size(); i += 3)
        {
            AddCubic(out, current, rest[i], rest[i + 1], rest[i + 2]);
            current = rest[i + 2];
        }
        if (out.size() > 1 && out.back().x == start.x && out.back().y == start.y)
            out.pop_back();
        return out;
    }

    Contour Ellipse(Point centre, double rx, double ry, double rotation = 0.0)
    {
        const int n = std::max(24, static_cast<int>(std::max(rx, ry) * 1.5));
        const double cs = std::cos(rotation), sn = std::sin(rotation);
        Contour out;
        for (int i = 0; i < n; ++i)
        {
            const double angle = 2.0 * kPi * i / n;
            const double x = rx * std::cos(angle), y = ry * std::sin(angle);
            out.push_back({centre.x + cs * x - sn * y, centre.y + sn * x + cs * y});
        }
        return out;
    }

    Contour RoundedRectangle(double x0, double y0, double x1, double y1, double radius)
    {
        Contour out;
        const Point centres[4] = {{x1 - radius, y0 + radius},
                                  {x1 - radius, y1 - radius},
                                  {x0 + radius, y1 - radius},
                                  {x0 + radius, y0 + radius}};
        for (int corner = 0; corner < 4; ++corner)
            for (int i = 0; i <= 12; ++i)
            {
                const double angle = (corner - 1) * kPi / 2 + (kPi / 2) * i / 12;
                out.push_back({centres[corner].x + radius * std::cos(angle),
                               centres[corner].y + radius * std::sin(angle)});
            }
        return out;
    }

    // A round-capped line of the given width along a polyline.
    Shape Stroke(const std::vector<Point>& line, double width)
    {
        Shape shape;
        const double half = width * 0.5;
        for (size_t i = 0; i + 1 < line.size(); ++i)
        {
            const Point p = line[i], q = line[i + 1];
            const double length = std::hypot(q.x - p.x, q.y - p.y);
            if (length <= 0.0)
                continue;
            const double nx = -(q.y - p.y) / length * half, ny = (q.x - p.x) / length * half;
            shape.AddSolid(
                {{p.x + nx, p.y + ny}, {q.x + nx, q.y + ny}, {q.x - nx, q.y - ny}, {p.x - nx, p.y - ny}});
        }
        for (const Point& p : line)
            shape.AddSolid(Ellipse(p, half, half));
        return shape;
    }

    std::vector<Point> CubicLine(Point p0, Point p1, Point p2, Point p3)
    {
        Contour line{p0};
        AddCubic(line, p0, p1, p2, p3);
        return line;
    }

    // Coverage in [0, 1] for every pixel of the frame.
    class Mask
    {
    public:
        Mask() : values(static_cast<size_t>(kWidth) * kHeight, 0.0f) {}

        float At(int x, int y) const { return values[static_cast<size_t>(y) * kWidth + x]; }
        float& At(int x, int y) { return values[static_cast<size_t>(y) * kWidth + x]; }

        // Scanline fill with 16 sub-rows per pixel and exact horizontal coverage; the result is laid
        // over what the mask already holds.
        void Fill(const Shape& shape, float opacity = 1.0f)
        {
            struct Edge
            {
                double x0, y0, x1, y1;
                int winding;
            };
            std::vector<Edge> edges;
            double top = 1e30, bottom = -1e30;
            for (const Contour& contour : shape.Contours())
                for (size_t i = 0, j = contour.size() - 1; i < contour.size(); j = i++)
                {
                    Point a = contour[j], b = contour[i];
                    if (a.y == b.y)
                        continue;
                    int winding = 1;
                    if (a.y > b.y)
                    {
                        std::swap(a, b);
                        winding = -1;
                    }
                    edges.push_back({a.x, a.y, b.x, b.y, winding});
                    top = std::min(top, a.y);
                    bottom = std::max(bottom, b.y);
                }
            if (edges.empty())
                return;
            const int rowBegin = std::max(0, static_cast<int>(std::floor(top)));
            const int rowEnd = std::min(kHeight, static_cast<int>(std::ceil(bottom)));
            std::vector<std::vector<int>> rows(kHeight);
            for (size_t i = 0; i < edges.size(); ++i)
            {
                const int first = std::max(rowBegin, static_cast<int>(std::floor(edges[i].y0)));
                const int last = std::min(rowEnd - 1, static_cast<int>(std::floor(edges[i].y1)));
                for (int row = first; row <= last; ++row)
                    rows[row].push_back(static_cast<int>(i));
            }

            const int kSubRows = 16;
            const float weight = 1.0f / kSubRows;
            std::vector<float> row(kWidth + 1);
            std::vector<std::pair<double, int>> crossings;
            for (int y = rowBegin; y < rowEnd; ++y)
            {
                if (rows[y].empty())
                    continue;
                std::fill(row.begin(), row.end(), 0.0f);
                for (int sub = 0; sub < kSubRows; ++sub)
                {
                    const double sy = y + (sub + 0.5) / kSubRows;
                    crossings.clear();
                    for (int index : rows[y])
                    {
                        const Edge& e = edges[index];
                        if (sy < e.y0 || sy >= e.y1)
                            continue;
                        crossings.push_back({e.x0 + (sy - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.winding});
                    }
                    std::sort(crossings.begin(), crossings.end());
                    int winding = 0;
                    double start = 0.0;
                    for (const auto& crossing : crossings)
                    {
                        const int before = winding;
                        winding += crossing.second;
                        if (before == 0 && winding != 0)
                            start = crossing.first;
                        else if (before != 0 && winding == 0)
                            AddSpan(row, start, crossing.first, weight);
                    }
                }
                for (int x = 0; x < kWidth; ++x)
                {
                    const float cover = std::min(1.0f, row[x]) * opacity;
                    float& value = At(x, y);
                    value = value + cover * (1.0f - value);
                }
            }
        }

        void Multiply(const Mask& other)
        {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] *= other.values[i];
        }

        // Removes the other mask's coverage from this one.
        void Cut(const Mask& other)
        {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] *= 1.0f - other.values[i];
        }

        void Join(const Mask& other)
        {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = values[i] + other.values[i] * (1.0f - values[i]);
        }

        // Separable Gaussian, shifted by (dx, dy) pixels; nothing lies outside the frame.
        Mask Blurred(double sigma, int dx = 0, int dy = 0) const
        {
            const int radius = static_cast<int>(std::ceil(sigma * 3.0));
            std::vector<float> kernel(2 * radius + 1);
            double sum = 0.0;
            for (int i = -radius; i <= radius; ++i)
                sum += std::exp(-0.5 * i * i / (sigma * sigma));
            for (int i = -radius; i <= radius; ++i)
                kernel[i + radius] = static_cast<float>(std::exp(-0.5 * i * i / (sigma * sigma)) / sum);

            Mask across;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                {
                    float total = 0.0f;
                    for (int i = -radius; i <= radius; ++i)
                    {
                        const int sx = x - dx + i;
                        if (sx >= 0 && sx < kWidth)
                            total += kernel[i + radius] * At(sx, y);
                    }
                    across.At(x, y) = total;
                }
            Mask result;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                {
                    float total = 0.0f;
                    for (int i = -radius; i <= radius; ++i)
                    {
                        const int sy = y - dy + i;
                        if (sy >= 0 && sy < kHeight)
                            total += kernel[i + radius] * across.At(x, sy);
                    }
                    result.At(x, y) = total;
                }
            return result;
        }

    private:
        static void AddSpan(std::vector<float>& row, double x0, double x1, float weight)
        {
            x0 = std::max(0.0, std::min(static_cast<double>(kWidth), x0));
            x1 = std::max(0.0, std::min(static_cast<double>(kWidth), x1));
            if (x1 <= x0)
                return;
            const int i0 = static_cast<int>(x0), i1 = static_cast<int>(x1);
            if (i0 == i1)
            {
                row[i0] += static_cast<float>(x1 - x0) * weight;
                return;
            }
            row[i0] += static_cast<float>(i0 + 1 - x0) * weight;
            for (int i = i0 + 1; i < i1; ++i)
                row[i] += weight;
            row[i1] += static_cast<float>(x1 - i1) * weight;
        }

        std::vector<float> values;
    };

    Mask Filled(const Shape& shape)
    {
        Mask mask;
        mask.Fill(shape);
        return mask;
    }

    // Premultiplied RGBA, composited with "over".
    class Picture
    {
    public:
        Picture() : pixels(static_cast<size_t>(kWidth) * kHeight * 4, 0.0f) {}

        void Paint(const Mask& mask, Colour colour, float opacity = 1.0f)
        {
            PaintShaded(
                mask, [colour](int, int) { return colour; }, opacity);
        }

        void PaintShaded(const Mask& mask, const std::function<Colour(int, int)>& colourAt,
                         float opacity = 1.0f)
        {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                {
                    const float a = mask.At(x, y) * opacity;
                    if (a <= 0.0f)
                        continue;
                    const Colour c = colourAt(x, y);
                    float* p = &pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
                    p[0] = c.r * a + p[0] * (1.0f - a);
                    p[1] = c.g * a + p[1] * (1.0f - a);
                    p[2] = c.b * a + p[2] * (1.0f - a);
                    p[3] = a + p[3] * (1.0f - a);
                }
        }

        // The dark surround that keeps white ink legible on a bright scene: a tight outline
        // glow plus a wide drop shadow, by default falling down and to the right.
        void PaintHalo(const Mask& ink, int shadowX = 4, int shadowY = 6)
        {
            const Mask near = ink.Blurred(2.2);
            const Mask far = ink.Blurred(11.0, shadowX, shadowY);
            Mask halo;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                {
                    const float outline = std::min(1.0f, near.At(x, y) * 2.4f) * 0.82f;
                    const float shadow = std::min(1.0f, far.At(x, y) * 1.3f) * 0.55f;
                    halo.At(x, y) = 1.0f - (1.0f - outline) * (1.0f - shadow);
                }
            Paint(halo, kBlack);
        }

        // 8-bit straight alpha; fully transparent pixels are black so that filtering at the
        // edges blends towards the shadow colour.
        void Save(const std::string& path) const
        {
            std::vector<unsigned char> bytes(pixels.size());
            for (size_t i = 0; i < pixels.size(); i += 4)
            {
                const float a = pixels[i + 3];
                const int alpha = static_cast<int>(std::lround(std::min(1.0f, a) * 255.0f));
                bytes[i + 3] = static_cast<unsigned char>(alpha);
                for (int k = 0; k < 3; ++k)
                {
                    const float straight = alpha == 0 ? 0.0f : std::min(1.0f, pixels[i + k] / a);
                    bytes[i + k] =
                        alpha == 0 ? 0 : static_cast<unsigned char>(std::lround(straight * 255.0f));
                }
            }
            WriteAtomically(
                path, [&bytes](const char* name)
                { return stbi_write_png(name, kWidth, kHeight, 4, bytes.data(), kWidth * 4) != 0; });
        }

    private:
        std::vector<float> pixels;
    };

    // A TrueType font file held in memory; its glyphs come out as outlines in pixel space.
    class Font
    {
    public:
        explicit Font(const char* path)
        {
            FILE* file = std::fopen(path, "rb");
            if (!file)
                ZEMB_THROW(Zemb::String("Could not open font \"") + path + "\"");
            unsigned char chunk[65536];
            size_t count;
            while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
                data.insert(data.end(), chunk, chunk + count);
            std::fclose(file);
            const int offset = data.empty() ? -1 : stbtt_GetFontOffsetForIndex(data.data(), 0);
            if (offset < 0 || !stbtt_InitFont(&info, data.data(), offset))
                ZEMB_THROW(Zemb::String("Could not read font \"") + path + "\"");
        }

        Font(const Font&) = delete;
        Font& operator=(const Font&) = delete;

        // Pen positions of every character of `text` set at `em` pixels per em with `tracking`
        // extra ems between letters; the last entry is the end of the line.
        std::vector<double> PenPositions(const std::string& text, double em, double tracking) const
        {
            const double scale = stbtt_ScaleForMappingEmToPixels(&info, static_cast<float>(em));
            std::vector<double> pens{0.0};
            for (size_t i = 0; i < text.size(); ++i)
            {
                int advance = 0, bearing = 0;
                stbtt_GetCodepointHMetrics(&info, text[i], &advance, &bearing);
                double step = advance * scale;
                if (i + 1 < text.size())
                    step +=
                        stbtt_GetCodepointKernAdvance(&info, text[i], text[i + 1]) * scale + tracking * em;
                pens.push_back(pens.back() + step);
            }
            return pens;
        }

        // The characters [first, first + count) of `text` laid out from pen position `x` on `baseline`.
        Shape Glyphs(const std::string& text, double em, double tracking, double x, double baseline,
                     size_t first = 0, size_t count = std::string::npos) const
        {
            const double scale = stbtt_ScaleForMappingEmToPixels(&info, static_cast<float>(em));
            const std::vector<double> pens = PenPositions(text, em, tracking);
            Shape shape;
            const size_t end =
                std::min(text.size(), count == std::string::npos ? text.size() : first + count);
            for (size_t i = first; i < end; ++i)
                AddGlyph(shape, text[i], scale, x + pens[i], baseline);
            return shape;
        }

        // A line of text whose ink is centred on `centreX`.
        Shape Centred(const std::string& text, double em, double tracking, double centreX,
                      double baseline) const
        {
            Shape shape = Glyphs(text, em, tracking, 0.0, baseline);
            double x0, y0, x1, y1;
            shape.Bounds(x0, y0, x1, y1);
            return shape.Moved(centreX - (x0 + x1) * 0.5, 0.0);
        }

        // The size at which the ink of `text` is `width` pixels wide.
        double EmForWidth(const std::string& text, double tracking, double width) const
        {
            double x0, y0, x1, y1;
            Glyphs(text, 100.0, tracking, 0.0, 0.0).Bounds(x0, y0, x1, y1);
            return 100.0 * width / (x1 - x0);
        }

        double CapHeight(double em) const { return Height('H', em); }
        double XHeight(double em) const { return Height('x', em); }

    private:
        double Height(int codepoint, double em) const
        {
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            stbtt_GetCodepointBox(&info, codepoint, &x0, &y0, &x1, &y1);
            return y1 * stbtt_ScaleForMappingEmToPixels(&info, static_cast<float>(em));
        }

        void AddGlyph(Shape& shape, int codepoint, double scale, double x, double baseline) const
        {
            stbtt_vertex* vertices = nullptr;
            const int count = stbtt_GetCodepointShape(&info, codepoint, &vertices);
            auto at = [&](double vx, double vy) { return Point{x + vx * scale, baseline - vy * scale}; };
            Contour contour;
            Point current{0, 0};
            for (int i = 0; i < count; ++i)
            {
                const stbtt_vertex& v = vertices[i];
                const Point end = at(v.x, v.y);
                switch (v.type)
                {
                case STBTT_vmove:
                    shape.Add(std::move(contour));
                    contour = Contour{end};
                    break;
                case STBTT_vline:
                    contour.push_back(end);
                    break;
                case STBTT_vcurve:
                    AddQuadratic(contour, current, at(v.cx, v.cy), end);
                    break;
                case STBTT_vcubic:
                    AddCubic(contour, current, at(v.cx, v.cy), at(v.cx1, v.cy1), end);
                    break;
                }
                current = end;
            }
            shape.Add(std::move(contour));
            stbtt_FreeShape(&info, vertices);
        }

        std::vector<unsigned char> data;
        stbtt_fontinfo info;
    };

    struct Fonts
    {
        Font bold{kBoldFont};
        Font book{kBookFont};
    };

    // Ink of several colours that shares one halo.
    struct Ink
    {
        Mask mask;
        Colour colour;
    };

    Picture WithHalo(const std::vector<Ink>& inks)
    {
        Mask all;
        for (const Ink& ink : inks)
            all.Join(ink.mask);
        Picture picture;
        picture.PaintHalo(all);
        for (const Ink& ink : inks)
            picture.Paint(ink.mask, ink.colour);
        return picture;
    }

    // Small integer hash noise, smoothly interpolated: the stamp's worn ink.
    double Hash(int x, int y)
    {
        unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return ((h ^ (h >> 16)) & 0xffff) / 65535.0;
    }

    double ValueNoise(double x, double y)
    {
        const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        double fx = x - ix, fy = y - iy;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        const double top = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * fx;
        const double bottom = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * fx;
        return top + (bottom - top) * fy;
    }

    double Smoothstep(double edge0, double edge1, double x)
    {
        const double t = std::max(0.0, std::min(1.0, (x - edge0) / (edge1 - edge0)));
        return t * t * (3 - 2 * t);
    }

    Colour Mix(Colour a, Colour b, double t)
    {
        const float u = static_cast<float>(t);
        return {a.r + (b.r - a.r) * u, a.g + (b.g - a.g) * u, a.b + (b.b - a.b) * u};
    }

    // ---- The designs. Frame centre (640, 360); title-safe area x 128..1152, y 72..648. ----

    // Wide-tracked capitals over a short accent rule.
    Picture Morvane(const Fonts& fonts)
    {
        const double em = 150.0;
        const double baseline = 360.0 + fonts.bold.CapHeight(em) * 0.5;
        const Shape word = fonts.bold.Centred("MORVANE", em, 0.16, 640.0, baseline);
        double x0, y0, x1, y1;
        word.Bounds(x0, y0, x1, y1);
        Shape rule;
        rule.AddSolid(RoundedRectangle(640 - 70, y1 + 34, 640 + 70, y1 + 40, 3));
        return WithHalo({{Filled(word), kWhite}, {Filled(rule), kAccent}});
    }

    // A credit: small tracked label with a leading accent bar, the name large below it. The two
    // credits sit on opposite sides so that they can share the screen.
    Picture Credit(const Fonts& fonts, const std::string& label, const std::string& name, bool left)
    {
        const double nameEm = 132.0, labelEm = 40.0;
        const double nameBaseline = left ? 330.0 : 520.0;
        const double labelBaseline = nameBaseline - fonts.bold.CapHeight(nameEm) - 30.0;
        const std::vector<double> namePens = fonts.bold.PenPositions(name, nameEm, -0.01);
        const double nameX = left ? 170.0 : 1110.0 - namePens.back();
        const Shape nameShape = fonts.bold.Glyphs(name, nameEm, -0.01, nameX, nameBaseline);
        double nx0, ny0, nx1, ny1;
        nameShape.Bounds(nx0, ny0, nx1, ny1);

        const double barLength = 46.0, gap = 16.0;
        const std::vector<double> labelPens = fonts.book.PenPositions(label, labelEm, 0.28);
        const double labelX = left ? nx0 + barLength + gap : nx1 - labelPens.back();
        const Shape labelShape = fonts.book.Glyphs(label, labelEm, 0.28, labelX, labelBaseline);
        const double barY = labelBaseline - fonts.book.CapHeight(labelEm) * 0.5;
        const double barX = left ? nx0 : labelX - gap - barLength;
        Shape bar;
        bar.AddSolid(RoundedRectangle(barX, barY - 3, barX + barLength, barY + 3, 3));

        Mask accent = Filled(labelShape);
        accent.Join(Filled(bar));
        return WithHalo({{Filled(nameShape), kWhite}, {accent, kAccent}});
    }

    // One word of the sentence: every word at the same size on the same baseline, centred.
    Picture Word(const Fonts& fonts, const std::string& word)
    {
        const double em = 176.0;
        const double baseline = 360.0 + fonts.bold.XHeight(em) * 0.5;
        return WithHalo({{Filled(fonts.bold.Centred(word, em, -0.02, 640.0, baseline)), kWhite}});
    }

    // The title's syllables: each image holds its own letters at their place in the whole word
    // KELVORANDUM, so shown one per beat they spell it out from left to right.
    Picture Syllable(const Fonts& fonts, size_t first, size_t count)
    {
        const std::string title = "KELVORANDUM";
        const double tracking = 0.04;
        const double em = fonts.bold.EmForWidth(title, tracking, 960.0);
        const double baseline = 360.0 + fonts.bold.CapHeight(em) * 0.5;
        const Shape whole = fonts.bold.Glyphs(title, em, tracking, 0.0, baseline);
        double x0, y0, x1, y1;
        whole.Bounds(x0, y0, x1, y1);
        const double x = 640.0 - (x0 + x1) * 0.5;
        const Shape part = fonts.bold.Glyphs(title, em, tracking, x, baseline, first, count);
        // Inset so that the underlines of neighbouring syllables stay apart where letters kern.
        double px0, py0, px1, py1;
        part.Bounds(px0, py0, px1, py1);
        Shape underline;
        underline.AddSolid(RoundedRectangle(px0 + 8, baseline + 24, px1 - 8, baseline + 30, 3));
        return WithHalo({{Filled(part), kWhite}, {Filled(underline), kAccent}});
    }

    // A swallowtail-like butterfly: the right half is drawn and mirrored, so it is exactly symmetric.
    Picture Butterfly()
    {
        const double cx = 640.0, cy = 372.0;
        auto at = [cx, cy](double x, double y) { return Point{cx + x, cy + y}; };

        const Contour fore = CubicPath(at(6, -16), {at(40, -120), at(150, -205), at(262, -214), at(300, -216),
                                                    at(298, -180), at(282, -150), at(250, -90), at(220, -40),
                                                    at(178, -14), at(120, 12), at(50, 14), at(6, 6)});
        const Contour hind = CubicPath(
            at(6, 4), {at(70, -4), at(170, 0), at(206, 40), at(238, 76), at(214, 140), at(170, 168),
                       at(150, 182), at(138, 196), at(132, 236), at(128, 262), at(108, 264), at(100, 240),
                       at(92, 208), at(70, 176), at(40, 150), at(14, 118), at(4, 60), at(6, 4)});
        Shape wingShape;
        wingShape.AddSolid(fore);
        wingShape.AddSolid(hind);
        Mask wings = Filled(wingShape);

        // The dark margin: the wing minus a copy of it shrunk towards the root.
        auto shrunk = [&](const Contour& contour, Point root, double factor)
        {
            Contour out;
            for (const Point& p : contour)
                out.push_back({root.x + (p.x - root.x) * factor, root.y + (p.y - root.y) * factor});
            return out;
        };
        Shape inner;
        inner.AddSolid(shrunk(fore, at(10, 0), 0.80));
        inner.AddSolid(shrunk(hind, at(10, 0), 0.74));
        Mask margin = wings;
        margin.Cut(Filled(inner));

        // Spots along the margin, inside it.
        Shape spots;
        const double foreSpots[][3] = {{262, -186, 9}, {272, -150, 8}, {254, -112, 7},
                                       {232, -76, 7},  {204, -44, 6},  {170, -18, 5}};
        for (const auto& s : foreSpots)
            spots.AddSolid(Ellipse(at(s[0], s[1]), s[2], s[2] * 0.8));
        const double hindSpots[][3] = {{196, 56, 7}, {196, 100, 7}, {176, 136, 6}, {142, 168, 6}};
        for (const auto& s : hindSpots)
            spots.AddSolid(Ellipse(at(s[0], s[1]), s[2], s[2]));
        Mask spotMask = Filled(spots);
        spotMask.Multiply(wings);

        // Veins from the root, fanning out to the margin.
        Shape veins;
        const double foreVeins[][4] = {{30, -40, 250, -200}, {30, -30, 278, -160}, {30, -24, 258, -100},
                                       {28, -16, 226, -56},  {26, -10, 180, -20},  {20, -30, 120, -150}};
        for (const auto& v : foreVeins)
            veins.Append(Stroke(CubicLine(at(v[0] - 20, v[1] * 0.3), at(v[0] + 40, v[1]),
                                          at((v[0] + v[2]) * 0.5, (v[1] + v[3]) * 0.55), at(v[2], v[3])),
                                3.0));
        const double hindVeins[][4] = {
            {20, 14, 200, 40}, {20, 20, 196, 118}, {18, 26, 150, 170}, {14, 30, 116, 230}, {10, 34, 50, 150}};
        for (const auto& v : hindVeins)
            veins.Append(Stroke(CubicLine(at(v[0] - 12, v[1] * 0.5), at(v[0] + 30, v[1] + 6),
                                          at((v[0] + v[2]) * 0.5, (v[1] + v[3]) * 0.5), at(v[2], v[3])),
                                2.6));
        Mask veinMask = Filled(veins);
        veinMask.Multiply(wings);

        // An eye on each hind wing: dark ring, warm ring, white pupil.
        const Point eye = at(150, 92);
        auto disc = [](Point centre, double radius)
        {
            Shape s;
            s.AddSolid(Ellipse(centre, radius, radius));
            return Filled(s);
        };
        Mask eyeOuter = disc(eye, 25);
        Mask eyeWarm = disc(eye, 17);
        Mask eyePupil = disc({eye.x - 3, eye.y - 3}, 6.5);

        // Body, head and antennae on the axis.
        Shape body;
        body.AddSolid(Ellipse(at(0, 40), 11, 112));
        body.AddSolid(Ellipse(at(0, -84), 15, 16));
        Shape antennae = Stroke(CubicLine(at(4, -96), at(24, -150), at(52, -196), at(86, -232)), 3.4);
        antennae.AddSolid(Ellipse(at(88, -236), 7, 7));
        Mask bodyMask = Filled(body);
        Mask antennaeMask = Filled(antennae);

        Mask silhouette = wings;
        silhouette.Join(bodyMask);
        silhouette.Join(antennaeMask);

        // A thin light rim, so that the dark margins still show their edge on a dark scene.
        Mask rim = wings;
        const Mask soft = wings.Blurred(1.6);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                rim.At(x, y) *= 1.0f - static_cast<float>(Smoothstep(0.72, 0.97, soft.At(x, y)));

        // Mirror the right half onto the left before anything is painted.
        auto mirror = [](Mask& mask)
        {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth / 2; ++x)
                    mask.At(x, y) = mask.At(kWidth - 1 - x, y);
        };
        for (Mask* m : {&silhouette, &wings, &margin, &spotMask, &veinMask, &eyeOuter, &eyeWarm, &eyePupil,
                        &bodyMask, &antennaeMask, &rim})
            mirror(*m);

        Picture picture;
        picture.PaintHalo(silhouette, 0, 7); // straight down, to keep the symmetry
        const Colour deep = {0.30f, 0.10f, 0.78f}, bright = {0.18f, 0.86f, 1.00f},
                     hot = {1.00f, 0.36f, 0.72f};
        picture.PaintShaded(wings,
                            [&](int x, int y)
                            {
                                const double dx = std::fabs(x + 0.5 - cx), dy = y + 0.5 - cy;
                                const double reach = std::hypot(dx / 290.0, dy / 230.0);
                                const Colour base = Mix(deep, bright, Smoothstep(0.15, 0.85, reach));
                                return Mix(base, hot,
                                           0.55 * Smoothstep(40.0, 200.0, dy) * Smoothstep(0.2, 0.7, reach));
                            });
        const Colour dark = {0.05f, 0.03f, 0.10f};
        picture.Paint(veinMask, dark, 0.85f);
        picture.Paint(margin, dark);
        picture.Paint(spotMask, kWhite);
        picture.Paint(rim, {0.72f, 0.62f, 1.0f}, 0.9f);
        picture.Paint(eyeOuter, dark);
        picture.Paint(eyeWarm, {1.0f, 0.62f, 0.18f});
        picture.Paint(eyePupil, kWhite);
        picture.Paint(antennaeMask, {0.62f, 0.56f, 0.80f});
        picture.PaintShaded(bodyMask,
                            [&](int x, int)
                            {
                                const double side = std::fabs(x + 0.5 - cx) / 14.0;
                                return Mix({0.32f, 0.26f, 0.40f}, dark, Smoothstep(0.0, 1.0, side));
                            });
        return picture;
    }

    // The closing lockup, read top to bottom: "MORVANE" small and tracked between two accent
    // rules (the dash), "KELVORANDUM" bold below. It sits above the centre to leave room for the stamp.
    Picture EndLogo(const Fonts& fonts)
    {
        const double titleTracking = 0.05, groupTracking = 0.42;
        const double titleEm = fonts.bold.EmForWidth("KELVORANDUM", titleTracking, 820.0);
        const double titleBaseline = 380.0;
        const Shape title = fonts.bold.Centred("KELVORANDUM", titleEm, titleTracking, 640.0, titleBaseline);
        double tx0, ty0, tx1, ty1;
        title.Bounds(tx0, ty0, tx1, ty1);

        const double groupEm = titleEm * 0.46;
        const double groupBaseline = ty0 - 30.0;
        const Shape group = fonts.book.Centred("MORVANE", groupEm, groupTracking, 640.0, groupBaseline);
        double gx0, gy0, gx1, gy1;
        group.Bounds(gx0, gy0, gx1, gy1);
        const double ruleY = (gy0 + gy1) * 0.5, gap = 28.0;
        Shape rules;
        rules.AddSolid(RoundedRectangle(tx0, ruleY - 1.5, gx0 - gap, ruleY + 1.5, 1.5));
        rules.AddSolid(RoundedRectangle(gx1 + gap, ruleY - 1.5, tx1, ruleY + 1.5, 1.5));

        Mask white = Filled(title);
        white.Join(Filled(group));
        return WithHalo({{white, kWhite}, {Filled(rules), kAccent}});
    }

    // A worn rubber stamp, tilted, in the lower right corner of the safe area.
    Picture Lame(const Fonts& fonts)
    {
        const Point centre = {1000.0, 566.0};
        const double em = 74.0, w = 264.0, h = 112.0;
        Shape stamp;
        stamp.AddSolid(
            RoundedRectangle(centre.x - w / 2, centre.y - h / 2, centre.x + w / 2, centre.y + h / 2, 18));
        stamp.AddHole(RoundedRectangle(centre.x - w / 2 + 8, centre.y - h / 2 + 8, centre.x + w / 2 - 8,
                                       centre.y + h / 2 - 8, 11));
        stamp.Append(
            fonts.bold.Centred("LAME", em, 0.10, centre.x, centre.y + fonts.bold.CapHeight(em) * 0.5));
        Mask ink = Filled(stamp.Transformed(Affine::Rotation(-10.0 * kPi / 180.0, centre)));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
            {
                const double wear =
                    0.65 * ValueNoise(x / 3.0, y / 3.0) + 0.35 * ValueNoise(x / 11.0 + 7.3, y / 11.0);
                ink.At(x, y) *= static_cast<float>(0.25 + 0.75 * Smoothstep(0.18, 0.30, wear));
            }
        return WithHalo({{ink, kStampRed}});
    }

    struct Options
    {
        std::string out;
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
            else if (arg == "--out")
            {
                if (i + 1 >= argc)
                    ZEMB_THROW("--out needs a directory");
                options.out = argv[++i];
            }
            else
                ZEMB_THROW(Zemb::String("unknown argument \"") + arg.c_str() + "\"");
        }
        if (!options.help && options.out.empty())
            ZEMB_THROW("--out DIR is required");
        return options;
    }

    void Run(const Options& options)
    {
        struct stat info;
        if (stat(options.out.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            ZEMB_THROW(Zemb::String("output directory does not exist: \"") + options.out.c_str() + "\"");

        const Fonts fonts;
        struct Image
        {
            const char* name;
            std::function<Picture()> draw;
        };
        const std::vector<Image> images = {
            {"morvane.png", [&] { return Morvane(fonts); }},
            {"t0mbel.png", [&] { return Credit(fonts, "CODE", "t0mbel", true); }},
            {"pell00r.png", [&] { return Credit(fonts, "MUSIC", "pell00r", false); }},
            {"not.png", [&] { return Word(fonts, "not"); }},
            {"0ptimize.png", [&] { return Word(fonts, "0ptimize"); }},
            {"at.png", [&] { return Word(fonts, "at"); }},
            {"function.png", [&] { return Word(fonts, "function"); }},
            {"tjue.png", [&] { return Word(fonts, "tjue"); }},
            {"fucking.png", [&] { return Word(fonts, "fucking"); }},
            {"tolv.png", [&] { return Word(fonts, "tolv"); }},
            {"kel.png", [&] { return Syllable(fonts, 0, 3); }},
            {"vor.png", [&] { return Syllable(fonts, 3, 3); }},
            {"an.png", [&] { return Syllable(fonts, 6, 2); }},
            {"dum.png", [&] { return Syllable(fonts, 8, 3); }},
            {"butterfly.png", [] { return Butterfly(); }},
            {"endlogo.png", [&] { return EndLogo(fonts); }},
            {"lame.png", [&] { return Lame(fonts); }},
        };
        for (const Image& image : images)
            image.draw().Save(options.out + "/" + image.name);
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
        std::fprintf(stderr, "kelvorandum-images: %s\nTry --help.\n", e.GetMessage().CStr());
        return 2;
    }
}
