// Our audio library as the saver meets it: the DLL loaded by name, its
// exports, device opening, sample loading and the channel rules. Runs with
// or without a sound device; the "no sound" device (0) mixes against the
// clock, so channels still start and end on time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "audio/BassApi.h"
#include "test_audio_helpers.h"

using namespace audio_test;

namespace {

struct Library {
    HMODULE hModule = nullptr;
    PFN_BASS_Init Init = nullptr;
    PFN_BASS_ErrorGetCode ErrorGetCode = nullptr;
    PFN_BASS_Start Start = nullptr;
    PFN_BASS_Stop Stop = nullptr;
    PFN_BASS_Free Free = nullptr;
    PFN_BASS_GetVolume GetVolume = nullptr;
    PFN_BASS_SetVolume SetVolume = nullptr;
    PFN_BASS_Set3DFactors Set3DFactors = nullptr;
    PFN_BASS_Apply3D Apply3D = nullptr;
    PFN_BASS_SampleLoad SampleLoad = nullptr;
    PFN_BASS_SampleGetChannel SampleGetChannel = nullptr;
    PFN_BASS_SampleStop SampleStop = nullptr;
    PFN_BASS_SampleFree SampleFree = nullptr;
    PFN_BASS_ChannelPlay ChannelPlay = nullptr;
    PFN_BASS_ChannelIsActive ChannelIsActive = nullptr;
    PFN_BASS_ChannelSetFlags ChannelSetFlags = nullptr;
};

template <typename T>
void Bind(HMODULE h, const char* pszName, T* pfn) {
    *pfn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName)));
}

// The names in the export directory of a loaded module.
std::vector<std::string> ExportNames(HMODULE hModule) {
    const auto* pBase = reinterpret_cast<const uint8_t*>(hModule);
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (!dir.VirtualAddress) return names;
    const auto* pExports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(pBase + dir.VirtualAddress);
    const auto* pNames = reinterpret_cast<const DWORD*>(pBase + pExports->AddressOfNames);
    for (DWORD i = 0; i < pExports->NumberOfNames; ++i) names.push_back(reinterpret_cast<const char*>(pBase + pNames[i]));
    std::sort(names.begin(), names.end());
    return names;
}

class AudioLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lib.hModule = LoadLibraryA(AudioLibraryPath().c_str());
        if (!s_lib.hModule) return;
        HMODULE h = s_lib.hModule;
        Bind(h, "BASS_Init", &s_lib.Init);
        Bind(h, "BASS_ErrorGetCode", &s_lib.ErrorGetCode);
        Bind(h, "BASS_Start", &s_lib.Start);
        Bind(h, "BASS_Stop", &s_lib.Stop);
        Bind(h, "BASS_Free", &s_lib.Free);
        Bind(h, "BASS_GetVolume", &s_lib.GetVolume);
        Bind(h, "BASS_SetVolume", &s_lib.SetVolume);
        Bind(h, "BASS_Set3DFactors", &s_lib.Set3DFactors);
        Bind(h, "BASS_Apply3D", &s_lib.Apply3D);
        Bind(h, "BASS_SampleLoad", &s_lib.SampleLoad);
        Bind(h, "BASS_SampleGetChannel", &s_lib.SampleGetChannel);
        Bind(h, "BASS_SampleStop", &s_lib.SampleStop);
        Bind(h, "BASS_SampleFree", &s_lib.SampleFree);
        Bind(h, "BASS_ChannelPlay", &s_lib.ChannelPlay);
        Bind(h, "BASS_ChannelIsActive", &s_lib.ChannelIsActive);
        Bind(h, "BASS_ChannelSetFlags", &s_lib.ChannelSetFlags);
    }
    static void TearDownTestSuite() {
        if (s_lib.hModule) FreeLibrary(s_lib.hModule);
        s_lib = Library();
    }
    void SetUp() override {
        ASSERT_NE(s_lib.hModule, nullptr) << AudioLibraryPath() << " does not load";
        m_Shot = GeneratedSound("shot");
        ASSERT_FALSE(m_Shot.empty()) << "content/shot.ogg missing: build the saver first";
    }
    void TearDown() override { s_lib.Free(); }

    // Opens the "no sound" device, which every machine has.
    void OpenSilent(DWORD nFlags = bass::kDevice3D) {
        ASSERT_TRUE(s_lib.Init(bass::kDeviceNoSound, 44100, nFlags, GetDesktopWindow(), nullptr))
            << "error " << s_lib.ErrorGetCode();
    }
    HSAMPLE Load(const std::vector<uint8_t>& data, DWORD nMax = 1, DWORD nFlags = 0) {
        return s_lib.SampleLoad(TRUE, data.data(), 0, DWORD(data.size()), nMax, nFlags);
    }
    // Waits (up to nMs) for the channel to stop; the time it took, in ms.
    static long WaitUntilStopped(HCHANNEL h, long nMs) {
        const auto start = std::chrono::steady_clock::now();
        long nElapsed = 0;
        while (s_lib.ChannelIsActive(h) != bass::kActiveStopped && nElapsed < nMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            nElapsed = long(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
        }
        return nElapsed;
    }

    static Library s_lib;
    std::vector<uint8_t> m_Shot;
};

Library AudioLibrary::s_lib;

TEST_F(AudioLibrary, ExportsExactlyTheEntryPointsTheSaverCalls) {
    const std::vector<std::string> expected = {
        "BASS_Apply3D", "BASS_ChannelIsActive", "BASS_ChannelPlay", "BASS_ChannelSetFlags",
        "BASS_ErrorGetCode", "BASS_Free", "BASS_GetVolume", "BASS_Init", "BASS_SampleFree",
        "BASS_SampleGetChannel", "BASS_SampleLoad", "BASS_SampleStop", "BASS_Set3DFactors",
        "BASS_SetVolume", "BASS_Start", "BASS_Stop"};
    EXPECT_EQ(ExportNames(s_lib.hModule), expected);
}

TEST_F(AudioLibrary, EveryCallBeforeInitFailsWithNotInitialised) {
    EXPECT_FALSE(s_lib.Start());
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorInit);
    EXPECT_FALSE(s_lib.Stop());
    EXPECT_FALSE(s_lib.Free());
    EXPECT_EQ(s_lib.GetVolume(), DWORD(-1));
    EXPECT_FALSE(s_lib.SetVolume(50));
    EXPECT_FALSE(s_lib.Set3DFactors(-1, 1, -1));
    s_lib.Apply3D();
    EXPECT_EQ(Load(m_Shot), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorInit);
    EXPECT_EQ(s_lib.SampleGetChannel(1, FALSE), 0u);
    EXPECT_FALSE(s_lib.ChannelPlay(1, TRUE));
    EXPECT_EQ(s_lib.ChannelIsActive(1), bass::kActiveStopped);
    EXPECT_FALSE(s_lib.ChannelSetFlags(1, 0));
    EXPECT_FALSE(s_lib.SampleStop(1));
    EXPECT_FALSE(s_lib.SampleFree(1));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorInit);
}

TEST_F(AudioLibrary, OpensOnceAndClosesOnce) {
    OpenSilent();
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kOk);
    EXPECT_FALSE(s_lib.Init(bass::kDeviceNoSound, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorAlready);
    EXPECT_TRUE(s_lib.Free());
    EXPECT_FALSE(s_lib.Free());
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorInit);
    // And opens again after that.
    OpenSilent();
}

TEST_F(AudioLibrary, DefaultOutputOpensOrFailsWithAnErrorOtherThanNo3D) {
    // The saver's own call. Without a device the saver must see a failure
    // that disables its sound, never the "no 3D" code that keeps it on.
    const BOOL bOpened = s_lib.Init(1, 44100, bass::kDevice3D, GetDesktopWindow(), nullptr);
    const DWORD nError = s_lib.ErrorGetCode();
    RecordProperty("default_output", bOpened ? "opened" : "none");
    if (bOpened) {
        EXPECT_EQ(nError, bass::kOk);
        EXPECT_EQ(s_lib.GetVolume(), 100u);
        EXPECT_TRUE(s_lib.Set3DFactors(-1, 1, -1));
        const HSAMPLE h = Load(m_Shot);
        ASSERT_NE(h, 0u);
        const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
        EXPECT_TRUE(s_lib.ChannelPlay(c, TRUE));
        EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActivePlaying);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_TRUE(s_lib.Free());
    } else {
        EXPECT_NE(nError, bass::kOk);
        EXPECT_NE(nError, bass::kErrorNo3D);
        EXPECT_EQ(Load(m_Shot), 0u);
    }
}

TEST_F(AudioLibrary, AMissingDeviceIsADeviceError) {
    EXPECT_FALSE(s_lib.Init(1000, 44100, bass::kDevice3D, nullptr, nullptr));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorDevice);
    EXPECT_FALSE(s_lib.Init(-2, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorDevice);
    EXPECT_FALSE(s_lib.Start());
}

TEST_F(AudioLibrary, VolumeRunsFromZeroToOneHundred) {
    OpenSilent();
    EXPECT_EQ(s_lib.GetVolume(), 100u);
    EXPECT_TRUE(s_lib.SetVolume(35));
    EXPECT_EQ(s_lib.GetVolume(), 35u);
    EXPECT_TRUE(s_lib.SetVolume(0));
    EXPECT_EQ(s_lib.GetVolume(), 0u);
    EXPECT_FALSE(s_lib.SetVolume(101));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorIllParam);
    EXPECT_EQ(s_lib.GetVolume(), 0u);
    // A new device starts at full volume again.
    s_lib.Free();
    OpenSilent();
    EXPECT_EQ(s_lib.GetVolume(), 100u);
}

TEST_F(AudioLibrary, ThreeDFactorsNeedADeviceOpenedWith3D) {
    OpenSilent(0);
    EXPECT_FALSE(s_lib.Set3DFactors(-1, 1, -1));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorNo3D);
    EXPECT_EQ(Load(m_Shot, 1, bass::kSample3D), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorNo3D);
    s_lib.Free();
    OpenSilent(bass::kDevice3D);
    EXPECT_TRUE(s_lib.Set3DFactors(-1, 1, -1));
    s_lib.Apply3D();
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kOk);
}

TEST_F(AudioLibrary, ADamagedSampleFailsAloneAndTheOthersPlay) {
    OpenSilent();
    const HSAMPLE hGood = Load(m_Shot);
    ASSERT_NE(hGood, 0u);

    std::vector<uint8_t> flipped = m_Shot;
    flipped[flipped.size() / 2] ^= 0x01;
    const std::vector<uint8_t> truncated(m_Shot.begin(), m_Shot.begin() + long(m_Shot.size() * 2 / 3));
    const std::vector<uint8_t> headers(m_Shot.begin(), m_Shot.begin() + long(OggPageOffsets(m_Shot)[2]));
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'o', 'g', 'g'};
    for (const std::vector<uint8_t>* pData : {static_cast<const std::vector<uint8_t>*>(&flipped), &truncated, &headers, &text}) {
        EXPECT_EQ(Load(*pData), 0u);
        EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorFileForm);
    }
    EXPECT_EQ(s_lib.SampleLoad(TRUE, m_Shot.data(), 0, 0, 1, 0), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorIllParam);
    EXPECT_EQ(s_lib.SampleLoad(TRUE, nullptr, 0, 100, 1, 0), 0u);
    EXPECT_EQ(Load(m_Shot, 0), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorIllParam);

    // The good sample and one loaded after the failures both play.
    const HSAMPLE hHit = Load(GeneratedSound("hit"));
    ASSERT_NE(hHit, 0u);
    for (HSAMPLE h : {hGood, hHit}) {
        const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
        ASSERT_NE(c, 0u);
        EXPECT_TRUE(s_lib.ChannelPlay(c, TRUE));
        EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActivePlaying);
    }
}

TEST_F(AudioLibrary, LoadsFromAFileToo) {
    OpenSilent();
    const std::string strPath = TempCopy(m_Shot, "snd");
    ASSERT_FALSE(strPath.empty());
    EXPECT_NE(s_lib.SampleLoad(FALSE, strPath.c_str(), 0, 0, 1, 0), 0u);
    // Offset and length pick a part of the file: here the whole stream.
    std::vector<uint8_t> padded(100, 'x');
    padded.insert(padded.end(), m_Shot.begin(), m_Shot.end());
    const std::string strPadded = TempCopy(padded, "snd");
    EXPECT_NE(s_lib.SampleLoad(FALSE, strPadded.c_str(), 100, DWORD(m_Shot.size()), 1, 0), 0u);
    EXPECT_EQ(s_lib.SampleLoad(FALSE, strPadded.c_str(), 0, 0, 1, 0), 0u);
    DeleteFileA(strPath.c_str());
    DeleteFileA(strPadded.c_str());
    EXPECT_EQ(s_lib.SampleLoad(FALSE, strPath.c_str(), 0, 0, 1, 0), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorFileOpen);
}

TEST_F(AudioLibrary, ASoundAtItsLimitIsNotDoubledAndEndsOnTime) {
    // What keeps a second shot silent while the first still sounds.
    OpenSilent();
    const HSAMPLE h = Load(m_Shot);
    const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_NE(c, 0u);
    ASSERT_TRUE(s_lib.ChannelPlay(c, TRUE));
    ASSERT_TRUE(s_lib.ChannelSetFlags(c, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActivePlaying);
    EXPECT_EQ(s_lib.SampleGetChannel(h, FALSE), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorNoChan);
    EXPECT_EQ(s_lib.SampleGetChannel(h, TRUE), 0u);

    // The 2-second shot ends about 1.7 s later.
    const long nMs = WaitUntilStopped(c, 5000);
    EXPECT_GT(nMs, 1200);
    EXPECT_LT(nMs, 3000);
    const HCHANNEL c2 = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_NE(c2, 0u);
    EXPECT_NE(c2, c);
    EXPECT_FALSE(s_lib.ChannelPlay(c, TRUE));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorHandle);
    EXPECT_TRUE(s_lib.ChannelPlay(c2, TRUE));
}

TEST_F(AudioLibrary, ALoopingChannelPlaysUntilItsFlagIsCleared) {
    OpenSilent();
    const HSAMPLE h = Load(m_Shot);
    const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_TRUE(s_lib.ChannelPlay(c, TRUE));
    ASSERT_TRUE(s_lib.ChannelSetFlags(c, bass::kSampleLoop));
    std::this_thread::sleep_for(std::chrono::milliseconds(2600));
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActivePlaying);
    ASSERT_TRUE(s_lib.ChannelSetFlags(c, 0));
    EXPECT_LT(WaitUntilStopped(c, 5000), 2500);
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActiveStopped);
}

TEST_F(AudioLibrary, StopHaltsEverythingUntilStart) {
    OpenSilent();
    const HSAMPLE h = Load(m_Shot, 2);
    const HCHANNEL a = s_lib.SampleGetChannel(h, FALSE), b = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_TRUE(s_lib.ChannelPlay(a, TRUE));
    ASSERT_TRUE(s_lib.ChannelPlay(b, TRUE));
    EXPECT_TRUE(s_lib.Stop());
    EXPECT_EQ(s_lib.ChannelIsActive(a), bass::kActiveStopped);
    EXPECT_EQ(s_lib.ChannelIsActive(b), bass::kActiveStopped);
    EXPECT_FALSE(s_lib.ChannelPlay(a, TRUE));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorStart);
    EXPECT_TRUE(s_lib.Start());
    EXPECT_TRUE(s_lib.ChannelPlay(a, TRUE));
    EXPECT_EQ(s_lib.ChannelIsActive(a), bass::kActivePlaying);
}

TEST_F(AudioLibrary, SampleStopAndFree) {
    OpenSilent();
    const HSAMPLE h = Load(m_Shot);
    const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_TRUE(s_lib.ChannelPlay(c, TRUE));
    EXPECT_TRUE(s_lib.SampleStop(h));
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActiveStopped);
    EXPECT_TRUE(s_lib.ChannelPlay(c, TRUE));
    EXPECT_TRUE(s_lib.SampleFree(h));
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActiveStopped);
    EXPECT_FALSE(s_lib.ChannelSetFlags(c, 0));
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorHandle);
    EXPECT_FALSE(s_lib.SampleFree(h));
    EXPECT_FALSE(s_lib.SampleStop(0));
    EXPECT_EQ(s_lib.SampleGetChannel(h, FALSE), 0u);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorHandle);
}

TEST_F(AudioLibrary, FreeWhilePlayingEndsCleanly) {
    OpenSilent();
    const HSAMPLE h = Load(GeneratedSound("music"));
    ASSERT_NE(h, 0u);
    const HCHANNEL c = s_lib.SampleGetChannel(h, FALSE);
    ASSERT_TRUE(s_lib.ChannelPlay(c, TRUE));
    ASSERT_TRUE(s_lib.ChannelSetFlags(c, bass::kSampleLoop));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(s_lib.Free());
    EXPECT_EQ(s_lib.ChannelIsActive(c), bass::kActiveStopped);
    EXPECT_EQ(s_lib.ErrorGetCode(), bass::kErrorInit);
}

}  // namespace
