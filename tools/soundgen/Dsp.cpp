#include "Dsp.h"

#include <algorithm>

namespace synth {

float StereoBuffer::Peak() const {
    float fPeak = 0;
    for (size_t i = 0; i < Size(); ++i) fPeak = std::max({fPeak, std::fabs(left[i]), std::fabs(right[i])});
    return fPeak;
}

double StereoBuffer::Rms(size_t nFirst, size_t nCount) const {
    const size_t nEnd = std::min(Size(), nCount == size_t(-1) ? Size() : nFirst + nCount);
    if (nFirst >= nEnd) return 0;
    double fSum = 0;
    for (size_t i = nFirst; i < nEnd; ++i) fSum += double(left[i]) * left[i] + double(right[i]) * right[i];
    return std::sqrt(fSum / (2.0 * double(nEnd - nFirst)));
}

void StereoBuffer::Scale(float fGain) {
    for (size_t i = 0; i < Size(); ++i) {
        left[i] *= fGain;
        right[i] *= fGain;
    }
}

namespace {

void PanGains(double fPan, double* pLeft, double* pRight) {
    const double fAngle = (std::clamp(fPan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    *pLeft = std::cos(fAngle);
    *pRight = std::sin(fAngle);
}

}  // namespace

void AddMono(StereoBuffer& out, size_t nStart, const std::vector<float>& mono, double fGain, double fPan,
             bool bWrap) {
    double fLeft, fRight;
    PanGains(fPan, &fLeft, &fRight);
    const size_t nSize = out.Size();
    for (size_t i = 0; i < mono.size(); ++i) {
        size_t n = nStart + i;
        if (n >= nSize) {
            if (!bWrap) break;
            n %= nSize;
        }
        out.left[n] += float(mono[i] * fGain * fLeft);
        out.right[n] += float(mono[i] * fGain * fRight);
    }
}

void AddStereo(StereoBuffer& out, size_t nStart, const StereoBuffer& sound, double fGain, bool bWrap) {
    const size_t nSize = out.Size();
    for (size_t i = 0; i < sound.Size(); ++i) {
        size_t n = nStart + i;
        if (n >= nSize) {
            if (!bWrap) break;
            n %= nSize;
        }
        out.left[n] += float(sound.left[i] * fGain);
        out.right[n] += float(sound.right[i] * fGain);
    }
}

void LimitPeaks(StereoBuffer& sound, float fCeiling, bool bLoop) {
    const size_t n = sound.Size();
    if (n == 0) return;
    const long nWindow = long(Frames(0.003));
    auto at = [n, bLoop](long i) -> long {
        if (bLoop) return long((i % long(n) + long(n)) % long(n));
        return std::clamp(i, 0L, long(n) - 1);
    };
    // Gain each frame needs on its own.
    std::vector<float> need(n);
    for (size_t i = 0; i < n; ++i) {
        const float fLevel = std::max(std::fabs(sound.left[i]), std::fabs(sound.right[i]));
        need[i] = fLevel > fCeiling ? fCeiling / fLevel : 1.0f;
    }
    // The least of them within the window around each frame, then averaged
    // over half the window: a ramp that is at its lowest on the peak itself.
    std::vector<float> low(n, 1.0f);
    for (size_t i = 0; i < n; ++i) {
        if (need[i] >= 1.0f) continue;
        for (long k = -nWindow; k <= nWindow; ++k) {
            float& g = low[size_t(at(long(i) + k))];
            g = std::min(g, need[i]);
        }
    }
    std::vector<float> gain(n);
    const long nHalf = nWindow / 2;
    double fSum = 0;
    for (long k = -nHalf; k <= nHalf; ++k) fSum += low[size_t(at(k))];
    for (size_t i = 0; i < n; ++i) {
        gain[i] = float(fSum / double(2 * nHalf + 1));
        fSum += low[size_t(at(long(i) + nHalf + 1))] - low[size_t(at(long(i) - nHalf))];
    }
    // Recovery after a peak is gradual; a loop takes two rounds to settle.
    const float fRelease = float(1.0 - std::exp(-1.0 / (0.12 * kRate)));
    float g = 1.0f;
    for (int nPass = 0; nPass < (bLoop ? 2 : 1); ++nPass)
        for (size_t i = 0; i < n; ++i) {
            g = std::min(gain[i], g + (1.0f - g) * fRelease);
            if (nPass == (bLoop ? 1 : 0)) {
                sound.left[i] *= g;
                sound.right[i] *= g;
            }
        }
}

uint64_t CRandom::Next() {
    m_nState ^= m_nState >> 12;
    m_nState ^= m_nState << 25;
    m_nState ^= m_nState >> 27;
    return m_nState * 0x2545F4914F6CDD1Dull;
}

double CRandom::Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }

double CRandom::Range(double fLow, double fHigh) { return fLow + (fHigh - fLow) * Uniform(); }

CPhasor::CPhasor(double fHz, double fPhase) : m_fCos(std::cos(fPhase)), m_fSin(std::sin(fPhase)) {
    SetFrequency(fHz);
}

void CPhasor::SetFrequency(double fHz) {
    const double w = 2.0 * kPi * fHz / kRate;
    m_fStepCos = std::cos(w);
    m_fStepSin = std::sin(w);
}

double CPhasor::Next() {
    const double fOut = m_fSin;
    const double c = m_fCos * m_fStepCos - m_fSin * m_fStepSin;
    const double s = m_fSin * m_fStepCos + m_fCos * m_fStepSin;
    m_fCos = c;
    m_fSin = s;
    if (++m_nRenormalise == 4096) {
        // Rounding slowly changes the phasor's length; pull it back to 1.
        m_nRenormalise = 0;
        const double fLength = std::sqrt(c * c + s * s);
        m_fCos /= fLength;
        m_fSin /= fLength;
    }
    return fOut;
}

void CBiquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    m_b0 = b0 / a0;
    m_b1 = b1 / a0;
    m_b2 = b2 / a0;
    m_a1 = a1 / a0;
    m_a2 = a2 / a0;
}

void CBiquad::LowPass(double fHz, double fQ) {
    const double w = 2 * kPi * std::min(fHz, kRate * 0.45) / kRate, alpha = std::sin(w) / (2 * fQ), c = std::cos(w);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void CBiquad::HighPass(double fHz, double fQ) {
    const double w = 2 * kPi * std::min(fHz, kRate * 0.45) / kRate, alpha = std::sin(w) / (2 * fQ), c = std::cos(w);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void CBiquad::BandPass(double fHz, double fQ) {
    const double w = 2 * kPi * std::min(fHz, kRate * 0.45) / kRate, alpha = std::sin(w) / (2 * fQ), c = std::cos(w);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

double CBiquad::Process(double x) {
    const double y = m_b0 * x + m_z1;
    m_z1 = m_b1 * x - m_a1 * y + m_z2;
    m_z2 = m_b2 * x - m_a2 * y;
    return y;
}

double SmoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(kPi * x);
}

}  // namespace synth
