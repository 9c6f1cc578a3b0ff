// The music and effects soundgen writes, decoded with the audio library's own
// decoder (stb_vorbis): format, lengths, levels, headroom and the loop seam.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/SampleDecoder.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRate = 44100.0;
const char* const kNames[] = {"music", "shot", "hit"};

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const fs::path kSoundgen = CORDELUNE_BINARY_DIR "/bin/soundgen";

// A new folder in the build tree (the same file system as the cache below).
fs::path MakeTempDir() {
    std::string pattern = std::string(CORDELUNE_BINARY_DIR "/soundgen-test.XXXXXX");
    if (!mkdtemp(pattern.data())) return {};
    return pattern;
}

bool RunSoundgen(const fs::path& dir) {
    const std::string command = "'" + kSoundgen.string() + "' --out '" + dir.string() + "'";
    return std::system(command.c_str()) == 0;
}

// The sounds of the soundgen just built, written once and shared by the
// test processes: rendering takes a few seconds, and every test case runs
// in a process of its own. Files are moved into place one by one and the
// stamp comes last, so a reader never sees a half-written set.
fs::path GeneratedSounds() {
    const fs::path dir = CORDELUNE_BINARY_DIR "/soundgen-test";
    const fs::path stamp = dir / "stamp";
    std::error_code error;
    if (fs::exists(stamp, error) && fs::last_write_time(stamp, error) >= fs::last_write_time(kSoundgen, error))
        return dir;
    const fs::path fresh = MakeTempDir();
    if (fresh.empty() || !RunSoundgen(fresh)) return {};
    fs::create_directories(dir, error);
    for (const char* pszName : kNames) {
        const std::string name = std::string(pszName) + ".ogg";
        fs::rename(fresh / name, dir / name, error);
        if (error) return {};
    }
    fs::remove_all(fresh, error);
    std::ofstream(stamp) << "soundgen output\n";
    return dir;
}

double ToDb(double v) { return 20.0 * std::log10(std::max(v, 1e-12)); }

// Level measures over frames [nFirst, nFirst + nCount) of 16-bit stereo, as
// shares of full scale.
double Rms(const DecodedSample& s, size_t nFirst, size_t nCount) {
    double fSum = 0;
    const size_t nEnd = std::min<size_t>(s.Frames(), nFirst + nCount);
    for (size_t i = nFirst * 2; i < nEnd * 2; ++i) fSum += double(s.pcm[i]) * s.pcm[i];
    return nEnd > nFirst ? std::sqrt(fSum / double(2 * (nEnd - nFirst))) / 32768.0 : 0.0;
}

double Peak(const DecodedSample& s) {
    int nPeak = 0;
    for (int16_t v : s.pcm) nPeak = std::max(nPeak, std::abs(int(v)));
    return nPeak / 32768.0;
}

// The root-mean-square frequency of one channel (from the energy of its
// first difference): a measure of how bright a sound is.
double BrightnessHz(const DecodedSample& s) {
    double fSignal = 0, fDiff = 0;
    for (size_t i = 2; i < s.pcm.size(); i += 2) {
        fSignal += double(s.pcm[i]) * s.pcm[i];
        const double d = double(s.pcm[i]) - s.pcm[i - 2];
        fDiff += d * d;
    }
    return std::sqrt(fDiff / fSignal) * kRate / (2.0 * 3.14159265358979);
}

class SoundgenOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = GeneratedSounds();
        ASSERT_FALSE(s_dir.empty()) << "soundgen failed";
        for (const char* pszName : kNames) {
            s_files[pszName] = ReadFile(s_dir / (std::string(pszName) + ".ogg"));
            const std::vector<uint8_t>& data = s_files[pszName];
            s_results[pszName] = DecodeOggSample(data.data(), data.size(), 0, &s_sounds[pszName]);
        }
    }
    static const DecodedSample& Sound(const char* pszName) { return s_sounds[pszName]; }

    static fs::path s_dir;
    static std::map<std::string, std::vector<uint8_t>> s_files;
    static std::map<std::string, DecodedSample> s_sounds;
    static std::map<std::string, uint32_t> s_results;
};

fs::path SoundgenOutput::s_dir;
std::map<std::string, std::vector<uint8_t>> SoundgenOutput::s_files;
std::map<std::string, DecodedSample> SoundgenOutput::s_sounds;
std::map<std::string, uint32_t> SoundgenOutput::s_results;

TEST_F(SoundgenOutput, WritesIntactStereoVorbisAtTheOutputRate) {
    for (const char* pszName : kNames) {
        SCOPED_TRACE(pszName);
        const std::vector<uint8_t>& data = s_files[pszName];
        OggStreamInfo info;
        ASSERT_TRUE(CheckOggStream(data.data(), data.size(), &info));
        EXPECT_EQ(info.nStreamBytes, data.size());
        ASSERT_EQ(s_results[pszName], bass::kOk);
        EXPECT_EQ(Sound(pszName).nSourceRate, 44100u);
        EXPECT_EQ(Sound(pszName).nSourceChannels, 2u);
    }
}

TEST_F(SoundgenOutput, LastsAsLongAsTheSaverExpects) {
    // The music must loop on a whole number of frames of exactly 54 s.
    EXPECT_EQ(Sound("music").Frames(), 54u * 44100u);
    EXPECT_EQ(Sound("shot").Frames(), 2u * 44100u);
    EXPECT_EQ(Sound("hit").Frames(), 6u * 44100u);
}

TEST_F(SoundgenOutput, EncodesAtAboutOneHundredKilobitsASecond) {
    for (const char* pszName : kNames) {
        SCOPED_TRACE(pszName);
        const double fKbps = s_files[pszName].size() * 8.0 / (Sound(pszName).Frames() / kRate) / 1000.0;
        EXPECT_GT(fKbps, 80.0);
        EXPECT_LT(fKbps, 130.0);
    }
}

TEST_F(SoundgenOutput, NeverClipsEvenWithAnEffectOverTheMusic) {
    const double fMusic = Peak(Sound("music"));
    const double fShot = Peak(Sound("shot"));
    const double fHit = Peak(Sound("hit"));
    EXPECT_GT(fMusic, 0.1);
    // The library sums the channels at volume 100 without a limiter.
    EXPECT_LT(fMusic + fShot, 0.98);
    EXPECT_LT(fMusic + fHit, 0.98);
}

TEST_F(SoundgenOutput, EffectsSitClearlyAboveTheMusic) {
    const DecodedSample& music = Sound("music");
    const double fMusicDb = ToDb(Rms(music, 0, music.Frames()));
    EXPECT_GT(fMusicDb, -30.0);
    EXPECT_LT(fMusicDb, -18.0);
    EXPECT_GT(ToDb(Rms(Sound("shot"), 0, 22050)), fMusicDb + 6.0);
    EXPECT_GT(ToDb(Rms(Sound("hit"), 0, 44100)), fMusicDb + 6.0);
}

TEST_F(SoundgenOutput, EffectsStartAtOnceAndEndInSilence) {
    for (const char* pszName : {"shot", "hit"}) {
        SCOPED_TRACE(pszName);
        const DecodedSample& s = Sound(pszName);
        // Heard with the picture: loud within the first 30 ms.
        EXPECT_GT(ToDb(Rms(s, 0, 1323)), -30.0);
        EXPECT_LT(ToDb(Rms(s, s.Frames() - 882, 882)), -60.0);
    }
}

TEST_F(SoundgenOutput, MusicPlaysWithoutGaps) {
    const DecodedSample& music = Sound("music");
    for (size_t nFirst = 0; nFirst < music.Frames(); nFirst += 22050) {
        SCOPED_TRACE(nFirst / kRate);
        EXPECT_GT(ToDb(Rms(music, nFirst, 22050)), -40.0);
    }
}

TEST_F(SoundgenOutput, MusicLoopsWithoutAClick) {
    const DecodedSample& music = Sound("music");
    const size_t n = music.Frames();
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c ? "right" : "left");
        auto at = [&](size_t i) { return double(music.pcm[(i % n) * 2 + size_t(c)]); };
        // The step across the seam is an ordinary step of this music.
        std::vector<double> steps;
        for (size_t i = 0; i + 1 < n; ++i) steps.push_back(std::fabs(at(i + 1) - at(i)));
        std::sort(steps.begin(), steps.end());
        const double fTypical = steps[size_t(double(steps.size()) * 0.999)];
        EXPECT_LE(std::fabs(at(0) - at(n - 1)), fTypical);

        // No burst of high-frequency energy (a click) in the 10 ms around
        // the seam, against every other 10 ms of the loop.
        auto burst = [&](size_t nCentre) {
            double fSum = 0;
            for (size_t i = nCentre + n - 220; i < nCentre + n + 220; ++i) {
                const double d = at(i + 1) - 2 * at(i) + at(i - 1 + n);
                fSum += d * d;
            }
            return fSum;
        };
        std::vector<double> bursts;
        for (size_t i = 441; i + 441 < n; i += 441) bursts.push_back(burst(i));
        std::sort(bursts.begin(), bursts.end());
        EXPECT_LE(burst(0), bursts[size_t(double(bursts.size()) * 0.99)]);
    }
    // The reverberation runs on across the loop point: the level hardly
    // changes there.
    EXPECT_NEAR(ToDb(Rms(music, 0, 4410)), ToDb(Rms(music, n - 4410, 4410)), 6.0);
}

TEST_F(SoundgenOutput, MusicIsGentleAndTheChimeBright) {
    const double fMusic = BrightnessHz(Sound("music"));
    EXPECT_LT(fMusic, 1500.0);
    EXPECT_GT(BrightnessHz(Sound("hit")), 2.0 * fMusic);
}

TEST_F(SoundgenOutput, MusicIsStereo) {
    const DecodedSample& music = Sound("music");
    double fLL = 0, fRR = 0, fLR = 0;
    for (size_t i = 0; i < music.pcm.size(); i += 2) {
        fLL += double(music.pcm[i]) * music.pcm[i];
        fRR += double(music.pcm[i + 1]) * music.pcm[i + 1];
        fLR += double(music.pcm[i]) * music.pcm[i + 1];
    }
    const double fCorrelation = fLR / std::sqrt(fLL * fRR);
    EXPECT_LT(fCorrelation, 0.97);
    EXPECT_GT(fCorrelation, 0.3);
    // Balanced between the speakers.
    EXPECT_NEAR(10.0 * std::log10(fLL / fRR), 0.0, 1.5);
}

TEST_F(SoundgenOutput, WritesTheSameBytesEveryTime) {
    const fs::path again = MakeTempDir();
    ASSERT_FALSE(again.empty());
    ASSERT_TRUE(RunSoundgen(again));
    for (const char* pszName : kNames) {
        SCOPED_TRACE(pszName);
        EXPECT_TRUE(ReadFile(again / (std::string(pszName) + ".ogg")) == s_files[pszName]);
    }
    std::error_code error;
    fs::remove_all(again, error);
}

TEST(SoundgenCommandLine, RefusesToRunWithoutAnOutputFolder) {
    EXPECT_NE(std::system(("'" + kSoundgen.string() + "' 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system(("'" + kSoundgen.string() + "' --out /nonexistent/folder 2>/dev/null").c_str()), 0);
}

}  // namespace
