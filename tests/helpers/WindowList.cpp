#include "TestHost.h"

#include <cstdio>

namespace {

struct CListState {
    const CHostOptions* pOpt;
    std::vector<HWND> vFound;
};

bool SameText(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

bool Matches(const CHostOptions& opt, HWND hWnd) {
    if (opt.bVisibleOnly && !IsWindowVisible(hWnd)) return false;
    if (!opt.sImage.empty()) {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (!SameText(opt.sImage, ProcessImageName(dwPid).c_str())) return false;
    }
    char szText[256];
    if (!opt.sClass.empty()) {
        GetClassNameA(hWnd, szText, sizeof szText);
        if (!SameText(opt.sClass, szText)) return false;
    }
    if (!opt.sTitle.empty()) {
        GetWindowTextA(hWnd, szText, sizeof szText);
        if (opt.sTitle != szText) return false;
    }
    return true;
}

BOOL CALLBACK CollectTopLevel(HWND hWnd, LPARAM lParam) {
    auto* pState = reinterpret_cast<CListState*>(lParam);
    if (Matches(*pState->pOpt, hWnd)) pState->vFound.push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND hWnd, LPARAM) {
    PrintWindowLine("child", hWnd);
    return TRUE;
}

}  // namespace

std::string ProcessImageName(DWORD dwPid) {
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess) return "";
    char szPath[MAX_PATH * 2] = "";
    DWORD dwSize = sizeof szPath;
    if (!QueryFullProcessImageNameA(hProcess, 0, szPath, &dwSize)) szPath[0] = 0;
    CloseHandle(hProcess);
    std::string s = szPath;
    size_t nSlash = s.find_last_of("\\/");
    return nSlash == std::string::npos ? s : s.substr(nSlash + 1);
}

void PrintWindowLine(const char* pszTag, HWND hWnd) {
    char szClass[128] = "", szTitle[256] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    GetWindowTextA(hWnd, szTitle, sizeof szTitle);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    RECT rcWindow{}, rcClient{};
    GetWindowRect(hWnd, &rcWindow);
    GetClientRect(hWnd, &rcClient);
    std::printf("%s hwnd=0x%llx pid=%lu image=%s class=\"%s\" title=\"%s\" style=0x%08lx "
                "exstyle=0x%08lx rect=%ld,%ld,%ld,%ld client=%ldx%ld visible=%d "
                "owner=0x%llx parent=0x%llx id=%ld\n",
                pszTag, (unsigned long long)(ULONG_PTR)hWnd, dwPid, ProcessImageName(dwPid).c_str(),
                szClass, szTitle, (unsigned long)GetWindowLongA(hWnd, GWL_STYLE),
                (unsigned long)GetWindowLongA(hWnd, GWL_EXSTYLE), rcWindow.left, rcWindow.top,
                rcWindow.right, rcWindow.bottom, rcClient.right - rcClient.left,
                rcClient.bottom - rcClient.top, IsWindowVisible(hWnd) ? 1 : 0,
                (unsigned long long)(ULONG_PTR)GetWindow(hWnd, GW_OWNER),
                (unsigned long long)(ULONG_PTR)GetAncestor(hWnd, GA_PARENT),
                (long)GetWindowLongPtrA(hWnd, GWLP_ID));
    std::fflush(stdout);
}

// Lists the top-level windows that match, waiting up to --wait ms for one.
// Exit code 0 when something matched, 1 when nothing did.
int RunWindowList(const CHostOptions& opt) {
    CListState state{&opt, {}};
    if (opt.nWaitMs > 0) {
        std::printf("listening\n");  // lets a script start the saver after us
        std::fflush(stdout);
    }
    DWORD dwStart = GetTickCount();
    for (;;) {
        state.vFound.clear();
        EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
        if (!state.vFound.empty() || GetTickCount() - dwStart >= (DWORD)opt.nWaitMs) break;
        Sleep(10);  // short: a window's first state can be brief
    }
    for (HWND hWnd : state.vFound) {
        PrintWindowLine("window", hWnd);
        if (opt.bChildren) EnumChildWindows(hWnd, PrintChild, 0);
    }
    std::printf("count=%u\n", (unsigned)state.vFound.size());
    return state.vFound.empty() ? 1 : 0;
}
