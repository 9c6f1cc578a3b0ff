#include "Paint.h"

#include "../Noise.h"

#include <algorithm>

namespace assetgen::cupid {

CAtlas::CAtlas(int w, int h, Rgba fill) : m_nWidth(w), m_nHeight(h), m_Pixels(size_t(w) * h, fill) {}

Image CAtlas::ToImage(int channels) const {
    Image img{m_nWidth, m_nHeight, channels, std::vector<uint8_t>(size_t(m_nWidth) * m_nHeight * channels)};
    auto q = [](float v) { return uint8_t(std::clamp(v, 0.f, 1.f) * 255.f + 0.5f); };
    for (size_t i = 0; i < m_Pixels.size(); ++i) {
        const Rgba& c = m_Pixels[i];
        uint8_t* p = &img.pixels[i * channels];
        p[0] = q(c.r);
        p[1] = q(c.g);
        p[2] = q(c.b);
        if (channels == 4) p[3] = q(c.a);
    }
    return img;
}

uint32_t HashU(uint32_t a, uint32_t b, uint32_t c) { return Hash(a, b, c); }

namespace {
float H01(int x, int y, int z, uint32_t seed) {
    return float(HashU(uint32_t(x), uint32_t(y) ^ (seed * 7919u), uint32_t(z)) & 0xFFFFFF) / float(0x1000000);
}
float Fade(float t) { return t * t * (3.f - 2.f * t); }
}  // namespace

float ValueNoise3(Vec3 p, uint32_t seed) {
    const int x0 = int(std::floor(p.x)), y0 = int(std::floor(p.y)), z0 = int(std::floor(p.z));
    const float fx = Fade(p.x - float(x0)), fy = Fade(p.y - float(y0)), fz = Fade(p.z - float(z0));
    float c[2][2][2];
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) c[k][j][i] = H01(x0 + i, y0 + j, z0 + k, seed);
    auto lx = [&](int k, int j) { return Mix(c[k][j][0], c[k][j][1], fx); };
    return Mix(Mix(lx(0, 0), lx(0, 1), fy), Mix(lx(1, 0), lx(1, 1), fy), fz);
}

float ValueNoise2(float x, float y, uint32_t seed, int px) {
    int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const float fx = Fade(x - float(x0)), fy = Fade(y - float(y0));
    auto wrap = [&](int v) { return px > 0 ? ((v % px) + px) % px : v; };
    const float a = H01(wrap(x0), y0, 0, seed), b = H01(wrap(x0 + 1), y0, 0, seed);
    const float c = H01(wrap(x0), y0 + 1, 0, seed), d = H01(wrap(x0 + 1), y0 + 1, 0, seed);
    return Mix(Mix(a, b, fx), Mix(c, d, fx), fy);
}

float Fbm3(Vec3 p, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise3(p, seed + uint32_t(o) * 31u) * amp;
        norm += amp;
        p = p * 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

Vec3 KeyLight() { return Normalize(Vec3{-0.62f, 0.62f, -0.48f}); }

Rgba Shade(Rgba lit, Rgba shade, Vec3 n, float ao, float gloss, float glossPower, float rim) {
    const Vec3 l = KeyLight();
    const float ndl = Dot(n, l);
    // Wrapped diffuse keeps the shadow side soft, as on skin or cloth.
    const float diff = Clamp01((ndl + 0.45f) / 1.45f);
    const float sky = 0.5f + 0.5f * n.y;
    float t = diff * (0.82f + 0.18f * sky);
    t *= Mix(0.55f, 1.f, ao);
    Rgba c = MixRgba(shade, lit, t);
    // Warm bounce from below and a rosy rim from the sunset behind.
    const Vec3 back = Normalize(Vec3{0.8f, 0.25f, 0.45f});
    const float r = std::pow(Clamp01(Dot(n, back)), 2.f) * rim * ao;
    c = AddRgb(c, Hex(0xFFC49A), r * 0.35f);
    if (gloss > 0) {
        const Vec3 h = Normalize(l + Vec3{-1.f, 0.f, 0.f});
        const float s = std::pow(Clamp01(Dot(n, h)), glossPower) * gloss * ao;
        c = AddRgb(c, Rgba{1, 1, 1, 1}, s);
    }
    c.a = lit.a;
    return c;
}

}  // namespace assetgen::cupid
