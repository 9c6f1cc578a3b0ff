// The saver's sound layer against a recording stand-in of the library (the
// calls are the contract), and once against the real library.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio/AudioLibrary.h"
#include "audio/SoundSystem.h"
#include "test_audio_helpers.h"

using namespace audio_test;

namespace {

// What the stand-in answers and what it was asked.
struct Script {
    std::vector<std::string> calls;
    BOOL bInit = TRUE;
    DWORD nError = 0;
    DWORD nVolume = 77;
    HSAMPLE hNextSample = 100;
    HCHANNEL hNextChannel = 500;
    DWORD nActive = 0;
};
Script g_Script;

template <typename... Args>
void Record(const char* pszFormat, Args... args) {
    char sz[160];
    std::snprintf(sz, sizeof(sz), pszFormat, args...);
    g_Script.calls.push_back(sz);
}

BOOL WINAPI FakeInit(int device, DWORD freq, DWORD flags, HWND win, const GUID* guid) {
    Record("Init %d %lu %lu %s %s", device, freq, flags, win == GetDesktopWindow() ? "desktop" : "other",
           guid ? "guid" : "null");
    return g_Script.bInit;
}
DWORD WINAPI FakeErrorGetCode() { Record("ErrorGetCode"); return g_Script.nError; }
BOOL WINAPI FakeStart() { Record("Start"); return TRUE; }
BOOL WINAPI FakeStop() { Record("Stop"); return TRUE; }
BOOL WINAPI FakeFree() { Record("Free"); return TRUE; }
DWORD WINAPI FakeGetVolume() { Record("GetVolume"); return g_Script.nVolume; }
BOOL WINAPI FakeSetVolume(DWORD v) { Record("SetVolume %lu", v); return TRUE; }
BOOL WINAPI FakeSet3DFactors(float d, float r, float p) { Record("Set3DFactors %g %g %g", d, r, p); return TRUE; }
void WINAPI FakeApply3D() { Record("Apply3D"); }
HSAMPLE WINAPI FakeSampleLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD max, DWORD flags) {
    Record("SampleLoad %d %s %lu %lu %lu %lu", mem, file ? "data" : "null", offset, length, max, flags);
    return g_Script.hNextSample;
}
HCHANNEL WINAPI FakeSampleGetChannel(HSAMPLE h, BOOL onlynew) {
    Record("SampleGetChannel %lu %d", h, onlynew);
    return g_Script.hNextChannel;
}
BOOL WINAPI FakeSampleStop(HSAMPLE h) { Record("SampleStop %lu", h); return TRUE; }
BOOL WINAPI FakeSampleFree(HSAMPLE h) { Record("SampleFree %lu", h); return TRUE; }
BOOL WINAPI FakeChannelPlay(DWORD h, BOOL restart) { Record("ChannelPlay %lu %d", h, restart); return TRUE; }
DWORD WINAPI FakeChannelIsActive(DWORD h) { Record("ChannelIsActive %lu", h); return g_Script.nActive; }
BOOL WINAPI FakeChannelSetFlags(DWORD h, DWORD f) { Record("ChannelSetFlags %lu %lu", h, f); return TRUE; }

using Calls = std::vector<std::string>;

class SoundSystemContract : public ::testing::Test {
protected:
    void SetUp() override {
        m_Before = TempFiles("bas");
        // A real module stands for the library, so that LoadAudioLibrary
        // finds one bound; its entry points are then replaced.
        m_szPath = TempCopy(ReadFileBytes(AudioLibraryPath()), "bas");
        ASSERT_TRUE(BindAudioLibraryFile(m_szPath));
        BassEntryPoints& lib = BoundAudioLibrary();
        lib.BASS_Init = FakeInit;
        lib.BASS_ErrorGetCode = FakeErrorGetCode;
        lib.BASS_Start = FakeStart;
        lib.BASS_Stop = FakeStop;
        lib.BASS_Free = FakeFree;
        lib.BASS_GetVolume = FakeGetVolume;
        lib.BASS_SetVolume = FakeSetVolume;
        lib.BASS_Set3DFactors = FakeSet3DFactors;
        lib.BASS_Apply3D = FakeApply3D;
        lib.BASS_SampleLoad = FakeSampleLoad;
        lib.BASS_SampleGetChannel = FakeSampleGetChannel;
        lib.BASS_SampleStop = FakeSampleStop;
        lib.BASS_SampleFree = FakeSampleFree;
        lib.BASS_ChannelPlay = FakeChannelPlay;
        lib.BASS_ChannelIsActive = FakeChannelIsActive;
        lib.BASS_ChannelSetFlags = FakeChannelSetFlags;
        g_Script = Script();
    }
    void TearDown() override {
        UnloadAudioLibrary();
        EXPECT_EQ(TempFiles("bas"), m_Before);
    }
    Calls TakeCalls() {
        Calls calls;
        calls.swap(g_Script.calls);
        return calls;
    }

    SoundSystem m_Sound;
    std::string m_szPath;
    std::set<std::string> m_Before;
    const uint8_t m_Data[16] = {};
};

TEST_F(SoundSystemContract, InitOpensTheDefaultOutputAndTakesOverItsVolume) {
    m_Sound.SoundInit(GetDesktopWindow());
    EXPECT_EQ(TakeCalls(), (Calls{"Init 1 44100 4 desktop null", "Start", "GetVolume", "SetVolume 100",
                                  "Set3DFactors -1 1 -1", "Apply3D"}));
    EXPECT_TRUE(m_Sound.IsEnabled());
    EXPECT_EQ(m_Sound.SavedVolume(), 77);
    m_Sound.SoundSetVolume(35);
    EXPECT_EQ(TakeCalls(), Calls{"SetVolume 35"});
    EXPECT_EQ(m_Sound.Volume(), 35);
}

TEST_F(SoundSystemContract, ADeviceThatCannotOpenSilencesTheSaver) {
    g_Script.bInit = FALSE;
    g_Script.nError = bass::kErrorDevice;
    m_Sound.SoundInit(GetDesktopWindow());
    EXPECT_EQ(TakeCalls(), (Calls{"Init 1 44100 4 desktop null", "ErrorGetCode", "Set3DFactors -1 1 -1", "Apply3D"}));
    EXPECT_FALSE(m_Sound.IsEnabled());
    m_Sound.SoundSetVolume(35);
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_EQ(m_Sound.Volume(), 100);

    // Shutting down calls nothing more in the library, yet unloads it and
    // removes its temporary file.
    m_Sound.SoundShutdown();
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_FALSE(IsAudioLibraryLoaded());
    EXPECT_FALSE(FileExists(m_szPath));
}

TEST_F(SoundSystemContract, OnlyMissing3DSupportKeepsTheSoundOn) {
    g_Script.bInit = FALSE;
    g_Script.nError = bass::kErrorNo3D;
    m_Sound.SoundInit(GetDesktopWindow());
    EXPECT_TRUE(m_Sound.IsEnabled());
    EXPECT_EQ(TakeCalls(), (Calls{"Init 1 44100 4 desktop null", "ErrorGetCode", "Set3DFactors -1 1 -1", "Apply3D"}));
    m_Sound.SoundSetVolume(35);
    EXPECT_EQ(TakeCalls(), Calls{"SetVolume 35"});
}

TEST_F(SoundSystemContract, EverySampleGetsAnEntryLoadedOrNot) {
    m_Sound.SoundInit(GetDesktopWindow());
    TakeCalls();
    EXPECT_EQ(m_Sound.SoundLoadSample(m_Data, 16, 0), 0);
    g_Script.hNextSample = 0;
    EXPECT_EQ(m_Sound.SoundLoadSample(m_Data, 12, 0), 1);
    g_Script.hNextSample = 101;
    EXPECT_EQ(m_Sound.SoundLoadSample(m_Data, 8, 0), 2);
    EXPECT_EQ(TakeCalls(), (Calls{"SampleLoad 1 data 0 16 1 0", "SampleLoad 1 data 0 12 1 0", "SampleLoad 1 data 0 8 1 0"}));
    ASSERT_EQ(m_Sound.Samples().size(), 3u);
    EXPECT_TRUE(m_Sound.Samples()[0].bLoaded);
    EXPECT_FALSE(m_Sound.Samples()[1].bLoaded);
    EXPECT_EQ(m_Sound.Samples()[2].hSample, 101u);
}

TEST_F(SoundSystemContract, PlayStartsAChannelWithOrWithoutLooping) {
    m_Sound.SoundInit(GetDesktopWindow());
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    TakeCalls();
    m_Sound.SoundPlay(0, true);
    EXPECT_EQ(TakeCalls(), (Calls{"SampleGetChannel 100 0", "ChannelPlay 500 1", "ChannelSetFlags 500 4"}));
    EXPECT_EQ(m_Sound.Samples()[0].hChannel, 500u);

    // Finished: played again, on a new channel, this time once.
    g_Script.hNextChannel = 501;
    m_Sound.SoundPlay(0, false);
    EXPECT_EQ(TakeCalls(), (Calls{"ChannelIsActive 500", "SampleGetChannel 100 0", "ChannelPlay 501 1",
                                  "ChannelSetFlags 501 0"}));
}

TEST_F(SoundSystemContract, ASoundStillSoundingIsNeitherRestartedNorDoubled) {
    m_Sound.SoundInit(GetDesktopWindow());
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    m_Sound.SoundPlay(0, false);
    TakeCalls();
    g_Script.nActive = bass::kActivePlaying;
    m_Sound.SoundPlay(0, false);
    EXPECT_EQ(TakeCalls(), Calls{"ChannelIsActive 500"});
    g_Script.nActive = 3;  // paused counts as sounding too
    m_Sound.SoundPlay(0, false);
    EXPECT_EQ(TakeCalls(), Calls{"ChannelIsActive 500"});
}

TEST_F(SoundSystemContract, PlayIgnoresUnknownIndicesAndFailedLoads) {
    m_Sound.SoundInit(GetDesktopWindow());
    g_Script.hNextSample = 0;
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    TakeCalls();
    for (int nIndex : {-1, 0, 1, 1000}) m_Sound.SoundPlay(nIndex, true);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundSystemContract, ShutdownRestoresTheVolumeFreesEverythingAndUnloads) {
    m_Sound.SoundInit(GetDesktopWindow());
    m_Sound.SoundSetVolume(35);
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    g_Script.hNextSample = 0;
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    TakeCalls();
    m_Sound.SoundShutdown();
    EXPECT_EQ(TakeCalls(), (Calls{"SetVolume 77", "SampleStop 100", "SampleFree 100", "SampleStop 0", "SampleFree 0",
                                  "Stop", "Free"}));
    EXPECT_FALSE(m_Sound.IsEnabled());
    EXPECT_FALSE(IsAudioLibraryLoaded());
    EXPECT_FALSE(FileExists(m_szPath));
    // Nothing is left to call afterwards.
    m_Sound.SoundPlay(0, true);
    m_Sound.SoundShutdown();
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(SoundSystemContract, OptionalEntryPointsAreTestedBeforeUse) {
    BassEntryPoints& lib = BoundAudioLibrary();
    lib.BASS_SetVolume = nullptr;
    lib.BASS_Stop = nullptr;
    lib.BASS_Free = nullptr;
    lib.BASS_ChannelSetFlags = nullptr;
    m_Sound.SoundInit(GetDesktopWindow());
    m_Sound.SoundLoadSample(m_Data, 16, 0);
    m_Sound.SoundPlay(0, true);
    m_Sound.SoundShutdown();
    EXPECT_EQ(TakeCalls(), (Calls{"Init 1 44100 4 desktop null", "Start", "GetVolume", "Set3DFactors -1 1 -1",
                                  "Apply3D", "SampleLoad 1 data 0 16 1 0", "SampleGetChannel 100 0",
                                  "ChannelPlay 500 1", "SampleStop 100", "SampleFree 100"}));
}

class SoundSystemWithoutLibrary : public ::testing::Test {
protected:
    void SetUp() override { m_Before = TempFiles("bas"); }
    void TearDown() override {
        UnloadAudioLibrary();
        EXPECT_EQ(TempFiles("bas"), m_Before);
    }
    std::set<std::string> m_Before;
};

TEST_F(SoundSystemWithoutLibrary, NeverExtractedRunsNothing) {
    // Music and effects both off: SoundInit is never called.
    SoundSystem sound;
    sound.SoundShutdown();
    EXPECT_FALSE(sound.IsEnabled());
    EXPECT_FALSE(IsAudioLibraryLoaded());
}

TEST_F(SoundSystemWithoutLibrary, ALibraryWithoutItsEntryPointsLeavesTheSaverSilent) {
    // Any other module (this program) in its place: every pointer is null,
    // and nothing may be called through one.
    ASSERT_TRUE(BindAudioLibraryFile(TempCopy(ReadFileBytes(ProgramDir() + "\\cordelune_wine_tests.exe"), "bas")));
    SoundSystem sound;
    sound.SoundInit(GetDesktopWindow());
    EXPECT_FALSE(sound.IsEnabled());
    const std::vector<uint8_t> shot = GeneratedSound("shot");
    EXPECT_EQ(sound.SoundLoadSample(shot.data(), uint32_t(shot.size()), 0), 0);
    EXPECT_FALSE(sound.Samples()[0].bLoaded);
    sound.SoundPlay(0, true);
    sound.SoundSetVolume(35);
    EXPECT_EQ(sound.Volume(), 100);
    sound.SoundShutdown();
    EXPECT_FALSE(IsAudioLibraryLoaded());
}

TEST_F(SoundSystemWithoutLibrary, RealLibraryWithOrWithoutADevice) {
    // From the resource, as in the saver.
    SoundSystem sound;
    sound.SoundInit(GetDesktopWindow());
    sound.SoundSetVolume(35);
    const std::vector<uint8_t> shot = GeneratedSound("shot");
    ASSERT_FALSE(shot.empty());
    const int nShot = sound.SoundLoadSample(shot.data(), uint32_t(shot.size()), 0);
    RecordProperty("sound_device", sound.IsEnabled() ? "present" : "none");
    if (sound.IsEnabled()) {
        EXPECT_EQ(sound.Volume(), 35);
        EXPECT_EQ(sound.SavedVolume(), 100);
        ASSERT_TRUE(sound.Samples()[size_t(nShot)].bLoaded);
        sound.SoundPlay(nShot, false);
        const HCHANNEL hFirst = sound.Samples()[size_t(nShot)].hChannel;
        EXPECT_NE(hFirst, 0u);
        // A second shot at once is silent: the channel stays the first one.
        sound.SoundPlay(nShot, false);
        EXPECT_EQ(sound.Samples()[size_t(nShot)].hChannel, hFirst);
        EXPECT_EQ(BoundAudioLibrary().BASS_GetVolume(), 35u);
    } else {
        EXPECT_FALSE(sound.Samples()[size_t(nShot)].bLoaded);
        sound.SoundPlay(nShot, false);
        EXPECT_EQ(sound.Samples()[size_t(nShot)].hChannel, 0u);
    }
    sound.SoundShutdown();
    EXPECT_FALSE(sound.IsEnabled());
    EXPECT_FALSE(IsAudioLibraryLoaded());
}

}  // namespace
