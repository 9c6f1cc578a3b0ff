// The audio library's samples, channels and mixing, driven frame by frame.
#include <gtest/gtest.h>

#include "audio/library/BassCodes.h"
#include "audio/library/Mixer.h"

namespace {

// A sample of nFrames frames: left = nLeft, right = nRight throughout.
DecodedSample Constant(uint32_t nFrames, int16_t nLeft, int16_t nRight) {
    DecodedSample s;
    s.nSourceRate = 44100;
    s.nSourceChannels = 2;
    for (uint32_t i = 0; i < nFrames; ++i) {
        s.pcm.push_back(nLeft);
        s.pcm.push_back(nRight);
    }
    return s;
}

// A sample counting 1, 2, 3, ... on the left, so positions can be read off.
DecodedSample Ramp(uint32_t nFrames) {
    DecodedSample s;
    for (uint32_t i = 0; i < nFrames; ++i) {
        s.pcm.push_back(int16_t(i + 1));
        s.pcm.push_back(0);
    }
    return s;
}

std::vector<int16_t> MixFrames(CMixer& mixer, uint32_t nFrames) {
    std::vector<int16_t> out(size_t(nFrames) * 2, 12345);
    mixer.Mix(out.data(), nFrames);
    return out;
}

class Mixer : public ::testing::Test {
protected:
    uint32_t Add(DecodedSample&& s, uint32_t nMax = 1, uint32_t nFlags = 0) {
        uint32_t h = 0;
        EXPECT_EQ(m_Mixer.AddSample(std::move(s), nMax, nFlags, &h), bass::kOk);
        EXPECT_NE(h, 0u);
        return h;
    }
    uint32_t Channel(uint32_t hSample) {
        uint32_t h = 0;
        EXPECT_EQ(m_Mixer.GetChannel(hSample, &h), bass::kOk);
        return h;
    }
    CMixer m_Mixer;
};

TEST_F(Mixer, SilenceWhileNothingPlays) {
    const uint32_t hSample = Add(Constant(100, 1000, -1000));
    Channel(hSample);  // a channel that is never started
    for (int16_t v : MixFrames(m_Mixer, 64)) ASSERT_EQ(v, 0);
}

TEST_F(Mixer, PlaysASampleOnceAndStopsAtItsEnd) {
    const uint32_t hChannel = Channel(Add(Ramp(100)));
    ASSERT_EQ(m_Mixer.Play(hChannel, true), bass::kOk);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActivePlaying);
    std::vector<int16_t> out = MixFrames(m_Mixer, 60);
    for (int i = 0; i < 60; ++i) ASSERT_EQ(out[size_t(2 * i)], i + 1);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActivePlaying);
    // The last 40 frames, then silence; stopped as soon as the end is mixed.
    out = MixFrames(m_Mixer, 60);
    EXPECT_EQ(out[0], 61);
    EXPECT_EQ(out[2 * 39], 100);
    EXPECT_EQ(out[2 * 40], 0);
    EXPECT_EQ(out[2 * 59], 0);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActiveStopped);
}

TEST_F(Mixer, ChannelStopsOnTheBlockThatEndsExactlyWithIt) {
    const uint32_t hChannel = Channel(Add(Ramp(64)));
    m_Mixer.Play(hChannel, true);
    MixFrames(m_Mixer, 64);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActiveStopped);
}

TEST_F(Mixer, LoopFlagWrapsAndCanBeChangedWhilePlaying) {
    const uint32_t hChannel = Channel(Add(Ramp(10)));
    m_Mixer.Play(hChannel, true);
    ASSERT_EQ(m_Mixer.SetFlags(hChannel, bass::kSampleLoop), bass::kOk);
    std::vector<int16_t> out = MixFrames(m_Mixer, 25);
    for (int i = 0; i < 25; ++i) ASSERT_EQ(out[size_t(2 * i)], i % 10 + 1);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActivePlaying);
    // Without the flag the current pass is the last.
    ASSERT_EQ(m_Mixer.SetFlags(hChannel, 0), bass::kOk);
    out = MixFrames(m_Mixer, 10);
    EXPECT_EQ(out[2 * 4], 10);
    EXPECT_EQ(out[2 * 5], 0);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActiveStopped);
}

TEST_F(Mixer, SampleLoopFlagIsEachChannelsDefault) {
    const uint32_t hChannel = Channel(Add(Ramp(10), 1, bass::kSampleLoop));
    m_Mixer.Play(hChannel, true);
    MixFrames(m_Mixer, 35);
    EXPECT_EQ(m_Mixer.IsActive(hChannel), bass::kActivePlaying);
}

TEST_F(Mixer, OnePlaybackAtATimeRefusesASecondWhileTheFirstSounds) {
    const uint32_t hSample = Add(Ramp(100));
    const uint32_t hFirst = Channel(hSample);
    m_Mixer.Play(hFirst, true);
    MixFrames(m_Mixer, 30);
    uint32_t hSecond = 77;
    EXPECT_EQ(m_Mixer.GetChannel(hSample, &hSecond), bass::kErrorNoChan);
    EXPECT_EQ(hSecond, 77u);
    // The first goes on undisturbed.
    EXPECT_EQ(MixFrames(m_Mixer, 1)[0], 31);

    // Once it has ended the slot is free again, under a new handle; the old
    // one is stale and reports stopped.
    MixFrames(m_Mixer, 100);
    const uint32_t hThird = Channel(hSample);
    EXPECT_NE(hThird, hFirst);
    EXPECT_FALSE(m_Mixer.HasChannel(hFirst));
    EXPECT_EQ(m_Mixer.IsActive(hFirst), bass::kActiveStopped);
    EXPECT_EQ(m_Mixer.Play(hFirst, true), bass::kErrorHandle);
    EXPECT_EQ(m_Mixer.Play(hThird, true), bass::kOk);
}

TEST_F(Mixer, AChannelNeverStartedGivesWayOnlyWhenNoSlotIsFree) {
    const uint32_t hPair = Add(Ramp(10), 2);
    const uint32_t hA = Channel(hPair), hB = Channel(hPair);
    EXPECT_NE(hA, hB);
    EXPECT_EQ(m_Mixer.Play(hA, true), bass::kOk);
    EXPECT_EQ(m_Mixer.Play(hB, true), bass::kOk);

    // With one slot, asking again before playing replaces the unplayed one.
    const uint32_t hSingle = Add(Ramp(10), 1);
    const uint32_t hFirst = Channel(hSingle), hSecond = Channel(hSingle);
    EXPECT_FALSE(m_Mixer.HasChannel(hFirst));
    EXPECT_EQ(m_Mixer.Play(hSecond, true), bass::kOk);
}

TEST_F(Mixer, OverrideFlagTakesOverTheOldestPlayback) {
    const uint32_t hSample = Add(Ramp(100), 2, bass::kSampleOverPos);
    const uint32_t hA = Channel(hSample);
    m_Mixer.Play(hA, true);
    MixFrames(m_Mixer, 5);
    const uint32_t hB = Channel(hSample);
    m_Mixer.Play(hB, true);
    MixFrames(m_Mixer, 5);
    const uint32_t hC = Channel(hSample);
    EXPECT_FALSE(m_Mixer.HasChannel(hA));
    EXPECT_TRUE(m_Mixer.HasChannel(hB));
    m_Mixer.Play(hC, true);
    // B is at frame 6, C starts at 1.
    EXPECT_EQ(MixFrames(m_Mixer, 1)[0], 6 + 1);
}

TEST_F(Mixer, PlaybacksOfOneSampleAddUp) {
    const uint32_t hSample = Add(Constant(50, 1000, -300), 3);
    for (int i = 0; i < 3; ++i) m_Mixer.Play(Channel(hSample), true);
    uint32_t h;
    EXPECT_EQ(m_Mixer.GetChannel(hSample, &h), bass::kErrorNoChan);
    const std::vector<int16_t> out = MixFrames(m_Mixer, 10);
    EXPECT_EQ(out[0], 3000);
    EXPECT_EQ(out[1], -900);
}

TEST_F(Mixer, RestartRewindsAPlayingChannelAndPlayWithoutItGoesOn) {
    const uint32_t hChannel = Channel(Add(Ramp(100)));
    m_Mixer.Play(hChannel, true);
    MixFrames(m_Mixer, 20);
    m_Mixer.Play(hChannel, false);
    EXPECT_EQ(MixFrames(m_Mixer, 1)[0], 21);
    m_Mixer.Play(hChannel, true);
    EXPECT_EQ(MixFrames(m_Mixer, 1)[0], 1);
}

TEST_F(Mixer, VolumeIsAMasterGainReachedWithinOneBlock) {
    const uint32_t hChannel = Channel(Add(Constant(10000, 20000, -20000), 1, bass::kSampleLoop));
    m_Mixer.Play(hChannel, true);
    EXPECT_EQ(m_Mixer.Volume(), 100u);
    EXPECT_EQ(MixFrames(m_Mixer, 100)[0], 20000);
    m_Mixer.SetVolume(35);
    // The block after a change glides from the old gain to the new one...
    const std::vector<int16_t> glide = MixFrames(m_Mixer, 100);
    EXPECT_LT(glide[0], 20000);
    EXPECT_GT(glide[0], 19000);
    EXPECT_EQ(glide[2 * 99], 7000);
    for (size_t i = 2; i < glide.size(); i += 2) ASSERT_LE(glide[i], glide[i - 2]);
    // ... and the next is at it.
    const std::vector<int16_t> out = MixFrames(m_Mixer, 100);
    EXPECT_EQ(out[0], 7000);
    EXPECT_EQ(out[1], -7000);
    m_Mixer.SetVolume(0);
    MixFrames(m_Mixer, 100);
    EXPECT_EQ(MixFrames(m_Mixer, 100)[0], 0);
    m_Mixer.SetVolume(250);
    EXPECT_EQ(m_Mixer.Volume(), 100u);
}

TEST_F(Mixer, FullScaleSumsSaturate) {
    const uint32_t hSample = Add(Constant(50, 30000, -30000), 2);
    m_Mixer.Play(Channel(hSample), true);
    m_Mixer.Play(Channel(hSample), true);
    const std::vector<int16_t> out = MixFrames(m_Mixer, 10);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[1], -32768);
}

TEST_F(Mixer, StopAndFree) {
    const uint32_t hSample = Add(Ramp(100), 2);
    const uint32_t hA = Channel(hSample), hB = Channel(hSample);
    m_Mixer.Play(hA, true);
    m_Mixer.Play(hB, true);
    EXPECT_EQ(m_Mixer.StopSample(hSample), bass::kOk);
    EXPECT_EQ(m_Mixer.IsActive(hA), bass::kActiveStopped);
    EXPECT_EQ(m_Mixer.IsActive(hB), bass::kActiveStopped);
    EXPECT_EQ(MixFrames(m_Mixer, 4)[0], 0);
    // A stopped channel starts again from the beginning.
    m_Mixer.Play(hA, false);
    EXPECT_EQ(MixFrames(m_Mixer, 1)[0], 1);

    m_Mixer.StopAll();
    EXPECT_EQ(m_Mixer.IsActive(hA), bass::kActiveStopped);

    m_Mixer.Play(hA, true);
    EXPECT_EQ(m_Mixer.FreeSample(hSample), bass::kOk);
    EXPECT_EQ(m_Mixer.SampleCount(), 0u);
    EXPECT_FALSE(m_Mixer.HasChannel(hA));
    EXPECT_EQ(MixFrames(m_Mixer, 4)[0], 0);
    EXPECT_EQ(m_Mixer.FreeSample(hSample), bass::kErrorHandle);
    EXPECT_EQ(m_Mixer.StopSample(hSample), bass::kErrorHandle);
    uint32_t h;
    EXPECT_EQ(m_Mixer.GetChannel(hSample, &h), bass::kErrorHandle);
}

TEST_F(Mixer, HandlesNeverNameTwoThings) {
    const uint32_t hSample = Add(Ramp(10));
    const uint32_t hChannel = Channel(hSample);
    EXPECT_NE(hSample, hChannel);
    // A sample handle is no channel and a channel handle no sample.
    EXPECT_EQ(m_Mixer.Play(hSample, true), bass::kErrorHandle);
    EXPECT_EQ(m_Mixer.SetFlags(hSample, 0), bass::kErrorHandle);
    EXPECT_EQ(m_Mixer.FreeSample(hChannel), bass::kErrorHandle);
    EXPECT_EQ(m_Mixer.Play(0, true), bass::kErrorHandle);
}

TEST_F(Mixer, RefusesEmptySamplesAndImpossibleLimits) {
    uint32_t h = 0;
    EXPECT_EQ(m_Mixer.AddSample(DecodedSample(), 1, 0, &h), bass::kErrorIllParam);
    EXPECT_EQ(m_Mixer.AddSample(Ramp(10), 0, 0, &h), bass::kErrorIllParam);
    EXPECT_EQ(m_Mixer.AddSample(Ramp(10), 65536, 0, &h), bass::kErrorIllParam);
    EXPECT_EQ(m_Mixer.SampleCount(), 0u);
}

}  // namespace
