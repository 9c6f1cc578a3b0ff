#include "SkyArt.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "Noise.h"

namespace assetgen {

Color DuskSky(float e) {
    // Stops from the zenith down to the nadir: deep rose-violet, mauve, rose,
    // warm peach, a golden band on the horizon, then a rosy haze below.
    struct Stop {
        float elevation;
        Color c;
    };
    static const Stop stops[] = {
        {90, Rgb(46, 26, 78)},   {60, Rgb(82, 44, 108)},  {38, Rgb(138, 68, 128)},
        {22, Rgb(196, 98, 132)}, {11, Rgb(236, 140, 128)}, {4, Rgb(252, 186, 130)},
        {0, Rgb(255, 214, 142)}, {-4, Rgb(246, 178, 140)}, {-14, Rgb(214, 128, 138)},
        {-35, Rgb(150, 80, 120)}, {-90, Rgb(70, 36, 82)},
    };
    const int n = int(sizeof stops / sizeof stops[0]);
    if (e >= stops[0].elevation) return stops[0].c;
    for (int i = 0; i + 1 < n; ++i)
        if (e >= stops[i + 1].elevation) {
            const float t = (stops[i].elevation - e) / (stops[i].elevation - stops[i + 1].elevation);
            return MixColor(stops[i].c, stops[i + 1].c, SmoothStep(0, 1, t));
        }
    return stops[n - 1].c;
}

Image BuildSkyGradient() {
    CCanvas c(12, 256);
    c.Paint([](float, float y) {
        const float elevation = 90.f - 180.f * y / 256.f;
        return DuskSky(elevation);
    });
    return c.ToImage(3);
}

namespace {

struct CloudStyle {
    uint32_t seed;
    int period;         // lattice cells across the tile
    float stretchY;     // > 1 stretches the shapes along u (streaks)
    int octaves;
    float gain;
    float billow;       // share of the rounded, cauliflower-like term
    float coverage;     // higher means more sky covered
    float softness;
    float maxAlpha;
    Color lit, shade, rim;
};

// Density field of one tile: soft billows, or streaks when stretched.
float CloudDensity(const CloudStyle& s, float u, float v) {
    // A whole number of lattice cells down the tile, or v would not wrap.
    const int py = int(std::lround(s.period * s.stretchY));
    const float x = u * s.period, y = v * float(py);
    const float warp = PeriodicFbm(x + 3.1f, y, s.period, py, 3, 0.5f, s.seed + 91u);
    const float base = PeriodicFbm(x + warp * 0.6f, y, s.period, py, s.octaves, s.gain, s.seed);
    // Every term repeats with the tile (x spans one period, y spans py), so
    // the tiles of a layer meet without a seam.
    const float billow = 1.f - std::fabs(PeriodicFbm(x, y + warp * 0.8f, s.period, py, 3, 0.5f, s.seed + 17u));
    return (1 - s.billow) * base + s.billow * (billow - 0.6f) + s.coverage;
}

const CloudStyle kCloudStyles[3] = {
    // Sky_05: scattered soft clouds close above, lit pink-gold with lilac shade.
    {0x05u, 3, 1.0f, 6, 0.5f, 0.25f, -0.10f, 0.32f, 0.86f, Rgb(255, 228, 218), Rgb(168, 108, 158), Rgb(255, 204, 150)},
    // Sky_18: the sea of clouds below, broad and rosy, with gaps of haze.
    {0x18u, 3, 1.0f, 5, 0.45f, 0.35f, 0.06f, 0.40f, 0.88f, Rgb(255, 200, 186), Rgb(156, 90, 140), Rgb(255, 222, 172)},
    // Sky_16: thin high streaks, pale gold.
    {0x16u, 3, 2.5f, 5, 0.5f, 0.1f, -0.08f, 0.42f, 0.45f, Rgb(255, 234, 208), Rgb(220, 156, 176), Rgb(255, 242, 214)},
};

}  // namespace

Image BuildCloudTexture(int layer) {
    const CloudStyle& s = kCloudStyles[std::clamp(layer, 1, 3) - 1];
    const int n = 512;
    std::vector<float> d(size_t(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) d[size_t(y) * n + x] = CloudDensity(s, (x + 0.5f) / n, (y + 0.5f) / n);
    // Light from the sun side: density falling towards the light is a lit edge.
    const std::vector<float> soft = BlurField(d, n, n, 6.f, true);
    CCanvas c(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float v = d[size_t(y) * n + x];
            const float ahead = soft[size_t((y + n - 10) % n) * n + (x + n - 10) % n];
            const float alpha = SmoothStep(0.f, s.softness, v) * s.maxAlpha;
            const float lit = Clamp01(0.55f + 2.6f * (v - ahead));
            const float depth = Clamp01(v * 1.6f);
            Color col = MixColor(s.shade, s.lit, lit);
            col = MixColor(col, s.rim, (1 - depth) * 0.45f);  // thin edges glow with the sun
            col.a = alpha;
            c.At(x, y) = col;
        }
    return c.ToImage(4);
}

Image BuildSunTexture() {
    const int n = 256;
    CCanvas c(n, n);
    c.Paint([n](float x, float y) {
        const float dx = (x - n / 2.f) / (n / 2.f), dy = (y - n / 2.f) / (n / 2.f);
        const float r = std::sqrt(dx * dx + dy * dy);
        const float a = std::atan2(dy, dx);
        // 12 long and 12 short rays: the pattern repeats every 30 degrees.
        const float longRay = std::pow(std::fabs(std::cos(a * 6.f)), 24.f);
        const float shortRay = std::pow(std::fabs(std::cos(a * 6.f + kPi / 2)), 40.f);
        const float flicker = 0.85f + 0.15f * std::cos(a * 24.f);
        const float rays = (longRay * std::exp(-r * 2.6f) + 0.7f * shortRay * std::exp(-r * 4.2f)) * flicker;
        const float core = SmoothStep(0.2f, 0.15f, r);
        const float halo = std::exp(-r * r * 7.f) * 0.9f + std::exp(-r * 4.f) * 0.4f;
        const float fade = SmoothStep(1.0f, 0.78f, r);  // nothing reaches the quad's edge
        const float glow = Clamp01(core + (halo + rays * 0.8f) * fade);
        Color col = MixColor(Rgb(255, 168, 128), Rgb(255, 226, 160), Clamp01(glow * 1.3f));
        col = MixColor(col, Rgb(255, 252, 240), core);
        col.a = Clamp01(glow * fade + core);
        return col;
    });
    return c.ToImage(4);
}

Image BuildGlowTexture() {
    const int n = 64;
    CCanvas c(n, n);
    c.Paint([n](float x, float y) {
        const float dx = (x - n / 2.f) / (n / 2.f), dy = (y - n / 2.f) / (n / 2.f);
        const float r = std::sqrt(dx * dx + dy * dy);
        const float fall = std::pow(Clamp01(1 - r), 2.2f);
        const float spark = (std::exp(-std::fabs(dx) * 26.f) * std::exp(-std::fabs(dy) * 3.5f) +
                             std::exp(-std::fabs(dy) * 26.f) * std::exp(-std::fabs(dx) * 3.5f)) *
                            Clamp01(1 - r) * 0.7f;
        const float core = std::exp(-r * r * 40.f);
        const float i = Clamp01(fall * 0.5f + spark * 0.8f + core * 0.4f);
        Color col = MixColor(Rgb(200, 90, 130), Rgb(255, 236, 210), Clamp01(i * 1.2f));
        return Scale(col, i);  // additive: black is transparent
    });
    return c.ToImage(3);
}

}  // namespace assetgen
