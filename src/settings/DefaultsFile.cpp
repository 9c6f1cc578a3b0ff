#include "settings/DefaultsFile.h"

#include <climits>

const char kDefaultsBadFormatText[] =
    "\xed\xe5\xef\xf0\xe0\xe2\xe8\xeb\xfc\xed\xfb\xe9 \xf4\xee\xf0\xec\xe0\xf2 "
    "\xf4\xe0\xe9\xeb\xe0 def_settings.txt";
const char kDefaultsMissingKeyText[] =
    "\xcd\xe5 \xed\xe0\xe9\xe4\xe5\xed \xef\xe0\xf0\xe0\xec\xe5\xf2\xf0 \xe2 "
    "\xf4\xe0\xe9\xeb\xe5 def_settings.txt";

namespace {

void Report(const DefaultsReport& report, const char* pszText, const char* pszCaption) {
    if (report) report(pszText, pszCaption);
}

std::string FoldLower(const std::string& str) {
    std::string result = str;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return result;
}

// Every byte that is 32 or less as a signed 8-bit number goes: blanks,
// control characters and all non-ASCII text. A ";" starts a comment.
std::string CleanLine(const uint8_t* pBegin, const uint8_t* pEnd) {
    std::string result;
    for (const uint8_t* p = pBegin; p != pEnd; ++p) {
        if (int8_t(*p) <= 32) continue;
        if (*p == ';') break;
        result.push_back(char(*p));
    }
    return result;
}

void AddLine(const std::string& strLine, DefaultsTable& table, const DefaultsReport& report) {
    const size_t nEquals = strLine.find('=');
    if (nEquals == std::string::npos) {
        Report(report, kDefaultsBadFormatText, "");
        table.Add(strLine, strLine);
        return;
    }
    table.Add(strLine.substr(0, nEquals), strLine.substr(nEquals + 1));
}

// Leading decimal integer with optional sign, clamped instead of overflowing.
int32_t LeadingInteger(const std::string& str) {
    size_t i = 0;
    bool bNegative = false;
    if (i < str.size() && (str[i] == '+' || str[i] == '-')) bNegative = str[i++] == '-';
    int64_t nValue = 0;
    for (; i < str.size() && str[i] >= '0' && str[i] <= '9'; ++i) {
        nValue = nValue * 10 + (str[i] - '0');
        if (nValue > int64_t(INT32_MAX) + 1) nValue = int64_t(INT32_MAX) + 1;
    }
    if (bNegative) nValue = -nValue;
    if (nValue > INT32_MAX) nValue = INT32_MAX;
    return int32_t(nValue);
}

}  // namespace

void DefaultsTable::Clear() {
    m_aPairs.clear();
    m_nDropped = 0;
}

bool DefaultsTable::Add(std::string strKey, std::string strValue) {
    if (m_aPairs.size() >= kMaxPairs) {
        ++m_nDropped;
        return false;
    }
    m_aPairs.push_back(DefaultsPair{std::move(strKey), std::move(strValue)});
    return true;
}

void ParseDefaultsFile(const uint8_t* pData, size_t nSize, DefaultsTable& table,
                       const DefaultsReport& report) {
    if (!pData) return;
    const uint8_t* p = pData;
    const uint8_t* const pEnd = pData + nSize;
    while (p < pEnd) {
        const uint8_t* pLineEnd = p;
        // Lines end at CR; a lone LF is an ordinary byte, removed by the cleaning.
        while (pLineEnd < pEnd && *pLineEnd != '\r') ++pLineEnd;
        const std::string strLine = CleanLine(p, pLineEnd);
        p = pLineEnd;
        if (p < pEnd && *p == '\r') {
            ++p;
            if (p < pEnd && *p == '\n') ++p;
        }
        if (!strLine.empty()) AddLine(strLine, table, report);
    }
}

std::string EE_Core_GetDefault(const DefaultsTable& table, const char* pszKey,
                               const DefaultsReport& report) {
    const std::string strKey = FoldLower(pszKey ? pszKey : "");
    for (size_t i = 0; i < table.Count(); ++i) {
        if (FoldLower(table.Pair(i).strKey) == strKey) return FoldLower(table.Pair(i).strValue);
    }
    Report(report, kDefaultsMissingKeyText, strKey.c_str());
    return std::string();
}

int32_t EE_Core_GetDefaultInt(const DefaultsTable& table, const char* pszKey,
                              const DefaultsReport& report) {
    const std::string strValue = EE_Core_GetDefault(table, pszKey, report);
    if (strValue == "true") return 1;
    if (strValue == "false") return 0;
    return LeadingInteger(strValue);
}

void FillDefaultsRecord(const DefaultsTable& table, SaverSettings& out,
                        const DefaultsReport& report) {
    auto get = [&](const char* pszKey) { return EE_Core_GetDefaultInt(table, pszKey, report); };
    out.TimeModeAMPM = get("DigClock_24H") == 0 ? 1 : 0;
    out.ExitOnMouseMove = get("ExitOnMouseMove");
    out.FSAA = get("FSAA");
    out.BitCount = get("MBitCount");
    out.Height = get("MH");
    out.Width = get("MW");
    out.Music = get("Music");
    out.SFX = get("SFX");
    out.MusicVolume = get("MusicVolume");
    out.ShowFPS = get("ShowFPS");
    out.ShowTime = get("ShowTime");
    out.UseDesktopSettings = get("UseDktpSet");
}

std::string WebSiteAddress(const DefaultsTable& table, const DefaultsReport& report) {
    return EE_Core_GetDefault(table, "main_web_site_url", report);
}
