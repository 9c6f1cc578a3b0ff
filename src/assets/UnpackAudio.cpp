#include "assets/UnpackAudio.h"

void AudioErrorSums(const AudioChannel& v, uint32_t nBytes, uint32_t aDif[11]) {
    uint32_t a0 = 0, a1 = 0, a2 = 0, a3 = 0, a4 = 0, a5 = 0, a6 = 0, a7 = 0, a8 = 0, a9 = 0, a10 = 0;
    for (uint32_t i = 0; i < nBytes; ++i) {
        const int32_t e = int32_t(int8_t(uint8_t(v.aCode[i]))) * 8;
        const int32_t cd = v.aCross[i];
        const int32_t d1 = v.aDelta[i + 3];
        const int32_t d2 = v.aDelta[i + 3] - v.aDelta[i + 2];
        const int32_t d3 = v.aDelta[i + 2] - v.aDelta[i + 1];
        const int32_t d4 = v.aDelta[i + 1] - v.aDelta[i];
        a0 += uint32_t(std::abs(e));
        a1 += uint32_t(std::abs(e - d1));
        a2 += uint32_t(std::abs(e + d1));
        a3 += uint32_t(std::abs(e - d2));
        a4 += uint32_t(std::abs(e + d2));
        a5 += uint32_t(std::abs(e - d3));
        a6 += uint32_t(std::abs(e + d3));
        a7 += uint32_t(std::abs(e - d4));
        a8 += uint32_t(std::abs(e + d4));
        a9 += uint32_t(std::abs(e - cd));
        a10 += uint32_t(std::abs(e + cd));
    }
    aDif[0] = a0, aDif[1] = a1, aDif[2] = a2, aDif[3] = a3, aDif[4] = a4, aDif[5] = a5;
    aDif[6] = a6, aDif[7] = a7, aDif[8] = a8, aDif[9] = a9, aDif[10] = a10;
}

namespace {

#if defined(__GNUC__) && (defined(__SSE2__) || defined(__ARM_NEON))
// A whole period eight bytes at a time with the compiler's vector types,
// where the target has a vector unit. Sixteen-bit lanes suffice: a term is
// at most 1279 (|I| <= 1024 plus a delta change <= 255), a lane gathers four
// of them, and a whole sum of 32 stays below 65536.
typedef int16_t Lanes16 __attribute__((vector_size(16)));
typedef uint16_t ULanes16 __attribute__((vector_size(16)));
typedef int32_t Lanes32 __attribute__((vector_size(16)));

inline Lanes16 Load(const int16_t* p) {
    Lanes16 x;
    __builtin_memcpy(&x, p, 16);
    return x;
}

inline Lanes16 Abs(Lanes16 x) {
    const Lanes16 n = -x;
    return x > n ? x : n;
}

// Sums of |e - x| and |e + x| over the period, eight bytes a step; x(i)
// gives the eight values of x from byte i on.
// I, the decoded delta as a signed byte times 8, of bytes i .. i + 7.
inline Lanes16 Errors(const AudioChannel& v, uint32_t i) {
    const ULanes16 u = ULanes16(Load(v.aCode + i)) << 8; // the byte's sign to the top
    return Lanes16(u) >> 5;
}

template <typename X>
inline void AddTerm(const AudioChannel& v, X x, Lanes16& minus, Lanes16& plus) {
    for (uint32_t i = 0; i < kAudioPeriod; i += 8) {
        const Lanes16 e = Errors(v, i);
        const Lanes16 t = x(i);
        minus += Abs(e - t);
        plus += Abs(e + t);
    }
}

// The four lane totals of a, b, c and d, as one vector. The 16-bit lanes are
// added in pairs first; lane values are positive and below 32768.
inline Lanes32 Totals(Lanes16 a, Lanes16 b, Lanes16 c, Lanes16 d) {
    const Lanes32 mask = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    auto pairs = [&](Lanes16 x) {
        const Lanes32 w = Lanes32(x);
        return (w & mask) + (w >> 16);
    };
    const Lanes32 pa = pairs(a), pb = pairs(b), pc = pairs(c), pd = pairs(d);
    const Lanes32 ab = __builtin_shufflevector(pa, pb, 0, 4, 1, 5) + __builtin_shufflevector(pa, pb, 2, 6, 3, 7);
    const Lanes32 cd = __builtin_shufflevector(pc, pd, 0, 4, 1, 5) + __builtin_shufflevector(pc, pd, 2, 6, 3, 7);
    return __builtin_shufflevector(ab, cd, 0, 1, 4, 5) + __builtin_shufflevector(ab, cd, 2, 3, 6, 7);
}

// The index of the smallest of the period's eleven error sums, the first of
// equal ones: each sum is taken with its index in the low four bits, and the
// smallest such key wins.
int SmallestPeriodError(const AudioChannel& v) {
    const int16_t* h = v.aDelta;
    Lanes16 a[12] = {};
    for (uint32_t i = 0; i < kAudioPeriod; i += 8) a[0] += Abs(Errors(v, i));
    AddTerm(v, [&](uint32_t i) { return Load(h + i + 3); }, a[1], a[2]);
    AddTerm(v, [&](uint32_t i) { return Load(h + i + 3) - Load(h + i + 2); }, a[3], a[4]);
    AddTerm(v, [&](uint32_t i) { return Load(h + i + 2) - Load(h + i + 1); }, a[5], a[6]);
    AddTerm(v, [&](uint32_t i) { return Load(h + i + 1) - Load(h + i); }, a[7], a[8]);
    AddTerm(v, [&](uint32_t i) { return Load(v.aCross + i); }, a[9], a[10]);
    // Sums stay below 65536, so keys stay far below 2^31; the twelfth lane
    // is no sum and gets a key no sum reaches.
    const Lanes32 k0 = (Totals(a[0], a[1], a[2], a[3]) << 4) + Lanes32{0, 1, 2, 3};
    const Lanes32 k1 = (Totals(a[4], a[5], a[6], a[7]) << 4) + Lanes32{4, 5, 6, 7};
    const Lanes32 k2 = (Totals(a[8], a[9], a[10], a[11]) << 4) + Lanes32{8, 9, 10, 0x7FFFFFF0};
    auto min = [](Lanes32 x, Lanes32 y) { return x < y ? x : y; };
    Lanes32 m = min(min(k0, k1), k2);
    m = min(m, __builtin_shufflevector(m, m, 2, 3, 0, 1));
    m = min(m, __builtin_shufflevector(m, m, 1, 0, 3, 2));
    return int(m[0] & 15);
}
#else
int SmallestPeriodError(const AudioChannel& v) {
    uint32_t aDif[11];
    AudioErrorSums(v, kAudioPeriod, aDif);
    uint32_t nMin = aDif[0];
    int m = 0;
    for (int i = 1; i < 11; ++i)
        if (aDif[i] < nMin) {
            nMin = aDif[i];
            m = i;
        }
    return m;
}
#endif

} // namespace

void AdaptAudioWeights(AudioChannel& v) {
    // Sum 2w - 1 and 2w nudge weight w (K1..K5) down and up; sum 0 leaves
    // them all (it moves a stand-in, so that the step needs no branch).
    const int m = SmallestPeriodError(v);
    int32_t aK[6] = {0, v.K1, v.K2, v.K3, v.K4, v.K5};
    const int w = (m + 1) >> 1;
    const int32_t k = aK[w];
    aK[w] = k + ((m & 1) ? (k >= -16 ? -1 : 0) : (k < 16 ? 1 : 0));
    v.K1 = aK[1], v.K2 = aK[2], v.K3 = aK[3], v.K4 = aK[4], v.K5 = aK[5];
    // K1 D1 + K2 D2 + K3 D3 + K4 D4 with D1 = d1, D2 = d1 - d2, D3 = d2 - d3,
    // D4 = d3 - d4 for the deltas d1..d4 of the last four bytes.
    v.aW[0] = v.K1 + v.K2;
    v.aW[1] = v.K3 - v.K2;
    v.aW[2] = v.K4 - v.K3;
    v.aW[3] = -v.K4;
    for (uint32_t i = 0; i < 4; ++i) v.aDelta[i] = v.aDelta[kAudioPeriod + i];
}
