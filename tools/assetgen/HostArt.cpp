#include "HostArt.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "FontRaster.h"
#include "Noise.h"
#include "SkyArt.h"

namespace assetgen {
namespace {

// A dusk view: gradient sky with the horizon at 'horizon' (fraction of the
// height), soft clouds and the low sun; coordinates in [0, 1].
Color DuskScene(float u, float v, float horizon, float sunU) {
    const float elevation = (horizon - v) * 120.f;
    Color c = DuskSky(elevation);
    // Sun glow near the horizon.
    const float dx = (u - sunU) * 1.3f, dy = v - (horizon - 0.05f);
    const float r = std::sqrt(dx * dx + dy * dy);
    const float glow = std::exp(-r * 7.f) * 0.7f + std::exp(-r * r * 400.f);
    c = MixColor(c, Rgb(255, 240, 200), Clamp01(glow));
    // Cloud bands: wide above the horizon, a soft sea of clouds below it.
    const float band = v < horizon ? std::exp(-std::pow((v - horizon + 0.18f) * 6.f, 2.f)) : 1.f;
    const float stretch = v < horizon ? 5.f : 2.f;
    const float n = PeriodicFbm(u * 4.f, v * 4.f * stretch, 4, int(4 * stretch), 5, 0.55f, 0x6C0Du);
    const float cloud = SmoothStep(0.0f, 0.35f, n + (v < horizon ? -0.05f : 0.12f)) * band;
    const float lit = Clamp01(0.6f + 2.f * (n - PeriodicFbm(u * 4.f + 0.05f, v * 4.f * stretch + 0.2f, 4,
                                                              int(4 * stretch), 5, 0.55f, 0x6C0Du)));
    const Color cloudColor = MixColor(Rgb(160, 96, 150), Rgb(255, 214, 200), lit);
    c = MixColor(c, cloudColor, cloud * 0.8f);
    return c;
}

// Heart shading in shape space (tip at 0, lobes near 1.1).
Color HeartFill(float x, float y) {
    const float shine = Clamp01(1.f - std::sqrt((x + 0.28f) * (x + 0.28f) + (y - 0.82f) * (y - 0.82f)) * 2.6f);
    Color c = MixColor(Rgb(160, 14, 52), Rgb(236, 50, 92), Clamp01(y * 0.9f));
    return MixColor(c, Rgb(255, 200, 214), shine * shine * 0.9f);
}

// The emblem: a glossy heart pierced by a golden arrow, painted into a canvas
// at centre (cx, cy) with the heart 'size' pixels tall. 'ss' supersamples.
void PaintEmblem(CCanvas& c, float cx, float cy, float size, bool glow) {
    const int ss = 4;
    const float s = size / 1.1f;
    // Only the emblem's surroundings need the supersampled shapes.
    const int x0 = std::max(0, int(cx - 1.6f * s)), x1 = std::min(c.Width(), int(cx + 1.6f * s) + 1);
    const int y0 = std::max(0, int(cy - 1.6f * s)), y1 = std::min(c.Height(), int(cy + 1.6f * s) + 1);
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) {
            float cover[3] = {0, 0, 0};
            Color tone[3];
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    const float x = (px + (i + 0.5f) / ss - cx) / s;
                    const float y = (cy + 0.55f * s - (py + (j + 0.5f) / ss)) / s;
                    // Arrow along the diagonal, behind and in front of the heart.
                    const float ax = (x + y * 0.8f - 0.3f) / 1.28f, ay = (y - x * 0.8f - 0.55f) / 1.28f;
                    const float shaft = std::fabs(ay) - 0.028f;
                    const bool onShaft = shaft < 0 && std::fabs(ax) < 0.95f;
                    // Heart-shaped head pointing along +ax, fletching widening towards the back.
                    const float head = SdHeart(ay * 7.f, (1.17f - ax) * 7.f) / 7.f;
                    const float vane = std::max(std::fabs(ay) - 0.13f * Clamp01((-0.6f - ax) * 3.5f),
                                                std::fabs(ax + 0.8f) - 0.17f);
                    const float heart = SdHeart(x, y);
                    if (heart < 0) {
                        cover[1] += 1;
                        tone[1] = HeartFill(x, y);
                    }
                    if (onShaft || head < 0 || vane < 0) {
                        // Hidden behind the heart between its edges: the shaft passes through.
                        const bool front = ax > 0.1f || heart >= 0;
                        Color g = MixColor(Rgb(180, 120, 40), Rgb(255, 230, 150), Clamp01(0.5f - ay * 8.f));
                        if (vane < 0 && !onShaft) g = Rgb(255, 248, 250);
                        if (head < 0) g = MixColor(Rgb(240, 190, 80), Rgb(255, 240, 170), 0.5f);
                        const int layer = front ? 2 : 0;
                        cover[layer] += 1;
                        tone[layer] = g;
                    }
                }
            const float n = float(ss * ss);
            if (glow) {
                const float gx = (px + 0.5f - cx) / s, gy = (cy + 0.55f * s - py - 0.5f) / s;
                const float d = SdHeart(gx, gy);
                if (d > 0) c.BlendOver(px, py, Rgb(255, 200, 210), std::exp(-d * 6.f) * 0.6f);
            }
            c.BlendOver(px, py, tone[0], cover[0] / n);
            c.BlendOver(px, py, tone[1], cover[1] / n);
            c.BlendOver(px, py, tone[2], cover[2] / n);
        }
}

void PaintDusk(CCanvas& c, float horizon, float sunU) {
    const float w = float(c.Width()), h = float(c.Height());
    c.Paint([&](float x, float y) { return DuskScene(x / w, y / h, horizon, sunU); });
}

// Soft vignette towards the corners.
void Vignette(CCanvas& c, float strength) {
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            const float dx = (x + 0.5f) / c.Width() - 0.5f, dy = (y + 0.5f) / c.Height() - 0.5f;
            const float k = 1.f - strength * SmoothStep(0.25f, 0.75f, std::sqrt(dx * dx + dy * dy));
            Color& p = c.At(x, y);
            p.r *= k;
            p.g *= k;
            p.b *= k;
        }
}

// Drifting petals and sparkles scattered over a picture.
void Scatter(CCanvas& c, int count, uint32_t seed, float size) {
    CRandom rnd(seed);
    for (int i = 0; i < count; ++i) {
        const float x = rnd.Uniform(0, float(c.Width())), y = rnd.Uniform(0, float(c.Height()));
        const float r = size * rnd.Uniform(0.5f, 1.2f);
        const bool heart = rnd.Uniform() < 0.4f;
        const float angle = rnd.Uniform(-0.6f, 0.6f);
        const Color col = heart ? Rgb(255, 120, 160, 0.85f) : Rgb(255, 236, 220, 0.7f);
        for (int py = int(y - r * 1.5f); py <= int(y + r * 1.5f); ++py)
            for (int px = int(x - r * 1.5f); px <= int(x + r * 1.5f); ++px) {
                float dx = (px + 0.5f - x) / r, dy = (y - py - 0.5f) / r;
                const float rx = dx * std::cos(angle) - dy * std::sin(angle);
                const float ry = dx * std::sin(angle) + dy * std::cos(angle);
                float d = heart ? SdHeart(rx, ry + 0.55f) * r : (SdCircle(rx, ry, 0.25f) * r);
                const float cover = heart ? Clamp01(0.5f - d) : std::exp(-std::max(d, 0.f) * 0.6f) * 0.8f;
                if (cover > 0.01f) c.BlendOver(px, py, col, cover);
            }
    }
}

// Text with a soft dark rim, composited in a colour.
void DrawCaption(CCanvas& c, const CFont& font, const std::string& text, float x, float baseline, float px,
                 Color colour, float rim) {
    Coverage cov{c.Width(), c.Height(), std::vector<float>(size_t(c.Width()) * c.Height())};
    font.DrawText(cov, text, x, baseline, font.ScaleForHeight(px));
    const std::vector<float> blur = BlurField(cov.values, c.Width(), c.Height(), std::max(1.f, px / 14.f), false);
    for (int y = 0; y < c.Height(); ++y)
        for (int xx = 0; xx < c.Width(); ++xx) {
            const size_t i = size_t(y) * c.Width() + xx;
            c.BlendOver(xx, y, Rgb(70, 20, 60), std::min(1.f, blur[i] * 2.f) * rim);
            c.BlendOver(xx, y, colour, cov.values[i]);
        }
}

}  // namespace

Image BuildLoadingBackground() {
    CCanvas c(512, 512);
    PaintDusk(c, 0.62f, 0.5f);
    Scatter(c, 60, 0xB6u, 5.f);
    PaintEmblem(c, 256.f, 250.f, 120.f, true);
    Vignette(c, 0.35f);
    return c.ToImage(3);
}

bool BuildLoadingCorner(Image& out) {
    CFont script, serif;
    if (!script.Load(FontFace::Script) || !serif.Load(FontFace::SerifItalic)) return false;
    CCanvas c(256, 128, Rgb(255, 240, 236, 0.f));
    const float title = 58.f;
    const float width = script.Measure("Cordelune", script.ScaleForHeight(title));
    const float x = 236.f - width;
    DrawCaption(c, script, "Cordelune", x, 72.f, title, Rgb(255, 250, 246), 0.7f);
    DrawCaption(c, serif, "3D Screensaver", x + 30.f, 98.f, 20.f, Rgb(255, 226, 214), 0.6f);
    DrawCaption(c, serif, "loading...", 176.f, 118.f, 15.f, Rgb(255, 214, 200), 0.5f);
    PaintEmblem(c, x - 8.f, 44.f, 26.f, false);
    out = c.ToImage(4);
    return true;
}

Image BuildPreviewBitmap() {
    CCanvas c(155, 115);
    PaintDusk(c, 0.66f, 0.7f);
    Scatter(c, 16, 0x432u, 2.f);
    PaintEmblem(c, 72.f, 50.f, 52.f, true);
    Vignette(c, 0.3f);
    return c.ToImage(3);
}

bool BuildConfigBitmap(Image& out) {
    CFont script;
    if (!script.Load(FontFace::Script)) return false;
    CCanvas c(190, 142);
    PaintDusk(c, 0.7f, 0.25f);
    Scatter(c, 22, 0x434u, 2.5f);
    PaintEmblem(c, 95.f, 58.f, 62.f, true);
    const float width = script.Measure("Cordelune", script.ScaleForHeight(34.f));
    DrawCaption(c, script, "Cordelune", (190.f - width) / 2, 130.f, 34.f, Rgb(255, 250, 246), 0.8f);
    Vignette(c, 0.3f);
    out = c.ToImage(3);
    return true;
}

Image BuildAboutBitmap() {
    CCanvas c(70, 70);
    PaintDusk(c, 0.75f, 0.5f);
    PaintEmblem(c, 35.f, 34.f, 40.f, true);
    Vignette(c, 0.3f);
    return c.ToImage(3);
}

std::vector<Image> BuildIconImages() {
    std::vector<Image> out;
    for (int n : {16, 32, 48, 256}) {
        CCanvas c(n, n, Rgb(230, 60, 100, 0.f));
        PaintEmblem(c, n * 0.5f, n * 0.46f, n * (n >= 48 ? 0.56f : 0.7f), n >= 48);
        out.push_back(c.ToImage(4));
    }
    return out;
}

Image BuildEmptyLayer() {
    CCanvas c(2, 2, Rgb(0, 0, 0, 0.f));
    return c.ToImage(4);
}

}  // namespace assetgen
