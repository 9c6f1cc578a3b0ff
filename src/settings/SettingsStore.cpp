// The defaults file embedded in the executable and the registry store of the
// user's choices.
#include <cstring>
#include <string>

#include "assets/Resources.h"
#include "base/Log.h"
#include "resource.h"
#include "settings/DefaultsFile.h"
#include "settings/RegistryEncoding.h"
#include "settings/SettingsStore.h"

// Constant-initialised (no constructor runs), so it is ready before any
// static object is constructed.
SaverSettings g_DefaultSettings;

namespace {

// The parsed defaults file and its web-site address. The application object,
// a static object of another file, fills them while it is constructed; as
// function-local statics they are constructed at that first use and no later
// static initialisation can reset them, whatever the link order.
struct DefaultsStore {
    DefaultsTable table;
    std::string strWebSite;
};

DefaultsStore& Defaults() {
    static DefaultsStore s_store;
    return s_store;
}

void ShowDefaultsMessage(const char* pszText, const char* pszCaption) {
    MessageBoxA(nullptr, pszText, pszCaption, MB_OK);
}

// Only what the write stores counts: a value of another type or size (text,
// binary data, a QWORD, or one too long to fit) reads as absent.
bool QueryDword(HKEY hKey, const char* pszName, DWORD& nValue) {
    nValue = 0;
    DWORD nSize = sizeof nValue, nType = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, &nType, reinterpret_cast<BYTE*>(&nValue), &nSize) !=
            ERROR_SUCCESS ||
        nType != REG_DWORD || nSize != sizeof nValue) {
        nValue = 0;
        return false;
    }
    return true;
}

void StoreDword(HKEY hKey, const char* pszName, DWORD nValue) {
    RegSetValueExA(hKey, pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&nValue), sizeof nValue);
}

void ReadUserLine(HKEY hKey, const char* pszName, char (&line)[64]) {
    char buffer[kStoredLineSize];
    DWORD nSize = sizeof buffer, nType = 0;
    const LONG nStatus = RegQueryValueExA(hKey, pszName, nullptr, &nType,
                                          reinterpret_cast<BYTE*>(buffer), &nSize);
    if (nStatus == ERROR_SUCCESS && (nType == REG_SZ || nType == REG_EXPAND_SZ))
        SetLineFromStored(line, buffer, nSize);
}

}  // namespace

const std::string& DefaultsWebSiteAddress() { return Defaults().strWebSite; }

void LoadDefaultSettings() {
    const ResourceBlob blob = LoadDataResource("CustomData", IDR_DEFAULTS);
    DefaultsStore& store = Defaults();
    store.table = DefaultsTable();
    ParseDefaultsFile(blob.pData, blob.nSize, store.table, ShowDefaultsMessage);
    store.strWebSite = WebSiteAddress(store.table, ShowDefaultsMessage);
    FillDefaultsRecord(store.table, g_DefaultSettings, ShowDefaultsMessage);
}

LONG ReadStoredSettings(SaverSettings& settings, int32_t& nSelectedMode, QuoteRecord& userText,
                        const QuoteRecord* pQuotes, int32_t nQuoteCount) {
    HKEY hKey = nullptr;
    const LONG nStatus = RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKeyPath, 0, nullptr, 0, KEY_READ,
                                         nullptr, &hKey, nullptr);
    if (nStatus != ERROR_SUCCESS) return nStatus;
    for (const StoredValue& value : kReadOrder) {
        DWORD nValue = 0;
        const bool bPresent = QueryDword(hKey, value.pszName, nValue);
        ApplyStoredValue(value, bPresent, nValue, settings, nSelectedMode);
    }
    for (int i = 0; i < kUserLineCount; ++i)
        ReadUserLine(hKey, kCustomLineNames[i], userText.aszLines[i]);
    FillUserLinesIfEmpty(userText, pQuotes, nQuoteCount);
    RegCloseKey(hKey);
    return ERROR_SUCCESS;
}

LONG WriteStoredSettings(const SaverSettings& settings, int32_t nSelectedMode, QuoteRecord& userText,
                         const QuoteRecord* pQuotes, int32_t nQuoteCount) {
    HKEY hKey = nullptr;
    const LONG nStatus = RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKeyPath, 0, nullptr, 0, KEY_WRITE,
                                         nullptr, &hKey, nullptr);
    if (nStatus != ERROR_SUCCESS) return nStatus;
    for (const StoredValue& value : kWriteOrder)
        StoreDword(hKey, value.pszName, EncodeStoredValue(value, settings, nSelectedMode));
    FillUserLinesIfEmpty(userText, pQuotes, nQuoteCount);
    for (int i = 0; i < kUserLineCount; ++i) {
        char stored[kStoredLineSize];
        EncodeStoredLine(userText.aszLines[i], stored);
        RegSetValueExA(hKey, kCustomLineNames[i], 0, REG_SZ, reinterpret_cast<const BYTE*>(stored),
                       sizeof stored);
    }
    RegFlushKey(hKey);
    return RegCloseKey(hKey);
}

void LogSettings(const SaverSettings& s, int32_t nSelectedMode) {
    LogMessage(LogPath(),
               "settings\tShowFPS=%d ExitOnMouseMove=%d ShowTime=%d Music=%d SFX=%d MusicVolume=%d "
               "Width=%d Height=%d BitCount=%d FSAA=%d UseDesktopSettings=%d TimeModeAMPM=%d "
               "SelectedMode=%d\n",
               int(s.ShowFPS), int(s.ExitOnMouseMove), int(s.ShowTime), int(s.Music), int(s.SFX),
               int(s.MusicVolume), int(s.Width), int(s.Height), int(s.BitCount), int(s.FSAA),
               int(s.UseDesktopSettings), int(s.TimeModeAMPM), int(nSelectedMode));
}
