#include "DigitArt.h"

#include <algorithm>
#include <cmath>

#include "Canvas.h"
#include "assets/DigitArchive.h"
#include "FontRaster.h"

namespace assetgen {
namespace {

constexpr int kSuper = 4;  // drawn at four times the size, then reduced

// Coverage of a text centred in the glyph image, supersampled.
Coverage Figure(const CFont& font, const std::string& text, float height) {
    const int w = kDigitWidth * kSuper, h = kDigitHeight * kSuper;
    Coverage big{w, h, std::vector<float>(size_t(w) * h)};
    float scale = font.ScaleForHeight(height * kSuper);
    const float maxWidth = (kDigitWidth - 3.f) * kSuper;
    if (font.Measure(text, scale) > maxWidth) scale *= maxWidth / font.Measure(text, scale);
    const float width = font.Measure(text, scale);
    // Figures sit on a common baseline, centred across.
    const float baseline = h * 0.78f;
    font.DrawText(big, text, (w - width) / 2.f, baseline, scale);
    Coverage small{kDigitWidth, kDigitHeight, std::vector<float>(size_t(kDigitWidth) * kDigitHeight)};
    for (int y = 0; y < kDigitHeight; ++y)
        for (int x = 0; x < kDigitWidth; ++x) {
            float s = 0;
            for (int j = 0; j < kSuper; ++j)
                for (int i = 0; i < kSuper; ++i) s += big.At(x * kSuper + i, y * kSuper + j);
            small.values[size_t(y) * kDigitWidth + x] = s / (kSuper * kSuper);
        }
    return small;
}

Image Glyph(const Coverage& ink) {
    const std::vector<float> glow = BlurField(ink.values, kDigitWidth, kDigitHeight, 1.4f, false);
    CCanvas c(kDigitWidth, kDigitHeight);
    for (int y = 0; y < kDigitHeight; ++y)
        for (int x = 0; x < kDigitWidth; ++x) {
            const size_t i = size_t(y) * kDigitWidth + x;
            const float a = std::min(1.f, ink.values[i] * 1.15f);
            const float g = std::min(1.f, glow[i] * 1.8f) * 0.55f;
            // Warm white figures inside a rose glow; the ground stays black.
            const float light = Clamp01(a + g * (1 - a));
            Color col = MixColor(Rgb(255, 120, 150), Rgb(255, 246, 236), a);
            col = Scale(col, light);
            col.a = light;
            c.At(x, y) = col;
        }
    return c.ToImage(4);
}

}  // namespace

std::vector<DigitImage> BuildDigitImages() {
    CFont font;
    if (!font.Load(FontFace::Script)) return {};
    std::vector<DigitImage> out;
    // In the order of the archive's entries: digits 0 to 9, colon, dot, am, pm.
    for (int d = 0; d <= 9; ++d) out.push_back({kDigitEntries[d], Glyph(Figure(font, std::to_string(d), 34.f))});
    out.push_back({kDigitEntries[10], Glyph(Figure(font, ":", 34.f))});
    out.push_back({kDigitEntries[11], Glyph(Figure(font, ".", 46.f))});
    out.push_back({kDigitEntries[12], Glyph(Figure(font, "am", 30.f))});
    out.push_back({kDigitEntries[13], Glyph(Figure(font, "pm", 30.f))});
    return out;
}

}  // namespace assetgen
