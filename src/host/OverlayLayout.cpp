#include "host/OverlayLayout.h"

#include <cstdio>

namespace {

int32_t GlyphTexture(char c) {
    if (c == ':') return OVERLAY_COLON;
    if (c < '0') return OVERLAY_DOT;
    return int32_t(c - '0');
}

}  // namespace

std::vector<OverlayGlyph> ClockGlyphs(int nHour, int nMinute, int nSecond, bool bTwelveHour) {
    char szTime[16];
    std::snprintf(szTime, sizeof szTime, "%02d:%02d:%02d", nHour % 100, nMinute % 100, nSecond % 100);
    std::vector<OverlayGlyph> glyphs;
    if (!bTwelveHour) {
        for (int i = 0; i < 8; ++i)
            glyphs.push_back({GlyphTexture(szTime[i]), 0.7f + i * kGlyphStep, 0.92f, true});
        return glyphs;
    }
    const bool bAm = nHour < 12;
    int nShown = nHour;
    if (nShown == 0) nShown = 12;
    else if (nShown > 12) nShown -= 12;
    szTime[0] = char('0' + nShown / 10 % 10);
    szTime[1] = char('0' + nShown % 10);
    for (int i = 0; i < 8; ++i) {
        if (i == 0 && szTime[0] == '0') continue;  // no leading zero
        glyphs.push_back({GlyphTexture(szTime[i]), 0.663f + i * kGlyphStep, 0.92f, false});
    }
    glyphs.push_back({bAm ? OVERLAY_AM : OVERLAY_PM, 0.959f, 0.92f, true});
    return glyphs;
}

std::vector<OverlayGlyph> FpsGlyphs(int32_t nFps) {
    char szFps[16];
    std::snprintf(szFps, sizeof szFps, "%i", int(nFps));
    std::vector<OverlayGlyph> glyphs;
    for (int i = 0; szFps[i]; ++i)
        glyphs.push_back({GlyphTexture(szFps[i]), 0.01f + i * kGlyphStep, 0.01f, false});
    return glyphs;
}
