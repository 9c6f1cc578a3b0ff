#pragma once
// The audio library's samples and channels and the mixing of every playing
// channel into 16-bit stereo output. Not thread-safe: the library serialises
// the calls of the main thread against the mixing thread.
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "audio/library/SampleDecoder.h"

class CMixer {
public:
    CMixer() = default;
    CMixer(const CMixer&) = delete;
    CMixer& operator=(const CMixer&) = delete;

    // Each returns a BASS error code (bass::kOk on success).

    // Takes the decoded sound; nMax playbacks of it can sound at once.
    uint32_t AddSample(DecodedSample&& sound, uint32_t nMax, uint32_t nFlags, uint32_t* phSample);
    uint32_t FreeSample(uint32_t hSample);
    uint32_t StopSample(uint32_t hSample);

    // Hands out a fresh channel handle for a playback slot of the sample that
    // is not sounding (preferring one whose last handle has been played);
    // handles given out earlier for that slot go stale (and report stopped).
    // When every slot sounds, an override flag of the sample
    // (BASS_SAMPLE_OVER_*) takes over the playback that started first;
    // without one the call fails with kErrorNoChan, so a sound already at its
    // limit is never cut off or doubled.
    uint32_t GetChannel(uint32_t hSample, uint32_t* phChannel);

    // Starts a channel; a channel already playing goes on unless bRestart.
    uint32_t Play(uint32_t hChannel, bool bRestart);
    uint32_t SetFlags(uint32_t hChannel, uint32_t nFlags);
    bool HasChannel(uint32_t hChannel) const { return FindSlot(hChannel) != nullptr; }
    // bass::kActivePlaying or bass::kActiveStopped (also for stale handles).
    uint32_t IsActive(uint32_t hChannel) const;

    void StopAll();
    void SetVolume(uint32_t nVolume);  // 0 .. 100, the master gain
    uint32_t Volume() const { return m_nVolume; }
    size_t SampleCount() const { return m_Samples.size(); }

    // Mixes the next nFrames frames of every playing channel into pOut
    // (interleaved left/right) and advances them.
    void Mix(int16_t* pOut, uint32_t nFrames);

private:
    struct Slot {
        uint32_t hChannel = 0;
        bool bPlaying = false;
        bool bUnplayed = false;  // handed out and not started yet
        uint32_t nPosition = 0;
        uint32_t nFlags = 0;
        uint64_t nStartOrder = 0;
    };
    struct Sample {
        std::vector<int16_t> pcm;
        uint32_t nFrames = 0;
        uint32_t nFlags = 0;
        std::vector<Slot> slots;
    };
    struct SlotRef {
        uint32_t hSample;
        size_t nSlot;
    };

    uint32_t NewHandle();
    Slot* FindSlot(uint32_t hChannel);
    const Slot* FindSlot(uint32_t hChannel) const;
    void Reassign(uint32_t hSample, Sample& sample, size_t nSlot, uint32_t* phChannel);
    void MixSlot(const Sample& sample, Slot& slot, float* pAcc, uint32_t nFrames);

    std::map<uint32_t, std::unique_ptr<Sample>> m_Samples;
    std::unordered_map<uint32_t, SlotRef> m_Channels;
    uint32_t m_nNextHandle = 1;
    uint64_t m_nStartCounter = 0;
    uint32_t m_nVolume = 100;
    float m_fGain = 1.0f;  // gain reached at the end of the last mix
    std::vector<float> m_Accumulator;
};
