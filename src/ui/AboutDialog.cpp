// The About box and the web-site link of the configuration dialog.
#include "ui/AboutDialog.h"

#include <objbase.h>
#include <shellapi.h>

#include "base/Log.h"
#include "resource.h"
#include "settings/LocalizationStore.h"
#include "settings/SettingsStore.h"
#include "ui/ConfigDialog.h"
#include "ui/ConfigText.h"
#include "ui/DialogPicture.h"

namespace {

constexpr int kAboutLineCount = 7;

INT_PTR CALLBACK AboutDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    switch (uMsg) {
    case WM_INITDIALOG:
        SetWindowTextA(hDlg, EE_Core_Localize(kAboutTitleKey).c_str());
        SetDlgItemTextA(hDlg, IDOK, EE_Core_Localize(kOkKey).c_str());
        for (int i = 0; i < kAboutLineCount; ++i)
            SetDlgItemTextA(hDlg, IDC_ABOUT_LINE1 + i, AboutLine(i).c_str());
        FitDialogPicture(hDlg, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hDlg, GWLP_HINSTANCE)), IDB_ABOUT);
        return TRUE;
    case WM_DESTROY:
        ReleaseDialogPicture(hDlg);
        return FALSE;
    case WM_COMMAND:
        // Return reaches here as IDOK, Escape as IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, LOWORD(wParam) == IDOK ? 1 : 2);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR EE_Core_ShowAbout() {
    IConfigDialogHost* pHost = ConfigDialogHost();
    if (!pHost) return 0;
    // Owned like the configuration dialog, which stays enabled meanwhile.
    const INT_PTR nResult = DialogBoxParamA(pHost->Instance(), MAKEINTRESOURCEA(IDD_ABOUT), pHost->Owner(),
                                            AboutDialogProc, 0);
    LogMessage(LogPath(), "%s\t%d\n", "EE_Core_ShowAbout", int(nResult));
    return nResult;
}

void VisitWebSite(HWND hDlg) {
    // Shell execution may hand the address to COM objects (protocol handlers,
    // shell extensions), so the thread needs COM, apartment-threaded.
    const HRESULT hrCom = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // The result is not examined: a failed open leaves the dialog as it was.
    ShellExecuteA(hDlg, "open", DefaultsWebSiteAddress().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(hrCom)) CoUninitialize();
}
