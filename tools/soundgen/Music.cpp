#include "Music.h"

#include <algorithm>
#include <cmath>

#include "Instruments.h"
#include "Reverb.h"

namespace synth {

namespace {

constexpr double kBeat = 60.0 / 80.0;
constexpr int kBeatsPerBar = 3;
constexpr int kBars = 24;
constexpr double kMusicRmsDb = -23.0;
constexpr float kMusicPeak = 0.30f;
static_assert(kBars * kBeatsPerBar * kBeat == kMusicSeconds, "the score fills the loop exactly");

// MIDI note numbers.
enum : int {
    G2 = 43, A2 = 45, Bb2 = 46, C3 = 48, D3 = 50, E3 = 52, F3 = 53,
    E4 = 64, F4 = 65, G4 = 67, A4 = 69, Bb4 = 70, C5 = 72, D5 = 74, E5 = 76, F5 = 77,
    G5 = 79, A5 = 81, Bb5 = 82,
};

struct Chord {
    int nBar;
    double fBeat;     // start within the bar
    int nBass;        // lowest note
    int aTones[4];    // pitch classes, root first; -1 where unused
};

// Two eight-bar phrases over a falling bass, then a rising middle part that
// turns on a suspended dominant back to the tonic of bar 1.
const Chord kChords[] = {
    {0, 0, F3, {5, 9, 0, -1}},   {1, 0, E3, {0, 4, 7, -1}},   {2, 0, D3, {2, 5, 9, -1}},
    {3, 0, C3, {9, 0, 4, -1}},   {4, 0, Bb2, {10, 2, 5, -1}}, {5, 0, A2, {5, 9, 0, -1}},
    {6, 0, G2, {7, 10, 2, 5}},   {7, 0, C3, {0, 4, 7, -1}},   {7, 2, C3, {0, 4, 7, 10}},
    {8, 0, F3, {5, 9, 0, -1}},   {9, 0, E3, {0, 4, 7, -1}},   {10, 0, D3, {2, 5, 9, -1}},
    {11, 0, C3, {9, 0, 4, -1}},  {12, 0, Bb2, {10, 2, 5, -1}}, {13, 0, A2, {5, 9, 0, -1}},
    {14, 0, G2, {7, 10, 2, 5}},  {14, 2, C3, {0, 4, 7, 10}},  {15, 0, F3, {5, 9, 0, -1}},
    {16, 0, Bb2, {10, 2, 5, -1}}, {17, 0, C3, {0, 4, 7, -1}}, {18, 0, A2, {9, 0, 4, -1}},
    {19, 0, D3, {2, 5, 9, -1}},  {20, 0, G2, {7, 10, 2, -1}}, {21, 0, C3, {0, 4, 7, -1}},
    {22, 0, Bb2, {10, 2, 5, 9}}, {23, 0, C3, {0, 5, 7, -1}},  {23, 2, C3, {0, 4, 7, 10}},
};
constexpr int kChordCount = int(sizeof(kChords) / sizeof(kChords[0]));

struct MelodyNote {
    int nBar;
    double fBeat, fBeats;
    int nPitch;
};

const MelodyNote kMelody[] = {
    {0, 0, 1.5, A4}, {0, 1.5, 0.5, Bb4}, {0, 2, 1, C5},
    {1, 0, 3, G4},
    {2, 0, 1.5, F4}, {2, 1.5, 0.5, G4}, {2, 2, 1, A4},
    {3, 0, 3, E4},
    {4, 0, 1.5, D5}, {4, 1.5, 0.5, C5}, {4, 2, 1, Bb4},
    {5, 0, 1, A4}, {5, 1, 1, C5}, {5, 2, 1, F5},
    {6, 0, 1.5, F5}, {6, 1.5, 0.5, E5}, {6, 2, 1, D5},
    {7, 0, 2, C5}, {7, 2, 1, Bb4},
    {8, 0, 1.5, A4}, {8, 1.5, 0.5, Bb4}, {8, 2, 1, C5},
    {9, 0, 3, G5},
    {10, 0, 1.5, F5}, {10, 1.5, 0.5, E5}, {10, 2, 1, D5},
    {11, 0, 2, C5}, {11, 2, 1, E5},
    {12, 0, 1.5, D5}, {12, 1.5, 0.5, C5}, {12, 2, 1, Bb4},
    {13, 0, 1, A4}, {13, 1, 1, C5}, {13, 2, 1, A5},
    {14, 0, 1.5, G5}, {14, 1.5, 0.5, F5}, {14, 2, 1, E5},
    {15, 0, 3, F5},
    {16, 0, 2, D5}, {16, 2, 1, F5},
    {17, 0, 2, E5}, {17, 2, 1, G5},
    {18, 0, 1.5, C5}, {18, 1.5, 0.5, E5}, {18, 2, 1, A5},
    {19, 0, 1, A5}, {19, 1, 1, G5}, {19, 2, 1, F5},
    {20, 0, 1.5, Bb5}, {20, 1.5, 0.5, A5}, {20, 2, 1, G5},
    {21, 0, 1, G5}, {21, 1, 1, F5}, {21, 2, 1, E5},
    {22, 0, 1.5, D5}, {22, 1.5, 0.5, F5}, {22, 2, 1, A5},
    {23, 0, 2, G5}, {23, 2, 1, E5},
};

double BarStart(int nBar) { return nBar * kBeatsPerBar * kBeat; }

// The loudness arc of the piece: the middle part swells to its peak in
// bar 21 and settles again before the loop begins anew.
double Dynamics(double fBar) {
    const double fSwell = std::exp(-std::pow((fBar - 20.5) / 3.5, 2.0));
    return 0.78 + 0.22 * fSwell + 0.06 * std::sin(2 * kPi * fBar / 8.0);
}

// Chord tones (as notes) between nLow and nHigh, ascending.
std::vector<int> ChordNotes(const Chord& chord, int nLow, int nHigh) {
    std::vector<int> notes;
    for (int n = nLow; n <= nHigh; ++n)
        for (int pc : chord.aTones)
            if (pc >= 0 && n % 12 == pc) notes.push_back(n);
    return notes;
}

double ChordEnd(int i) {
    const double fEnd = i + 1 < kChordCount ? BarStart(kChords[i + 1].nBar) + kChords[i + 1].fBeat * kBeat
                                            : kMusicSeconds;
    return fEnd;
}

// The buffers the parts are written into: dry, and what goes to the reverb.
struct Mix {
    StereoBuffer dry, send;
    explicit Mix(size_t n) : dry(n), send(n) {}
    void Add(double fTime, const std::vector<float>& mono, double fGain, double fPan, double fSend) {
        const size_t nStart = size_t(std::lround(std::fmod(fTime + kMusicSeconds, kMusicSeconds) * kRate)) % dry.Size();
        AddMono(dry, nStart, mono, fGain, fPan, true);
        AddMono(send, nStart, mono, fGain * fSend, fPan, true);
    }
    void Add(double fTime, const StereoBuffer& sound, double fGain, double fSend) {
        const size_t nStart = size_t(std::lround(fTime * kRate)) % dry.Size();
        AddStereo(dry, nStart, sound, fGain, true);
        AddStereo(send, nStart, sound, fGain * fSend, true);
    }
};

// Broken chords in eighths: bass, then up through the chord and back, like
// a harpist's left and right hand.
void AddHarp(Mix& mix, CRandom& rng) {
    for (int i = 0; i < kChordCount; ++i) {
        const Chord& chord = kChords[i];
        std::vector<int> notes = ChordNotes(chord, chord.nBass + 5, chord.nBass + 26);
        if (notes.size() < 4) continue;
        const double fStart = BarStart(chord.nBar) + chord.fBeat * kBeat;
        const int nEighths = int(std::lround((ChordEnd(i) - fStart) / (kBeat / 2)));
        static const int kPattern[] = {-1, 0, 1, 2, 3, 2};
        for (int e = 0; e < nEighths; ++e) {
            const int nStep = (int(chord.fBeat) * 2 + e) % 6;
            const int nPitch = kPattern[nStep] < 0 ? chord.nBass : notes[size_t(kPattern[nStep])];
            const double t = fStart + e * kBeat / 2;
            const double fBar = t / (kBeatsPerBar * kBeat);
            // Down-beats lean in; the small unevenness of a player's hands.
            const double fAccent = nStep == 0 ? 1.0 : nStep == 3 ? 0.8 : 0.68;
            const double fVelocity = fAccent * Dynamics(fBar) * rng.Range(0.92, 1.0);
            const double fJitter = rng.Range(-0.006, 0.006);
            const double fPan = -0.25 + 0.025 * (nPitch - 50);
            mix.Add(t + fJitter, Harp(nPitch, fVelocity), 0.36, fPan, 0.45);
        }
    }
}

// The bass an octave below the harp's, a soft piano held through the chord.
void AddBass(Mix& mix) {
    for (int i = 0; i < kChordCount; ++i) {
        const Chord& chord = kChords[i];
        if (chord.fBeat > 0) continue;
        const double t = BarStart(chord.nBar);
        mix.Add(t, Piano(chord.nBass - 12, 0.55 * Dynamics(chord.nBar), ChordEnd(i) - t + 0.15), 0.80, -0.1, 0.25);
    }
}

void AddPad(Mix& mix) {
    for (int i = 0; i < kChordCount; ++i) {
        const Chord& chord = kChords[i];
        const double t = BarStart(chord.nBar) + chord.fBeat * kBeat;
        std::vector<double> pitches;
        for (int n : ChordNotes(chord, 55, 70)) pitches.push_back(n);
        const double fLength = ChordEnd(i) - t;
        mix.Add(t, Pad(pitches, fLength, 0.6 * Dynamics(chord.nBar)), 0.56, 0.5);
    }
}

// The tune: the flute, with a soft piano doubling that gives each note its
// outline.
void AddMelody(Mix& mix, CRandom& rng) {
    for (const MelodyNote& note : kMelody) {
        const double t = BarStart(note.nBar) + note.fBeat * kBeat;
        const double fLength = note.fBeats * kBeat;
        const double fLong = std::min(1.0, note.fBeats / 2.0);
        const double fVelocity = Dynamics(note.nBar + note.fBeat / 3.0) * (0.86 + 0.14 * fLong);
        mix.Add(t, Flute(note.nPitch, fLength * 0.96, fVelocity, rng), 0.34, 0.15, 0.40);
        mix.Add(t, Piano(note.nPitch, 0.6 * fVelocity, fLength), 0.15, 0.08, 0.35);
    }
}

}  // namespace

StereoBuffer RenderMusic() {
    Mix mix(Frames(kMusicSeconds));
    CRandom rng(0x436F72646Cull);
    AddPad(mix);
    AddBass(mix);
    AddHarp(mix, rng);
    AddMelody(mix, rng);

    ReverbSettings hall;
    hall.fRt60 = 2.8;
    hall.fDamping = 6000;
    hall.fPreDelay = 0.025;
    const StereoBuffer wet = CReverb(hall).ProcessLoop(mix.send);
    StereoBuffer out = mix.dry;
    AddStereo(out, 0, wet, 1.0, false);
    // A quiet background, its rare peaks held well below full scale: an
    // effect on top of it must not clip.
    out.Scale(float(DbToGain(kMusicRmsDb) / out.Rms()));
    LimitPeaks(out, kMusicPeak, true);
    return out;
}

}  // namespace synth
