#pragma once
// The library's output: a thread that mixes every playing channel into
// 44,100 Hz 16-bit stereo and hands it to waveOut in a short ring of
// buffers, so the latency is constant (kBuffers x kBufferFrames). The "no
// sound" device runs the same mixing against the clock without output, so
// channels still play and end on time.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <vector>

class CMixer;

class CAudioOutput {
public:
    static constexpr int kBuffers = 4;
    static constexpr uint32_t kBufferFrames = 882;  // 20 ms

    CAudioOutput() = default;
    CAudioOutput(const CAudioOutput&) = delete;
    CAudioOutput& operator=(const CAudioOutput&) = delete;
    ~CAudioOutput() { Close(); }

    // Opens BASS device nDevice (-1 or 1: the system's default output, 2..:
    // further outputs, 0: no sound) and starts mixing. The mixer and the
    // lock that guards it must outlive the output. Returns a BASS error code.
    uint32_t Open(int nDevice, CMixer* pMixer, CRITICAL_SECTION* pLock);
    void Close();
    bool IsOpen() const { return m_hThread != nullptr; }

private:
    static DWORD WINAPI ThreadMain(void* pSelf);
    uint32_t OpenWaveOut(int nDevice);
    void RunWaveOut();
    void RunSilent();
    void MixInto(int16_t* pOut, uint32_t nFrames);

    CMixer* m_pMixer = nullptr;
    CRITICAL_SECTION* m_pLock = nullptr;
    HWAVEOUT m_hWaveOut = nullptr;
    HANDLE m_hEvent = nullptr;
    HANDLE m_hThread = nullptr;
    volatile LONG m_nQuit = 0;
    WAVEHDR m_Headers[kBuffers] = {};
    std::vector<int16_t> m_Buffers[kBuffers];
};
