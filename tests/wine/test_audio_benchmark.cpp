// Benchmarks of the audio library, run on demand:
//   cordelune_wine_tests --gtest_also_run_disabled_tests --gtest_filter='AudioBenchmark.*'
// They print decode times and the mixing thread's share of one CPU while the
// music plays (on the default output when there is one, else on the "no
// sound" device). CORDELUNE_AUDIO_BENCH_SECONDS (default 10) and
// CORDELUNE_AUDIO_BENCH_VOLUME (default 35) set the playing time and volume;
// CORDELUNE_AUDIO_BENCH_FILE plays another Ogg file in place of the music
// (a steady tone shows any gap in a recording of the output).
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/BassApi.h"
#include "audio/library/Mixer.h"
#include "audio/library/SampleDecoder.h"
#include "test_audio_helpers.h"

using namespace audio_test;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

int EnvInt(const char* pszName, int nDefault) {
    const char* psz = std::getenv(pszName);
    return psz && *psz ? std::atoi(psz) : nDefault;
}

double FileTimeSeconds(const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

// CPU seconds (kernel + user) of the threads of this process that started
// inside hModule.
double ModuleThreadsCpuSeconds(HMODULE hModule, int* pnThreads) {
    using PFN_Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto pfnQuery = reinterpret_cast<PFN_Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    const auto* pBase = reinterpret_cast<const uint8_t*>(hModule);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<const IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const uint8_t* pEnd = pBase + pNt->OptionalHeader.SizeOfImage;
    double fSeconds = 0;
    *pnThreads = 0;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL b = Thread32First(hSnap, &entry); b; b = Thread32Next(hSnap, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        HANDLE hThread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!hThread) continue;
        void* pStart = nullptr;
        constexpr int kWin32StartAddress = 9;
        if (pfnQuery && pfnQuery(hThread, kWin32StartAddress, &pStart, sizeof(pStart), nullptr) == 0 &&
            pStart >= pBase && pStart < pEnd) {
            FILETIME create, exit, kernel, user;
            GetThreadTimes(hThread, &create, &exit, &kernel, &user);
            fSeconds += FileTimeSeconds(kernel) + FileTimeSeconds(user);
            ++*pnThreads;
        }
        CloseHandle(hThread);
    }
    CloseHandle(hSnap);
    return fSeconds;
}

double ProcessCpuSeconds() {
    FILETIME create, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &create, &exit, &kernel, &user);
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

TEST(AudioBenchmark, DISABLED_DecodeTimes) {
    for (const char* pszName : {"music", "shot", "hit"}) {
        const std::vector<uint8_t> data = GeneratedSound(pszName);
        ASSERT_FALSE(data.empty());
        double fBest = 1e9;
        DecodedSample sample;
        for (int i = 0; i < 3; ++i) {
            const auto start = Clock::now();
            ASSERT_EQ(DecodeOggSample(data.data(), data.size(), 0, &sample), bass::kOk);
            fBest = std::min(fBest, Milliseconds(Clock::now() - start));
        }
        std::printf("decode %-6s %8zu bytes  %6.2f s of sound  %8.1f ms  (%.0fx real time)\n", pszName, data.size(),
                    sample.Frames() / 44100.0, fBest, sample.Frames() / 44100.0 * 1000.0 / fBest);
    }
}

TEST(AudioBenchmark, DISABLED_MixingCost) {
    // The mixer alone: the music looping plus both effects, block by block.
    CMixer mixer;
    uint32_t hMusic = 0, hShot = 0, hHit = 0, hChannel = 0;
    for (auto [pszName, ph] : {std::pair{"music", &hMusic}, {"shot", &hShot}, {"hit", &hHit}}) {
        const std::vector<uint8_t> data = GeneratedSound(pszName);
        DecodedSample sample;
        ASSERT_EQ(DecodeOggSample(data.data(), data.size(), 0, &sample), bass::kOk);
        ASSERT_EQ(mixer.AddSample(std::move(sample), 1, 0, ph), bass::kOk);
    }
    mixer.GetChannel(hMusic, &hChannel);
    mixer.Play(hChannel, true);
    mixer.SetFlags(hChannel, bass::kSampleLoop);
    mixer.SetVolume(35);
    std::vector<int16_t> block(882 * 2);
    const int nBlocks = 3000;  // 60 s of output
    const auto start = Clock::now();
    for (int i = 0; i < nBlocks; ++i) {
        if (i % 300 == 0)
            for (uint32_t h : {hShot, hHit})
                if (mixer.GetChannel(h, &hChannel) == bass::kOk) mixer.Play(hChannel, true);
        mixer.Mix(block.data(), 882);
    }
    const double fMs = Milliseconds(Clock::now() - start);
    std::printf("mix 60 s (music + effects): %.1f ms, %.3f%% of real time, %.2f us per 20 ms block\n", fMs,
                fMs / 600.0, fMs * 1000.0 / nBlocks);
}

TEST(AudioBenchmark, DISABLED_MixingThreadCpuShareWhileMusicPlays) {
    HMODULE hModule = LoadLibraryA(AudioLibraryPath().c_str());
    ASSERT_NE(hModule, nullptr);
    auto get = [hModule](const char* pszName) { return reinterpret_cast<void*>(GetProcAddress(hModule, pszName)); };
    const auto Init = reinterpret_cast<PFN_BASS_Init>(get("BASS_Init"));
    const auto Free = reinterpret_cast<PFN_BASS_Free>(get("BASS_Free"));
    const auto SetVolume = reinterpret_cast<PFN_BASS_SetVolume>(get("BASS_SetVolume"));
    const auto SampleLoad = reinterpret_cast<PFN_BASS_SampleLoad>(get("BASS_SampleLoad"));
    const auto GetChannel = reinterpret_cast<PFN_BASS_SampleGetChannel>(get("BASS_SampleGetChannel"));
    const auto Play = reinterpret_cast<PFN_BASS_ChannelPlay>(get("BASS_ChannelPlay"));
    const auto SetFlags = reinterpret_cast<PFN_BASS_ChannelSetFlags>(get("BASS_ChannelSetFlags"));

    const bool bDevice = Init(1, 44100, bass::kDevice3D, GetDesktopWindow(), nullptr);
    if (!bDevice) {
        ASSERT_TRUE(Init(bass::kDeviceNoSound, 44100, bass::kDevice3D, nullptr, nullptr));
    }
    SetVolume(DWORD(EnvInt("CORDELUNE_AUDIO_BENCH_VOLUME", 35)));
    const char* pszFile = std::getenv("CORDELUNE_AUDIO_BENCH_FILE");
    const std::vector<uint8_t> music = pszFile && *pszFile ? ReadFileBytes(pszFile) : GeneratedSound("music");
    const auto start = Clock::now();
    const HSAMPLE h = SampleLoad(TRUE, music.data(), 0, DWORD(music.size()), 1, 0);
    const double fLoadMs = Milliseconds(Clock::now() - start);
    ASSERT_NE(h, 0u);
    const HCHANNEL c = GetChannel(h, FALSE);
    ASSERT_TRUE(Play(c, TRUE));
    SetFlags(c, bass::kSampleLoop);

    int nThreads = 0;
    const double fThread0 = ModuleThreadsCpuSeconds(hModule, &nThreads);
    const double fProcess0 = ProcessCpuSeconds();
    const auto wall0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(EnvInt("CORDELUNE_AUDIO_BENCH_SECONDS", 10)));
    const double fWall = Milliseconds(Clock::now() - wall0) / 1000.0;
    const double fThread = ModuleThreadsCpuSeconds(hModule, &nThreads) - fThread0;
    const double fProcess = ProcessCpuSeconds() - fProcess0;
    EXPECT_EQ(nThreads, 1);
    std::printf("output: %s; music load (decode) %.1f ms\n", bDevice ? "default device (waveOut)" : "no sound device",
                fLoadMs);
    std::printf("while the music plays %.1f s: mixing thread %.3f s CPU = %.2f%% of one CPU; whole process %.2f%%\n",
                fWall, fThread, 100.0 * fThread / fWall, 100.0 * fProcess / fWall);
    Free();
    FreeLibrary(hModule);
}

}  // namespace
