#include "TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// Plays the Display Properties page: a parent window for the saver's preview.
// It starts the saver with "/p <parent>", reports the child windows that
// appear in the parent, compares the child's pixels on the screen with the
// saver's own preview bitmap, and reports how the saver ended.

namespace {

const int kPreviewBitmapId = 432;
bool g_bParentGone = false;
DWORD g_dwParentGoneAt = 0;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_DESTROY) {
        g_bParentGone = true;
        g_dwParentGoneAt = GetTickCount();
    }
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND CreateParent(const CHostOptions& opt) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "CordeluneTestHost";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "Preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                           opt.nX, opt.nY, opt.nWidth, opt.nHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

// The saver dies with us, so a killed test leaves nothing behind.
HANDLE CreateKillOnCloseJob() {
    HANDLE hJob = CreateJobObjectA(nullptr, nullptr);
    if (!hJob) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(hJob, JobObjectExtendedLimitInformation, &info, sizeof info);
    return hJob;
}

bool StartSaver(const std::string& sSaver, HWND hParent, PROCESS_INFORMATION& pi) {
    char szCmd[MAX_PATH * 2 + 64];
    std::snprintf(szCmd, sizeof szCmd, "\"%s\" /p %llu", sSaver.c_str(),
                  (unsigned long long)(ULONG_PTR)hParent);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, szCmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
}

struct CPixels {
    int nWidth = 0, nHeight = 0;
    std::vector<DWORD> vData;  // top-down 0x00RRGGBB
};

bool ReadDib(HDC hdc, HBITMAP hBitmap, int nWidth, int nHeight, CPixels& px) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    px.nWidth = nWidth;
    px.nHeight = nHeight;
    px.vData.assign(static_cast<size_t>(nWidth) * nHeight, 0);
    return GetDIBits(hdc, hBitmap, 0, nHeight, px.vData.data(), &bi, DIB_RGB_COLORS) == nHeight;
}

bool LoadSaverBitmap(const std::string& sSaver, int nBitmapId, CPixels& px) {
    HMODULE hMod = LoadLibraryExA(sSaver.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hMod) return false;
    bool bOk = false;
    HBITMAP hBitmap = static_cast<HBITMAP>(
        LoadImageA(hMod, MAKEINTRESOURCEA(nBitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bm{};
    if (hBitmap && GetObjectA(hBitmap, sizeof bm, &bm)) {
        HDC hdc = GetDC(nullptr);
        bOk = ReadDib(hdc, hBitmap, bm.bmWidth, bm.bmHeight, px);
        ReleaseDC(nullptr, hdc);
    }
    if (hBitmap) DeleteObject(hBitmap);
    FreeLibrary(hMod);
    return bOk;
}

bool CaptureScreen(const RECT& rc, CPixels& px) {
    int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    if (nWidth <= 0 || nHeight <= 0) return false;
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nWidth, nHeight);
    HGDIOBJ hOld = SelectObject(hMem, hBitmap);
    BitBlt(hMem, 0, 0, nWidth, nHeight, hScreen, rc.left, rc.top, SRCCOPY);
    SelectObject(hMem, hOld);
    bool bOk = ReadDib(hMem, hBitmap, nWidth, nHeight, px);
    DeleteObject(hBitmap);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return bOk;
}

bool Near(DWORD a, DWORD b) {
    for (int nShift = 0; nShift < 24; nShift += 8) {
        int d = int((a >> nShift) & 0xFF) - int((b >> nShift) & 0xFF);
        if (d < -8 || d > 8) return false;
    }
    return true;
}

}  // namespace

// match: screen pixels from the rectangle's top-left corner equal to the
// saver's bitmap resource; nonblack: pixels there that differ from black.
void ReportPaint(const RECT& rc, const std::string& sSaver, int nBitmapId) {
    CPixels bitmap, screen;
    bool bBitmap = LoadSaverBitmap(sSaver, nBitmapId, bitmap);
    if (!CaptureScreen(rc, screen)) {
        std::printf("paint error=capture\n");
        std::fflush(stdout);
        return;
    }
    int nWidth = bBitmap ? std::min(bitmap.nWidth, screen.nWidth) : screen.nWidth;
    int nHeight = bBitmap ? std::min(bitmap.nHeight, screen.nHeight) : screen.nHeight;
    long nMatch = 0, nNonBlack = 0;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x) {
            DWORD s = screen.vData[size_t(y) * screen.nWidth + x] & 0xFFFFFF;
            if (s != 0) ++nNonBlack;
            if (bBitmap && Near(s, bitmap.vData[size_t(y) * bitmap.nWidth + x] & 0xFFFFFF)) ++nMatch;
        }
    std::printf("paint match=%ld total=%ld nonblack=%ld bitmap=%dx%d\n", nMatch, long(nWidth) * nHeight,
                nNonBlack, bitmap.nWidth, bitmap.nHeight);
    std::fflush(stdout);
}

namespace {

struct CChildSearch {
    std::vector<HWND> vFound;
};

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam) {
    reinterpret_cast<CChildSearch*>(lParam)->vFound.push_back(hWnd);
    return TRUE;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

// preview SAVER: exit code 0 when the saver ended by itself (its code is
// reported, and how long after the parent's destruction), 3 when it had to be
// stopped at the timeout, 2 on a setup error. With --vanish the host ends
// early, the saver left running (its pid is reported first).
int RunPreviewHost(const CHostOptions& opt) {
    if (opt.vArgs.empty()) {
        std::fprintf(stderr, "usage: cordelune-testhost preview SAVER [options]\n");
        return 2;
    }
    std::string sSaver = ToWindowsPath(opt.vArgs[0]);
    HWND hParent = CreateParent(opt);
    if (!hParent) {
        std::printf("error=parent\n");
        return 2;
    }
    UpdateWindow(hParent);
    PrintWindowLine("parent", hParent);
    // A host that vanishes on purpose must not take the saver with it.
    HANDLE hJob = opt.nVanishMs < 0 ? CreateKillOnCloseJob() : nullptr;
    PROCESS_INFORMATION pi{};
    if (!StartSaver(sSaver, hParent, pi)) {
        std::printf("error=createprocess code=%lu\n", GetLastError());
        return 2;
    }
    if (hJob) AssignProcessToJobObject(hJob, pi.hProcess);
    std::printf("saver pid=%lu\n", pi.dwProcessId);
    std::fflush(stdout);

    DWORD dwStart = GetTickCount(), dwFirstSeen = 0, dwChildSeen = 0;
    bool bPainted = false;
    HWND hChild = nullptr;
    int nResult = 3;
    while (GetTickCount() - dwStart < (DWORD)opt.nTimeoutMs) {
        DWORD dwWait = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
        if (dwWait == WAIT_OBJECT_0) {
            DWORD dwCode = 0;
            GetExitCodeProcess(pi.hProcess, &dwCode);
            if (g_bParentGone)
                std::printf("saver exit=%lu after-parent=%lu\n", dwCode, GetTickCount() - g_dwParentGoneAt);
            else
                std::printf("saver exit=%lu\n", dwCode);
            nResult = 0;
            break;
        }
        if (!hChild && !g_bParentGone) {
            CChildSearch search;
            EnumChildWindows(hParent, CollectChild, reinterpret_cast<LPARAM>(&search));
            // A window is made visible only at the end of its creation: report
            // it then, or as it is once it has had a few seconds.
            if (!search.vFound.empty() && !dwFirstSeen) dwFirstSeen = GetTickCount();
            bool bReady = !search.vFound.empty() &&
                          (IsWindowVisible(search.vFound[0]) || GetTickCount() - dwFirstSeen > 3000);
            if (bReady) {
                for (HWND h : search.vFound) PrintWindowLine("child", h);
                hChild = search.vFound[0];
                dwChildSeen = GetTickCount();
            }
        }
        if (hChild && opt.nDestroyParentMs >= 0 && !g_bParentGone &&
            GetTickCount() - dwChildSeen >= (DWORD)opt.nDestroyParentMs) {
            std::printf("parent destroyed\n");
            std::fflush(stdout);
            DestroyWindow(hParent);
        }
        if (hChild && opt.nVanishMs >= 0 && GetTickCount() - dwChildSeen >= (DWORD)opt.nVanishMs) {
            // As a page that crashes: no DestroyWindow, the system takes the
            // parent away with the process.
            std::printf("host vanishes\n");
            std::fflush(stdout);
            ExitProcess(0);
        }
        if (hChild && !bPainted && !g_bParentGone && GetTickCount() - dwChildSeen >= (DWORD)opt.nPaintDelayMs) {
            bPainted = true;
            RECT rc{};
            GetWindowRect(hChild, &rc);
            ReportPaint(rc, sSaver, kPreviewBitmapId);
        }
    }
    if (nResult != 0) {
        std::printf("saver still running: stopped\n");
        TerminateProcess(pi.hProcess, 1);
    }
    std::fflush(stdout);
    if (IsWindow(hParent)) DestroyWindow(hParent);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (hJob) CloseHandle(hJob);
    return nResult;
}

int RunWaitProcess(DWORD dwPid, int nMs) {
    HANDLE hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess) {
        // Already gone (and reaped): nothing to wait for.
        std::printf("process gone\n");
        return 0;
    }
    DWORD dwStart = GetTickCount();
    DWORD dwWait = WaitForSingleObject(hProcess, (DWORD)nMs);
    DWORD dwMs = GetTickCount() - dwStart;
    int nResult = 1;
    if (dwWait == WAIT_OBJECT_0) {
        DWORD dwCode = 0;
        GetExitCodeProcess(hProcess, &dwCode);
        std::printf("process exit=%lu ms=%lu\n", dwCode, dwMs);
        nResult = 0;
    } else {
        std::printf("process running ms=%lu\n", dwMs);
    }
    CloseHandle(hProcess);
    std::fflush(stdout);
    return nResult;
}
