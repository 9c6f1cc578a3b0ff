// The localization table on arbitrary bytes: loading (UTF-8 decoding, key
// lines), the About split, and every lookup the dialogs make.
#include <string>

#include "settings/Localization.h"
#include "ui/ConfigText.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLocalizationTable table;
    table.Load(data, size);
    FUZZ_CHECK(table.LineCount() <= CLocalizationTable::kMaxLines);
    for (int i = 0; i < CLocalizationTable::kAboutLineCount; ++i) (void)table.AboutLine(i).size();
    for (size_t i = 0; i < kConfigCaptionCount; ++i) {
        const wchar_t* pszKey = kConfigCaptions[i].pszKey;
        (void)table.Localize(std::u16string(pszKey, pszKey + std::char_traits<wchar_t>::length(pszKey)));
    }
    for (const char* pszKey : {"about_window_text", "about", "ok", "screensaver_configuration", "", "#"})
        (void)table.Localize(pszKey);
    // Keys taken from the table itself: each key line finds a text, unless
    // it is the last line.
    for (size_t i = 0; i < table.LineCount() && i < 8; ++i) {
        const std::u16string& line = table.Line(i);
        if (line.size() >= 2 && line[0] == u'#') (void)table.Localize(line.substr(1, line.size() - 2));
    }
    return 0;
}
