#include <cstdlib>

#include "assets/UnpackState.h"

namespace {

void AdaptWeights(AudioChannel& v) {
    uint32_t nMin = v.aDif[0];
    int m = 0;
    for (int i = 1; i < 11; ++i)
        if (v.aDif[i] < nMin) {
            nMin = v.aDif[i];
            m = i;
        }
    for (uint32_t& d : v.aDif) d = 0;
    int32_t* aWeight[5] = {&v.K1, &v.K2, &v.K3, &v.K4, &v.K5};
    if (m == 0) return;
    int32_t& k = *aWeight[(m - 1) / 2];
    if (m & 1) {
        if (k >= -16) --k;
    } else if (k < 16) {
        ++k;
    }
}

} // namespace

uint8_t DecodeAudioByte(UnpackState& s, uint32_t nDelta) {
    AudioChannel& v = s.aChannels[s.nCurChannel];
    ++v.nByteCount;
    v.D4 = v.D3;
    v.D3 = v.D2;
    v.D2 = v.nLastDelta - v.D1;
    v.D1 = v.nLastDelta;

    const int32_t nPredicted = ((8 * v.nLastByte + v.K1 * v.D1 + v.K2 * v.D2 + v.K3 * v.D3 +
                                 v.K4 * v.D4 + v.K5 * s.nChannelDelta) >> 3) & 0xFF;
    const uint8_t ch = uint8_t(nPredicted - int32_t(nDelta));

    const int32_t e = int32_t(int8_t(uint8_t(nDelta))) * 8;
    v.aDif[0] += uint32_t(std::abs(e));
    v.aDif[1] += uint32_t(std::abs(e - v.D1));
    v.aDif[2] += uint32_t(std::abs(e + v.D1));
    v.aDif[3] += uint32_t(std::abs(e - v.D2));
    v.aDif[4] += uint32_t(std::abs(e + v.D2));
    v.aDif[5] += uint32_t(std::abs(e - v.D3));
    v.aDif[6] += uint32_t(std::abs(e + v.D3));
    v.aDif[7] += uint32_t(std::abs(e - v.D4));
    v.aDif[8] += uint32_t(std::abs(e + v.D4));
    v.aDif[9] += uint32_t(std::abs(e - s.nChannelDelta));
    v.aDif[10] += uint32_t(std::abs(e + s.nChannelDelta));

    s.nChannelDelta = v.nLastDelta = int8_t(uint8_t(ch - v.nLastByte));
    v.nLastByte = ch;

    if ((v.nByteCount & 0x1F) == 0) AdaptWeights(v);
    return ch;
}
