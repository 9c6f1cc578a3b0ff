// The framework's settings, quotes and configuration dialog: thin steps over
// the settings store, the quotation file and the dialog.
#include "host/EECore.h"

#include "settings/QuoteFile.h"
#include "settings/SettingsStore.h"
#include "ui/ConfigDialog.h"

namespace {

// The dialog's view of the framework.
class CConfigDialogHost final : public IConfigDialogHost {
public:
    explicit CConfigDialogHost(CEECore& core) : m_Core(core) {}

    SaverSettings& Settings() override { return m_Core.m_Settings; }
    QuoteRecord& UserText() override { return m_Core.m_UserText; }
    const QuoteRecord& FirstQuote() const override { return m_Core.m_Quotes.aRecords[0]; }
    const std::vector<DisplayMode>& Modes() const override { return m_Core.m_Video.modes; }
    int32_t& SelectedMode() override { return m_Core.m_Video.m_nSelectedMode; }
    HINSTANCE Instance() const override { return m_Core.m_hInstance; }
    HWND Owner() const override { return m_Core.m_hParentWnd; }

    void SelectMode() override { m_Core.EE_Core_SelectMode(); }
    void ReadSettings() override {
        m_Core.EE_Core_ReadSettings(m_Core.m_Settings);
        m_Core.SettingsRead();
    }
    void WriteSettings() override {
        m_Core.EE_Core_WriteSettings(m_Core.m_Settings);
        m_Core.SettingsWrite();
    }
    void RestoreDefaults() override { m_Core.EE_Core_RestoreDefaults(); }
    void ConfigInit(HWND hDlg) override { m_Core.EE_Core_ConfigInit(hDlg); }
    INT_PTR ConfigMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        return m_Core.EE_Core_ConfigMessage(hDlg, uMsg, wParam, lParam);
    }

private:
    CEECore& m_Core;
};

}  // namespace

void CEECore::EE_Core_LoadDefaults() { LoadDefaultSettings(); }

LONG CEECore::EE_Core_ReadSettings(SaverSettings& settings) {
    return ReadStoredSettings(settings, m_Video.m_nSelectedMode, m_UserText, m_Quotes.aRecords,
                              m_Quotes.nCount);
}

LONG CEECore::EE_Core_WriteSettings(const SaverSettings& settings) {
    return WriteStoredSettings(settings, m_Video.m_nSelectedMode, m_UserText, m_Quotes.aRecords,
                               m_Quotes.nCount);
}

void CEECore::LogSettings() const { ::LogSettings(m_Settings, m_Video.m_nSelectedMode); }

void CEECore::ReadQuotes() { m_Quotes.nCount = ReadEmbeddedQuotes(m_Quotes.aRecords, kMaxQuotes); }

INT_PTR CEECore::EE_Core_ShowConfigDialog() {
    // A number that names no window (stale or mistyped) would keep the dialog
    // from appearing at all: it then has no owner, as with no number.
    if (m_hParentWnd && !IsWindow(m_hParentWnd)) m_hParentWnd = nullptr;
    CConfigDialogHost host(*this);
    return ShowConfigDialog(host);
}
