#pragma once
// The saver's sound layer: owns the audio library's life for one run, loads
// the music and the effects as samples and plays them. Main thread only.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "audio/BassApi.h"

struct SoundSample {
    HSAMPLE hSample = 0;    // 0 when the load failed
    bool bLoaded = false;
    HCHANNEL hChannel = 0;  // channel of the last playback, 0 before the first
};

class SoundSystem {
public:
    // Binds the library, opens the default output at 44,100 Hz with 3D
    // support and takes over its volume. A device that cannot be opened
    // leaves the sound disabled (the saver runs silently).
    void SoundInit(HWND hWnd);
    // The library's output volume, 0 .. 100; ignored while disabled.
    void SoundSetVolume(uint8_t nVolume);
    // Loads Ogg Vorbis data as a sample with one playback at a time. The
    // entry is kept even when the load fails; returns its index.
    int SoundLoadSample(const void* pData, uint32_t nSize, uint32_t nFlags);
    // Plays a loaded sound unless it is still sounding (never restarted or
    // doubled).
    void SoundPlay(int nIndex, bool bLoop);
    // Restores the volume found at start, frees the samples, closes the
    // device and unloads the library.
    void SoundShutdown();

    bool IsEnabled() const { return m_nEnabled != 0; }
    uint8_t Volume() const { return m_nVolume; }
    uint8_t SavedVolume() const { return m_nSavedVolume; }
    const std::vector<SoundSample>& Samples() const { return m_Samples; }

private:
    int32_t m_nEnabled = 1;
    uint8_t m_nVolume = 100;
    uint8_t m_nSavedVolume = 0;
    std::vector<SoundSample> m_Samples;
};

// The one process-wide sound system.
SoundSystem& TheSoundSystem();
