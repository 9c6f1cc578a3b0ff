// "objects": what a running process holds, as Windows counts it: kernel
// handles, GDI and USER objects, windows, and its memory. A long run of the
// saver samples this to see whether anything grows.
#include "TestHost.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The first process whose image name matches (case-insensitively), or 0.
DWORD FindProcess(const std::string& sImage) {
    DWORD dwPid = 0;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL bMore = Process32First(hSnap, &entry); bMore && !dwPid; bMore = Process32Next(hSnap, &entry))
        if (!lstrcmpiA(entry.szExeFile, sImage.c_str())) dwPid = entry.th32ProcessID;
    CloseHandle(hSnap);
    return dwPid;
}

// The kernel's count of the process's handles, from the system's process
// list (Wine answers GetProcessHandleCount for other processes with 0); -1
// when neither gives one.
long HandleCount(DWORD dwPid, HANDLE hProcess) {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto pQuery = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 16);
    for (int nTry = 0; pQuery && nTry < 8; ++nTry) {
        ULONG nNeeded = 0;
        const LONG nStatus = pQuery(5 /* SystemProcessInformation */, buffer.data(), ULONG(buffer.size()), &nNeeded);
        if (nStatus == LONG(0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, nNeeded + 4096));
            continue;
        }
        if (nStatus != 0) break;
        for (size_t nAt = 0;;) {
            const auto* pInfo = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + nAt);
            if (reinterpret_cast<ULONG_PTR>(pInfo->UniqueProcessId) == dwPid && pInfo->HandleCount)
                return long(pInfo->HandleCount);
            if (!pInfo->NextEntryOffset) break;
            nAt += pInfo->NextEntryOffset;
        }
        break;
    }
    DWORD dwHandles = 0;
    return GetProcessHandleCount(hProcess, &dwHandles) && dwHandles ? long(dwHandles) : -1;
}

struct WindowCount {
    DWORD dwPid;
    int nWindows;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->nWindows;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam) {
    WindowCount* pCount = reinterpret_cast<WindowCount*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid == pCount->dwPid) {
        ++pCount->nWindows;
        EnumChildWindows(hWnd, CountChild, lParam);
    }
    return TRUE;
}

}  // namespace

// objects --image NAME: one line "objects pid=... handles=... gdi=... user=...
// windows=... working_set=... private=..." (sizes in bytes). A count the
// system cannot give is -1 (Wine keeps no GDI or USER count for another
// process). Exit code 1 when no such process runs.
int RunProcessObjects(const CHostOptions& opt) {
    const DWORD dwPid = FindProcess(opt.sImage);
    if (!dwPid) {
        std::printf("objects error=noprocess image=%s\n", opt.sImage.c_str());
        return 1;
    }
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid);
    if (!hProcess) {
        std::printf("objects error=noaccess pid=%lu\n", static_cast<unsigned long>(dwPid));
        return 1;
    }
    const long nHandles = HandleCount(dwPid, hProcess);
    SetLastError(0);
    const DWORD dwGdi = GetGuiResources(hProcess, GR_GDIOBJECTS);
    const long nGdi = dwGdi || GetLastError() == 0 ? long(dwGdi) : -1;
    SetLastError(0);
    const DWORD dwUser = GetGuiResources(hProcess, GR_USEROBJECTS);
    const long nUser = dwUser || GetLastError() == 0 ? long(dwUser) : -1;
    WindowCount count{dwPid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    PROCESS_MEMORY_COUNTERS_EX memory;
    memory.cb = sizeof memory;
    const bool bMemory = GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                              sizeof memory) != 0;
    CloseHandle(hProcess);
    std::printf("objects pid=%lu handles=%ld gdi=%ld user=%ld windows=%d working_set=%lld private=%lld\n",
                static_cast<unsigned long>(dwPid), nHandles, nGdi, nUser, count.nWindows,
                bMemory ? static_cast<long long>(memory.WorkingSetSize) : -1LL,
                bMemory ? static_cast<long long>(memory.PrivateUsage) : -1LL);
    return 0;
}
