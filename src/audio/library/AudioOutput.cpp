#include "audio/library/AudioOutput.h"

#include <algorithm>

#include "audio/library/BassCodes.h"
#include "audio/library/Mixer.h"

namespace {

uint32_t WaveOutError(MMRESULT nResult) {
    switch (nResult) {
        case MMSYSERR_BADDEVICEID: return bass::kErrorDevice;
        case MMSYSERR_ALLOCATED:
        case MMSYSERR_NODRIVER: return bass::kErrorDriver;
        case WAVERR_BADFORMAT: return bass::kErrorFormat;
        case MMSYSERR_NOMEM: return bass::kErrorMem;
        default: return bass::kErrorUnknown;
    }
}

}  // namespace

uint32_t CAudioOutput::Open(int nDevice, CMixer* pMixer, CRITICAL_SECTION* pLock) {
    if (IsOpen()) return bass::kErrorAlready;
    m_pMixer = pMixer;
    m_pLock = pLock;
    m_nQuit = 0;
    m_hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_hEvent) return bass::kErrorMem;
    if (nDevice != bass::kDeviceNoSound) {
        const uint32_t nError = OpenWaveOut(nDevice);
        if (nError != bass::kOk) {
            Close();
            return nError;
        }
    }
    m_hThread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!m_hThread) {
        Close();
        return bass::kErrorMem;
    }
    return bass::kOk;
}

uint32_t CAudioOutput::OpenWaveOut(int nDevice) {
    const UINT nDevices = waveOutGetNumDevs();
    if (nDevices == 0) return bass::kErrorDevice;
    UINT nId = WAVE_MAPPER;
    if (nDevice > 1) {
        if (UINT(nDevice - 1) >= nDevices) return bass::kErrorDevice;
        nId = UINT(nDevice - 1);
    }
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = bass::kOutputRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = bass::kOutputRate * 4;
    const MMRESULT nResult = waveOutOpen(&m_hWaveOut, nId, &format, DWORD_PTR(m_hEvent), 0, CALLBACK_EVENT);
    if (nResult != MMSYSERR_NOERROR) {
        m_hWaveOut = nullptr;
        return WaveOutError(nResult);
    }
    for (int i = 0; i < kBuffers; ++i) {
        m_Buffers[i].assign(size_t(kBufferFrames) * 2, 0);
        m_Headers[i] = WAVEHDR();
        m_Headers[i].lpData = reinterpret_cast<LPSTR>(m_Buffers[i].data());
        m_Headers[i].dwBufferLength = kBufferFrames * 4;
        if (waveOutPrepareHeader(m_hWaveOut, &m_Headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            return bass::kErrorMem;
    }
    return bass::kOk;
}

void CAudioOutput::Close() {
    if (m_hThread) {
        InterlockedExchange(&m_nQuit, 1);
        SetEvent(m_hEvent);
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hWaveOut) {
        waveOutReset(m_hWaveOut);
        for (WAVEHDR& header : m_Headers)
            if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(m_hWaveOut, &header, sizeof(WAVEHDR));
        waveOutClose(m_hWaveOut);
        m_hWaveOut = nullptr;
    }
    if (m_hEvent) {
        CloseHandle(m_hEvent);
        m_hEvent = nullptr;
    }
}

DWORD WINAPI CAudioOutput::ThreadMain(void* pSelf) {
    CAudioOutput* pOutput = static_cast<CAudioOutput*>(pSelf);
    if (pOutput->m_hWaveOut) {
        // Mixing a block takes microseconds; running it ahead of everything
        // else keeps the short buffer ring from running dry.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        pOutput->RunWaveOut();
    } else {
        pOutput->RunSilent();
    }
    return 0;
}

void CAudioOutput::MixInto(int16_t* pOut, uint32_t nFrames) {
    EnterCriticalSection(m_pLock);
    m_pMixer->Mix(pOut, nFrames);
    LeaveCriticalSection(m_pLock);
}

void CAudioOutput::RunWaveOut() {
    for (int i = 0; i < kBuffers; ++i) {
        MixInto(m_Buffers[i].data(), kBufferFrames);
        waveOutWrite(m_hWaveOut, &m_Headers[i], sizeof(WAVEHDR));
    }
    int nNext = 0;  // buffers finish in the order they were written
    while (!m_nQuit) {
        WaitForSingleObject(m_hEvent, 100);
        while (!m_nQuit && (m_Headers[nNext].dwFlags & WHDR_DONE)) {
            MixInto(m_Buffers[nNext].data(), kBufferFrames);
            waveOutWrite(m_hWaveOut, &m_Headers[nNext], sizeof(WAVEHDR));
            nNext = (nNext + 1) % kBuffers;
        }
    }
}

void CAudioOutput::RunSilent() {
    std::vector<int16_t> scratch(size_t(kBufferFrames) * 2);
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    uint64_t nMixed = 0;
    while (!m_nQuit) {
        WaitForSingleObject(m_hEvent, 10);
        QueryPerformanceCounter(&now);
        const uint64_t nDue =
            uint64_t(now.QuadPart - start.QuadPart) * bass::kOutputRate / uint64_t(frequency.QuadPart);
        while (!m_nQuit && nMixed < nDue) {
            const uint32_t nFrames = uint32_t(std::min<uint64_t>(nDue - nMixed, kBufferFrames));
            MixInto(scratch.data(), nFrames);
            nMixed += nFrames;
        }
    }
}
