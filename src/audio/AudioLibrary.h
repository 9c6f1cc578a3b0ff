#pragma once
// Binding of the audio library carried as MEDIADATA 458: written to a "bas"
// temporary file, loaded, and every entry point of the BASS 2.1 list looked
// up by name. A library that cannot be written, loaded or bound leaves the
// pointers null; callers test a pointer before every call.
#include <cstdint>
#include <string>

#include "audio/BassApi.h"

constexpr uint16_t kAudioLibraryResource = 458;
constexpr int kAudioLibraryEntryCount = 91;

// The entry points in binding order (every export of the BASS 2.1 library).
extern const char* const kAudioLibraryEntryNames[kAudioLibraryEntryCount];

// The bound entry points: the ones the saver calls with their types, and
// the address of every name of the list (null when absent).
struct BassEntryPoints {
    PFN_BASS_Init BASS_Init = nullptr;
    PFN_BASS_ErrorGetCode BASS_ErrorGetCode = nullptr;
    PFN_BASS_Start BASS_Start = nullptr;
    PFN_BASS_Stop BASS_Stop = nullptr;
    PFN_BASS_Free BASS_Free = nullptr;
    PFN_BASS_GetVolume BASS_GetVolume = nullptr;
    PFN_BASS_SetVolume BASS_SetVolume = nullptr;
    PFN_BASS_Set3DFactors BASS_Set3DFactors = nullptr;
    PFN_BASS_Apply3D BASS_Apply3D = nullptr;
    PFN_BASS_SampleLoad BASS_SampleLoad = nullptr;
    PFN_BASS_SampleGetChannel BASS_SampleGetChannel = nullptr;
    PFN_BASS_SampleStop BASS_SampleStop = nullptr;
    PFN_BASS_SampleFree BASS_SampleFree = nullptr;
    PFN_BASS_ChannelPlay BASS_ChannelPlay = nullptr;
    PFN_BASS_ChannelIsActive BASS_ChannelIsActive = nullptr;
    PFN_BASS_ChannelSetFlags BASS_ChannelSetFlags = nullptr;
    FARPROC apEntries[kAudioLibraryEntryCount] = {};
};

// The process-wide table. All null while no library is bound.
BassEntryPoints& BoundAudioLibrary();

// Removes the copies earlier runs left behind, writes the library to a
// temporary file that is held (nobody can swap it) until it is loaded, and
// binds it. Does nothing when a library is already bound: it is bound at
// most once per run.
void LoadAudioLibrary();

// Frees the module, then deletes its temporary file, and clears the table.
// Does nothing when no module is loaded.
void UnloadAudioLibrary();

// The steps of LoadAudioLibrary after the extraction: loads the library file
// at strPath and binds it; UnloadAudioLibrary deletes that file. True when
// the module loaded (its entry points may still be missing).
bool BindAudioLibraryFile(const std::string& strPath);

bool IsAudioLibraryLoaded();
