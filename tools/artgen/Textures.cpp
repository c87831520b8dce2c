// The eleven square textures: 120 x 60, the light square on the left half,
// the dark square on the right. Procedural wood, marble and slate from
// seeded value noise, so every run draws the same pixels.
#include "Art.h"
#include "Raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace artgen {
namespace {

class Noise {
public:
    explicit Noise(std::uint32_t seed)
    {
        for (int i = 0; i < 256; ++i)
            m_perm[i] = std::uint8_t(i);
        for (int i = 255; i > 0; --i) { // Fisher-Yates with a fixed LCG
            seed = seed * 1664525u + 1013904223u;
            std::swap(m_perm[i], m_perm[(seed >> 8) % std::uint32_t(i + 1)]);
        }
        for (int i = 0; i < 256; ++i) {
            seed = seed * 1664525u + 1013904223u;
            m_value[i] = double(seed >> 8) / double(1u << 24);
        }
    }

    // Smooth value noise in 0..1.
    double at(double x, double y) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const int ix = int(fx), iy = int(fy);
        const double tx = smooth(x - fx), ty = smooth(y - fy);
        const double a = lattice(ix, iy), b = lattice(ix + 1, iy);
        const double c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
        return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
    }

    // Fractal sum of octaves, 0..1.
    double fbm(double x, double y, int octaves) const
    {
        double sum = 0, amp = 0.5, norm = 0;
        for (int i = 0; i < octaves; ++i) {
            sum += amp * at(x, y);
            norm += amp;
            x = x * 2.03 + 17.1;
            y = y * 2.03 + 5.3;
            amp *= 0.5;
        }
        return sum / norm;
    }

    // Sum of |noise - 0.5| over octaves: sharp creases, for marble veins.
    double turbulence(double x, double y, int octaves) const
    {
        double sum = 0, amp = 1;
        for (int i = 0; i < octaves; ++i) {
            sum += amp * std::fabs(at(x, y) - 0.5);
            x *= 2.0;
            y *= 2.0;
            amp *= 0.5;
        }
        return sum;
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    double lattice(int x, int y) const { return m_value[m_perm[(m_perm[x & 255] + y) & 255]]; }

    std::array<std::uint8_t, 256> m_perm{};
    std::array<double, 256> m_value{};
};

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

QRgb toRgb(Rgb c)
{
    const auto v = [](double x) { return int(std::lround(std::clamp(x, 0.0, 255.0))); };
    return qRgb(v(c.r), v(c.g), v(c.b));
}

// One half of a texture: base colour, the colour of its figure (grain or
// veins), and a second tone for large-scale variation.
struct Half {
    Rgb base, figure, cloud;
};
enum class Kind { Wood, Oak, Marble, Slate };

Rgb wood(const Noise& n, double x, double y, const Half& h, bool oak)
{
    // Growth rings seen from the side: bands along x, bent by low noise.
    const double bend = 3.2 * n.fbm(x * 0.018, y * 0.05, 3);
    const double t = y * 0.11 + bend;
    const double ring = t - std::floor(t);
    const double late = std::pow(ring, 4.0); // dark late wood at the end of a ring
    const double fibre = n.fbm(x * 0.06, y * 0.8, 2); // fine fibres stretched along the grain
    Rgb c = mix(h.base, h.cloud, n.fbm(x * 0.03 + 40, y * 0.03, 3) * 0.7);
    c = mix(c, h.figure, late * 0.85 + (fibre - 0.5) * 0.5);
    if (oak) { // medullary rays: short light flecks across the grain
        const double ray = n.at(x * 0.35 + 90, y * 1.4);
        if (ray > 0.82)
            c = mix(c, h.base, (ray - 0.82) * 3.0);
    }
    return c;
}

Rgb marble(const Noise& n, double x, double y, const Half& h)
{
    Rgb c = mix(h.base, h.cloud, n.fbm(x * 0.035, y * 0.035, 4));
    const double t = (x * 0.6 + y) * 0.045 + 2.4 * n.turbulence(x * 0.02, y * 0.02, 5);
    const double v = std::fabs(std::sin(t * 3.14159265));
    const double vein = std::pow(1.0 - v, 7.0);
    const double fine
        = std::pow(1.0 - std::fabs(std::sin((x - y * 0.4) * 0.09 + 6 * n.turbulence(x * 0.05 + 7, y * 0.05, 4))), 14.0);
    c = mix(c, h.figure, vein * 0.9 + fine * 0.35);
    return c;
}

Rgb slate(const Noise& n, double x, double y, const Half& h)
{
    // Cleaved layers along a slight slope, with grit.
    const double layer = n.fbm(x * 0.012, (y + x * 0.15) * 0.09, 4);
    Rgb c = mix(h.base, h.cloud, layer);
    const double grit = n.at(x * 1.7, y * 1.7);
    c = mix(c, h.figure, (grit - 0.5) * 0.35 + std::pow(n.fbm(x * 0.05, y * 0.3 + 3, 3), 6.0) * 1.6);
    return c;
}

QImage texture(Kind kind, const Half& light, const Half& dark, std::uint32_t seed)
{
    QImage image(120, 60, QImage::Format_RGB32);
    for (int side = 0; side < 2; ++side) {
        const Noise noise(seed + std::uint32_t(side) * 7919u);
        const Half& h = side == 0 ? light : dark;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 60; ++x) {
                Rgb c{};
                switch (kind) {
                case Kind::Wood:
                    c = wood(noise, x, y, h, false);
                    break;
                case Kind::Oak:
                    c = wood(noise, x, y, h, true);
                    break;
                case Kind::Marble:
                    c = marble(noise, x, y, h);
                    break;
                case Kind::Slate:
                    c = slate(noise, x, y, h);
                    break;
                }
                image.setPixel(side * 60 + x, y, toRgb(c));
            }
    }
    return image;
}

struct TextureDef {
    int id;
    Kind kind;
    Half light, dark;
};

} // namespace

bool writeTextures(const QString& dir)
{
    const TextureDef defs[] = {
        {137, Kind::Wood, {{226, 190, 142}, {190, 142, 92}, {236, 204, 160}},
            {{146, 94, 54}, {100, 58, 28}, {160, 106, 64}}}, // Brown
        {138, Kind::Marble, {{214, 226, 240}, {120, 142, 186}, {190, 206, 230}},
            {{66, 98, 160}, {196, 212, 240}, {44, 72, 132}}}, // Blue marble
        {139, Kind::Marble, {{212, 232, 212}, {104, 150, 116}, {186, 214, 190}},
            {{34, 104, 72}, {184, 226, 196}, {20, 76, 52}}}, // Green marble
        {140, Kind::Slate, {{178, 188, 192}, {128, 140, 146}, {196, 204, 206}},
            {{72, 82, 92}, {42, 50, 58}, {92, 102, 110}}}, // Slate
        {141, Kind::Marble, {{244, 214, 204}, {186, 112, 100}, {236, 196, 186}},
            {{150, 40, 40}, {232, 176, 166}, {116, 24, 28}}}, // Red marble
        {154, Kind::Wood, {{246, 226, 186}, {226, 194, 146}, {250, 234, 200}},
            {{210, 162, 100}, {178, 126, 68}, {220, 176, 116}}}, // Maple
        {155, Kind::Wood, {{232, 176, 138}, {204, 138, 102}, {240, 190, 152}},
            {{148, 62, 40}, {108, 40, 24}, {164, 76, 50}}}, // Cherry
        {156, Kind::Oak, {{228, 204, 154}, {196, 164, 108}, {236, 214, 170}},
            {{168, 128, 76}, {128, 92, 48}, {180, 140, 88}}}, // Oak
        {165, Kind::Marble, {{228, 228, 224}, {140, 140, 150}, {210, 210, 206}},
            {{36, 36, 40}, {196, 196, 204}, {18, 18, 22}}}, // Black marble
        {166, Kind::Marble, {{228, 240, 252}, {150, 182, 214}, {210, 228, 246}},
            {{126, 168, 214}, {236, 246, 255}, {104, 148, 200}}}, // Light blue marble
        {167, Kind::Marble, {{164, 184, 222}, {92, 112, 164}, {146, 168, 210}},
            {{28, 38, 92}, {140, 160, 222}, {16, 24, 66}}}, // Dark blue marble
    };
    for (const TextureDef& d : defs)
        if (!save(texture(d.kind, d.light, d.dark, std::uint32_t(d.id) * 2654435761u), dir, QString::number(d.id)))
            return false;
    return true;
}

} // namespace artgen
