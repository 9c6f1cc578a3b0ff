#pragma once
// The About box (template 235) and the web-site link of the configuration
// dialog; both work on the host the dialog was shown with.
#include <windows.h>

// The About box, modal, with the configuration dialog's owner; returns 1
// (OK or Return) or 2 (Escape).
INT_PTR EE_Core_ShowAbout();

// Opens the maker's web site in the user's browser.
void VisitWebSite(HWND hDlg);
