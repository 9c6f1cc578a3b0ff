#pragma once
// Float RGBA painting surface for the atlases, hash noise and the baked
// lighting: the saver draws these meshes unlit, so every bit of shading the
// characters show is painted into their textures here.
#include <cstdint>
#include <vector>

#include "../ImageWriters.h"
#include "CupidMath.h"

namespace assetgen::cupid {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};
inline Rgba Hex(uint32_t rgb, float a = 1.f) {
    return {float((rgb >> 16) & 255) / 255.f, float((rgb >> 8) & 255) / 255.f, float(rgb & 255) / 255.f, a};
}
inline Rgba MixRgba(Rgba p, Rgba q, float t) {
    return {Mix(p.r, q.r, t), Mix(p.g, q.g, t), Mix(p.b, q.b, t), Mix(p.a, q.a, t)};
}
inline Rgba ScaleRgb(Rgba c, float s) { return {c.r * s, c.g * s, c.b * s, c.a}; }
inline Rgba AddRgb(Rgba c, Rgba d, float s) { return {c.r + d.r * s, c.g + d.g * s, c.b + d.b * s, c.a}; }

class CAtlas {
public:
    CAtlas(int w, int h, Rgba fill);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    Rgba& At(int x, int y) { return m_Pixels[size_t(y) * m_nWidth + x]; }
    const Rgba& At(int x, int y) const { return m_Pixels[size_t(y) * m_nWidth + x]; }
    Image ToImage(int channels) const;

private:
    int m_nWidth, m_nHeight;
    std::vector<Rgba> m_Pixels;
};

uint32_t HashU(uint32_t a, uint32_t b = 0, uint32_t c = 0);
// Smooth value noise in [0, 1]; the 2-D form can wrap with period px along x.
float ValueNoise3(Vec3 p, uint32_t seed);
float ValueNoise2(float x, float y, uint32_t seed, int px = 0);
float Fbm3(Vec3 p, int octaves, uint32_t seed);

// The key light comes from in front of the cupid, above and to his left.
Vec3 KeyLight();
// Soft lighting with coloured shadows: 'lit' and 'shade' are the colours in
// full light and in shadow, ao darkens creases, gloss adds a highlight.
Rgba Shade(Rgba lit, Rgba shade, Vec3 n, float ao, float gloss, float glossPower, float rim);

}  // namespace assetgen::cupid
