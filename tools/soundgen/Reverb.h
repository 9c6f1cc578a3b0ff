#pragma once
// A stereo hall reverb: input diffusion through all-passes, then an
// eight-line feedback delay network with a Hadamard mixing matrix and
// damping in every line.
#include <vector>

#include "Dsp.h"

namespace synth {

struct ReverbSettings {
    double fRt60 = 2.5;       // seconds to fall 60 dB
    double fDamping = 5500;   // cut-off of the loop's low-pass, Hz
    double fPreDelay = 0.02;  // seconds
};

class CReverb {
public:
    explicit CReverb(const ReverbSettings& settings);

    // The wet signal of in, as long as in (the tail past its end is cut).
    StereoBuffer Process(const StereoBuffer& in);
    // The wet signal of in played as an endless loop: the tail of the end
    // runs on into the start. Enough passes let the network settle, so the
    // result joins up with itself.
    StereoBuffer ProcessLoop(const StereoBuffer& in, int nPasses = 3);

private:
    static constexpr int kLines = 8;
    struct DelayLine {
        std::vector<float> buffer;
        size_t nPos = 0;
        float Read() const { return buffer[nPos]; }
        void Write(float v) {
            buffer[nPos] = v;
            if (++nPos == buffer.size()) nPos = 0;
        }
    };
    struct AllPass {
        DelayLine line;
        float fGain = 0.6f;
        float Process(float x);
    };

    void Tick(float inLeft, float inRight, float* pLeft, float* pRight);

    DelayLine m_PreDelay[2];
    AllPass m_Diffusers[2][3];
    DelayLine m_Lines[kLines];
    double m_Feedback[kLines];
    COnePole m_Damping[kLines];
};

}  // namespace synth
