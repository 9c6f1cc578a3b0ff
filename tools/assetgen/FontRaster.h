#pragma once
// Text rasterised from the OFL fonts of Debian's font packages (stb_truetype).
#include <memory>
#include <string>
#include <vector>

namespace assetgen {

enum class FontFace { Script, Serif, SerifItalic };

// Coverage in [0, 1], rows top to bottom.
struct Coverage {
    int nWidth = 0, nHeight = 0;
    std::vector<float> values;
    float At(int x, int y) const {
        return (x < 0 || y < 0 || x >= nWidth || y >= nHeight) ? 0.f : values[size_t(y) * nWidth + x];
    }
};

struct GlyphBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // ink box relative to the pen on the baseline, y down
    float advance = 0;                   // pixels at the scale used
};

class CFont {
public:
    // Loads the face from its Debian package; false with a message when absent.
    bool Load(FontFace face);
    // Scale that maps the font's ascent-to-descent span onto 'pixels'.
    float ScaleForHeight(float pixels) const;
    GlyphBox Box(int codepoint, float scaleX, float scaleY) const;
    // Adds the glyph's coverage with its pen at (x, baseline); sub-pixel placement.
    void Draw(Coverage& into, int codepoint, float x, float baseline, float scaleX, float scaleY) const;
    // Width of a text line at the given scale, kerning included.
    float Measure(const std::string& text, float scale) const;
    // Draws a line of ASCII text; returns the pen position after it.
    float DrawText(Coverage& into, const std::string& text, float x, float baseline, float scale) const;
    float Ascent(float scale) const;

private:
    std::vector<unsigned char> m_Data;
    std::shared_ptr<void> m_pInfo;
};

// Finds the font file of a face; empty when not installed.
std::string FontPath(FontFace face);

}  // namespace assetgen
