#pragma once
// The adaptive predictor of the audio mode: turns each decoded delta back
// into a byte and adapts its five weights every 32 bytes of a channel.
// Inline because it runs once per output byte.
#include <cstdlib>

#include "assets/UnpackState.h"

#if defined(__GNUC__) && (defined(__SSE2__) || defined(__ARM_NEON))
// Four lanes at a time with the compiler's vector types, where the target
// has a vector unit; plain code elsewhere (the 32-bit build).
typedef int32_t AudioLanes __attribute__((vector_size(16)));

inline AudioLanes AbsLanes(AudioLanes x) {
    const AudioLanes m = x >> 31;
    return (x ^ m) - m;
}

// pD points at D1..D4, which lie side by side.
inline void AddAudioErrors(uint32_t* pDif, int32_t e, const int32_t* pD, int32_t cd) {
    AudioLanes d, a0, a1, a2;
    __builtin_memcpy(&d, pD, 16);
    const AudioLanes c = {cd, 0, 0, 0};
    const AudioLanes ve = {e, e, e, e};
    const AudioLanes odd = {0, -1, 0, -1}; // lanes that take e - D
    // {0, D1, D1, D2}, {D2, D3, D3, D4}, {D4, cd, cd, cd}; lane 12 is scratch.
    const AudioLanes x0 = __builtin_shufflevector(d, c, 5, 0, 0, 1);
    const AudioLanes x1 = __builtin_shufflevector(d, d, 1, 2, 2, 3);
    const AudioLanes x2 = __builtin_shufflevector(d, c, 3, 4, 4, 4);
    __builtin_memcpy(&a0, pDif, 16);
    __builtin_memcpy(&a1, pDif + 4, 16);
    __builtin_memcpy(&a2, pDif + 8, 16);
    a0 += AbsLanes(ve + ((x0 ^ odd) - odd));
    a1 += AbsLanes(ve + ((x1 ^ odd) - odd));
    a2 += AbsLanes(ve + ((x2 ^ odd) - odd));
    __builtin_memcpy(pDif, &a0, 16);
    __builtin_memcpy(pDif + 4, &a1, 16);
    __builtin_memcpy(pDif + 8, &a2, 16);
}
#else
inline void AddAudioErrors(uint32_t* pDif, int32_t e, const int32_t* pD, int32_t cd) {
    const int32_t aTerm[5] = {pD[0], pD[1], pD[2], pD[3], cd};
    pDif[0] += uint32_t(std::abs(e));
    for (int i = 0; i < 5; ++i) {
        pDif[2 * i + 1] += uint32_t(std::abs(e - aTerm[i]));
        pDif[2 * i + 2] += uint32_t(std::abs(e + aTerm[i]));
    }
}
#endif

inline void AdaptAudioWeights(AudioChannel& v) {
    uint32_t nMin = v.aDif[0];
    int m = 0;
    for (int i = 1; i < 11; ++i)
        if (v.aDif[i] < nMin) {
            nMin = v.aDif[i];
            m = i;
        }
    for (uint32_t& d : v.aDif) d = 0;
    if (m == 0) return;
    int32_t* aWeight[5] = {&v.K1, &v.K2, &v.K3, &v.K4, &v.K5};
    int32_t& k = *aWeight[(m - 1) / 2];
    if (m & 1) {
        if (k >= -16) --k;
    } else if (k < 16) {
        ++k;
    }
}

inline uint8_t DecodeAudioByte(UnpackState& s, uint32_t nDelta) {
    AudioChannel& v = s.aChannels[s.nCurChannel];
    ++v.nByteCount;
    v.aD[3] = v.aD[2];
    v.aD[2] = v.aD[1];
    v.aD[1] = v.nLastDelta - v.aD[0];
    v.aD[0] = v.nLastDelta;

    const int32_t nChannelDelta = s.nChannelDelta;
    const int32_t nPredicted = ((8 * v.nLastByte + v.K1 * v.aD[0] + v.K2 * v.aD[1] + v.K3 * v.aD[2] +
                                 v.K4 * v.aD[3] + v.K5 * nChannelDelta) >> 3) & 0xFF;
    const uint8_t ch = uint8_t(nPredicted - int32_t(nDelta));

    // Error sums of the prediction with each weight nudged either way:
    // |e|, |e - D1|, |e + D1|, ... |e - channel delta|, |e + channel delta|.
    const int32_t e = int32_t(int8_t(uint8_t(nDelta))) * 8;
    AddAudioErrors(v.aDif, e, v.aD, nChannelDelta);

    s.nChannelDelta = v.nLastDelta = int8_t(uint8_t(ch - v.nLastByte));
    v.nLastByte = ch;

    if ((v.nByteCount & 0x1F) == 0) AdaptAudioWeights(v);
    return ch;
}
