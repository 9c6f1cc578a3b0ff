#include "audio/library/Mixer.h"

#include <algorithm>

#include "audio/library/BassCodes.h"

uint32_t CMixer::NewHandle() {
    // Samples and channels share one counter, so no handle names both.
    if (m_nNextHandle == 0) ++m_nNextHandle;
    return m_nNextHandle++;
}

uint32_t CMixer::AddSample(DecodedSample&& sound, uint32_t nMax, uint32_t nFlags, uint32_t* phSample) {
    if (nMax < 1 || nMax > bass::kMaxPlaybacks || sound.Frames() == 0) return bass::kErrorIllParam;
    auto sample = std::make_unique<Sample>();
    sample->nFrames = sound.Frames();
    sample->pcm = std::move(sound.pcm);
    sample->nFlags = nFlags;
    sample->slots.resize(nMax);
    const uint32_t h = NewHandle();
    m_Samples[h] = std::move(sample);
    *phSample = h;
    return bass::kOk;
}

uint32_t CMixer::FreeSample(uint32_t hSample) {
    auto it = m_Samples.find(hSample);
    if (it == m_Samples.end()) return bass::kErrorHandle;
    for (const Slot& slot : it->second->slots)
        if (slot.hChannel) m_Channels.erase(slot.hChannel);
    m_Samples.erase(it);
    return bass::kOk;
}

uint32_t CMixer::StopSample(uint32_t hSample) {
    auto it = m_Samples.find(hSample);
    if (it == m_Samples.end()) return bass::kErrorHandle;
    for (Slot& slot : it->second->slots) slot.bPlaying = false;
    return bass::kOk;
}

void CMixer::Reassign(uint32_t hSample, Sample& sample, size_t nSlot, uint32_t* phChannel) {
    Slot& slot = sample.slots[nSlot];
    if (slot.hChannel) m_Channels.erase(slot.hChannel);
    slot = Slot();
    slot.hChannel = NewHandle();
    slot.bUnplayed = true;
    slot.nFlags = sample.nFlags & bass::kSampleLoop;
    m_Channels[slot.hChannel] = SlotRef{hSample, nSlot};
    *phChannel = slot.hChannel;
}

uint32_t CMixer::GetChannel(uint32_t hSample, uint32_t* phChannel) {
    auto it = m_Samples.find(hSample);
    if (it == m_Samples.end()) return bass::kErrorHandle;
    Sample& sample = *it->second;
    // A channel handed out but never started holds nothing: its slot is
    // taken again only when no other is free.
    size_t nFree = sample.slots.size();
    for (size_t i = 0; i < sample.slots.size(); ++i) {
        const Slot& slot = sample.slots[i];
        if (slot.bPlaying) continue;
        if (!slot.bUnplayed) {
            nFree = i;
            break;
        }
        if (nFree == sample.slots.size()) nFree = i;
    }
    if (nFree < sample.slots.size()) {
        Reassign(hSample, sample, nFree, phChannel);
        return bass::kOk;
    }
    if ((sample.nFlags & bass::kSampleOverMask) == 0) return bass::kErrorNoChan;
    // All channels share one volume and position, so every override rule
    // comes down to the playback that has sounded longest.
    size_t nOldest = 0;
    for (size_t i = 1; i < sample.slots.size(); ++i)
        if (sample.slots[i].nStartOrder < sample.slots[nOldest].nStartOrder) nOldest = i;
    Reassign(hSample, sample, nOldest, phChannel);
    return bass::kOk;
}

CMixer::Slot* CMixer::FindSlot(uint32_t hChannel) {
    auto it = m_Channels.find(hChannel);
    if (it == m_Channels.end()) return nullptr;
    return &m_Samples.at(it->second.hSample)->slots[it->second.nSlot];
}

const CMixer::Slot* CMixer::FindSlot(uint32_t hChannel) const {
    auto it = m_Channels.find(hChannel);
    if (it == m_Channels.end()) return nullptr;
    return &m_Samples.at(it->second.hSample)->slots[it->second.nSlot];
}

uint32_t CMixer::Play(uint32_t hChannel, bool bRestart) {
    Slot* pSlot = FindSlot(hChannel);
    if (!pSlot) return bass::kErrorHandle;
    if (pSlot->bPlaying && !bRestart) return bass::kOk;
    pSlot->nPosition = 0;
    pSlot->bPlaying = true;
    pSlot->bUnplayed = false;
    pSlot->nStartOrder = ++m_nStartCounter;
    return bass::kOk;
}

uint32_t CMixer::SetFlags(uint32_t hChannel, uint32_t nFlags) {
    Slot* pSlot = FindSlot(hChannel);
    if (!pSlot) return bass::kErrorHandle;
    pSlot->nFlags = nFlags & bass::kSampleLoop;
    return bass::kOk;
}

uint32_t CMixer::IsActive(uint32_t hChannel) const {
    const Slot* pSlot = FindSlot(hChannel);
    return pSlot && pSlot->bPlaying ? bass::kActivePlaying : bass::kActiveStopped;
}

void CMixer::StopAll() {
    for (auto& entry : m_Samples)
        for (Slot& slot : entry.second->slots) slot.bPlaying = false;
}

void CMixer::SetVolume(uint32_t nVolume) { m_nVolume = std::min<uint32_t>(nVolume, 100); }

void CMixer::MixSlot(const Sample& sample, Slot& slot, float* pAcc, uint32_t nFrames) {
    uint32_t nDone = 0;
    while (nDone < nFrames && slot.bPlaying) {
        if (slot.nPosition >= sample.nFrames) {
            if (!(slot.nFlags & bass::kSampleLoop)) {
                slot.bPlaying = false;
                break;
            }
            slot.nPosition = 0;
        }
        const uint32_t nRun = std::min(nFrames - nDone, sample.nFrames - slot.nPosition);
        const int16_t* pSrc = sample.pcm.data() + size_t(slot.nPosition) * 2;
        float* pDst = pAcc + size_t(nDone) * 2;
        for (uint32_t i = 0; i < nRun * 2; ++i) pDst[i] += float(pSrc[i]);
        slot.nPosition += nRun;
        nDone += nRun;
    }
    // A channel that has just played its last frame stops now, so that it
    // reports stopped as soon as it falls silent.
    if (slot.bPlaying && slot.nPosition >= sample.nFrames && !(slot.nFlags & bass::kSampleLoop))
        slot.bPlaying = false;
}

void CMixer::Mix(int16_t* pOut, uint32_t nFrames) {
    m_Accumulator.assign(size_t(nFrames) * 2, 0.0f);
    for (auto& entry : m_Samples)
        for (Slot& slot : entry.second->slots)
            if (slot.bPlaying) MixSlot(*entry.second, slot, m_Accumulator.data(), nFrames);

    // The master gain glides to a new volume over one block: no click.
    const float fTarget = float(m_nVolume) / 100.0f;
    const float fStep = nFrames ? (fTarget - m_fGain) / float(nFrames) : 0.0f;
    float fGain = m_fGain;
    for (uint32_t i = 0; i < nFrames; ++i) {
        fGain += fStep;
        for (int c = 0; c < 2; ++c) {
            // Rounded by hand: the C library's rounding functions are slow
            // on some Windows runtimes, and this runs for every sample.
            const float v = std::clamp(m_Accumulator[size_t(i) * 2 + c] * fGain, -32768.0f, 32767.0f);
            pOut[size_t(i) * 2 + c] = int16_t(v >= 0 ? int(v + 0.5f) : -int(0.5f - v));
        }
    }
    m_fGain = fTarget;
}
