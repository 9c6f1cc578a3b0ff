#pragma once
// Numbers of the BASS 2.1 interface that both sides of the audio library use:
// error codes, flags and channel states. Portable (no Windows types).
#include <cstdint>

namespace bass {

// Error codes returned by BASS_ErrorGetCode.
constexpr uint32_t kOk = 0;
constexpr uint32_t kErrorMem = 1;        // memory error
constexpr uint32_t kErrorFileOpen = 2;   // cannot open the file
constexpr uint32_t kErrorDriver = 3;     // no usable device driver
constexpr uint32_t kErrorHandle = 5;     // invalid handle
constexpr uint32_t kErrorFormat = 6;     // unsupported sample format
constexpr uint32_t kErrorInit = 8;       // BASS_Init has not succeeded
constexpr uint32_t kErrorStart = 9;      // output stopped, BASS_Start needed
constexpr uint32_t kErrorAlready = 14;   // already initialised
constexpr uint32_t kErrorNoChan = 18;    // no free channel
constexpr uint32_t kErrorIllParam = 20;  // an illegal parameter
constexpr uint32_t kErrorNo3D = 21;      // no 3D support
constexpr uint32_t kErrorDevice = 23;    // illegal or missing device
constexpr uint32_t kErrorFileForm = 41;  // unsupported or damaged file
constexpr uint32_t kErrorUnknown = 0xFFFFFFFFu;

// BASS_Init flags.
constexpr uint32_t kDevice8Bits = 1;
constexpr uint32_t kDeviceMono = 2;
constexpr uint32_t kDevice3D = 4;

// Sample and channel flags.
constexpr uint32_t kSample8Bits = 1;
constexpr uint32_t kSampleMono = 2;
constexpr uint32_t kSampleLoop = 4;
constexpr uint32_t kSample3D = 8;
constexpr uint32_t kSampleSoftware = 16;
constexpr uint32_t kSampleOverVol = 0x10000;
constexpr uint32_t kSampleOverPos = 0x20000;
constexpr uint32_t kSampleOverDist = 0x30000;
constexpr uint32_t kSampleOverMask = 0x30000;

// BASS_ChannelIsActive results.
constexpr uint32_t kActiveStopped = 0;
constexpr uint32_t kActivePlaying = 1;

// Devices of BASS_Init: -1 the default output, 0 no sound, 1.. the outputs.
constexpr int kDeviceDefault = -1;
constexpr int kDeviceNoSound = 0;

// The library mixes everything to this rate, stereo, 16 bits.
constexpr uint32_t kOutputRate = 44100;

// A sample's simultaneous playbacks (BASS_SampleLoad "max").
constexpr uint32_t kMaxPlaybacks = 65535;

}  // namespace bass
