#pragma once
// The configuration dialog (template 2003) and the About box (template 235).
// Both reach the application object through g_pEECore.
#include <windows.h>

// The dialog procedure of the configuration dialog.
INT_PTR CALLBACK EE_Core_ConfigDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Title, captions and control states from the record; the bottom row is moved
// up (and the window made shorter) the first time only.
void EE_Core_InitConfigControls(HWND hDlg);

// The About box, modal, with the configuration dialog's owner; returns 1
// (OK or Return) or 2 (Escape).
INT_PTR EE_Core_ShowAbout();

// Opens the maker's web site in the user's browser.
void EE_Core_VisitWebSite(HWND hDlg);
