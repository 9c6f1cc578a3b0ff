// The love quotations, read from the embedded text through a temporary file.
#include <cstdio>

#include "assets/Resources.h"
#include "host/EECore.h"
#include "resource.h"
#include "scene/QuoteReader.h"

void CEECore::ReadQuotes() {
    m_Quotes.nCount = 0;
    const std::string path = WriteResourceToTempFile(IDR_QUOTES, "frf");
    if (path.empty()) return;  // no temporary file: no quotes
    if (FILE* f = std::fopen(path.c_str(), "rt")) {
        m_Quotes.nCount = ReadQuotesFromStream(f, m_Quotes.aRecords, kMaxQuotes);
        std::fclose(f);
    }
    DeleteFileA(path.c_str());
}
