#include "FontAtlas.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "FontRaster.h"
#include "GlyphTable.h"

namespace assetgen {
namespace {

// The quote is read at about 25 pixels a row on an 800 x 600 screen, the
// font image shrunk to 40 %: the dark rim must be wide and strong enough to
// stay a rim there, so that white strokes stand out against the bright sky.
constexpr int kHalo = 3;        // pixels of dark rim around the ink
constexpr float kRimAlpha = 0.85f;
constexpr int kTopMargin = 4;   // keeps the rim inside the 63-pixel glyph box
constexpr int kBottomMargin = 4;
constexpr int kSideMargin = 2;  // clear pixels left and right of the ink, for the rim

struct Placement {
    float scaleX, scaleY, penX;
};

// Fits one glyph into its cell: ink from the cell's left edge, no wider than
// its advance, condensed when the script letter is wider than that.
Placement PlaceGlyph(const CFont& font, const GlyphCell& g, float scale, float baseline) {
    Placement p{scale, scale, 0};
    GlyphBox b = font.Box(g.ch, scale, scale);
    // Squeeze outliers about the baseline so every glyph keeps the same baseline.
    const float up = float(-b.y0), down = float(b.y1);
    const float roomUp = baseline - kTopMargin, roomDown = kCellHeight - 1 - kBottomMargin - baseline;
    float fy = 1.f;
    if (up > roomUp) fy = std::min(fy, roomUp / up);
    if (down > roomDown) fy = std::min(fy, roomDown / down);
    p.scaleY = scale * fy;
    p.scaleX = scale * fy;
    b = font.Box(g.ch, p.scaleX, p.scaleY);
    const int room = std::min(g.nAdvance, kCellWidth - 1);
    // Clear pixels each side; the rim fades out within the advance.
    const int margin = kSideMargin;
    const float avail = float(room - 2 * margin);
    const float ink = float(b.x1 - b.x0);
    if (ink > avail && ink > 0) {
        p.scaleX *= avail / (ink + 1.f);  // +1: the sub-pixel box may grow by a pixel
        b = font.Box(g.ch, p.scaleX, p.scaleY);
    }
    p.penX = float(margin - b.x0);
    return p;
}

}  // namespace

bool BuildFontAtlas(Image& out) {
    CFont font;
    if (!font.Load(FontFace::Script)) return false;
    // Size the letters on capitals and the common descenders; taller strokes get squeezed.
    float scale = font.ScaleForHeight(64.f);
    int top = 0, bottom = 0;
    for (const char* s = "ABDEHKMNRTgjpqy"; *s; ++s) {
        const GlyphBox b = font.Box(*s, scale, scale);
        top = std::min(top, b.y0);
        bottom = std::max(bottom, b.y1);
    }
    const float usable = float(kCellHeight - 1 - kTopMargin - kBottomMargin);
    scale *= usable / float(bottom - top);
    const float baseline = kTopMargin + float(-top) * usable / float(bottom - top);

    Coverage ink{kFontImageSize, kFontImageSize, std::vector<float>(size_t(kFontImageSize) * kFontImageSize)};
    std::vector<float> clip(ink.values.size(), 0.f);  // where each glyph's rim may go
    for (const GlyphCell& g : kGlyphTable) {
        const int cx = g.nColumn * kCellWidth, cy = g.nRow * kCellHeight;
        const Placement p = PlaceGlyph(font, g, scale, baseline);
        Coverage cell{kCellWidth, kCellHeight, std::vector<float>(size_t(kCellWidth) * kCellHeight)};
        font.Draw(cell, g.ch, p.penX, baseline, p.scaleX, p.scaleY);
        const int room = std::min(g.nAdvance, kCellWidth - 1);
        for (int y = 0; y < kCellHeight; ++y)
            for (int x = 0; x < kCellWidth; ++x) {
                const size_t i = size_t(cy + y) * kFontImageSize + cx + x;
                // Nothing beyond the advance, nor in the glyph box's outer pixel.
                const bool inside = x < room && y >= 1 && y < kCellHeight - 1;
                ink.values[i] = inside ? cell.At(x, y) : 0.f;
                clip[i] = inside ? 1.f : 0.f;
            }
    }
    // A slightly heavier stroke keeps the script legible when the quote is
    // drawn at a third of the font image's size.
    const std::vector<float> spread = BlurField(ink.values, kFontImageSize, kFontImageSize, 0.6f, false);
    for (size_t i = 0; i < ink.values.size(); ++i)
        ink.values[i] = std::max(ink.values[i], std::min(1.f, spread[i] * 1.6f)) * clip[i];
    const std::vector<float> rim = BlurField(ink.values, kFontImageSize, kFontImageSize, kHalo * 0.7f, false);
    const Color white = Rgb(255, 255, 255), shadow = Rgb(70, 24, 58);
    CCanvas c(kFontImageSize, kFontImageSize);
    for (int y = 0; y < kFontImageSize; ++y)
        for (int x = 0; x < kFontImageSize; ++x) {
            const size_t i = size_t(y) * kFontImageSize + x;
            const float a = ink.values[i];
            const float s = std::min(1.f, rim[i] * 2.2f) * kRimAlpha * clip[i];
            const float alpha = a + s * (1 - a);
            Color px = alpha > 0 ? MixColor(shadow, white, a / alpha) : white;
            px.a = alpha;
            c.At(x, y) = px;
        }
    out = c.ToImage(4);
    return true;
}

}  // namespace assetgen
