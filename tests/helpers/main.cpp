#include "TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: cordelune-testhost COMMAND [options]\n"
                 "  windows [--image NAME] [--class CLS] [--title TEXT] [--visible]\n"
                 "          [--children] [--wait MS]     list top-level windows\n"
                 "  preview SAVER [--x X --y Y --width W --height H]\n"
                 "          [--timeout MS] [--paint-delay MS]  host the saver's preview\n"
                 "          [--destroy-parent MS]        destroy the parent MS after the child appears\n"
                 "          [--vanish MS]                end MS after the child appears, leaving\n"
                 "                                       the parent to the system\n"
                 "  wait-process PID MS                   wait for a process to end\n"
                 "  kill-process PID                      end a process\n"
                 "  monitors                              list display adapters and monitors\n"
                 "  screen-bitmap SAVER ID X Y            compare the screen at X,Y with\n"
                 "                                        bitmap resource ID of SAVER\n"
                 "  adjust-rect STYLE EXSTYLE W H         window size for a W x H client area\n"
                 "  desktop                               print the desktop window\n"
                 "  post HWND MSG [WPARAM [LPARAM]]       post a message\n"
                 "  objects --image NAME                  handle, GDI and USER object counts,\n"
                 "                                        windows and memory of a process\n"
                 "  close HWND                            post WM_CLOSE\n"
                 "  sysclose HWND                         post WM_SYSCOMMAND SC_CLOSE\n");
}

int RunPost(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hWnd)) {
        std::printf("post error=nowindow\n");
        return 1;
    }
    BOOL bOk = PostMessageA(hWnd, uMsg, wParam, lParam);
    std::printf("post ok=%d\n", bOk ? 1 : 0);
    return bOk ? 0 : 1;
}

ULONG_PTR Number(const char* psz) { return static_cast<ULONG_PTR>(std::strtoull(psz, nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 2;
    }
    const char* pszCommand = argv[1];
    CHostOptions opt;
    if (!ParseHostOptions(argc, argv, 2, opt)) return 2;
    const auto& a = opt.vArgs;
    if (!std::strcmp(pszCommand, "windows")) return RunWindowList(opt);
    if (!std::strcmp(pszCommand, "preview")) return RunPreviewHost(opt);
    if (!std::strcmp(pszCommand, "objects")) return RunProcessObjects(opt);
    if (!std::strcmp(pszCommand, "adjust-rect") && a.size() == 4) {
        RECT rc{0, 0, std::atoi(a[2].c_str()), std::atoi(a[3].c_str())};
        if (!AdjustWindowRectEx(&rc, (DWORD)Number(a[0].c_str()), FALSE, (DWORD)Number(a[1].c_str()))) return 1;
        std::printf("adjusted left=%ld top=%ld width=%ld height=%ld\n", rc.left, rc.top, rc.right - rc.left,
                    rc.bottom - rc.top);
        return 0;
    }
    if (!std::strcmp(pszCommand, "desktop")) {
        PrintWindowLine("desktop", GetDesktopWindow());
        return 0;
    }
    if (!std::strcmp(pszCommand, "screen-bitmap") && a.size() == 4) {
        int nX = std::atoi(a[2].c_str()), nY = std::atoi(a[3].c_str());
        RECT rc{nX, nY, nX + 4096, nY + 4096};  // cut to the bitmap's size
        rc.right = std::min<LONG>(rc.right, GetSystemMetrics(SM_CXSCREEN));
        rc.bottom = std::min<LONG>(rc.bottom, GetSystemMetrics(SM_CYSCREEN));
        ReportPaint(rc, ToWindowsPath(a[0]), std::atoi(a[1].c_str()));
        return 0;
    }
    if (!std::strcmp(pszCommand, "wait-process") && a.size() == 2)
        return RunWaitProcess((DWORD)Number(a[0].c_str()), std::atoi(a[1].c_str()));
    if (!std::strcmp(pszCommand, "kill-process") && a.size() == 1) {
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE, FALSE, (DWORD)Number(a[0].c_str()));
        BOOL bOk = hProcess && TerminateProcess(hProcess, 1);
        if (hProcess) CloseHandle(hProcess);
        std::printf("kill ok=%d\n", bOk ? 1 : 0);
        return bOk ? 0 : 1;
    }
    if (!std::strcmp(pszCommand, "monitors")) return RunMonitorList();
    if (!std::strcmp(pszCommand, "close") && a.size() == 1)
        return RunPost(ParseWindowHandle(a[0].c_str()), WM_CLOSE, 0, 0);
    if (!std::strcmp(pszCommand, "sysclose") && a.size() == 1)
        return RunPost(ParseWindowHandle(a[0].c_str()), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!std::strcmp(pszCommand, "post") && a.size() >= 2)
        return RunPost(ParseWindowHandle(a[0].c_str()), (UINT)Number(a[1].c_str()),
                       a.size() > 2 ? Number(a[2].c_str()) : 0,
                       a.size() > 3 ? (LPARAM)Number(a[3].c_str()) : 0);
    Usage();
    return 2;
}
