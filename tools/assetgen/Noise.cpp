#include "Noise.h"

#include <cmath>

namespace assetgen {

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float HashFloat(uint32_t a, uint32_t b, uint32_t c) {
    return float(Hash(a, b, c) >> 8) * (1.0f / 16777216.0f);
}

uint32_t CRandom::Next() {
    m_nState ^= m_nState << 13;
    m_nState ^= m_nState >> 17;
    m_nState ^= m_nState << 5;
    return m_nState;
}

float CRandom::Uniform(float lo, float hi) {
    return lo + (hi - lo) * float(Next() >> 8) * (1.0f / 16777216.0f);
}

namespace {

// 256 unit gradients around the circle, looked up by hash: no trigonometry per sample.
struct GradientTable {
    float x[256], y[256];
    GradientTable() {
        for (int i = 0; i < 256; ++i) {
            x[i] = std::cos(i * 6.28318531f / 256.f);
            y[i] = std::sin(i * 6.28318531f / 256.f);
        }
    }
};
const GradientTable kGradients;

float Gradient(int ix, int iy, int px, int py, uint32_t seed, float dx, float dy) {
    const uint32_t wx = uint32_t(((ix % px) + px) % px);
    const uint32_t wy = uint32_t(((iy % py) + py) % py);
    const uint32_t g = Hash(wx, wy, seed) >> 24;
    return kGradients.x[g] * dx + kGradients.y[g] * dy;
}

}  // namespace

float PeriodicNoise(float x, float y, int px, int py, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float dx = x - fx, dy = y - fy;
    const float ux = dx * dx * dx * (dx * (dx * 6 - 15) + 10);
    const float uy = dy * dy * dy * (dy * (dy * 6 - 15) + 10);
    const float a = Gradient(ix, iy, px, py, seed, dx, dy);
    const float b = Gradient(ix + 1, iy, px, py, seed, dx - 1, dy);
    const float c = Gradient(ix, iy + 1, px, py, seed, dx, dy - 1);
    const float d = Gradient(ix + 1, iy + 1, px, py, seed, dx - 1, dy - 1);
    const float ab = a + (b - a) * ux, cd = c + (d - c) * ux;
    return (ab + (cd - ab) * uy) * 1.41421356f;
}

float PeriodicFbm(float x, float y, int px, int py, int octaves, float gain, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * PeriodicNoise(x, y, px, py, seed + uint32_t(o) * 7919u);
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        px *= 2;
        py *= 2;
    }
    return sum / norm;
}

}  // namespace assetgen
