#pragma once
// Where the overlay's glyphs go: the digital clock in the lower right, the
// FPS counter in the top left, as fractions of the viewport.
#include <cstdint>
#include <vector>

// Textures of the overlay: digits 0..9, then these.
enum OverlayTexture : int32_t {
    OVERLAY_COLON = 10,
    OVERLAY_DOT = 11,
    OVERLAY_AM = 12,
    OVERLAY_PM = 13,
};

struct OverlayGlyph {
    int32_t nTexture;
    float x, y;
    // Alpha testing off and blending on before this glyph.
    bool bResetStates;
};

constexpr float kGlyphStep = 0.037f;
constexpr float kShadowWidth = 0.03959f, kShadowHeight = 0.05136f;
constexpr float kGlyphWidth = 0.037f, kGlyphHeight = 0.048f;

// hh:mm:ss in 24-hour form, or in 12-hour form with the am/pm sign last.
std::vector<OverlayGlyph> ClockGlyphs(int nHour, int nMinute, int nSecond, bool bTwelveHour);
// The FPS value as "%i".
std::vector<OverlayGlyph> FpsGlyphs(int32_t nFps);
