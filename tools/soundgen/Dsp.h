#pragma once
// Building blocks of the sound synthesis: buffers, a reproducible random
// source, pitch and pan helpers, and the small filters the voices use.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

inline size_t Frames(double fSeconds) { return size_t(std::lround(fSeconds * kRate)); }
inline double MidiToHz(double fNote) { return 440.0 * std::pow(2.0, (fNote - 69.0) / 12.0); }
inline double DbToGain(double fDb) { return std::pow(10.0, fDb / 20.0); }

// Stereo sound at kRate, as floats in [-1, 1].
struct StereoBuffer {
    std::vector<float> left, right;

    explicit StereoBuffer(size_t nFrames = 0) : left(nFrames), right(nFrames) {}
    size_t Size() const { return left.size(); }
    float Peak() const;
    double Rms(size_t nFirst = 0, size_t nCount = size_t(-1)) const;
    void Scale(float fGain);
};

// Adds a mono sound at frame nStart, placed by pan (-1 left .. 1 right,
// constant power). bWrap folds what runs past the end back to the start:
// the buffer is a loop.
void AddMono(StereoBuffer& out, size_t nStart, const std::vector<float>& mono, double fGain, double fPan,
             bool bWrap);
// Adds a stereo sound the same way.
void AddStereo(StereoBuffer& out, size_t nStart, const StereoBuffer& sound, double fGain, bool bWrap);

// Holds every peak of the sound under fCeiling with a smooth, look-ahead
// gain (about 3 ms ahead, 120 ms release), leaving the rest untouched.
// bLoop treats the sound as an endless loop, so the gain joins up too.
void LimitPeaks(StereoBuffer& sound, float fCeiling, bool bLoop);

// A reproducible pseudo-random source (xorshift64*), so that every build
// writes the same sounds.
class CRandom {
public:
    explicit CRandom(uint64_t nSeed) : m_nState(nSeed ? nSeed : 0x9E3779B97F4A7C15ull) {}
    uint64_t Next();
    double Uniform();                          // [0, 1)
    double Range(double fLow, double fHigh);   // [low, high)
    double Noise() { return Range(-1.0, 1.0); }

private:
    uint64_t m_nState;
};

// A sine oscillator kept as a rotating phasor: exact frequency, no sin() per
// sample.
class CPhasor {
public:
    CPhasor(double fHz, double fPhase = 0.0);
    double Next();  // sin of the current phase, then advance
    void SetFrequency(double fHz);

private:
    double m_fCos, m_fSin, m_fStepCos, m_fStepSin;
    int m_nRenormalise = 0;
};

// Transposed direct form II biquad (RBJ cookbook designs).
class CBiquad {
public:
    void LowPass(double fHz, double fQ);
    void HighPass(double fHz, double fQ);
    void BandPass(double fHz, double fQ);  // 0 dB peak gain
    double Process(double x);

private:
    void Set(double b0, double b1, double b2, double a0, double a1, double a2);
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_z1 = 0, m_z2 = 0;
};

// One-pole low-pass, for gentle smoothing and damping.
class COnePole {
public:
    void SetCutoff(double fHz) { m_fCoef = std::exp(-2.0 * kPi * fHz / kRate); }
    double Process(double x) { return m_fState = x + (m_fState - x) * m_fCoef; }

private:
    double m_fCoef = 0, m_fState = 0;
};

// A raised-cosine ramp: 0 at x <= 0, 1 at x >= 1, smooth at both ends.
double SmoothStep(double x);

}  // namespace synth
