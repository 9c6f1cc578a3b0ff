// The love quotations, read from the embedded text through a temporary file.
#include <windows.h>
#include "settings/QuoteFile.h"

#include <cstdio>
#include <string>

#include "assets/Resources.h"
#include "resource.h"
#include "settings/QuoteReader.h"

int32_t ReadEmbeddedQuotes(QuoteRecord* pRecords, int32_t nMaxRecords) {
    int32_t nCount = 0;
    const std::string path = WriteResourceToTempFile(IDR_QUOTES, "frf");
    if (path.empty()) return 0;  // no temporary file: no quotes
    if (FILE* f = std::fopen(path.c_str(), "rt")) {
        nCount = ReadQuotesFromStream(f, pRecords, nMaxRecords);
        std::fclose(f);
    }
    DeleteFileA(path.c_str());
    return nCount;
}
