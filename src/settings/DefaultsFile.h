#pragma once
// The embedded factory defaults, "def_settings.txt": "key = value;" lines in
// code page 1251, parsed into a small key/value table and looked up by key.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/SaverSettings.h"

// Shows a message to the user (the Windows side uses MessageBoxA with no
// owner and an OK button). Texts are CP1251 bytes. May be empty: nothing shown.
using DefaultsReport = std::function<void(const char* pszText, const char* pszCaption)>;

// Message texts, CP1251.
// "неправильный формат файла def_settings.txt": a line without "=".
extern const char kDefaultsBadFormatText[];
// "Не найден параметр в файле def_settings.txt": a key that is not in the file.
extern const char kDefaultsMissingKeyText[];

struct DefaultsPair {
    std::string strKey;    // as written (cleaned), case folded only at lookup
    std::string strValue;
};

// Room for 100 pairs. Pairs beyond the hundredth are not stored: lookups take
// the first match anyway, so only keys that first appear that late are lost.
class DefaultsTable {
public:
    static constexpr size_t kMaxPairs = 100;

    void Clear();
    // False (and nothing stored) when the table is full.
    bool Add(std::string strKey, std::string strValue);
    size_t Count() const { return m_aPairs.size(); }
    size_t DroppedCount() const { return m_nDropped; }
    const DefaultsPair& Pair(size_t i) const { return m_aPairs[i]; }

private:
    std::vector<DefaultsPair> m_aPairs;
    size_t m_nDropped = 0;
};

// Appends the pairs of the file to the table. Lines end at CR or CR LF; a
// lone LF is a byte of the line (removed with the other blanks).
void ParseDefaultsFile(const uint8_t* pData, size_t nSize, DefaultsTable& table,
                       const DefaultsReport& report);

// The value of the key (case-insensitive), folded to lower case; an empty
// text after reporting a missing key (caption = the folded key).
std::string EE_Core_GetDefault(const DefaultsTable& table, const char* pszKey,
                               const DefaultsReport& report);

// "true" -> 1, "false" -> 0, else the leading decimal integer (optional sign,
// 0 when none, clamped to the int32 range).
int32_t EE_Core_GetDefaultInt(const DefaultsTable& table, const char* pszKey,
                              const DefaultsReport& report);

// Fills the defaults record from its twelve keys; a missing key is reported
// and reads as 0 ("DigClock_24H" is stored inverted into TimeModeAMPM).
void FillDefaultsRecord(const DefaultsTable& table, SaverSettings& out,
                        const DefaultsReport& report);

// The "main_web_site_url" value, in lower case.
std::string WebSiteAddress(const DefaultsTable& table, const DefaultsReport& report);
