#include "settings/LocalizationStore.h"

#include "assets/Resources.h"
#include "resource.h"
#include "settings/Localization.h"

namespace {
CLocalizationTable g_Localization;
}

void EE_Core_LoadLocalization() {
    const ResourceBlob blob = LoadDataResource("CustomData", IDR_LOCALIZATION);
    g_Localization.Load(blob.pData, blob.nSize);
}

std::string EE_Core_Localize(const wchar_t* pszKey) {
    std::u16string key;
    for (const wchar_t* p = pszKey; p && *p; ++p) key.push_back(char16_t(*p));
    return g_Localization.Localize(key);
}

const std::string& AboutLine(int i) { return g_Localization.AboutLine(i); }
