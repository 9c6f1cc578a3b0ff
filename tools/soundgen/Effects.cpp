#include "Effects.h"

#include <algorithm>
#include <cmath>

#include "Instruments.h"
#include "Reverb.h"

namespace synth {

namespace {

// The bow string: a low, taut string whose pitch settles as the limbs stop,
// bright at first and quickly damped, with the beating of two close modes.
std::vector<float> Twang() {
    std::vector<float> out(Frames(0.9));
    const double f0 = 118.0;
    double fPhaseA = 0, fPhaseB = 0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = double(n) / kRate;
        const double fBend = 1.0 + 0.09 * std::exp(-t / 0.018);
        fPhaseA += 2 * kPi * f0 * fBend / kRate;
        fPhaseB += 2 * kPi * f0 * 1.013 * fBend / kRate;
        double v = 0;
        for (int k = 1; k <= 36; ++k) {
            if (k * f0 > 9000.0) break;
            const double a = std::fabs(std::sin(kPi * k * 0.08)) / k * std::exp(-t * (5.0 + 1.3 * k));
            v += a * (std::sin(k * fPhaseA) + 0.6 * std::sin(k * fPhaseB));
        }
        // The string slaps against its own limit: a little saturation.
        const double fTail = SmoothStep((0.9 - t) / 0.2);
        out[n] = float(std::tanh(2.2 * v) * (1.0 - std::exp(-t / 0.0008)) * fTail);
    }
    return out;
}

// The snap of the release: a very short, dark noise burst.
std::vector<float> Snap(CRandom& rng) {
    std::vector<float> out(Frames(0.05));
    CBiquad filter;
    filter.LowPass(2500, 0.8);
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = double(n) / kRate;
        out[n] = float(filter.Process(rng.Noise()) * std::exp(-t / 0.007));
    }
    return out;
}

// The arrow's flight: band-passed noise whose centre rises while the arrow
// accelerates away and falls as it recedes, drifting to one side.
StereoBuffer Whoosh(CRandom& rng) {
    StereoBuffer out(Frames(1.6));
    CBiquad bands[2][2];
    CBiquad air[2];
    for (auto& h : air) h.HighPass(3500, 0.7);
    for (size_t n = 0; n < out.Size(); ++n) {
        const double t = double(n) / kRate;
        const double fRise = SmoothStep(t / 0.16);
        const double fCentre = 380.0 + 1500.0 * fRise * std::exp(-std::max(0.0, t - 0.16) / 0.35);
        if (n % 32 == 0)
            for (int c = 0; c < 2; ++c) {
                bands[c][0].BandPass(fCentre * (c ? 1.04 : 0.96), 1.4);
                bands[c][1].BandPass(fCentre * (c ? 1.04 : 0.96), 1.4);
            }
        const double fEnv = SmoothStep((t - 0.02) / 0.13) * std::exp(-std::max(0.0, t - 0.15) / 0.28);
        const double fPan = std::clamp(-0.1 + 0.9 * t, -0.1, 0.6);
        const double fAngle = (fPan + 1.0) * kPi / 4.0;
        for (int c = 0; c < 2; ++c) {
            const double fNoise = rng.Noise();
            const double v = bands[c][1].Process(bands[c][0].Process(fNoise)) * 2.2 + air[c].Process(fNoise) * 0.08;
            (c ? out.right : out.left)[n] = float(v * fEnv * (c ? std::sin(fAngle) : std::cos(fAngle)) * 1.41);
        }
    }
    return out;
}

// Fades the last fSeconds to silence, so the effect ends cleanly.
void FadeOut(StereoBuffer& sound, double fSeconds) {
    const size_t nFade = Frames(fSeconds);
    for (size_t i = 0; i < nFade && i < sound.Size(); ++i) {
        const size_t n = sound.Size() - 1 - i;
        const float g = float(SmoothStep(double(i) / double(nFade)));
        sound.left[n] *= g;
        sound.right[n] *= g;
    }
}

// Loudness of the effects over their first fSeconds: clearly above the
// music (about -23 dB), with peaks held low enough that an effect and the
// music together stay clear of full scale even at volume 100.
constexpr double kEffectRmsDb = -14.0;
constexpr float kEffectPeak = 0.62f;

void Master(StereoBuffer& sound, double fSeconds) {
    sound.Scale(float(DbToGain(kEffectRmsDb) / sound.Rms(0, Frames(fSeconds))));
    LimitPeaks(sound, kEffectPeak, false);
}

}  // namespace

StereoBuffer RenderShot() {
    CRandom rng(0x73686F74ull);
    StereoBuffer dry(Frames(kShotSeconds));
    AddMono(dry, 0, Twang(), 0.55, -0.15, false);
    AddMono(dry, 0, Snap(rng), 0.35, -0.1, false);
    AddStereo(dry, Frames(0.012), Whoosh(rng), 0.5, false);

    ReverbSettings room;
    room.fRt60 = 1.1;
    room.fDamping = 7000;
    room.fPreDelay = 0.012;
    const StereoBuffer wet = CReverb(room).Process(dry);
    AddStereo(dry, 0, wet, 0.22, false);
    FadeOut(dry, 0.35);
    Master(dry, 0.5);
    return dry;
}

StereoBuffer RenderHit() {
    CRandom rng(0x68656172ull);
    StereoBuffer dry(Frames(kHitSeconds));

    // The burst: a soft puff of air.
    {
        std::vector<float> puff(Frames(0.12));
        CBiquad filter;
        filter.LowPass(1400, 0.7);
        for (size_t n = 0; n < puff.size(); ++n)
            puff[n] = float(filter.Process(rng.Noise()) * std::exp(-double(n) / kRate / 0.025));
        AddMono(dry, 0, puff, 0.45, 0.0, false);
    }
    // The strike: an F major chord of bells and bars high up.
    AddMono(dry, 0, FmBell(MidiToHz(77), 0.5, 3.5, 3.5, 2.2), 0.30, -0.2, false);
    AddMono(dry, 0, Glock(MidiToHz(89), 0.8, 2.6), 0.34, 0.25, false);
    AddMono(dry, Frames(0.012), Glock(MidiToHz(93), 0.7, 2.4), 0.30, -0.35, false);
    AddMono(dry, Frames(0.024), Glock(MidiToHz(96), 0.6, 2.2), 0.28, 0.4, false);

    // The rising sparkle through the F major pentatonic, quickening.
    static const int kRun[] = {84, 86, 89, 91, 93, 96, 98, 101, 103, 105, 108};
    double t = 0.10;
    for (int i = 0; i < 11; ++i) {
        const double fPan = (i % 2 ? 0.55 : -0.55) * (0.5 + 0.05 * i);
        AddMono(dry, Frames(t), Glock(MidiToHz(kRun[i]), 0.75 - 0.03 * i, 1.6 - 0.06 * i), 0.22, fPan, false);
        t += 0.085 - 0.004 * i;
    }

    // The shimmer: a thinning rain of tiny high pings...
    static const int kPentatonic[] = {0, 2, 5, 7, 9};
    t = 0.3;
    while (t < 5.2) {
        const int nPitch = 96 + 12 * int(rng.Uniform() * 1.6) + kPentatonic[int(rng.Uniform() * 5)];
        const double fLevel = std::exp(-(t - 0.3) / 1.7) * rng.Range(0.35, 1.0);
        AddMono(dry, Frames(t), Glock(MidiToHz(std::min(nPitch, 113)), fLevel, rng.Range(0.25, 0.6)), 0.12,
                rng.Range(-0.9, 0.9), false);
        t += 0.018 + 0.05 * (t / 5.2) * (t / 5.2) * 3.0 * rng.Uniform() + 0.01 * rng.Uniform();
    }
    // ... over a trembling high chord that fades with it.
    {
        StereoBuffer shimmer(Frames(kHitSeconds));
        static const int kChord[] = {89, 93, 96, 101};
        for (int i = 0; i < 4; ++i) {
            std::vector<float> tone(shimmer.Size());
            CPhasor osc(MidiToHz(kChord[i]) * (1.0 + 0.0008 * (i - 1.5)));
            const double fTremolo = 6.0 + 0.9 * i;
            for (size_t n = 0; n < tone.size(); ++n) {
                const double s = double(n) / kRate;
                const double fEnv = SmoothStep(s / 0.35) * std::exp(-s / 1.6);
                tone[n] = float(osc.Next() * fEnv * (0.7 + 0.3 * std::sin(2 * kPi * fTremolo * s + i)));
            }
            AddMono(shimmer, 0, tone, 1.0, i % 2 ? 0.6 : -0.6, false);
        }
        AddStereo(dry, 0, shimmer, 0.05, false);
    }

    ReverbSettings hall;
    hall.fRt60 = 3.0;
    hall.fDamping = 9000;
    hall.fPreDelay = 0.02;
    const StereoBuffer wet = CReverb(hall).Process(dry);
    AddStereo(dry, 0, wet, 0.55, false);
    FadeOut(dry, 1.2);
    Master(dry, 1.0);
    return dry;
}

}  // namespace synth
