// The process entry point of Cordelune.scr.
#include <windows.h>

#include "host/D3D9Library.h"
#include "resource.h"
#include "app/Cordelune.h"

// The one application object; constructed before WinMain runs.
static CCordelune g_Cordelune;

// The close box and Escape arrive as IDCANCEL and close it as OK does.
static INT_PTR CALLBACK NoDirectXDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, IDOK);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    if (!IsDirect3D9Present())
        return int(DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_NO_DIRECTX), nullptr,
                                   NoDirectXDialogProc, 0));
    g_Cordelune.EE_Core_Startup(hInstance);
    return g_Cordelune.DispatchRunMode(hInstance);
}
