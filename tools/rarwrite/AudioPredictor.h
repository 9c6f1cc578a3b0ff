#pragma once
// The encoder's side of the method's adaptive audio predictor. It mirrors the
// decoder step for step: the decoder turns each coded delta back into a byte
// with exactly the state this keeps.
#include <cstdint>
#include <cstdlib>

namespace rarwrite {

struct AudioChannelState {
    int32_t K[5] = {};
    int32_t D1 = 0, D2 = 0, D3 = 0, D4 = 0;
    int32_t nLastDelta = 0;
    uint32_t aDif[11] = {};
    uint32_t nByteCount = 0;
    uint8_t nLastByte = 0;
};

struct AudioState {
    AudioChannelState aChannels[4];
    int32_t nChannelDelta = 0;
    int nCurChannel = 0;
};

// Codes byte x on the channel's state: returns the delta symbol (0..255).
inline uint32_t EncodeAudioByte(AudioChannelState& v, int32_t& nChannelDelta, uint8_t x) {
    ++v.nByteCount;
    v.D4 = v.D3;
    v.D3 = v.D2;
    v.D2 = v.nLastDelta - v.D1;
    v.D1 = v.nLastDelta;
    const int32_t nPredicted = ((8 * v.nLastByte + v.K[0] * v.D1 + v.K[1] * v.D2 + v.K[2] * v.D3 +
                                 v.K[3] * v.D4 + v.K[4] * nChannelDelta) >> 3) & 0xFF;
    const uint32_t nDelta = uint32_t(nPredicted - x) & 0xFF;

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
    v.aDif[9] += uint32_t(std::abs(e - nChannelDelta));
    v.aDif[10] += uint32_t(std::abs(e + nChannelDelta));

    nChannelDelta = v.nLastDelta = int8_t(uint8_t(x - v.nLastByte));
    v.nLastByte = x;

    if ((v.nByteCount & 0x1F) == 0) {
        uint32_t nMin = v.aDif[0];
        int m = 0;
        for (int i = 1; i < 11; ++i)
            if (v.aDif[i] < nMin) {
                nMin = v.aDif[i];
                m = i;
            }
        for (uint32_t& d : v.aDif) d = 0;
        if (m) {
            int32_t& k = v.K[(m - 1) / 2];
            if (m & 1) {
                if (k >= -16) --k;
            } else if (k < 16) {
                ++k;
            }
        }
    }
    return nDelta;
}

} // namespace rarwrite
