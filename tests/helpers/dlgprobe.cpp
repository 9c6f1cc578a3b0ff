// dlgprobe: looks into a dialog of another process and works its controls,
// for the end-to-end tests of the configuration and About dialogs.
//
//   dlgprobe list TITLE [--wait MS]      the dialog and one line per control
//   dlgprobe click TITLE ID              post BM_CLICK to a control
//   dlgprobe type TITLE ID TEXT          replace an edit's text as typing does
//                                        ("\n" in TEXT stands for CR LF)
//   dlgprobe select TITLE ID INDEX       choose a combo item as the user does
//   dlgprobe key TITLE VK                a key press for the focused control
//   dlgprobe sysclose TITLE              what the close box does
//   dlgprobe gone TITLE [--wait MS]      status 0 once no such dialog is left
//   dlgprobe record FILE ARGS...         append the arguments to FILE (a
//                                        stand-in browser for "Visit...")
//   dlgprobe clip TEXT                   put TEXT on the clipboard
//
// Every report is one line of key=value fields; texts are quoted with \r, \n,
// \" and \\ escaped. Positions are client pixels (x y w h), the same in dialog
// units (dx dy dw dh, from the template font's base units) and the screen
// position (sx sy).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kTimeoutMs = 3000;
constexpr char kDialogFont[] = "Microsoft Sans Serif";
constexpr int kDialogFontPoints = 8;

LRESULT Send(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutA(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &nResult))
        return -1;
    return LRESULT(nResult);
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out + "\"";
}

std::string WindowText(HWND hWnd) {
    char szText[1024] = {};
    const LRESULT n = Send(hWnd, WM_GETTEXT, sizeof szText, reinterpret_cast<LPARAM>(szText));
    return n > 0 ? std::string(szText, size_t(n)) : std::string();
}

std::string ClassOf(HWND hWnd) {
    char szClass[128] = {};
    GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

struct FindData {
    const char* pszTitle;
    HWND hFound;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM lParam) {
    FindData& data = *reinterpret_cast<FindData*>(lParam);
    if (!IsWindowVisible(hWnd) || ClassOf(hWnd) != "#32770") return TRUE;
    if (WindowText(hWnd) != data.pszTitle) return TRUE;
    data.hFound = hWnd;
    return FALSE;
}

HWND FindDialogByTitle(const char* pszTitle, int nWaitMs) {
    const DWORD nStart = GetTickCount();
    for (;;) {
        FindData data = {pszTitle, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&data));
        if (data.hFound || int(GetTickCount() - nStart) >= nWaitMs) return data.hFound;
        Sleep(50);
    }
}

// The dialog manager's base units for the template font.
struct BaseUnits {
    int x = 0, y = 0;
    HFONT hFont = nullptr;
    char szFace[LF_FACESIZE] = {};  // the face the system matched
};

BaseUnits MeasureBaseUnits(HDC hdc) {
    BaseUnits units;
    units.hFont = CreateFontA(-MulDiv(kDialogFontPoints, GetDeviceCaps(hdc, LOGPIXELSY), 72), 0, 0, 0,
                              FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, kDialogFont);
    const HGDIOBJ hOld = SelectObject(hdc, units.hFont);
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size = {};
    GetTextExtentPoint32A(hdc, kAlphabet, 52, &size);
    TEXTMETRICA tm = {};
    GetTextMetricsA(hdc, &tm);
    units.x = int((size.cx / 26 + 1) / 2);
    units.y = int(tm.tmHeight);
    GetTextFaceA(hdc, sizeof units.szFace, units.szFace);
    SelectObject(hdc, hOld);
    return units;
}

int ToDlu(int nPixels, int nBase, int nPerBase) { return MulDiv(nPixels, nPerBase, nBase); }

// The caption as drawn: a single "&" marks the mnemonic and takes no room.
int CaptionWidth(HDC hdc, HFONT hFont, const std::string& text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    const HGDIOBJ hOld = SelectObject(hdc, hFont);
    SIZE size = {};
    GetTextExtentPoint32A(hdc, shown.c_str(), int(shown.size()), &size);
    SelectObject(hdc, hOld);
    return int(size.cx);
}

const char* ButtonKind(LONG nStyle) {
    switch (nStyle & BS_TYPEMASK) {
    case BS_PUSHBUTTON: return "push";
    case BS_DEFPUSHBUTTON: return "defpush";
    case BS_CHECKBOX: return "checkbox";
    case BS_AUTOCHECKBOX: return "autocheckbox";
    case BS_RADIOBUTTON: return "radio";
    case BS_AUTORADIOBUTTON: return "autoradio";
    case BS_GROUPBOX: return "groupbox";
    default: return "other";
    }
}

// Room the control leaves for its caption on one line.
int CaptionRoom(const std::string& cls, LONG nStyle, int nWidth) {
    if (cls == "Button") {
        switch (nStyle & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return nWidth - 6;
        case BS_GROUPBOX: return nWidth - 12;
        default: return nWidth - (GetSystemMetrics(SM_CXMENUCHECK) + 4);
        }
    }
    return nWidth;
}

void PrintKindFields(const std::string& cls, HWND hCtl, LONG nStyle) {
    if (cls == "Button") {
        std::printf(" kind=%s checked=%d", ButtonKind(nStyle), int(Send(hCtl, BM_GETCHECK, 0, 0)));
    } else if (cls == TRACKBAR_CLASSA) {
        std::printf(" min=%d max=%d pos=%d page=%d", int(Send(hCtl, TBM_GETRANGEMIN, 0, 0)),
                    int(Send(hCtl, TBM_GETRANGEMAX, 0, 0)), int(Send(hCtl, TBM_GETPOS, 0, 0)),
                    int(Send(hCtl, TBM_GETPAGESIZE, 0, 0)));
    } else if (cls == "Edit") {
        std::printf(" limit=%d multiline=%d", int(Send(hCtl, EM_GETLIMITTEXT, 0, 0)),
                    (nStyle & ES_MULTILINE) ? 1 : 0);
    } else if (cls == "ComboBox") {
        std::printf(" items=%d sel=%d", int(Send(hCtl, CB_GETCOUNT, 0, 0)), int(Send(hCtl, CB_GETCURSEL, 0, 0)));
    } else if (cls == "Static") {
        const bool bBitmap = (nStyle & SS_TYPEMASK) == SS_BITMAP;
        std::printf(" bitmap=%d", bBitmap ? 1 : 0);
        if (bBitmap) {
            // Where the picture itself shows: the client area inside the edges, on the screen.
            RECT rc;
            POINT origin = {0, 0};
            GetClientRect(hCtl, &rc);
            ClientToScreen(hCtl, &origin);
            std::printf(" csx=%ld csy=%ld cw=%ld ch=%ld", long(origin.x), long(origin.y), long(rc.right), long(rc.bottom));
        }
    }
}

void PrintComboItems(HWND hCtl, int nId) {
    const int nCount = int(Send(hCtl, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        // Read as UTF-16: the ANSI form does not cross the process boundary intact.
        wchar_t szWide[256] = {};
        char szText[256] = {};
        const LRESULT nLength = SendMessageW(hCtl, CB_GETLBTEXTLEN, WPARAM(i), 0);
        if (nLength > 0 && nLength < 256) {
            SendMessageW(hCtl, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(szWide));
            WideCharToMultiByte(CP_ACP, 0, szWide, -1, szText, sizeof szText, nullptr, nullptr);
        }
        std::printf("item id=%d index=%d text=%s data=%ld\n", nId, i, Quote(szText).c_str(),
                    long(Send(hCtl, CB_GETITEMDATA, WPARAM(i), 0)));
    }
}

struct ListContext {
    HWND hDlg;
    HDC hdc;
    BaseUnits units;
};

BOOL CALLBACK PrintControl(HWND hCtl, LPARAM lParam) {
    const ListContext& ctx = *reinterpret_cast<const ListContext*>(lParam);
    if (GetParent(hCtl) != ctx.hDlg) return TRUE;  // combo edit parts and the like
    const int nId = GetDlgCtrlID(hCtl);
    const std::string cls = ClassOf(hCtl);
    const LONG nStyle = GetWindowLongA(hCtl, GWL_STYLE);
    RECT rc;
    GetWindowRect(hCtl, &rc);
    const POINT screen = {rc.left, rc.top};
    MapWindowPoints(nullptr, ctx.hDlg, reinterpret_cast<POINT*>(&rc), 2);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    const std::string text = WindowText(hCtl);
    const BaseUnits& u = ctx.units;
    std::printf("control id=%d class=%s text=%s enabled=%d visible=%d style=0x%08lx x=%ld y=%ld w=%d h=%d "
                "dx=%d dy=%d dw=%d dh=%d sx=%ld sy=%ld",
                nId, Quote(cls).c_str(), Quote(text).c_str(), IsWindowEnabled(hCtl) ? 1 : 0,
                IsWindowVisible(hCtl) ? 1 : 0, static_cast<unsigned long>(nStyle), long(rc.left),
                long(rc.top), w, h, ToDlu(rc.left, u.x, 4), ToDlu(rc.top, u.y, 8), ToDlu(w, u.x, 4),
                ToDlu(h, u.y, 8), long(screen.x), long(screen.y));
    PrintKindFields(cls, hCtl, nStyle);
    const bool bCaptioned = (cls == "Button" || cls == "Static") && !text.empty();
    if (bCaptioned) {
        const int nTextWidth = CaptionWidth(ctx.hdc, u.hFont, text);
        std::printf(" textw=%d fits=%d", nTextWidth, nTextWidth <= CaptionRoom(cls, nStyle, w) ? 1 : 0);
    }
    std::printf("\n");
    if (cls == "ComboBox") PrintComboItems(hCtl, nId);
    return TRUE;
}

int RunList(HWND hDlg) {
    ListContext ctx = {hDlg, GetDC(nullptr), {}};
    ctx.units = MeasureBaseUnits(ctx.hdc);
    RECT rcWindow, rcClient;
    GetWindowRect(hDlg, &rcWindow);
    GetClientRect(hDlg, &rcClient);
    DWORD nPid = 0;
    GetWindowThreadProcessId(hDlg, &nPid);
    std::printf("dialog hwnd=0x%lx title=%s pid=%lu enabled=%d x=%ld y=%ld w=%ld h=%ld cw=%ld ch=%ld "
                "bx=%d by=%d face=%s dw=%d dh=%d owner=0x%lx\n",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hDlg)), Quote(WindowText(hDlg)).c_str(),
                static_cast<unsigned long>(nPid), IsWindowEnabled(hDlg) ? 1 : 0, long(rcWindow.left),
                long(rcWindow.top), long(rcWindow.right - rcWindow.left), long(rcWindow.bottom - rcWindow.top),
                long(rcClient.right), long(rcClient.bottom), ctx.units.x, ctx.units.y,
                Quote(ctx.units.szFace).c_str(),
                ToDlu(rcClient.right, ctx.units.x, 4), ToDlu(rcClient.bottom, ctx.units.y, 8),
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(GetWindow(hDlg, GW_OWNER))));
    EnumChildWindows(hDlg, PrintControl, reinterpret_cast<LPARAM>(&ctx));
    DeleteObject(ctx.units.hFont);
    ReleaseDC(nullptr, ctx.hdc);
    std::printf("end\n");
    return 0;
}

HWND ControlOf(HWND hDlg, const char* pszId) {
    const HWND hCtl = GetDlgItem(hDlg, int(std::strtol(pszId, nullptr, 0)));
    if (!hCtl) std::printf("error=nocontrol id=%s\n", pszId);
    return hCtl;
}

int RunClick(HWND hDlg, const char* pszId) {
    const HWND hCtl = ControlOf(hDlg, pszId);
    if (!hCtl) return 1;
    // Posted: a click that opens a modal box must not hold us up.
    const BOOL bOk = PostMessageA(hCtl, BM_CLICK, 0, 0);
    std::printf("click id=%s ok=%d\n", pszId, bOk ? 1 : 0);
    return bOk ? 0 : 1;
}

std::string UnescapeNewlines(const char* psz) {
    std::string out;
    for (const char* p = psz; *p; ++p) {
        if (p[0] == '\\' && p[1] == 'n') {
            out += "\r\n";
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

int RunType(HWND hDlg, const char* pszId, const char* pszText) {
    const HWND hCtl = ControlOf(hDlg, pszId);
    if (!hCtl) return 1;
    const std::string text = UnescapeNewlines(pszText);
    // EM_REPLACESEL notifies the parent (EN_CHANGE) as typing does.
    Send(hCtl, EM_SETSEL, 0, -1);
    Send(hCtl, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    std::printf("type id=%s text=%s now=%s\n", pszId, Quote(text).c_str(), Quote(WindowText(hCtl)).c_str());
    return 0;
}

int RunSelect(HWND hDlg, const char* pszId, const char* pszIndex) {
    const HWND hCtl = ControlOf(hDlg, pszId);
    if (!hCtl) return 1;
    const int nIndex = int(std::strtol(pszIndex, nullptr, 0));
    Send(hCtl, CB_SETCURSEL, WPARAM(nIndex), 0);
    // What the list sends when the user picks an item and closes it.
    const int nId = GetDlgCtrlID(hCtl);
    Send(hDlg, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCtl));
    Send(hDlg, WM_COMMAND, MAKEWPARAM(nId, CBN_SELENDOK), reinterpret_cast<LPARAM>(hCtl));
    std::printf("select id=%d index=%d sel=%d\n", nId, nIndex, int(Send(hCtl, CB_GETCURSEL, 0, 0)));
    return 0;
}

int RunKey(HWND hDlg, const char* pszVk) {
    const UINT nVk = UINT(std::strtoul(pszVk, nullptr, 0));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD nThread = GetWindowThreadProcessId(hDlg, nullptr);
    HWND hTarget = hDlg;
    if (GetGUIThreadInfo(nThread, &info) && info.hwndFocus) hTarget = info.hwndFocus;
    const UINT nScan = MapVirtualKeyA(nVk, MAPVK_VK_TO_VSC);
    const BOOL bOk = PostMessageA(hTarget, WM_KEYDOWN, nVk, LPARAM(1 | (nScan << 16))) &&
                     PostMessageA(hTarget, WM_KEYUP, nVk, LPARAM(1 | (nScan << 16) | 0xC0000000u));
    std::printf("key vk=%u target=0x%lx ok=%d\n", nVk,
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hTarget)), bOk ? 1 : 0);
    return bOk ? 0 : 1;
}

int RunRecord(int argc, char** argv) {
    FILE* pFile = std::fopen(argv[2], "ab");
    if (!pFile) return 1;
    for (int i = 3; i < argc; ++i) std::fprintf(pFile, "%s%s", i > 3 ? " " : "", argv[i]);
    std::fprintf(pFile, "\n");
    std::fclose(pFile);
    return 0;
}

int RunClip(const char* pszText) {
    const size_t nSize = std::strlen(pszText) + 1;
    HGLOBAL hMem = GlobalAlloc(GMEM_MOVEABLE, nSize);
    if (!hMem) return 1;
    std::memcpy(GlobalLock(hMem), pszText, nSize);
    GlobalUnlock(hMem);
    bool bOk = false;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        bOk = SetClipboardData(CF_TEXT, hMem) != nullptr;
        CloseClipboard();
    }
    if (!bOk) GlobalFree(hMem);
    std::printf("clip ok=%d\n", bOk ? 1 : 0);
    return bOk ? 0 : 1;
}

int WaitOption(int argc, char** argv, int nFirst) {
    for (int i = nFirst; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--wait")) return std::atoi(argv[i + 1]);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: dlgprobe list|click|type|select|key|sysclose|gone TITLE [ARGS] [--wait MS]\n"
                 "       dlgprobe record FILE ARGS...\n"
                 "       dlgprobe clip TEXT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "record") return RunRecord(argc, argv);
    if (command == "clip") return RunClip(argv[2]);
    const int nWaitMs = WaitOption(argc, argv, 3);
    if (command == "gone") {
        const DWORD nStart = GetTickCount();
        while (FindDialogByTitle(argv[2], 0)) {
            if (int(GetTickCount() - nStart) >= nWaitMs) {
                std::printf("gone=0\n");
                return 1;
            }
            Sleep(50);
        }
        std::printf("gone=1\n");
        return 0;
    }
    const HWND hDlg = FindDialogByTitle(argv[2], nWaitMs);
    if (!hDlg) {
        std::printf("error=nodialog title=%s\n", Quote(argv[2]).c_str());
        return 1;
    }
    if (command == "list") return RunList(hDlg);
    if (command == "sysclose") {
        const BOOL bOk = PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        std::printf("sysclose ok=%d\n", bOk ? 1 : 0);
        return bOk ? 0 : 1;
    }
    if (command == "click" && argc >= 4) return RunClick(hDlg, argv[3]);
    if (command == "type" && argc >= 5) return RunType(hDlg, argv[3], argv[4]);
    if (command == "select" && argc >= 5) return RunSelect(hDlg, argv[3], argv[4]);
    if (command == "key" && argc >= 4) return RunKey(hDlg, argv[3]);
    return Usage();
}
