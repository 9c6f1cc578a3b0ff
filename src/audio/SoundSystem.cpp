#include "audio/SoundSystem.h"

#include "audio/AudioLibrary.h"
#include "base/Log.h"

namespace {

constexpr int kOutputDevice = 1;
constexpr DWORD kOutputRate = 44100;
constexpr DWORD kSamplePlaybacks = 1;
// Set3DFactors: negative leaves the distance and Doppler factors as they are.
constexpr float kKeepFactor = -1.0f;
constexpr float kRollOff = 1.0f;

SoundSystem g_SoundSystem;

}  // namespace

SoundSystem& TheSoundSystem() { return g_SoundSystem; }

void SoundSystem::SoundInit(HWND hWnd) {
    LoadAudioLibrary();
    const BassEntryPoints& lib = BoundAudioLibrary();
    if (lib.BASS_Init && lib.BASS_Init(kOutputDevice, kOutputRate, bass::kDevice3D, hWnd, nullptr)) {
        LogMessage(LogPath(), "%s\t%d\n", "BASS_Init", 0);
        if (lib.BASS_Start) lib.BASS_Start();
        if (lib.BASS_GetVolume) m_nSavedVolume = uint8_t(lib.BASS_GetVolume());
        SoundSetVolume(m_nVolume);
    } else {
        // Only a missing 3D support leaves the sound on; without the library
        // there is no device either.
        const DWORD nError = lib.BASS_ErrorGetCode ? lib.BASS_ErrorGetCode() : bass::kErrorUnknown;
        LogMessage(LogPath(), "%s\t%d\n", "BASS_Init", int(nError));
        if (!lib.BASS_Init || nError != bass::kErrorNo3D) m_nEnabled = 0;
    }
    if (lib.BASS_Set3DFactors) lib.BASS_Set3DFactors(kKeepFactor, kRollOff, kKeepFactor);
    if (lib.BASS_Apply3D) lib.BASS_Apply3D();
}

void SoundSystem::SoundSetVolume(uint8_t nVolume) {
    if (!m_nEnabled) return;
    m_nVolume = nVolume;
    const BassEntryPoints& lib = BoundAudioLibrary();
    if (lib.BASS_SetVolume) lib.BASS_SetVolume(nVolume);
}

int SoundSystem::SoundLoadSample(const void* pData, uint32_t nSize, uint32_t nFlags) {
    const BassEntryPoints& lib = BoundAudioLibrary();
    SoundSample sample;
    if (lib.BASS_SampleLoad) sample.hSample = lib.BASS_SampleLoad(TRUE, pData, 0, nSize, kSamplePlaybacks, nFlags);
    sample.bLoaded = sample.hSample != 0;
    m_Samples.push_back(sample);
    return int(m_Samples.size()) - 1;
}

void SoundSystem::SoundPlay(int nIndex, bool bLoop) {
    if (nIndex < 0 || size_t(nIndex) >= m_Samples.size()) return;
    SoundSample& sample = m_Samples[size_t(nIndex)];
    const BassEntryPoints& lib = BoundAudioLibrary();
    if (!sample.bLoaded || !lib.BASS_ChannelIsActive || !lib.BASS_SampleGetChannel || !lib.BASS_ChannelPlay)
        return;
    if (sample.hChannel && lib.BASS_ChannelIsActive(sample.hChannel) != bass::kActiveStopped) return;
    sample.hChannel = lib.BASS_SampleGetChannel(sample.hSample, FALSE);
    if (lib.BASS_ChannelPlay(sample.hChannel, TRUE)) LogMessage(LogPath(), "%s\t%d\n", "SoundPlay", nIndex);
    if (lib.BASS_ChannelSetFlags) lib.BASS_ChannelSetFlags(sample.hChannel, bLoop ? bass::kSampleLoop : 0);
}

void SoundSystem::SoundShutdown() {
    // A library that was loaded but never opened a device still has its
    // temporary file to remove.
    if (!m_nEnabled) {
        UnloadAudioLibrary();
        return;
    }
    SoundSetVolume(m_nSavedVolume);
    const BassEntryPoints& lib = BoundAudioLibrary();
    for (const SoundSample& sample : m_Samples) {
        if (lib.BASS_SampleStop) lib.BASS_SampleStop(sample.hSample);
        if (lib.BASS_SampleFree) lib.BASS_SampleFree(sample.hSample);
    }
    // The handles die with the device.
    m_Samples.clear();
    if (lib.BASS_Stop) lib.BASS_Stop();
    if (lib.BASS_Free) lib.BASS_Free();
    UnloadAudioLibrary();
    m_nEnabled = 0;
}
