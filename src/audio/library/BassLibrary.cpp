// The exported entry points of our audio library, under the published BASS
// 2.1 names and signatures. Calls come from the saver's main thread; the
// output thread mixes under the same lock.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <type_traits>
#include <vector>

#include "audio/BassApi.h"
#include "audio/library/AudioOutput.h"
#include "audio/library/Mixer.h"
#include "audio/library/SampleDecoder.h"

namespace {

struct LibraryState {
    CRITICAL_SECTION lock;
    bool bInit = false;
    bool bStarted = false;
    bool b3D = false;
    std::unique_ptr<CMixer> pMixer;
    CAudioOutput output;
    float fDistance = 1.0f, fRollOff = 1.0f, fDoppler = 1.0f;
};

LibraryState* g_pState = nullptr;
DWORD g_nError = bass::kOk;

class CLock {
public:
    CLock() { EnterCriticalSection(&g_pState->lock); }
    ~CLock() { LeaveCriticalSection(&g_pState->lock); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
};

BOOL Result(uint32_t nError) {
    g_nError = nError;
    return nError == bass::kOk;
}

// For the calls that answer with a handle: records the error, returns 0.
DWORD Fail(uint32_t nError) {
    g_nError = nError;
    return 0;
}

// Reads a sound file for BASS_SampleLoad from a path: nLength bytes (0: to
// the end) from nOffset.
uint32_t ReadSoundFile(const char* pszPath, DWORD nOffset, DWORD nLength, std::vector<uint8_t>* pData) {
    if (!pszPath) return bass::kErrorFileOpen;
    FILE* pFile = std::fopen(pszPath, "rb");
    if (!pFile) return bass::kErrorFileOpen;
    uint32_t nError = bass::kOk;
    long nSize = -1;
    if (std::fseek(pFile, 0, SEEK_END) == 0) nSize = std::ftell(pFile);
    if (nSize < 0 || DWORD(nSize) < nOffset || std::fseek(pFile, long(nOffset), SEEK_SET) != 0) {
        nError = bass::kErrorFileOpen;
    } else {
        const DWORD nAvailable = DWORD(nSize) - nOffset;
        const DWORD nWanted = nLength == 0 || nLength > nAvailable ? nAvailable : nLength;
        try {
            pData->resize(nWanted);
            if (std::fread(pData->data(), 1, nWanted, pFile) != nWanted) nError = bass::kErrorFileOpen;
        } catch (const std::bad_alloc&) {
            nError = bass::kErrorMem;
        }
    }
    std::fclose(pFile);
    return nError;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD nReason, LPVOID) {
    if (nReason == DLL_PROCESS_ATTACH) {
        g_pState = new (std::nothrow) LibraryState;
        if (!g_pState) return FALSE;
        InitializeCriticalSection(&g_pState->lock);
    } else if (nReason == DLL_PROCESS_DETACH && g_pState && !g_pState->output.IsOpen()) {
        // With the output still running (BASS_Free never called) its thread
        // may hold the lock: leave the state alone then.
        DeleteCriticalSection(&g_pState->lock);
        delete g_pState;
        g_pState = nullptr;
    }
    return TRUE;
}

DWORD WINAPI BASS_ErrorGetCode() { return g_nError; }

BOOL WINAPI BASS_Init(int device, DWORD /*freq*/, DWORD flags, HWND /*win*/, const GUID* /*dsguid*/) {
    // Everything is mixed at 44,100 Hz whatever the rate asked for; the
    // window and the DirectSound identifier have no meaning for waveOut.
    CLock lock;
    if (g_pState->bInit) return Result(bass::kErrorAlready);
    if (device < bass::kDeviceDefault) return Result(bass::kErrorDevice);
    auto pMixer = std::unique_ptr<CMixer>(new (std::nothrow) CMixer);
    if (!pMixer) return Result(bass::kErrorMem);
    const uint32_t nError = g_pState->output.Open(device, pMixer.get(), &g_pState->lock);
    if (nError != bass::kOk) return Result(nError);
    g_pState->pMixer = std::move(pMixer);
    g_pState->bInit = true;
    g_pState->bStarted = true;
    g_pState->b3D = (flags & bass::kDevice3D) != 0;
    g_pState->fDistance = g_pState->fRollOff = g_pState->fDoppler = 1.0f;
    return Result(bass::kOk);
}

BOOL WINAPI BASS_Free() {
    {
        CLock lock;
        if (!g_pState->bInit) return Result(bass::kErrorInit);
        g_pState->bInit = false;
    }
    // The output thread takes the lock to mix, so it is stopped outside it.
    g_pState->output.Close();
    CLock lock;
    g_pState->pMixer.reset();
    return Result(bass::kOk);
}

BOOL WINAPI BASS_Start() {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    g_pState->bStarted = true;
    return Result(bass::kOk);
}

BOOL WINAPI BASS_Stop() {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    g_pState->pMixer->StopAll();
    g_pState->bStarted = false;
    return Result(bass::kOk);
}

DWORD WINAPI BASS_GetVolume() {
    CLock lock;
    if (!g_pState->bInit) {
        Result(bass::kErrorInit);
        return DWORD(-1);
    }
    Result(bass::kOk);
    return g_pState->pMixer->Volume();
}

BOOL WINAPI BASS_SetVolume(DWORD volume) {
    // Our own master gain; the system's volume is never touched.
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    if (volume > 100) return Result(bass::kErrorIllParam);
    g_pState->pMixer->SetVolume(volume);
    return Result(bass::kOk);
}

BOOL WINAPI BASS_Set3DFactors(float distf, float rollf, float doppf) {
    // Negative values leave a factor as it is. The factors are kept for the
    // record: samples are mixed without 3D placement.
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    if (!g_pState->b3D) return Result(bass::kErrorNo3D);
    if (distf > 0) g_pState->fDistance = distf;
    if (rollf >= 0) g_pState->fRollOff = rollf;
    if (doppf >= 0) g_pState->fDoppler = doppf;
    return Result(bass::kOk);
}

void WINAPI BASS_Apply3D() {
    // Nothing is placed in 3D, so there is nothing to recompute.
}

HSAMPLE WINAPI BASS_SampleLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags) {
    {
        CLock lock;
        if (!g_pState->bInit) return Fail(bass::kErrorInit);
        if ((flags & bass::kSample3D) && !g_pState->b3D) return Fail(bass::kErrorNo3D);
    }
    if (max < 1 || max > bass::kMaxPlaybacks) return Fail(bass::kErrorIllParam);
    std::vector<uint8_t> fileData;
    const uint8_t* pData = static_cast<const uint8_t*>(file);
    size_t nSize = length;
    if (mem) {
        if (!file || length == 0) return Fail(bass::kErrorIllParam);
    } else {
        const uint32_t nError = ReadSoundFile(static_cast<const char*>(file), offset, length, &fileData);
        if (nError != bass::kOk) return Fail(nError);
        pData = fileData.data();
        nSize = fileData.size();
    }
    // Decoding takes a while for long sounds; the output keeps mixing.
    DecodedSample sound;
    const uint32_t nError = DecodeOggSample(pData, nSize, flags, &sound);
    if (nError != bass::kOk) return Fail(nError);

    CLock lock;
    if (!g_pState->bInit) return Fail(bass::kErrorInit);
    uint32_t hSample = 0;
    try {
        if (!Result(g_pState->pMixer->AddSample(std::move(sound), max, flags, &hSample))) return 0;
    } catch (const std::bad_alloc&) {
        return Fail(bass::kErrorMem);
    }
    return hSample;
}

HCHANNEL WINAPI BASS_SampleGetChannel(HSAMPLE handle, BOOL /*onlynew*/) {
    // Every call hands out a fresh handle, so "only new" asks for nothing
    // more.
    CLock lock;
    if (!g_pState->bInit) return Fail(bass::kErrorInit);
    uint32_t hChannel = 0;
    try {
        if (!Result(g_pState->pMixer->GetChannel(handle, &hChannel))) return 0;
    } catch (const std::bad_alloc&) {
        return Fail(bass::kErrorMem);
    }
    return hChannel;
}

BOOL WINAPI BASS_SampleStop(HSAMPLE handle) {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    return Result(g_pState->pMixer->StopSample(handle));
}

BOOL WINAPI BASS_SampleFree(HSAMPLE handle) {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    return Result(g_pState->pMixer->FreeSample(handle));
}

BOOL WINAPI BASS_ChannelPlay(DWORD handle, BOOL restart) {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    if (!g_pState->pMixer->HasChannel(handle)) return Result(bass::kErrorHandle);
    if (!g_pState->bStarted) return Result(bass::kErrorStart);
    return Result(g_pState->pMixer->Play(handle, restart != FALSE));
}

DWORD WINAPI BASS_ChannelIsActive(DWORD handle) {
    CLock lock;
    if (!g_pState->bInit) return Fail(bass::kErrorInit);  // 0: stopped
    Result(bass::kOk);
    return g_pState->pMixer->IsActive(handle);
}

BOOL WINAPI BASS_ChannelSetFlags(DWORD handle, DWORD flags) {
    CLock lock;
    if (!g_pState->bInit) return Result(bass::kErrorInit);
    return Result(g_pState->pMixer->SetFlags(handle, flags));
}

}  // extern "C"

// The exports must match the pointer types the saver binds them to.
static_assert(std::is_same_v<decltype(&BASS_Init), PFN_BASS_Init>);
static_assert(std::is_same_v<decltype(&BASS_ErrorGetCode), PFN_BASS_ErrorGetCode>);
static_assert(std::is_same_v<decltype(&BASS_Start), PFN_BASS_Start>);
static_assert(std::is_same_v<decltype(&BASS_Stop), PFN_BASS_Stop>);
static_assert(std::is_same_v<decltype(&BASS_Free), PFN_BASS_Free>);
static_assert(std::is_same_v<decltype(&BASS_GetVolume), PFN_BASS_GetVolume>);
static_assert(std::is_same_v<decltype(&BASS_SetVolume), PFN_BASS_SetVolume>);
static_assert(std::is_same_v<decltype(&BASS_Set3DFactors), PFN_BASS_Set3DFactors>);
static_assert(std::is_same_v<decltype(&BASS_Apply3D), PFN_BASS_Apply3D>);
static_assert(std::is_same_v<decltype(&BASS_SampleLoad), PFN_BASS_SampleLoad>);
static_assert(std::is_same_v<decltype(&BASS_SampleGetChannel), PFN_BASS_SampleGetChannel>);
static_assert(std::is_same_v<decltype(&BASS_SampleStop), PFN_BASS_SampleStop>);
static_assert(std::is_same_v<decltype(&BASS_SampleFree), PFN_BASS_SampleFree>);
static_assert(std::is_same_v<decltype(&BASS_ChannelPlay), PFN_BASS_ChannelPlay>);
static_assert(std::is_same_v<decltype(&BASS_ChannelIsActive), PFN_BASS_ChannelIsActive>);
static_assert(std::is_same_v<decltype(&BASS_ChannelSetFlags), PFN_BASS_ChannelSetFlags>);
