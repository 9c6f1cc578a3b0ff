#pragma once
// The configuration dialog (template 2003); its About box and web-site link
// are in AboutDialog.h.
// Both work on the host the dialog was shown with: the framework, which
// implements IConfigDialogHost.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "settings/ModeList.h"
#include "settings/QuoteRecord.h"
#include "settings/SaverSettings.h"

// What the dialog edits in place and the framework steps it runs.
class IConfigDialogHost {
public:
    virtual SaverSettings& Settings() = 0;
    virtual QuoteRecord& UserText() = 0;
    virtual const QuoteRecord& FirstQuote() const = 0;
    virtual const std::vector<DisplayMode>& Modes() const = 0;
    virtual int32_t& SelectedMode() = 0;
    virtual HINSTANCE Instance() const = 0;
    virtual HWND Owner() const = 0;  // also the About box's owner

    virtual void SelectMode() = 0;
    virtual void ReadSettings() = 0;   // the stored choices, then the application's hook
    virtual void WriteSettings() = 0;  // the same, stored
    virtual void RestoreDefaults() = 0;
    virtual void ConfigInit(HWND hDlg) = 0;
    virtual INT_PTR ConfigMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~IConfigDialogHost() = default;
};

// Shows the dialog, modal, owned by the host's owner window; returns 1 (OK)
// or 2 (Cancel). The host is used until it returns.
INT_PTR ShowConfigDialog(IConfigDialogHost& host);

// The dialog procedure of the configuration dialog.
INT_PTR CALLBACK EE_Core_ConfigDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Title, captions and control states from the record; the bottom row is moved
// up (and the window made shorter) the first time only.
void EE_Core_InitConfigControls(HWND hDlg);

// The host of the dialog being shown, or null.
IConfigDialogHost* ConfigDialogHost();
