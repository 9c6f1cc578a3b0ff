#pragma once
// Deterministic integer-hash noise: the same seed gives the same texture on
// every run, and the periodic variants tile seamlessly.
#include <cstdint>

namespace assetgen {

uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
// Uniform in [0, 1).
float HashFloat(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Small deterministic generator for scattering things.
class CRandom {
public:
    explicit CRandom(uint32_t seed) : m_nState(seed * 2654435761u + 1u) {}
    uint32_t Next();
    float Uniform(float lo = 0.f, float hi = 1.f);

private:
    uint32_t m_nState;
};

// Gradient noise in about [-1, 1], periodic with period (px, py) lattice cells.
float PeriodicNoise(float x, float y, int px, int py, uint32_t seed);
// Sum of octaves, each doubling the frequency and the period; result about [-1, 1].
float PeriodicFbm(float x, float y, int px, int py, int octaves, float gain, uint32_t seed);

}  // namespace assetgen
