// The configuration dialog's text box on arbitrary text: split into the
// user's lines 1..3, joined back for the box, and cut for pasting.
#include <cstring>
#include <string>

#include "ui/ConfigText.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* pText = reinterpret_cast<const char*>(data);
    QuoteRecord record;
    std::memset(&record, 0x5A, sizeof record);
    SplitUserText(pText, size, record);
    for (int i = 0; i < kUserTextBoxLines; ++i) FUZZ_CHECK(std::memchr(record.aszLines[i], 0, kQuoteLineSize));
    // Lines 4 to 6 belong to the author and the unused lines: untouched.
    for (int i = kUserTextBoxLines; i < kQuoteLines; ++i)
        for (char c : record.aszLines[i]) FUZZ_CHECK(c == 0x5A);

    // What the box shows splits into the same lines.
    const std::string strShown = JoinUserText(record);
    QuoteRecord again = record;
    SplitUserText(strShown.data(), strShown.size(), again);
    FUZZ_CHECK(std::memcmp(&again, &record, sizeof record) == 0);

    const std::string strCut = CutUserTextLines(std::string(pText, size));
    FUZZ_CHECK(strCut.size() <= size);
    // No line of the cut text is longer than a record's line (a CR, or CR LF,
    // ends a line).
    size_t nRun = 0;
    for (size_t i = 0; i < strCut.size(); ++i) {
        if (strCut[i] == '\r') {
            nRun = 0;
            if (i + 1 < strCut.size() && strCut[i + 1] == '\n') ++i;
            continue;
        }
        FUZZ_CHECK(++nRun <= size_t(kUserLineChars));
    }
    char line[kQuoteLineSize];
    SetUserLine(line, pText, size);
    FUZZ_CHECK(std::strlen(line) <= size_t(kUserLineChars));
    return 0;
}
