#include "FontRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace assetgen {

std::string FontPath(FontFace face) {
    const char* candidates[3][2] = {
        {"/usr/share/fonts/opentype/dancingscript/DancingScript-Bold.otf",
         "/usr/share/fonts/truetype/dancingscript/DancingScript-Bold.ttf"},
        {"/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Regular.otf",
         "/usr/share/fonts/truetype/ebgaramond/EBGaramond12-Regular.ttf"},
        {"/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Italic.otf",
         "/usr/share/fonts/truetype/ebgaramond/EBGaramond12-Italic.ttf"},
    };
    for (const char* p : candidates[int(face)]) {
        std::ifstream f(p, std::ios::binary);
        if (f) return p;
    }
    return {};
}

static stbtt_fontinfo* Info(const std::shared_ptr<void>& p) { return static_cast<stbtt_fontinfo*>(p.get()); }

bool CFont::Load(FontFace face) {
    const std::string path = FontPath(face);
    std::ifstream in(path, std::ios::binary);
    if (path.empty() || !in) {
        std::fprintf(stderr, "assetgen: font not installed (fonts-dancingscript, fonts-ebgaramond)\n");
        return false;
    }
    m_Data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    auto info = std::make_shared<stbtt_fontinfo>();
    if (!stbtt_InitFont(info.get(), m_Data.data(), stbtt_GetFontOffsetForIndex(m_Data.data(), 0))) {
        std::fprintf(stderr, "assetgen: cannot read font %s\n", path.c_str());
        return false;
    }
    m_pInfo = info;
    return true;
}

float CFont::ScaleForHeight(float pixels) const { return stbtt_ScaleForPixelHeight(Info(m_pInfo), pixels); }

float CFont::Ascent(float scale) const {
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(Info(m_pInfo), &ascent, &descent, &gap);
    return ascent * scale;
}

GlyphBox CFont::Box(int codepoint, float scaleX, float scaleY) const {
    GlyphBox b;
    stbtt_GetCodepointBitmapBoxSubpixel(Info(m_pInfo), codepoint, scaleX, scaleY, 0, 0, &b.x0, &b.y0, &b.x1, &b.y1);
    int adv = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(Info(m_pInfo), codepoint, &adv, &lsb);
    b.advance = adv * scaleX;
    return b;
}

void CFont::Draw(Coverage& into, int codepoint, float x, float baseline, float scaleX, float scaleY) const {
    const float fx = std::floor(x), fy = std::floor(baseline);
    const float sx = x - fx, sy = baseline - fy;
    int x0, y0, x1, y1;
    stbtt_GetCodepointBitmapBoxSubpixel(Info(m_pInfo), codepoint, scaleX, scaleY, sx, sy, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0) return;
    std::vector<unsigned char> bits(size_t(w) * h);
    stbtt_MakeCodepointBitmapSubpixel(Info(m_pInfo), bits.data(), w, h, w, scaleX, scaleY, sx, sy, codepoint);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int px = int(fx) + x0 + i, py = int(fy) + y0 + j;
            if (px < 0 || py < 0 || px >= into.nWidth || py >= into.nHeight) continue;
            float& v = into.values[size_t(py) * into.nWidth + px];
            v = std::min(1.f, v + bits[size_t(j) * w + i] / 255.f);
        }
}

float CFont::Measure(const std::string& text, float scale) const {
    float x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        x += Box((unsigned char)text[i], scale, scale).advance;
        if (i + 1 < text.size())
            x += scale * stbtt_GetCodepointKernAdvance(Info(m_pInfo), (unsigned char)text[i], (unsigned char)text[i + 1]);
    }
    return x;
}

float CFont::DrawText(Coverage& into, const std::string& text, float x, float baseline, float scale) const {
    for (size_t i = 0; i < text.size(); ++i) {
        const int cp = (unsigned char)text[i];
        Draw(into, cp, x, baseline, scale, scale);
        x += Box(cp, scale, scale).advance;
        if (i + 1 < text.size())
            x += scale * stbtt_GetCodepointKernAdvance(Info(m_pInfo), cp, (unsigned char)text[i + 1]);
    }
    return x;
}

}  // namespace assetgen
