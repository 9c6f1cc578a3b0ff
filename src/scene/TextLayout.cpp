#include "scene/TextLayout.h"

#include <algorithm>
#include <cstring>

namespace {

// The font's characters, row by row, ten cells a row; the last cell of the
// last row is the default glyph.
const char kFontCells[8][11] = {
    "ABCDEFGHIJ", "KLMNOPQRST", "UVWXYZabcd", "efghijklmn",
    "opqrstuvwx", "yz01234567", "89!?:;().,", "\"-@+=/'<> ",
};
const uint8_t kFontAdvances[8][10] = {
    {41, 36, 29, 35, 29, 39, 32, 37, 31, 35}, {38, 33, 51, 47, 30, 37, 30, 40, 30, 43},
    {35, 26, 38, 44, 33, 32, 24, 25, 19, 29}, {22, 29, 29, 23, 18, 23, 24, 16, 33, 24},
    {19, 28, 24, 23, 18, 20, 23, 24, 33, 26}, {22, 20, 26, 22, 29, 27, 23, 31, 26, 27},
    {29, 26, 21, 23, 12, 15, 27, 26, 6, 9},   {15, 15, 36, 26, 26, 36, 9, 25, 25, 25},
};
constexpr int kDefaultColumn = 9, kDefaultRow = 7;

struct CellTable {
    int8_t aColumn[128];
    int8_t aRow[128];
    CellTable() {
        for (int c = 0; c < 128; ++c) {
            aColumn[c] = kDefaultColumn;
            aRow[c] = kDefaultRow;
        }
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 10; ++c) {
                if (r == kDefaultRow && c == kDefaultColumn) continue;
                const unsigned char ch = static_cast<unsigned char>(kFontCells[r][c]);
                aColumn[ch] = int8_t(c);
                aRow[ch] = int8_t(r);
            }
    }
};

const CellTable& Cells() {
    static const CellTable s_table;
    return s_table;
}

}  // namespace

Glyph LookupGlyph(char c) {
    if (c == 0) return Glyph{0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    int nColumn = kDefaultColumn, nRow = kDefaultRow;
    const signed char sc = static_cast<signed char>(c);
    if (sc >= 0) {
        nColumn = Cells().aColumn[sc];
        nRow = Cells().aRow[sc];
    }
    return Glyph{float(nColumn) * 0.099609375f + 0.0009765625f,
                 float(nRow) * 0.125f + 0.0009765625f, 0.09765625f, 0.123046875f,
                 float(kFontAdvances[nRow][nColumn]) * 0.001953125f};
}

bool CTextLayout::Create(int32_t nColumns, int32_t nRows, float fGlyphScale, float fLineScale) {
    Release();
    if (nColumns <= 0 || nRows <= 0 || nRows > kMaxTextRows ||
        uint64_t(nColumns) * uint64_t(nRows) > kMaxQuads)
        return false;
    m_nColumns = nColumns;
    m_nRows = nRows;
    m_fGlyphScale = fGlyphScale;
    m_fLineScale = fLineScale;
    m_Chars.assign(CellCount(), 0);
    m_Colors.assign(CellCount(), 0);
    m_bDirty = 1;
    return true;
}

void CTextLayout::Release() {
    std::vector<char>().swap(m_Chars);
    std::vector<uint32_t>().swap(m_Colors);
    m_nColumns = 0;
    m_nRows = 0;
}

void CTextLayout::Clear() {
    std::fill(m_Chars.begin(), m_Chars.end(), 0);
    std::fill(m_Colors.begin(), m_Colors.end(), 0u);
    m_bDirty = 1;
}

void CTextLayout::SetRow(int32_t nStart, int32_t nRow, uint32_t nColor, const char* pszText,
                         float fOffset) {
    if (nRow < 0 || nRow >= m_nRows || !pszText) return;
    m_afRowOffsets[nRow] = fOffset;
    const size_t nLength = std::strlen(pszText);
    for (size_t j = 0; j < nLength; ++j) {
        const int64_t nColumn = int64_t(nStart) + int64_t(j);
        if (nColumn < 0 || nColumn >= m_nColumns) continue;
        const size_t nCell = size_t(nColumn) + size_t(nRow) * size_t(m_nColumns);
        m_Chars[nCell] = pszText[j];
        m_Colors[nCell] = nColor;
    }
    m_bDirty = 1;
}

void CTextLayout::SetRowCentred(int32_t nRow, uint32_t nColor, const char* pszText) {
    if (!pszText) return;
    SetRow(0, nRow, nColor, pszText, -0.5f * Measure(pszText));
}

float CTextLayout::Measure(const char* pszText) {
    float fWidth = 0.0f;
    if (!pszText) return fWidth;
    for (const char* p = pszText; *p; ++p) fWidth += LookupGlyph(*p).fAdvance;
    return fWidth;
}

bool CTextLayout::Rebuild(ColorTexVertex* pVertices) {
    if (!m_bDirty || !pVertices) return false;
    m_bDirty = 0;
    const float fRows = float(m_nRows);
    const float h = fRows / float(m_nColumns);
    const float h0 = -0.5f * h;
    const float fBoxWidth = m_fGlyphScale * 0.09765625f;
    ColorTexVertex* p = pVertices;
    for (int32_t i = 0; i < m_nRows; ++i) {
        const float fTop = ((1.0f - float(i) / fRows + 1.0f / fRows) * h + h0) * m_fLineScale;
        const float fBottom = ((1.0f - float(i) / fRows) * h + h0) * m_fLineScale;
        float x = m_afRowOffsets[i] * m_fGlyphScale;
        for (int32_t j = 0; j < m_nColumns; ++j) {
            const size_t nCell = size_t(j) + size_t(i) * size_t(m_nColumns);
            const uint32_t nColor = m_Colors[nCell];
            const Glyph g = LookupGlyph(m_Chars[nCell]);
            const float fRight = x + fBoxWidth;
            *p++ = {x, fTop, 0.0f, nColor, g.uL, g.vT};
            *p++ = {fRight, fTop, 0.0f, nColor, g.uL + g.uW, g.vT};
            *p++ = {fRight, fBottom, 0.0f, nColor, g.uL + g.uW, g.vT + g.vH};
            *p++ = {x, fBottom, 0.0f, nColor, g.uL, g.vT + g.vH};
            x += g.fAdvance * m_fGlyphScale;
        }
    }
    return true;
}

char CTextLayout::CharAt(int32_t nColumn, int32_t nRow) const {
    if (nColumn < 0 || nColumn >= m_nColumns || nRow < 0 || nRow >= m_nRows) return 0;
    return m_Chars[size_t(nColumn) + size_t(nRow) * size_t(m_nColumns)];
}

uint32_t CTextLayout::ColorAt(int32_t nColumn, int32_t nRow) const {
    if (nColumn < 0 || nColumn >= m_nColumns || nRow < 0 || nRow >= m_nRows) return 0;
    return m_Colors[size_t(nColumn) + size_t(nRow) * size_t(m_nColumns)];
}

float CTextLayout::RowOffset(int32_t nRow) const {
    return nRow >= 0 && nRow < kMaxTextRows ? m_afRowOffsets[nRow] : 0.0f;
}
