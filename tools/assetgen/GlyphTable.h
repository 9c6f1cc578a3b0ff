#pragma once
// The quote font's cell layout: 10 x 8 cells of 51 x 64 pixels in a 512 x 512
// image, and for each character its cell and advance width in pixels.
namespace assetgen {

constexpr int kFontImageSize = 512;
constexpr int kCellWidth = 51;
constexpr int kCellHeight = 64;
constexpr int kCellColumns = 10;
constexpr int kCellRows = 8;

struct GlyphCell {
    char ch;
    int nColumn, nRow, nAdvance;
};

// 79 characters; every other character uses the empty cell (9, 7), advance 25.
extern const GlyphCell kGlyphTable[79];
constexpr int kDefaultAdvance = 25;

// The table entry of a character, or null when it takes the default cell.
const GlyphCell* FindGlyph(char ch);
// Advance in font pixels as the text block lays it out.
int GlyphAdvance(char ch);

}  // namespace assetgen
