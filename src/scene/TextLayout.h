#pragma once
// The character grid of the quote text and its layout with the bitmap font
// "font.tga" (cells of 51 x 64 pixels, 10 columns by 8 rows). The device side
// (buffers, font texture, drawing) is CTextBlock.
#include <cstdint>
#include <vector>

#include "scene/SceneVertex.h"

struct Glyph {
    float uL, vT;  // top-left texture coordinate of the glyph box
    float uW, vH;  // size of the glyph box
    float fAdvance;  // advance in texture units (pixels / 512)
};

// Glyph of a character; every character not in the font (codes above 127
// included) uses the default cell, the NUL an empty glyph.
Glyph LookupGlyph(char c);

constexpr int32_t kMaxTextRows = 100;  // rows that have an offset

class CTextLayout {
public:
    // Sizes and scales; clears the grid. False when the grid is empty or
    // has more than kMaxTextRows rows or kMaxQuads cells.
    bool Create(int32_t nColumns, int32_t nRows, float fGlyphScale, float fLineScale);
    void Release();

    void Clear();
    // Writes text into row nRow from column nStart on; characters outside the
    // grid are dropped. fOffset is the row's starting x in texture units.
    void SetRow(int32_t nStart, int32_t nRow, uint32_t nColor, const char* pszText, float fOffset);
    // The row centred on its measured width; a null text does nothing.
    void SetRowCentred(int32_t nRow, uint32_t nColor, const char* pszText);
    static float Measure(const char* pszText);

    // Writes 4 vertices per cell when the grid changed since the last call;
    // returns whether it wrote anything.
    bool Rebuild(ColorTexVertex* pVertices);

    int32_t Columns() const { return m_nColumns; }
    int32_t Rows() const { return m_nRows; }
    uint32_t CellCount() const { return uint32_t(m_nColumns) * uint32_t(m_nRows); }
    bool IsDirty() const { return m_bDirty != 0; }
    // The next Rebuild writes every vertex again (new buffers after a reset).
    void MarkDirty() { m_bDirty = 1; }
    char CharAt(int32_t nColumn, int32_t nRow) const;
    uint32_t ColorAt(int32_t nColumn, int32_t nRow) const;
    float RowOffset(int32_t nRow) const;

    float m_fGlyphScale = 0.0f;
    float m_fLineScale = 0.0f;

private:
    int32_t m_nColumns = 0;
    int32_t m_nRows = 0;
    std::vector<char> m_Chars;
    std::vector<uint32_t> m_Colors;
    float m_afRowOffsets[kMaxTextRows] = {};
    uint8_t m_bDirty = 1;
};
