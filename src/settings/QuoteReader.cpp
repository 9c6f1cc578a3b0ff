#include "settings/QuoteReader.h"

#include <cstring>

namespace {

constexpr size_t kTokenSize = 256;  // 255 characters and the NUL

// The blanks of the "C" locale, as fscanf("%s") sees them.
bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// One blank-separated token; characters after the 255th are skipped.
// False at end of file before a token starts.
bool ReadToken(FILE* f, char (&token)[kTokenSize]) {
    int c = std::fgetc(f);
    while (c != EOF && IsBlank(c)) c = std::fgetc(f);
    if (c == EOF) return false;
    size_t n = 0;
    while (c != EOF && !IsBlank(c)) {
        if (n < kTokenSize - 1) token[n++] = char(c);
        c = std::fgetc(f);
    }
    token[n] = '\0';
    return true;
}

// Appends a blank and the word, as far as the line has room.
void AppendWord(char* pszLine, const char* pszWord) {
    size_t n = std::strlen(pszLine);
    const size_t nMax = kQuoteLineSize - 1;
    if (n < nMax) pszLine[n++] = ' ';
    for (const char* p = pszWord; *p && n < nMax; ++p) pszLine[n++] = *p;
    pszLine[n] = '\0';
}

class CQuoteParser {
public:
    CQuoteParser(FILE* f, QuoteRecord* pRecords, int32_t nMaxRecords)
        : m_pFile(f), m_pRecords(pRecords), m_nMaxRecords(nMaxRecords) {}

    int32_t Run() {
        bool bHave = Next();
        while (bHave && m_nCount < m_nMaxRecords) {
            std::memset(&m_pRecords[m_nCount], 0, sizeof(QuoteRecord));
            int32_t nLine = 0;
            while (m_token[0] != '%') {
                if (!ReadLine(nLine)) return Finish(nLine);
                ++nLine;
                if (!Next()) return Finish(nLine);
            }
            ++m_nCount;
            bHave = Next();
        }
        return m_nCount;
    }

private:
    bool Next() { return ReadToken(m_pFile, m_token); }

    char* LineBuffer(int32_t nLine) {
        return nLine < kQuoteLines ? m_pRecords[m_nCount].aszLines[nLine] : nullptr;
    }

    // One line from the current token to its closing "&"; false at end of file.
    bool ReadLine(int32_t nLine) {
        char* pszLine = LineBuffer(nLine);
        if (m_token[0] != '&' && pszLine) AppendWord(pszLine, m_token);
        for (;;) {
            if (!Next()) {
                if (pszLine) pszLine[0] = '\0';  // unclosed: dropped
                return false;
            }
            if (m_token[0] == '&') return true;
            if (pszLine) AppendWord(pszLine, m_token);
        }
    }

    // End of file inside a quote: keep it when a line of it was closed.
    int32_t Finish(int32_t nClosedLines) {
        if (nClosedLines > 0) ++m_nCount;
        return m_nCount;
    }

    FILE* m_pFile;
    QuoteRecord* m_pRecords;
    int32_t m_nMaxRecords;
    int32_t m_nCount = 0;
    char m_token[kTokenSize] = {};
};

}  // namespace

int32_t ReadQuotesFromStream(FILE* f, QuoteRecord* pRecords, int32_t nMaxRecords) {
    if (!f || !pRecords || nMaxRecords <= 0) return 0;
    return CQuoteParser(f, pRecords, nMaxRecords).Run();
}
