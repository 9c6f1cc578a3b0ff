// The configuration dialog (run mode 0). It works directly on the settings
// record, the selected mode and the user text of its host: OK stores them,
// Cancel drops them, and either ends the run.
#include "ui/ConfigDialog.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "resource.h"
#include "settings/LocalizationStore.h"
#include "settings/RegistryEncoding.h"
#include "settings/SettingsStore.h"
#include "ui/AboutDialog.h"
#include "ui/ConfigText.h"
#include "ui/DialogPicture.h"

namespace {

constexpr int kBottomRowShift = 44;  // pixels at 96 DPI
constexpr int kVolumeMin = 1;
constexpr int kVolumeMax = 100;
constexpr int kVolumePage = 10;
constexpr char kRowMovedProp[] = "Cordelune.BottomRowMoved";
constexpr UINT_PTR kUserTextSubclass = 1;

// The host of the dialog being shown.
IConfigDialogHost* g_pHost = nullptr;

HWND Item(HWND hDlg, int nId) { return GetDlgItem(hDlg, nId); }

void SetCheck(HWND hDlg, int nId, bool bChecked) {
    CheckDlgButton(hDlg, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

void SetCaption(HWND hDlg, const ControlCaption& caption) {
    const std::string text = EE_Core_Localize(caption.pszKey) + caption.pszSuffix;
    SetDlgItemTextA(hDlg, caption.nId, text.c_str());
}

// --- enabling rules -------------------------------------------------------------

void ApplyModeListRule(HWND hDlg, const SaverSettings& s) {
    EnableWindow(Item(hDlg, IDC_VIDEO_MODE_LIST), s.UseDesktopSettings == 0);
}

void ApplyClockStyleRule(HWND hDlg, const SaverSettings& s) {
    EnableWindow(Item(hDlg, IDC_CLOCK_12H), s.ShowTime == 1);
    EnableWindow(Item(hDlg, IDC_CLOCK_24H), s.ShowTime == 1);
}

void ApplyVolumeRule(HWND hDlg, const SaverSettings& s) {
    const bool bSound = s.Music == 1 || s.SFX == 1;
    EnableWindow(Item(hDlg, IDC_VOLUME_SLIDER), bSound);
    EnableWindow(Item(hDlg, IDC_VOLUME_LABEL), bSound);
}

// --- the text boxes ---------------------------------------------------------------

// The caret's line of the text box, and how many of its characters the
// selection would replace.
bool CaretLineHasRoom(HWND hEdit) {
    DWORD nStart = 0, nEnd = 0;
    SendMessageA(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
    const LRESULT nLine = SendMessageA(hEdit, EM_LINEFROMCHAR, nStart, 0);
    const LRESULT nLineStart = SendMessageA(hEdit, EM_LINEINDEX, WPARAM(nLine), 0);
    const LRESULT nLength = SendMessageA(hEdit, EM_LINELENGTH, WPARAM(nLineStart), 0);
    const DWORD nLineEnd = DWORD(nLineStart + nLength);
    const DWORD nReplaced = (nEnd < nLineEnd ? nEnd : nLineEnd) - nStart;
    return UserLineHasRoom(size_t(nLength), size_t(nReplaced));
}

// A line holds 63 characters: a key that would make it longer is refused with
// a beep, and pasted text is cut back at once, so the box shows what is kept.
LRESULT CALLBACK UserTextBoxProc(HWND hEdit, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
    switch (uMsg) {
    case WM_CHAR:
        if (wParam >= 0x20 && wParam != 0x7F && !CaretLineHasRoom(hEdit)) {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_PASTE: {
        const LRESULT nResult = DefSubclassProc(hEdit, uMsg, wParam, lParam);
        char szText[kDialogTextBuffer];
        const int n = GetWindowTextA(hEdit, szText, sizeof szText);
        const std::string text(szText, size_t(n > 0 ? n : 0));
        const std::string cut = CutUserTextLines(text);
        if (cut != text) {
            MessageBeep(MB_OK);
            SetWindowTextA(hEdit, cut.c_str());
            SendMessageA(hEdit, EM_SETSEL, cut.size(), cut.size());
        }
        return nResult;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hEdit, UserTextBoxProc, kUserTextSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(hEdit, uMsg, wParam, lParam);
}

void FillTextBoxes(HWND hDlg, const QuoteRecord& user) {
    SetDlgItemTextA(hDlg, IDC_USER_TEXT, JoinUserText(user).c_str());
    char szAuthor[kQuoteLineSize];
    std::memcpy(szAuthor, user.aszLines[kAuthorLine], sizeof szAuthor);
    szAuthor[kUserLineChars] = '\0';
    SetDlgItemTextA(hDlg, IDC_AUTHOR, szAuthor);
    SendDlgItemMessageA(hDlg, IDC_AUTHOR, EM_LIMITTEXT, kAuthorChars, 0);
    SendDlgItemMessageA(hDlg, IDC_USER_TEXT, EM_LIMITTEXT, kUserTextBoxChars, 0);
}

void TakeUserText(HWND hDlg, QuoteRecord& user) {
    char szText[kDialogTextBuffer];
    const UINT n = GetDlgItemTextA(hDlg, IDC_USER_TEXT, szText, sizeof szText);
    SplitUserText(szText, n, user);
}

void TakeAuthor(HWND hDlg, QuoteRecord& user) {
    char szText[kDialogTextBuffer];
    const UINT n = GetDlgItemTextA(hDlg, IDC_AUTHOR, szText, sizeof szText);
    // The box may hold a longer stored line; the record keeps 63 characters.
    SetUserLine(user.aszLines[kAuthorLine], szText, n);
}

// --- initialisation -------------------------------------------------------------------

// The record follows the selected mode; with no mode selected it keeps its size.
void ApplyVideoMode(IConfigDialogHost& host) {
    host.SelectMode();
    const int32_t nMode = host.SelectedMode();
    const auto& modes = host.Modes();
    SaverSettings& s = host.Settings();
    if (nMode >= 0 && size_t(nMode) < modes.size()) {
        s.Width = int32_t(modes[size_t(nMode)].Width);
        s.Height = int32_t(modes[size_t(nMode)].Height);
        s.BitCount = ModeBitCount(modes[size_t(nMode)].Format);
    }
    s.FSAA = 0;
}

// Item index = mode index: the list is not sorted by the control.
void FillModeList(HWND hDlg, IConfigDialogHost& host) {
    const HWND hList = Item(hDlg, IDC_VIDEO_MODE_LIST);
    SendMessageA(hList, CB_RESETCONTENT, 0, 0);
    const auto& modes = host.Modes();
    for (size_t i = 0; i < modes.size(); ++i) {
        const LRESULT nItem = SendMessageA(hList, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(ModeText(modes[i]).c_str()));
        if (nItem >= 0) SendMessageA(hList, CB_SETITEMDATA, WPARAM(nItem), LPARAM(i));
    }
    const int32_t nMode = host.SelectedMode();
    const bool bListed = nMode >= 0 && size_t(nMode) < modes.size();
    SendMessageA(hList, CB_SETCURSEL, bListed ? WPARAM(nMode) : WPARAM(-1), 0);
}

// Moves a control up by nDy pixels, keeping its size and x position.
void MoveUp(HWND hDlg, int nId, int nDy) {
    const HWND hItem = Item(hDlg, nId);
    RECT rc;
    GetWindowRect(hItem, &rc);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    ShowWindow(hItem, SW_HIDE);
    MoveWindow(hItem, rc.left, rc.top - nDy, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    ShowWindow(hItem, SW_SHOW);
}

// The bottom row follows the "Products" group directly; done once a dialog.
void MoveBottomRow(HWND hDlg) {
    if (GetPropA(hDlg, kRowMovedProp)) return;
    SetPropA(hDlg, kRowMovedProp, reinterpret_cast<HANDLE>(1));
    const HDC hdc = GetDC(hDlg);
    const int nDpi = hdc ? GetDeviceCaps(hdc, LOGPIXELSY) : 96;
    if (hdc) ReleaseDC(hDlg, hdc);
    const int nDy = MulDiv(kBottomRowShift, nDpi > 0 ? nDpi : 96, 96);
    for (int nId : {IDOK, IDCANCEL, IDC_RESTORE_DEFAULTS}) MoveUp(hDlg, nId, nDy);
    RECT rc;
    GetWindowRect(hDlg, &rc);
    const bool bVisible = IsWindowVisible(hDlg) != FALSE;
    ShowWindow(hDlg, SW_HIDE);
    MoveWindow(hDlg, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top - nDy, FALSE);
    // During WM_INITDIALOG the dialog is not shown yet; DialogBoxParam shows it.
    if (bVisible) ShowWindow(hDlg, SW_SHOW);
}

void InitCaptions(HWND hDlg) {
    SetWindowTextA(hDlg, EE_Core_Localize(kConfigTitleKey).c_str());
    for (size_t i = 0; i < kConfigCaptionCount; ++i) SetCaption(hDlg, kConfigCaptions[i]);
}

void InitChecks(HWND hDlg, const SaverSettings& s) {
    SetCheck(hDlg, IDC_SHOW_FPS, s.ShowFPS != 0);
    SetCheck(hDlg, IDC_SHOW_TIME, s.ShowTime != 0);
    SetCheck(hDlg, IDC_EXIT_ON_MOUSE, s.ExitOnMouseMove != 0);
    SetCheck(hDlg, IDC_ENABLE_SFX, s.SFX != 0);
    SetCheck(hDlg, IDC_ENABLE_MUSIC, s.Music != 0);
    SetCheck(hDlg, IDC_USE_DESKTOP, s.UseDesktopSettings != 0);
    SetCheck(hDlg, IDC_CLOCK_12H, s.TimeModeAMPM != 0);
    SetCheck(hDlg, IDC_CLOCK_24H, s.TimeModeAMPM == 0);
}

void InitSlider(HWND hDlg, const SaverSettings& s) {
    const HWND hSlider = Item(hDlg, IDC_VOLUME_SLIDER);
    SendMessageA(hSlider, TBM_SETRANGE, TRUE, MAKELPARAM(kVolumeMin, kVolumeMax));
    SendMessageA(hSlider, TBM_SETPOS, TRUE, s.MusicVolume);
    SendMessageA(hSlider, TBM_SETPAGESIZE, 0, kVolumePage);
}

// The controls from the record, in this order: the mode, the list, the
// application's hook, the controls.
void InitFromRecord(IConfigDialogHost& host, HWND hDlg) {
    ApplyVideoMode(host);
    FillModeList(hDlg, host);
    host.ConfigInit(hDlg);
    EE_Core_InitConfigControls(hDlg);
}

BOOL OnInitDialog(IConfigDialogHost& host, HWND hDlg) {
    host.ReadSettings();
    SetWindowSubclass(Item(hDlg, IDC_USER_TEXT), UserTextBoxProc, kUserTextSubclass, 0);
    InitFromRecord(host, hDlg);
    FitDialogPicture(hDlg, host.Instance(), IDB_CONFIG);
    return TRUE;
}

void RestoreDefaults(IConfigDialogHost& host, HWND hDlg) {
    host.RestoreDefaults();
    host.UserText() = host.FirstQuote();
    FillTextBoxes(hDlg, host.UserText());
    host.Settings() = g_DefaultSettings;  // the selected mode is kept
    InitFromRecord(host, hDlg);
}

// --- messages ---------------------------------------------------------------------------

// A toggle sets the check state from the field, so the two cannot drift apart.
void Toggle(HWND hDlg, int nId, int32_t& nField) {
    nField = nField ? 0 : 1;
    SetCheck(hDlg, nId, nField != 0);
}

void SetClockStyle(HWND hDlg, SaverSettings& s, int32_t nAmPm) {
    s.TimeModeAMPM = nAmPm;
    SetCheck(hDlg, IDC_CLOCK_12H, nAmPm != 0);
    SetCheck(hDlg, IDC_CLOCK_24H, nAmPm == 0);
}

void EndConfig(HWND hDlg, INT_PTR nResult) {
    EndDialog(hDlg, nResult);
    PostQuitMessage(0);
}

// True when the command was consumed (the procedure then returns TRUE).
bool OnCommand(IConfigDialogHost& host, HWND hDlg, WPARAM wParam, LPARAM lParam) {
    SaverSettings& s = host.Settings();
    const int nId = LOWORD(wParam);
    switch (nId) {
    case IDC_SHOW_FPS: Toggle(hDlg, nId, s.ShowFPS); return false;
    case IDC_SHOW_TIME:
        Toggle(hDlg, nId, s.ShowTime);
        ApplyClockStyleRule(hDlg, s);
        return false;
    case IDC_CLOCK_12H: SetClockStyle(hDlg, s, 1); return false;
    case IDC_CLOCK_24H: SetClockStyle(hDlg, s, 0); return false;
    case IDC_EXIT_ON_MOUSE: Toggle(hDlg, nId, s.ExitOnMouseMove); return false;
    case IDC_ENABLE_SFX:
        Toggle(hDlg, nId, s.SFX);
        ApplyVolumeRule(hDlg, s);
        return false;
    case IDC_ENABLE_MUSIC:
        Toggle(hDlg, nId, s.Music);
        ApplyVolumeRule(hDlg, s);
        return false;
    case IDC_USE_DESKTOP:
        Toggle(hDlg, nId, s.UseDesktopSettings);
        ApplyModeListRule(hDlg, s);
        return false;
    case IDC_ABOUT: EE_Core_ShowAbout(); return false;
    case IDC_RESTORE_DEFAULTS: RestoreDefaults(host, hDlg); return false;
    case IDC_VISIT: VisitWebSite(hDlg); return false;
    case IDC_AUTHOR: TakeAuthor(hDlg, host.UserText()); return false;
    case IDC_USER_TEXT: TakeUserText(hDlg, host.UserText()); return false;
    case IDOK:
        host.WriteSettings();
        EndConfig(hDlg, 1);
        return true;
    case IDCANCEL:  // also the close box
        EndConfig(hDlg, 2);
        return true;
    default:
        break;
    }
    if (HIWORD(wParam) == CBN_SELENDOK) {
        const HWND hCombo = reinterpret_cast<HWND>(lParam);
        const LRESULT nSel = SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
        SendMessageA(hCombo, CB_SETCURSEL, WPARAM(nSel), 0);
        if (nSel != CB_ERR && nId == IDC_VIDEO_MODE_LIST) host.SelectedMode() = int32_t(nSel);
        return true;
    }
    return false;
}

// The slider's position is taken whatever moved it: mouse, page click or keys.
void OnHScroll(IConfigDialogHost& host, HWND hDlg, LPARAM lParam) {
    const HWND hSlider = Item(hDlg, IDC_VOLUME_SLIDER);
    if (reinterpret_cast<HWND>(lParam) != hSlider) return;
    host.Settings().MusicVolume = int32_t(SendMessageA(hSlider, TBM_GETPOS, 0, 0));
}

}  // namespace

IConfigDialogHost* ConfigDialogHost() { return g_pHost; }

void EE_Core_InitConfigControls(HWND hDlg) {
    if (!g_pHost) return;
    const SaverSettings& s = g_pHost->Settings();
    InitCaptions(hDlg);
    InitChecks(hDlg, s);
    ApplyModeListRule(hDlg, s);
    ApplyClockStyleRule(hDlg, s);
    ApplyVolumeRule(hDlg, s);
    InitSlider(hDlg, s);
    QuoteRecord& user = g_pHost->UserText();
    if (UserLinesEmpty(user)) user = g_pHost->FirstQuote();
    FillTextBoxes(hDlg, user);
    MoveBottomRow(hDlg);
}

INT_PTR CALLBACK EE_Core_ConfigDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    IConfigDialogHost* pHost = g_pHost;
    if (!pHost) return FALSE;
    switch (uMsg) {
    case WM_INITDIALOG:
        return OnInitDialog(*pHost, hDlg);
    case WM_HSCROLL:
        OnHScroll(*pHost, hDlg, lParam);
        break;
    case WM_COMMAND:
        if (OnCommand(*pHost, hDlg, wParam, lParam)) return TRUE;
        break;
    case WM_DESTROY:
        RemovePropA(hDlg, kRowMovedProp);
        ReleaseDialogPicture(hDlg);
        break;
    default:
        break;
    }
    return pHost->ConfigMessage(hDlg, uMsg, wParam, lParam);
}

INT_PTR ShowConfigDialog(IConfigDialogHost& host) {
    // The trackbar's class lives in the common controls.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    IConfigDialogHost* const pOuter = g_pHost;
    g_pHost = &host;
    const INT_PTR nResult = DialogBoxParamA(host.Instance(), MAKEINTRESOURCEA(IDD_CONFIG), host.Owner(),
                                            EE_Core_ConfigDialogProc, 0);
    g_pHost = pOuter;
    return nResult;
}
