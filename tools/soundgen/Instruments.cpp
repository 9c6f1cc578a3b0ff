#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

// Per-sample multiplier that takes an amplitude down 60 dB in fT60 seconds.
double DecayPerSample(double fT60) { return std::pow(10.0, -3.0 / (fT60 * kRate)); }

// A short fade-in of fSeconds, avoiding a click at the onset.
double Onset(size_t n, double fSeconds) { return 1.0 - std::exp(-double(n) / (fSeconds * kRate)); }

}  // namespace

std::vector<float> Harp(double fPitch, double fVelocity) {
    const double f0 = MidiToHz(fPitch);
    // Low strings ring longer than high ones.
    const double fT60 = std::clamp(5.5 * std::sqrt(220.0 / f0), 1.4, 6.0);
    std::vector<float> out(Frames(fT60 * 0.8));
    const double fPluck = 0.22;  // plucking point, share of the string length
    const double fBright = 0.30 - 0.14 * fVelocity;
    double fNorm = 0;
    for (int k = 1; k <= 24; ++k) {
        const double fk = k * f0 * std::sqrt(1.0 + 0.00006 * k * k);
        if (fk > 9000.0) break;
        const double a = std::fabs(std::sin(kPi * k * fPluck)) / std::pow(k, 1.45) * std::exp(-(k - 1) * fBright);
        fNorm += a;
        const double d = DecayPerSample(fT60 / (1.0 + 0.28 * (k - 1)));
        CPhasor osc(fk);
        double fAmp = a;
        for (size_t n = 0; n < out.size(); ++n) {
            out[n] += float(fAmp * osc.Next());
            fAmp *= d;
            if (fAmp < 1e-6) break;
        }
    }
    const double fGain = fVelocity / fNorm;
    for (size_t n = 0; n < out.size(); ++n) {
        // The last tenth fades out, so a cut note never clicks.
        const double fTail = SmoothStep(double(out.size() - n) / (0.1 * double(out.size())));
        out[n] = float(out[n] * fGain * Onset(n, 0.0012) * fTail);
    }
    return out;
}

std::vector<float> Piano(double fPitch, double fVelocity, double fHold) {
    const double f0 = MidiToHz(fPitch);
    const double fSlowT60 = std::clamp(9.0 * std::sqrt(130.0 / f0), 2.0, 12.0);
    const double fFastT60 = fSlowT60 * 0.18;
    const double fRelease = 0.35;
    const size_t nHold = Frames(fHold);
    std::vector<float> out(nHold + Frames(fRelease));
    const double fBright = 0.42 - 0.22 * fVelocity;
    double fNorm = 0;
    for (int k = 1; k <= 20; ++k) {
        const double fk = k * f0 * std::sqrt(1.0 + 0.00025 * k * k);
        if (fk > 7000.0) break;
        const double a = std::exp(-(k - 1) * fBright) / std::pow(k, 1.1);
        fNorm += a;
        const double fScale = 1.0 + 0.35 * (k - 1);
        const double dFast = DecayPerSample(fFastT60 / fScale), dSlow = DecayPerSample(fSlowT60 / fScale);
        // Two strings a fraction of a cent apart give the slow beating.
        const double fCents = 0.9;
        CPhasor s1(fk * std::pow(2.0, fCents / 1200.0)), s2(fk * std::pow(2.0, -fCents / 1200.0));
        double aFast = a * 0.55, aSlow = a * 0.45;
        for (size_t n = 0; n < out.size(); ++n) {
            out[n] += float((aFast + aSlow) * 0.5 * (s1.Next() + s2.Next()));
            aFast *= dFast;
            aSlow *= dSlow;
        }
    }
    const double fGain = fVelocity / fNorm;
    const double dDamper = DecayPerSample(0.25);
    double fDamp = 1.0;
    for (size_t n = 0; n < out.size(); ++n) {
        if (n >= nHold) fDamp *= dDamper;
        const double fTail = SmoothStep(double(out.size() - n) / double(Frames(0.05)));
        out[n] = float(out[n] * fGain * Onset(n, 0.002) * fDamp * fTail);
    }
    return out;
}

std::vector<float> Flute(double fPitch, double fDuration, double fVelocity, CRandom& rng) {
    static const double kHarmonics[] = {1.0, 0.30, 0.11, 0.045, 0.018};
    const double f0 = MidiToHz(fPitch);
    const double fAttack = 0.09, fRelease = 0.28;
    std::vector<float> out(Frames(fDuration + fRelease));
    const double fVibratoRate = 5.1 + 0.4 * rng.Uniform();
    CBiquad breath;
    breath.BandPass(2.0 * f0, 1.5);
    double fPhase = 0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = double(n) / kRate;
        // The vibrato grows in after the attack, as a player's does.
        const double fVibrato = 0.0035 * SmoothStep((t - 0.25) / 0.5) * std::sin(2 * kPi * fVibratoRate * t);
        fPhase += 2 * kPi * f0 * (1.0 + fVibrato) / kRate;
        double v = 0;
        for (int k = 0; k < 5; ++k) v += kHarmonics[k] * std::sin((k + 1) * fPhase);
        const double fEnv = SmoothStep(t / fAttack) * (1.0 - 0.18 * std::min(1.0, t / 3.0)) *
                            (t < fDuration ? 1.0 : SmoothStep(1.0 - (t - fDuration) / fRelease));
        const double fBreath = breath.Process(rng.Noise()) * (0.05 + 0.10 * std::exp(-t / 0.06));
        out[n] = float(fVelocity * fEnv * (0.72 * v + fBreath));
    }
    return out;
}

StereoBuffer Pad(const std::vector<double>& pitches, double fDuration, double fVelocity) {
    const double fAttack = 1.1, fRelease = 1.9;
    StereoBuffer out(Frames(fDuration + fRelease));
    static const double kDetune[] = {-7.0, 0.0, 6.0};
    static const double kPans[] = {-0.7, 0.05, 0.65};
    std::vector<float> voice(out.Size());
    for (size_t p = 0; p < pitches.size(); ++p) {
        for (int v = 0; v < 3; ++v) {
            std::fill(voice.begin(), voice.end(), 0.0f);
            const double f0 = MidiToHz(pitches[p]) * std::pow(2.0, kDetune[v] / 1200.0);
            for (int k = 1; k <= 10; ++k) {
                if (k * f0 > 4500.0) break;
                const double a = std::exp(-k / 2.6) / k;
                CPhasor osc(k * f0, 1.7 * k + 2.3 * v + 0.9 * double(p));
                for (size_t n = 0; n < voice.size(); ++n) voice[n] += float(a * osc.Next());
            }
            AddMono(out, 0, voice, 1.0, kPans[(v + p) % 3], false);
        }
    }
    const double fGain = fVelocity / (3.0 * std::max<size_t>(1, pitches.size()));
    for (size_t n = 0; n < out.Size(); ++n) {
        const double t = double(n) / kRate;
        const double fEnv = SmoothStep(t / fAttack) * (t < fDuration ? 1.0 : SmoothStep(1.0 - (t - fDuration) / fRelease));
        out.left[n] = float(out.left[n] * fGain * fEnv);
        out.right[n] = float(out.right[n] * fGain * fEnv);
    }
    return out;
}

std::vector<float> Glock(double fHz, double fVelocity, double fDecay) {
    // Modes of a free bar and their share of the strike.
    static const double kRatios[] = {1.0, 2.756, 5.404, 8.933};
    static const double kAmps[] = {1.0, 0.38, 0.14, 0.05};
    std::vector<float> out(Frames(fDecay));
    for (int m = 0; m < 4; ++m) {
        const double f = fHz * kRatios[m];
        if (f > 16000.0) break;
        const double d = DecayPerSample(fDecay / (1.0 + 1.6 * m));
        CPhasor osc(f);
        double a = kAmps[m];
        for (size_t n = 0; n < out.size(); ++n) {
            out[n] += float(a * osc.Next());
            a *= d;
        }
    }
    for (size_t n = 0; n < out.size(); ++n) {
        const double fTail = SmoothStep(double(out.size() - n) / (0.15 * double(out.size())));
        out[n] = float(out[n] * fVelocity * Onset(n, 0.0006) * fTail / 1.57);
    }
    return out;
}

std::vector<float> FmBell(double fHz, double fVelocity, double fDecay, double fRatio, double fIndex) {
    std::vector<float> out(Frames(fDecay));
    const double d = DecayPerSample(fDecay), dIndex = DecayPerSample(fDecay * 0.35);
    double a = 1.0, fI = fIndex;
    const double wc = 2 * kPi * fHz / kRate, wm = wc * fRatio;
    for (size_t n = 0; n < out.size(); ++n) {
        const double fTail = SmoothStep(double(out.size() - n) / (0.15 * double(out.size())));
        out[n] = float(fVelocity * a * fTail * Onset(n, 0.0008) * std::sin(wc * double(n) + fI * std::sin(wm * double(n))));
        a *= d;
        fI *= dIndex;
    }
    return out;
}

}  // namespace synth
