#include "ParticleArt.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "Noise.h"

namespace assetgen {
namespace {

// Shape space: x, y in [-1, 1], y up; the sprite is painted supersampled.
using Shader = Color (*)(float x, float y);

Image Render(int n, Shader shade, Color fringe) {
    CCanvas c(n, n);
    const int ss = 4;
    for (int py = 0; py < n; ++py)
        for (int px = 0; px < n; ++px) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i) {
                    const float x = ((px + (i + 0.5f) / ss) / n) * 2 - 1;
                    const float y = 1 - ((py + (j + 0.5f) / ss) / n) * 2;
                    const Color s = shade(x, y);
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            // Straight alpha; fully transparent pixels keep the sprite's fringe colour
            // so filtering never pulls in black. Everything fades out before the
            // quad's border.
            const float ex = std::fabs((px + 0.5f) / n * 2 - 1), ey = std::fabs((py + 0.5f) / n * 2 - 1);
            const float edge = SmoothStep(1.f, 0.84f, std::max(ex, ey));
            Color out = a > 0 ? Color{r / a, g / a, b / a, a / (ss * ss) * edge} : fringe;
            if (a <= 0) out.a = 0;
            c.At(px, py) = out;
        }
    return c.ToImage(4);
}

float Cover(float d, float soft) { return Clamp01(0.5f - d / soft); }

// Four-pointed sparkle with a soft halo.
Color Sparkle(float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float star = std::exp(-std::fabs(x) * 14.f) * std::exp(-std::fabs(y) * 2.2f) +
                       std::exp(-std::fabs(y) * 14.f) * std::exp(-std::fabs(x) * 2.2f);
    const float diag = 0.45f * (std::exp(-std::fabs(x - y) * 10.f) + std::exp(-std::fabs(x + y) * 10.f)) * std::exp(-r * 3.5f);
    const float halo = std::exp(-r * r * 7.f) * 0.55f;
    const float core = std::exp(-r * r * 60.f);
    const float i = Clamp01((star + diag) * SmoothStep(1.f, 0.6f, r) + halo + core);
    Color c = MixColor(Rgb(255, 200, 120), Rgb(255, 252, 236), Clamp01(core + star * 0.6f));
    c.a = i * SmoothStep(1.f, 0.85f, r);
    return c;
}

// A plump little heart with a highlight.
Color TinyHeart(float x, float y) {
    const float hx = x * 0.95f, hy = (y + 0.92f) * 0.95f;
    const float d = SdHeart(hx, hy);
    const float inside = Cover(d, 0.06f);
    const float glow = std::exp(-std::max(d, 0.f) * 12.f) * 0.35f;
    const float shine = Clamp01(1.f - std::sqrt((x + 0.32f) * (x + 0.32f) + (y - 0.25f) * (y - 0.25f)) * 3.f);
    Color c = MixColor(Rgb(214, 40, 92), Rgb(255, 120, 160), Clamp01(0.5f + y * 0.4f));
    c = MixColor(c, Rgb(255, 226, 236), shine * shine);
    if (inside < 0.5f) c = MixColor(c, Rgb(255, 140, 180), 0.6f);
    c.a = Clamp01(inside + glow * (1 - inside));
    return c;
}

// A curled petal: a teardrop with a darker base and a lighter rim.
Color Petal(float x, float y, Color base, Color tip, float bend) {
    // Rotate a little and bend, so it does not look stamped.
    const float rx = x * 0.94f + y * 0.34f, ry = -x * 0.34f + y * 0.94f;
    const float bx = rx - bend * (ry * ry - 0.3f);
    const float w = 0.62f * std::sqrt(Clamp01((ry + 0.9f) / 1.8f)) * (1.15f - 0.35f * (ry + 0.9f) / 1.8f);
    const float d = std::max(std::fabs(bx) - w, std::fabs(ry) - 0.88f);
    const float inside = Cover(d, 0.08f);
    const float along = Clamp01((ry + 0.9f) / 1.8f);
    const float vein = std::exp(-std::fabs(bx) * 18.f) * 0.25f * along;
    Color c = MixColor(base, tip, SmoothStep(0.f, 1.f, along));
    c = MixColor(c, Scale(base, 0.7f), Clamp01(-bx / (w + 1e-3f)) * 0.35f);  // curl shade
    c = MixColor(c, Rgb(255, 236, 240), vein);
    c.a = inside;
    return c;
}

Color RedPetal(float x, float y) { return Petal(x * 1.15f, y * 1.15f, Rgb(150, 10, 40), Rgb(232, 52, 82), 0.35f); }
Color PinkPetal(float x, float y) { return Petal(-x * 1.15f, y * 1.15f, Rgb(214, 92, 132), Rgb(255, 186, 204), -0.3f); }
Color DeepPinkPetal(float x, float y) { return Petal(x * 1.15f, -y * 1.15f, Rgb(176, 30, 84), Rgb(255, 128, 164), 0.2f); }
Color BlossomPetal(float x, float y) { return Petal(y * 1.12f, x * 1.12f, Rgb(246, 170, 196), Rgb(255, 238, 244), 0.25f); }

// Soft round light, like a distant lantern out of focus.
Color Bokeh(float x, float y) {
    const float r = std::sqrt(x * x + y * y);
    const float disk = Cover(r - 0.72f, 0.12f);
    const float ring = std::exp(-std::pow((r - 0.66f) * 9.f, 2.f)) * 0.35f;
    Color c = MixColor(Rgb(255, 196, 150), Rgb(255, 236, 210), Clamp01(ring * 2.f));
    c.a = Clamp01(disk * 0.45f + ring) * SmoothStep(0.95f, 0.8f, r);
    return c;
}

// Chamomile: white petals around a golden centre.
Color Chamomile(float x, float y) {
    x *= 1.1f;
    y *= 1.1f;
    const float r = std::sqrt(x * x + y * y);
    const float a = std::atan2(y, x);
    const float petals = 13.f;
    const float k = std::fabs(std::cos(a * petals / 2.f));
    const float len = 0.88f - 0.08f * std::cos(a * 3.f + 1.f);
    const float petal = Cover(r - (0.26f + (len - 0.26f) * std::pow(k, 0.6f)), 0.07f) * SmoothStep(0.05f, 0.2f, k);
    const float disc = Cover(r - 0.27f, 0.06f);
    Color c = MixColor(Rgb(236, 228, 236), Rgb(255, 255, 252), Clamp01(r * 1.2f));
    c = MixColor(c, Rgb(220, 205, 220), (1 - k) * 0.4f);
    const float dots = 0.8f + 0.2f * std::sin(x * 60.f) * std::sin(y * 60.f);
    Color centre = MixColor(Rgb(214, 140, 20), Rgb(255, 214, 60), Clamp01(1 - r * 3.f)) ;
    centre = Scale(centre, dots);
    c = MixColor(c, centre, disc);
    c.a = Clamp01(std::max(petal, disc));
    return c;
}

// The arrow trail: a small heart glowing from within.
Color GlowingHeart(float x, float y) {
    const float d = SdHeart(x * 1.5f, (y + 0.62f) * 1.5f) / 1.5f;
    const float inside = Cover(d, 0.04f);
    const float glow = std::exp(-std::max(d, 0.f) * 7.f) * SmoothStep(1.f, 0.7f, std::sqrt(x * x + y * y));
    const float shine = Clamp01(1.f - std::sqrt((x + 0.2f) * (x + 0.2f) + (y - 0.12f) * (y - 0.12f)) * 3.5f);
    Color c = MixColor(Rgb(255, 70, 120), Rgb(255, 200, 215), Clamp01(shine + 0.2f));
    c = MixColor(Rgb(255, 120, 160), c, inside);
    c.a = Clamp01(inside + glow * 0.75f * (1 - inside));
    return c;
}

}  // namespace

Image BuildParticle(const std::string& name) {
    if (name == "1") return Render(32, Sparkle, Rgb(255, 220, 170));
    if (name == "2") return Render(32, TinyHeart, Rgb(255, 140, 180));
    if (name == "3") return Render(32, PinkPetal, Rgb(240, 150, 180));
    if (name == "4") return Render(32, Bokeh, Rgb(255, 210, 170));
    if (name == "6") return Render(32, BlossomPetal, Rgb(250, 210, 224));
    if (name == "rose01") return Render(32, RedPetal, Rgb(200, 30, 60));
    if (name == "rose02") return Render(32, DeepPinkPetal, Rgb(230, 110, 150));
    if (name == "romashka") return Render(32, Chamomile, Rgb(245, 240, 240));
    return Render(64, GlowingHeart, Rgb(255, 120, 160));
}

}  // namespace assetgen
