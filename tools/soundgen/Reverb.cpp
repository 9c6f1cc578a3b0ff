#include "Reverb.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

// Mutually prime lengths (samples) so that the echoes never line up.
const size_t kLineLengths[8] = {1433, 1601, 1867, 2053, 2311, 2539, 2789, 3121};
const size_t kDiffuserLengths[2][3] = {{347, 113, 241}, {373, 127, 229}};

// In-place fast Walsh-Hadamard transform of 8 values, scaled to stay
// energy-preserving (the matrix is orthogonal).
void Hadamard8(float* v) {
    for (int nSpan = 1; nSpan < 8; nSpan *= 2)
        for (int i = 0; i < 8; i += 2 * nSpan)
            for (int j = i; j < i + nSpan; ++j) {
                const float a = v[j], b = v[j + nSpan];
                v[j] = a + b;
                v[j + nSpan] = a - b;
            }
    const float fScale = 1.0f / std::sqrt(8.0f);
    for (int i = 0; i < 8; ++i) v[i] *= fScale;
}

}  // namespace

float CReverb::AllPass::Process(float x) {
    const float fDelayed = line.Read();
    const float v = x + fGain * fDelayed;
    line.Write(v);
    return fDelayed - fGain * v;
}

CReverb::CReverb(const ReverbSettings& settings) {
    for (auto& line : m_PreDelay) line.buffer.assign(std::max<size_t>(1, Frames(settings.fPreDelay)), 0.0f);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 3; ++i) m_Diffusers[c][i].line.buffer.assign(kDiffuserLengths[c][i], 0.0f);
    for (int i = 0; i < kLines; ++i) {
        m_Lines[i].buffer.assign(kLineLengths[i], 0.0f);
        m_Feedback[i] = std::pow(10.0, -3.0 * double(kLineLengths[i]) / (settings.fRt60 * kRate));
        m_Damping[i].SetCutoff(settings.fDamping);
    }
}

void CReverb::Tick(float inLeft, float inRight, float* pLeft, float* pRight) {
    float in[2] = {inLeft, inRight};
    for (int c = 0; c < 2; ++c) {
        const float fDelayed = m_PreDelay[c].Read();
        m_PreDelay[c].Write(in[c]);
        in[c] = fDelayed;
        for (AllPass& diffuser : m_Diffusers[c]) in[c] = diffuser.Process(in[c]);
    }
    float v[kLines];
    for (int i = 0; i < kLines; ++i) v[i] = m_Lines[i].Read();
    // Each output takes its own mix of signs from the lines: two
    // uncorrelated tails, a wide image.
    static const float kLeftSigns[kLines] = {1, -1, 1, 1, -1, 1, -1, -1};
    static const float kRightSigns[kLines] = {1, 1, -1, 1, 1, -1, -1, 1};
    float fLeft = 0, fRight = 0;
    for (int i = 0; i < kLines; ++i) {
        fLeft += kLeftSigns[i] * v[i];
        fRight += kRightSigns[i] * v[i];
    }
    *pLeft = fLeft * 0.35f;
    *pRight = fRight * 0.35f;
    Hadamard8(v);
    for (int i = 0; i < kLines; ++i) {
        const float fFeed = float(m_Damping[i].Process(v[i] * m_Feedback[i]));
        m_Lines[i].Write(fFeed + (i % 2 ? in[1] : in[0]) * 0.5f);
    }
}

StereoBuffer CReverb::Process(const StereoBuffer& in) {
    StereoBuffer out(in.Size());
    for (size_t n = 0; n < in.Size(); ++n) Tick(in.left[n], in.right[n], &out.left[n], &out.right[n]);
    return out;
}

StereoBuffer CReverb::ProcessLoop(const StereoBuffer& in, int nPasses) {
    StereoBuffer out(in.Size());
    for (int nPass = 0; nPass < nPasses; ++nPass)
        for (size_t n = 0; n < in.Size(); ++n) Tick(in.left[n], in.right[n], &out.left[n], &out.right[n]);
    return out;
}

}  // namespace synth
