#include "audio/library/Resampler.h"

#include <algorithm>
#include <cmath>

#include "audio/library/SampleLimits.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kZeroCrossings = 16;  // kernel half-width in cut-off periods
constexpr int kPhases = 256;        // table steps per input sample
constexpr double kPassBand = 0.95;  // cut-off as a share of the lower Nyquist

// The low-pass kernel sampled every 1/kPhases input samples over its support
// [-nHalfWidth, nHalfWidth] (input samples).
struct Kernel {
    double fCutoff = 1.0;
    int nHalfWidth = 0;
    std::vector<float> table;

    double At(double x) const {
        const double u = (x + nHalfWidth) * kPhases;
        if (u < 0) return 0;
        const size_t i = size_t(u);
        if (i + 1 >= table.size()) return 0;
        const double f = u - double(i);
        return table[i] + (table[i + 1] - table[i]) * f;
    }
};

Kernel MakeKernel(uint32_t nInRate, uint32_t nOutRate) {
    Kernel k;
    k.fCutoff = kPassBand * std::min(1.0, double(nOutRate) / nInRate);
    k.nHalfWidth = int(std::ceil(kZeroCrossings / k.fCutoff));
    const int nSize = 2 * k.nHalfWidth * kPhases + 1;
    k.table.resize(size_t(nSize));
    for (int i = 0; i < nSize; ++i) {
        const double x = double(i) / kPhases - k.nHalfWidth;
        const double u = x / k.nHalfWidth;
        const double window = 0.42 + 0.5 * std::cos(kPi * u) + 0.08 * std::cos(2 * kPi * u);
        const double a = kPi * k.fCutoff * x;
        const double sinc = std::fabs(a) < 1e-9 ? 1.0 : std::sin(a) / a;
        k.table[size_t(i)] = float(k.fCutoff * sinc * window);
    }
    return k;
}

int16_t ToSample(double v) {
    v = std::clamp(v, -32768.0, 32767.0);
    return int16_t(v >= 0 ? int(v + 0.5) : -int(0.5 - v));
}

}  // namespace

uint64_t ResampledFrames(uint64_t nFrames, uint32_t nInRate, uint32_t nOutRate) {
    if (nInRate == 0) return 0;
    return (nFrames * nOutRate + nInRate - 1) / nInRate;
}

std::vector<int16_t> ResampleStereo(const int16_t* pIn, uint32_t nFrames, uint32_t nInRate,
                                    uint32_t nOutRate) {
    if (!pIn || nFrames == 0 || !SampleRateAccepted(nInRate) || !SampleRateAccepted(nOutRate) ||
        nFrames > MaxSampleFrames(nInRate))
        return {};
    if (nInRate == nOutRate) return std::vector<int16_t>(pIn, pIn + size_t(nFrames) * 2);
    const Kernel kernel = MakeKernel(nInRate, nOutRate);
    const uint64_t nOut = ResampledFrames(nFrames, nInRate, nOutRate);
    std::vector<int16_t> out(size_t(nOut) * 2);
    for (uint64_t i = 0; i < nOut; ++i) {
        // Output frame i sits at input position i * in / out, kept exact.
        const uint64_t nNum = i * nInRate;
        const int64_t nCentre = int64_t(nNum / nOutRate);
        const double fFrac = double(nNum % nOutRate) / nOutRate;
        const int64_t nFirst = std::max<int64_t>(0, nCentre - kernel.nHalfWidth + 1);
        const int64_t nLast = std::min<int64_t>(int64_t(nFrames) - 1, nCentre + kernel.nHalfWidth);
        double fLeft = 0, fRight = 0, fWeights = 0;
        for (int64_t j = nFirst; j <= nLast; ++j) {
            const double w = kernel.At(double(nCentre - j) + fFrac);
            fLeft += w * pIn[2 * j];
            fRight += w * pIn[2 * j + 1];
            fWeights += w;
        }
        // Normalising by the weights keeps a constant signal exactly constant;
        // at the edges it avoids a dip where the kernel runs off the data.
        const double fScale = fWeights > 1e-6 ? 1.0 / fWeights : 0.0;
        out[size_t(2 * i)] = ToSample(fLeft * fScale);
        out[size_t(2 * i + 1)] = ToSample(fRight * fScale);
    }
    return out;
}
