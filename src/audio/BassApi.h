#pragma once
// The entry points of the BASS 2.1 audio library that the saver calls, as
// pointer types with the library's published signatures and calling
// convention (WINAPI is __stdcall on 32-bit Windows and has no effect on
// 64-bit). Our own library implements them; the saver binds them by name.
#include <windows.h>

#include "audio/library/BassCodes.h"

typedef DWORD HSAMPLE;   // a loaded sample
typedef DWORD HCHANNEL;  // one playback of a sample

using PFN_BASS_Init = BOOL(WINAPI*)(int device, DWORD freq, DWORD flags, HWND win, const GUID* dsguid);
using PFN_BASS_ErrorGetCode = DWORD(WINAPI*)();
using PFN_BASS_Start = BOOL(WINAPI*)();
using PFN_BASS_Stop = BOOL(WINAPI*)();
using PFN_BASS_Free = BOOL(WINAPI*)();
using PFN_BASS_GetVolume = DWORD(WINAPI*)();
using PFN_BASS_SetVolume = BOOL(WINAPI*)(DWORD volume);
using PFN_BASS_Set3DFactors = BOOL(WINAPI*)(float distf, float rollf, float doppf);
using PFN_BASS_Apply3D = void(WINAPI*)();
using PFN_BASS_SampleLoad = HSAMPLE(WINAPI*)(BOOL mem, const void* file, DWORD offset, DWORD length,
                                             DWORD max, DWORD flags);
using PFN_BASS_SampleGetChannel = HCHANNEL(WINAPI*)(HSAMPLE handle, BOOL onlynew);
using PFN_BASS_SampleStop = BOOL(WINAPI*)(HSAMPLE handle);
using PFN_BASS_SampleFree = BOOL(WINAPI*)(HSAMPLE handle);
using PFN_BASS_ChannelPlay = BOOL(WINAPI*)(DWORD handle, BOOL restart);
using PFN_BASS_ChannelIsActive = DWORD(WINAPI*)(DWORD handle);
using PFN_BASS_ChannelSetFlags = BOOL(WINAPI*)(DWORD handle, DWORD flags);
