// The work of each run mode, after the framework's start-up.
#include "host/CommandLine.h"
#include "host/EECore.h"

namespace {

using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

// Run mode 4: the platform's own password dialog; any failure is silent.
void ChangePassword(HWND hParent) {
    HMODULE hMpr = LoadLibraryA("MPR.DLL");
    if (!hMpr) return;
    auto pChange = reinterpret_cast<PwdChangePasswordProc>(
        reinterpret_cast<void*>(GetProcAddress(hMpr, "PwdChangePasswordA")));
    if (pChange) pChange("SCRSAVE", hParent, 0, 0);
    FreeLibrary(hMpr);
}

bool IsThirtyTwoBit(D3DFORMAT nFormat) {
    return nFormat == D3DFMT_A8R8G8B8 || nFormat == D3DFMT_X8R8G8B8;
}

}  // namespace

int CEECore::DispatchRunMode(HINSTANCE) {
    switch (m_nRunMode) {
    case RUNMODE_CONFIG:
        EE_Core_ShowConfigDialog();
        break;
    case RUNMODE_PREVIEW:
    case RUNMODE_SAVER:
    case RUNMODE_TEST:
        // A preview whose window could not be made (no such parent, or one
        // already destroyed) or is gone already has nothing left to show.
        if (!WatchPreview()) break;
        EE_Core_ReadSettings(m_Settings);
        SettingsRead();
        EE_Core_SelectMode();
        // A stored index past the list resolves no mode (the device then
        // takes the desktop's): the record keeps the size it was given.
        if (m_Video.nWidth && m_Video.nHeight) {
            m_Settings.Width = int32_t(m_Video.nWidth);
            m_Settings.Height = int32_t(m_Video.nHeight);
            m_Settings.BitCount = IsThirtyTwoBit(m_Video.nFormat) ? 32 : 16;
        }
        LogSettings();
        EE_Core_Run();
        break;
    case RUNMODE_PASSWORD:
        ChangePassword(m_hParentWnd);
        break;
    default:
        break;
    }
    return 0;
}
