// The configuration dialog (run mode 0).
#include "host/EECore.h"
#include "resource.h"

namespace {

INT_PTR CALLBACK ConfigDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CEECore* pCore = g_pEECore;
    switch (uMsg) {
    case WM_INITDIALOG:
        if (pCore) {
            pCore->EE_Core_ReadSettings(pCore->m_Settings);
            pCore->SettingsRead();
            pCore->EE_Core_SelectMode();
            pCore->EE_Core_ConfigInit(hDlg);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && pCore) {
            pCore->EE_Core_WriteSettings(pCore->m_Settings);
            pCore->SettingsWrite();
            EndDialog(hDlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(hDlg, IDCANCEL);
        return TRUE;
    default:
        break;
    }
    return pCore ? pCore->EE_Core_ConfigMessage(hDlg, uMsg, wParam, lParam) : 0;
}

}  // namespace

INT_PTR CEECore::EE_Core_ShowConfigDialog() {
    return DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(IDD_CONFIG), m_hParentWnd,
                           ConfigDialogProc, 0);
}
