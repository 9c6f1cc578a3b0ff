// The defaults-file parser on arbitrary bytes, then every lookup the saver
// makes on the table, and one for a key taken from the input.
#include <cstring>
#include <string>

#include "settings/DefaultsFile.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t nReports = 0;
    const DefaultsReport report = [&nReports](const char* pszText, const char* pszCaption) {
        FUZZ_CHECK(pszText && pszCaption);
        ++nReports;
    };
    DefaultsTable table;
    ParseDefaultsFile(data, size, table, report);
    FUZZ_CHECK(table.Count() <= DefaultsTable::kMaxPairs);
    for (size_t i = 0; i < table.Count(); ++i) {
        // Cleaned lines hold no blanks, no bytes above 0x7F and no ";".
        for (const std::string* s : {&table.Pair(i).strKey, &table.Pair(i).strValue})
            for (char c : *s) FUZZ_CHECK(static_cast<signed char>(c) > 32 && c != ';');
    }
    SaverSettings settings;
    FillDefaultsRecord(table, settings, report);
    FUZZ_CHECK(settings.TimeModeAMPM == 0 || settings.TimeModeAMPM == 1);
    const std::string strSite = WebSiteAddress(table, report);
    for (char c : strSite) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    // A key from the input: its first line, NUL-terminated.
    std::string strKey(reinterpret_cast<const char*>(data), size);
    strKey = strKey.substr(0, strKey.find_first_of("\r\n=")).c_str();
    (void)EE_Core_GetDefaultInt(table, strKey.c_str(), report);
    return 0;
}
