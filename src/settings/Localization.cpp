#include "settings/Localization.h"

namespace {

char16_t FoldLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Decodes one character at p and advances p. Returns false when the bytes at p
// yield nothing to store (byte-order mark, invalid or cut-short sequence).
bool DecodeUtf8(const uint8_t*& p, const uint8_t* pEnd, char16_t& c) {
    const size_t nLeft = size_t(pEnd - p);
    const uint8_t b0 = p[0];
    if (nLeft >= 3 && b0 == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        p += 3;
        return false;
    }
    if (b0 < 0x80) {
        c = b0;
        p += 1;
        return true;
    }
    if ((b0 & 0xF0) == 0xE0 && nLeft >= 3 && IsContinuation(p[1]) && IsContinuation(p[2])) {
        c = char16_t(((b0 & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        p += 3;
        return true;
    }
    if ((b0 & 0xE0) == 0xC0 && nLeft >= 2 && IsContinuation(p[1])) {
        c = char16_t(((b0 & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
        return true;
    }
    p += 1;  // not a sequence we read: skip this byte alone
    return false;
}

// "#Show_FPS#" -> "#show_fps#": every character but the first and the last.
void FoldKeyLine(std::u16string& line) {
    if (line.empty() || line[0] != u'#') return;
    for (size_t i = 1; i + 1 < line.size(); ++i) line[i] = FoldLower(line[i]);
}

}  // namespace

std::string NarrowToLatin1(const std::u16string& str) {
    std::string result;
    result.reserve(str.size());
    for (char16_t c : str) result.push_back(char(uint8_t(c & 0xFF)));
    return result;
}

void CLocalizationTable::Load(const uint8_t* pData, size_t nSize) {
    m_aLines.clear();
    std::u16string line;
    auto finishLine = [&]() {
        FoldKeyLine(line);
        if (m_aLines.size() < kMaxLines) m_aLines.push_back(line);
        line.clear();
    };
    if (pData) {
        const uint8_t* p = pData;
        const uint8_t* const pEnd = pData + nSize;
        while (p < pEnd) {
            char16_t c = 0;
            if (!DecodeUtf8(p, pEnd, c)) continue;
            if (c == u'\n') finishLine();
            else if (c != u'\r' && c != u'\0') line.push_back(c);
        }
    }
    if (!line.empty()) finishLine();
    SplitAboutText();
}

// A key line: "#", the folded key, and at most one more character (the
// closing "#"), so "#about#" does not answer for "about_window_text".
bool CLocalizationTable::MatchesKey(const std::u16string& line, const std::u16string& foldedKey) {
    if (line.empty() || line[0] != u'#') return false;
    if (line.size() < foldedKey.size() + 1 || line.size() > foldedKey.size() + 2) return false;
    return line.compare(1, foldedKey.size(), foldedKey) == 0;
}

std::string CLocalizationTable::Localize(const std::u16string& key) const {
    std::u16string folded = key;
    for (char16_t& c : folded) c = FoldLower(c);
    for (size_t i = 0; i + 1 < m_aLines.size(); ++i)
        if (MatchesKey(m_aLines[i], folded)) return NarrowToLatin1(m_aLines[i + 1]);
    return std::string();
}

std::string CLocalizationTable::Localize(const char* pszAsciiKey) const {
    std::u16string key;
    for (const char* p = pszAsciiKey; p && *p; ++p) key.push_back(char16_t(uint8_t(*p)));
    return Localize(key);
}

const std::string& CLocalizationTable::AboutLine(int i) const {
    static const std::string s_strEmpty;
    if (i < 0 || i >= kAboutLineCount) return s_strEmpty;
    return m_astrAbout[i];
}

// Split before narrowing, so that only a real "%" separates lines (U+0425
// would narrow to the same byte).
void CLocalizationTable::SplitAboutText() {
    for (std::string& str : m_astrAbout) str.clear();
    const std::u16string key = u"about_window_text";
    for (size_t i = 0; i + 1 < m_aLines.size(); ++i) {
        if (!MatchesKey(m_aLines[i], key)) continue;
        std::u16string astrLines[kAboutLineCount];
        int nLine = 0;
        for (char16_t c : m_aLines[i + 1]) {
            if (c == u'%' && nLine + 1 < kAboutLineCount) ++nLine;
            else astrLines[nLine].push_back(c);
        }
        for (int k = 0; k < kAboutLineCount; ++k) m_astrAbout[k] = NarrowToLatin1(astrLines[k]);
        return;
    }
}
