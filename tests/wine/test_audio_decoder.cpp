// The audio library's loading path: the Ogg structure check, the decoder and
// the resampler, with good, damaged and foreign data.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/Resampler.h"
#include "audio/library/SampleDecoder.h"
#include "test_audio_helpers.h"

using namespace audio_test;

namespace {

class GeneratedShot : public ::testing::Test {
protected:
    void SetUp() override {
        m_Data = GeneratedSound("shot");
        ASSERT_FALSE(m_Data.empty()) << "content/shot.ogg missing: build the saver first";
        m_Pages = OggPageOffsets(m_Data);
        ASSERT_GT(m_Pages.size(), 3u);
    }
    uint32_t Decode(const std::vector<uint8_t>& data, DecodedSample* pOut = nullptr) {
        DecodedSample sample;
        return DecodeOggSample(data.data(), data.size(), 0, pOut ? pOut : &sample);
    }
    std::vector<uint8_t> m_Data;
    std::vector<size_t> m_Pages;
};

TEST(OggCrc, MatchesTheFormatsChecksum) {
    // CRC-32 with polynomial 0x04C11DB7, no reflection, zero start: the
    // standard check value of "123456789" for this variant (CRC-32/MPEG-2
    // without the inversions).
    const uint8_t kText[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(OggCrc(kText, 9), 0x89A1897Fu);
    EXPECT_EQ(OggCrc(kText, 0), 0u);
}

TEST_F(GeneratedShot, IntactStreamPassesTheCheckAndDecodes) {
    OggStreamInfo info;
    ASSERT_TRUE(CheckOggStream(m_Data.data(), m_Data.size(), &info));
    EXPECT_EQ(info.nPages, m_Pages.size());
    EXPECT_EQ(info.nStreamBytes, m_Data.size());
    EXPECT_EQ(info.nLastGranule, 88200);

    DecodedSample sample;
    ASSERT_EQ(Decode(m_Data, &sample), bass::kOk);
    EXPECT_EQ(sample.Frames(), 88200u);
    EXPECT_EQ(sample.nSourceRate, 44100u);
    EXPECT_EQ(sample.nSourceChannels, 2u);
}

TEST_F(GeneratedShot, TrailingBytesAfterTheLastPageAreIgnored) {
    std::vector<uint8_t> data = m_Data;
    data.insert(data.end(), {'T', 'A', 'G', 0, 1, 2});
    OggStreamInfo info;
    ASSERT_TRUE(CheckOggStream(data.data(), data.size(), &info));
    EXPECT_EQ(info.nStreamBytes, m_Data.size());
    EXPECT_EQ(Decode(data), bass::kOk);
}

TEST_F(GeneratedShot, TruncatedStreamsFail) {
    // Inside a page, at a page boundary (no end-of-stream page), and with
    // nothing but the headers left.
    for (size_t nSize : {m_Data.size() - 1, m_Data.size() / 2, m_Pages[m_Pages.size() - 1], m_Pages[2],
                         m_Pages[1], size_t(20), size_t(0)}) {
        SCOPED_TRACE(nSize);
        std::vector<uint8_t> data(m_Data.begin(), m_Data.begin() + long(nSize));
        EXPECT_FALSE(CheckOggStream(data.data(), data.size(), nullptr));
        EXPECT_EQ(Decode(data), bass::kErrorFileForm);
    }
}

TEST_F(GeneratedShot, AnyFlippedBitFailsTheLoad) {
    // Header pages, audio pages, lacing values and page headers alike.
    for (size_t nAt : {size_t(5), size_t(30), m_Pages[1] + 40, m_Pages[2] + 10, m_Data.size() / 2,
                       m_Data.size() - 3}) {
        SCOPED_TRACE(nAt);
        std::vector<uint8_t> data = m_Data;
        data[nAt] ^= 0x10;
        EXPECT_EQ(Decode(data), bass::kErrorFileForm);
    }
}

TEST_F(GeneratedShot, MissingOrReorderedPagesFail) {
    // A page cut out of the middle: the CRCs hold but the numbering breaks.
    const size_t nMiddle = m_Pages.size() / 2;
    std::vector<uint8_t> gap = m_Data;
    gap.erase(gap.begin() + long(m_Pages[nMiddle]), gap.begin() + long(m_Pages[nMiddle + 1]));
    EXPECT_EQ(Decode(gap), bass::kErrorFileForm);

    // A second stream after the first (a chained file).
    std::vector<uint8_t> chained = m_Data;
    chained.insert(chained.end(), m_Data.begin(), m_Data.end());
    OggStreamInfo info;
    ASSERT_TRUE(CheckOggStream(chained.data(), chained.size(), &info));
    EXPECT_EQ(info.nStreamBytes, m_Data.size());  // only the first is played
}

TEST_F(GeneratedShot, ValidPagesWithBrokenVorbisFail) {
    // Damage inside the codebook header, with the page CRC made right again:
    // the decoder itself has to refuse it.
    std::vector<uint8_t> data = m_Data;
    const size_t nAt = m_Pages[1] + 27 + data[m_Pages[1] + 26] + 200;
    for (size_t i = 0; i < 64; ++i) data[nAt + i] = uint8_t(0xA5 ^ i);
    FixOggPageCrc(data, m_Pages[1]);
    ASSERT_TRUE(CheckOggStream(data.data(), data.size(), nullptr));
    EXPECT_EQ(Decode(data), bass::kErrorFileForm);
}

TEST(OggDecoder, ForeignDataFails) {
    std::vector<uint8_t> noise(4096);
    uint32_t x = 12345;
    for (uint8_t& b : noise) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
    DecodedSample sample;
    EXPECT_EQ(DecodeOggSample(noise.data(), noise.size(), 0, &sample), bass::kErrorFileForm);
    const char kWav[] = "RIFF\x24\0\0\0WAVEfmt ";
    EXPECT_EQ(DecodeOggSample(reinterpret_cast<const uint8_t*>(kWav), sizeof(kWav), 0, &sample), bass::kErrorFileForm);
    EXPECT_EQ(DecodeOggSample(nullptr, 100, 0, &sample), bass::kErrorFileForm);
}

TEST_F(GeneratedShot, OtherRatesAreResampledToTheOutputRate) {
    // The same audio, declared at 22,050 Hz, lasts twice as long at
    // 44,100 Hz; at 48,000 Hz it lasts 44100/48000 as long.
    DecodedSample slow, fast, native;
    ASSERT_EQ(Decode(m_Data, &native), bass::kOk);
    ASSERT_EQ(Decode(WithSampleRate(m_Data, 22050), &slow), bass::kOk);
    ASSERT_EQ(Decode(WithSampleRate(m_Data, 48000), &fast), bass::kOk);
    EXPECT_EQ(slow.nSourceRate, 22050u);
    EXPECT_EQ(slow.Frames(), 176400u);
    EXPECT_NEAR(double(fast.Frames()), 81033.75, 1.0);  // 88,200 frames x 44,100 / 48,000
    // Upsampling by two keeps every second frame close to the original.
    double fError = 0, fSignal = 0;
    for (size_t i = 2000; i < 80000; ++i) {
        const double a = native.pcm[i * 2], b = slow.pcm[i * 4];
        fError += (a - b) * (a - b);
        fSignal += a * a;
    }
    EXPECT_LT(fError / fSignal, 0.01);
}

TEST_F(GeneratedShot, MonoFlagMixesTheChannelsDown) {
    DecodedSample sample;
    ASSERT_EQ(DecodeOggSample(m_Data.data(), m_Data.size(), bass::kSampleMono, &sample), bass::kOk);
    bool bDiffers = false;
    for (size_t i = 0; i < sample.pcm.size(); i += 2) ASSERT_EQ(sample.pcm[i], sample.pcm[i + 1]);
    DecodedSample stereo;
    ASSERT_EQ(Decode(m_Data, &stereo), bass::kOk);
    for (size_t i = 0; i < stereo.pcm.size() && !bDiffers; i += 2) bDiffers = stereo.pcm[i] != stereo.pcm[i + 1];
    EXPECT_TRUE(bDiffers);
}

// A sine of fHz at nRate, stereo, nFrames long.
std::vector<int16_t> Sine(double fHz, uint32_t nRate, uint32_t nFrames, double fAmplitude = 16000) {
    std::vector<int16_t> pcm(size_t(nFrames) * 2);
    for (uint32_t i = 0; i < nFrames; ++i)
        pcm[2 * i] = pcm[2 * i + 1] = int16_t(std::lround(fAmplitude * std::sin(2 * 3.14159265358979 * fHz * i / nRate)));
    return pcm;
}

// Amplitude of the fHz component of the left channel (one DFT bin).
double ToneAmplitude(const std::vector<int16_t>& pcm, double fHz, uint32_t nRate, size_t nFirst, size_t nCount) {
    double re = 0, im = 0;
    for (size_t i = nFirst; i < nFirst + nCount; ++i) {
        const double w = 2 * 3.14159265358979 * fHz * double(i) / nRate;
        re += pcm[2 * i] * std::cos(w);
        im += pcm[2 * i] * std::sin(w);
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(nCount);
}

TEST(Resampler, KeepsPitchAndLevelOfATone) {
    for (uint32_t nRate : {8000u, 22050u, 32000u, 48000u}) {
        SCOPED_TRACE(nRate);
        const std::vector<int16_t> in = Sine(1000.0, nRate, nRate);
        const std::vector<int16_t> out = ResampleStereo(in.data(), nRate, nRate, 44100);
        ASSERT_EQ(out.size() / 2, 44100u);
        EXPECT_NEAR(ToneAmplitude(out, 1000.0, 44100, 4410, 35280), 16000.0, 16000.0 * 0.01);
    }
}

TEST(Resampler, RemovesWhatTheOutputRateCannotCarry) {
    // 6 kHz at 48 kHz would fold down to 2 kHz at 8 kHz.
    const std::vector<int16_t> in = Sine(6000.0, 48000, 48000);
    const std::vector<int16_t> out = ResampleStereo(in.data(), 48000, 48000, 8000);
    ASSERT_EQ(out.size() / 2, 8000u);
    EXPECT_LT(ToneAmplitude(out, 2000.0, 8000, 800, 6400), 16000.0 * 0.01);
    int nPeak = 0;
    for (size_t i = 1600; i < out.size() - 1600; ++i) nPeak = std::max(nPeak, std::abs(int(out[i])));
    EXPECT_LT(nPeak, 400);
}

TEST(Resampler, SaturatesInsteadOfWrappingAround) {
    // A full-scale square wave overshoots when band-limited; the result
    // must stay at the rails, not wrap to the other sign.
    std::vector<int16_t> in(2 * 22050);
    for (size_t i = 0; i < 22050; ++i) in[2 * i] = in[2 * i + 1] = (i / 50) % 2 ? 32767 : -32768;
    const std::vector<int16_t> out = ResampleStereo(in.data(), 22050, 22050, 44100);
    for (size_t i = 200; i + 200 < out.size(); i += 2) {
        const size_t nSource = i / 4;  // the input frame under output frame i/2
        if (nSource % 50 > 5 && nSource % 50 < 45) {
            ASSERT_EQ(out[i] > 0, in[2 * nSource] > 0) << i;
        }
    }
}

}  // namespace
