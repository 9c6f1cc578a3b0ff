#pragma once
// The dialog captions: a UTF-8 text of "#key#" lines, each followed by its
// text line. Lines are kept as UTF-16; lookups hand out 8-bit text (the low
// byte of each code unit, so U+0000..U+00FF keep their Latin-1 byte) for the
// ANSI dialog controls.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CLocalizationTable {
public:
    static constexpr size_t kMaxLines = 200;  // lines after the 200th are ignored
    static constexpr int kAboutLineCount = 7;

    // Replaces the table with the lines of the data and splits the About text.
    // Bytes that do not start a valid 1-3 byte UTF-8 sequence are skipped one
    // at a time; a sequence cut short by the end of the data is dropped.
    void Load(const uint8_t* pData, size_t nSize);

    // Text of the first entry whose key matches (A-Z case-insensitive); empty
    // when there is none.
    std::string Localize(const std::u16string& key) const;
    std::string Localize(const char* pszAsciiKey) const;

    // Lines 0..6 of the About dialog, split at "%". Text after a seventh "%"
    // stays in line 6, its "%" signs included.
    const std::string& AboutLine(int i) const;

    size_t LineCount() const { return m_aLines.size(); }
    const std::u16string& Line(size_t i) const { return m_aLines[i]; }

private:
    static bool MatchesKey(const std::u16string& line, const std::u16string& foldedKey);
    void SplitAboutText();

    std::vector<std::u16string> m_aLines;
    std::string m_astrAbout[kAboutLineCount];
};

// 8-bit text of a UTF-16 string: the low byte of each code unit.
std::string NarrowToLatin1(const std::u16string& str);
