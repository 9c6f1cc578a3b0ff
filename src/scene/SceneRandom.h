#pragma once
// The scene's random numbers: the C runtime's rand(), never seeded, whose
// values on Windows lie in 0..32767; the scene's formulas scale by 1/32767.
// Runtimes with a wider range are held to the same 15 bits.
#include <cstdlib>

inline int SceneRand() {
#if RAND_MAX == 32767
    return std::rand();
#else
    return std::rand() & 0x7FFF;
#endif
}

// The factor that maps a rand() value (0..32767) onto 0..fRange.
constexpr float RandScale(float fRange) { return fRange / 32767.0f; }
constexpr float kInvRandMax = RandScale(1.0f);
