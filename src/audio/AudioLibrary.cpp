#include "audio/AudioLibrary.h"

#include "assets/TempCopies.h"

const char* const kAudioLibraryEntryNames[kAudioLibraryEntryCount] = {
    "BASS_SetConfig", "BASS_GetConfig", "BASS_GetVersion", "BASS_GetDeviceDescription",
    "BASS_ErrorGetCode", "BASS_Init", "BASS_SetDevice", "BASS_GetDevice", "BASS_Free",
    "BASS_GetDSoundObject", "BASS_GetInfo", "BASS_Update", "BASS_GetCPU", "BASS_Start", "BASS_Stop",
    "BASS_Pause", "BASS_SetVolume", "BASS_GetVolume", "BASS_Set3DFactors", "BASS_Get3DFactors",
    "BASS_Set3DPosition", "BASS_Get3DPosition", "BASS_Apply3D", "BASS_SetEAXParameters",
    "BASS_GetEAXParameters", "BASS_MusicLoad", "BASS_MusicFree", "BASS_MusicGetName",
    "BASS_MusicGetLength", "BASS_MusicSetAttribute", "BASS_MusicGetAttribute", "BASS_SampleLoad",
    "BASS_SampleCreate", "BASS_SampleCreateDone", "BASS_SampleFree", "BASS_SampleGetInfo",
    "BASS_SampleSetInfo", "BASS_SampleGetChannel", "BASS_SampleStop", "BASS_StreamCreate",
    "BASS_StreamCreateFile", "BASS_StreamCreateURL", "BASS_StreamCreateFileUser", "BASS_StreamFree",
    "BASS_StreamGetLength", "BASS_StreamGetTags", "BASS_StreamGetFilePosition",
    "BASS_RecordGetDeviceDescription", "BASS_RecordInit", "BASS_RecordSetDevice",
    "BASS_RecordGetDevice", "BASS_RecordFree", "BASS_RecordGetInfo", "BASS_RecordGetInputName",
    "BASS_RecordSetInput", "BASS_RecordGetInput", "BASS_RecordStart", "BASS_ChannelBytes2Seconds",
    "BASS_ChannelSeconds2Bytes", "BASS_ChannelGetDevice", "BASS_ChannelIsActive",
    "BASS_ChannelGetInfo", "BASS_ChannelSetFlags", "BASS_ChannelPreBuf", "BASS_ChannelPlay",
    "BASS_ChannelStop", "BASS_ChannelPause", "BASS_ChannelSetAttributes",
    "BASS_ChannelGetAttributes", "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding",
    "BASS_ChannelSet3DAttributes", "BASS_ChannelGet3DAttributes", "BASS_ChannelSet3DPosition",
    "BASS_ChannelGet3DPosition", "BASS_ChannelSetPosition", "BASS_ChannelGetPosition",
    "BASS_ChannelGetLevel", "BASS_ChannelGetData", "BASS_ChannelSetSync", "BASS_ChannelRemoveSync",
    "BASS_ChannelSetDSP", "BASS_ChannelRemoveDSP", "BASS_ChannelSetFX", "BASS_ChannelRemoveFX",
    "BASS_ChannelSetEAXMix", "BASS_ChannelGetEAXMix", "BASS_ChannelSetLink",
    "BASS_ChannelRemoveLink", "BASS_FXSetParameters", "BASS_FXGetParameters",
};

namespace {

struct LoadedLibrary {
    std::string strPath;  // the temporary file the module was loaded from
    HMODULE hModule = nullptr;
};

LoadedLibrary g_Library;
BassEntryPoints g_EntryPoints;

FARPROC EntryAddress(const char* pszName) {
    for (int i = 0; i < kAudioLibraryEntryCount; ++i)
        if (!lstrcmpA(kAudioLibraryEntryNames[i], pszName)) return g_EntryPoints.apEntries[i];
    return nullptr;
}

template <typename T>
void BindTyped(T* pfn, const char* pszName) {
    *pfn = reinterpret_cast<T>(reinterpret_cast<void*>(EntryAddress(pszName)));
}

void BindEntryPoints() {
    for (int i = 0; i < kAudioLibraryEntryCount; ++i)
        g_EntryPoints.apEntries[i] = GetProcAddress(g_Library.hModule, kAudioLibraryEntryNames[i]);
    BindTyped(&g_EntryPoints.BASS_Init, "BASS_Init");
    BindTyped(&g_EntryPoints.BASS_ErrorGetCode, "BASS_ErrorGetCode");
    BindTyped(&g_EntryPoints.BASS_Start, "BASS_Start");
    BindTyped(&g_EntryPoints.BASS_Stop, "BASS_Stop");
    BindTyped(&g_EntryPoints.BASS_Free, "BASS_Free");
    BindTyped(&g_EntryPoints.BASS_GetVolume, "BASS_GetVolume");
    BindTyped(&g_EntryPoints.BASS_SetVolume, "BASS_SetVolume");
    BindTyped(&g_EntryPoints.BASS_Set3DFactors, "BASS_Set3DFactors");
    BindTyped(&g_EntryPoints.BASS_Apply3D, "BASS_Apply3D");
    BindTyped(&g_EntryPoints.BASS_SampleLoad, "BASS_SampleLoad");
    BindTyped(&g_EntryPoints.BASS_SampleGetChannel, "BASS_SampleGetChannel");
    BindTyped(&g_EntryPoints.BASS_SampleStop, "BASS_SampleStop");
    BindTyped(&g_EntryPoints.BASS_SampleFree, "BASS_SampleFree");
    BindTyped(&g_EntryPoints.BASS_ChannelPlay, "BASS_ChannelPlay");
    BindTyped(&g_EntryPoints.BASS_ChannelIsActive, "BASS_ChannelIsActive");
    BindTyped(&g_EntryPoints.BASS_ChannelSetFlags, "BASS_ChannelSetFlags");
}

}  // namespace

BassEntryPoints& BoundAudioLibrary() { return g_EntryPoints; }

bool IsAudioLibraryLoaded() { return g_Library.hModule != nullptr; }

namespace {

// Loads the module from strPath and binds it. pHold, when given, holds the
// file until LoadLibraryA has returned.
bool LoadAndBind(const std::string& strPath, HeldTempCopy* pHold) {
    g_Library.strPath = strPath;
    g_EntryPoints = BassEntryPoints();
    g_Library.hModule = strPath.empty() ? nullptr : LoadLibraryA(strPath.c_str());
    if (pHold) ReleaseTempCopy(*pHold);
    if (!g_Library.hModule) {
        // Nothing to bind: the file (empty when the resource is missing) is
        // of no further use.
        if (!strPath.empty()) DeleteFileA(strPath.c_str());
        g_Library.strPath.clear();
        return false;
    }
    BindEntryPoints();
    return true;
}

}  // namespace

bool BindAudioLibraryFile(const std::string& strPath) { return LoadAndBind(strPath, nullptr); }

void LoadAudioLibrary() {
    if (IsAudioLibraryLoaded()) return;
    // Copies of earlier runs that were killed, or whose file a scanner held
    // when they tried to delete it.
    RemoveLeftOverTempCopies(kAudioLibraryResource, "bas");
    HeldTempCopy copy = WriteHeldTempCopy(kAudioLibraryResource, "bas");
    LoadAndBind(copy.strPath, &copy);
}

void UnloadAudioLibrary() {
    if (!g_Library.hModule) return;
    g_EntryPoints = BassEntryPoints();
    FreeLibrary(g_Library.hModule);
    g_Library.hModule = nullptr;
    DeleteFileA(g_Library.strPath.c_str());
    g_Library.strPath.clear();
}
