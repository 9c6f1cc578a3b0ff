#include <gtest/gtest.h>

#include "host/FrameRate.h"
#include "host/OverlayLayout.h"

namespace {

std::string Textures(const std::vector<OverlayGlyph>& glyphs) {
    std::string s;
    for (const OverlayGlyph& g : glyphs) {
        switch (g.nTexture) {
        case OVERLAY_COLON: s += ':'; break;
        case OVERLAY_DOT: s += '.'; break;
        case OVERLAY_AM: s += 'A'; break;
        case OVERLAY_PM: s += 'P'; break;
        default: s += char('0' + g.nTexture);
        }
    }
    return s;
}

}  // namespace

TEST(OverlayLayout, TwelveHourClock) {
    EXPECT_EQ(Textures(ClockGlyphs(0, 5, 9, true)), "12:05:09A");
    EXPECT_EQ(Textures(ClockGlyphs(12, 0, 0, true)), "12:00:00P");
    EXPECT_EQ(Textures(ClockGlyphs(23, 59, 59, true)), "11:59:59P");
    const auto glyphs = ClockGlyphs(9, 30, 0, true);
    EXPECT_EQ(Textures(glyphs), "9:30:00A");
    // Position 0 stays empty: the units digit keeps its own place.
    EXPECT_FLOAT_EQ(glyphs[0].x, 0.7f);  // position 1 of the row starting at 0.663
    EXPECT_FALSE(glyphs[0].bResetStates);
    EXPECT_FLOAT_EQ(glyphs.back().x, 0.959f);
    EXPECT_TRUE(glyphs.back().bResetStates);
}

TEST(OverlayLayout, TwentyFourHourClockKeepsItsLeadingZero) {
    const auto glyphs = ClockGlyphs(7, 4, 3, false);
    EXPECT_EQ(Textures(glyphs), "07:04:03");
    ASSERT_EQ(glyphs.size(), 8u);
    const float afX[8] = {0.7f, 0.737f, 0.774f, 0.811f, 0.848f, 0.885f, 0.922f, 0.959f};
    for (size_t i = 0; i < glyphs.size(); ++i) {
        EXPECT_FLOAT_EQ(glyphs[i].x, afX[i]) << i;
        EXPECT_FLOAT_EQ(glyphs[i].y, 0.92f);
        EXPECT_TRUE(glyphs[i].bResetStates);
    }
}

TEST(OverlayLayout, FpsCounter) {
    EXPECT_EQ(Textures(FpsGlyphs(0)), "0");
    const auto glyphs = FpsGlyphs(120);
    EXPECT_EQ(Textures(glyphs), "120");
    EXPECT_FLOAT_EQ(glyphs[0].x, 0.01f);
    EXPECT_FLOAT_EQ(glyphs[2].x, 0.084f);
    EXPECT_FLOAT_EQ(glyphs[2].y, 0.01f);
    EXPECT_EQ(Textures(FpsGlyphs(-5)), ".5");  // a sign uses the dot
}

TEST(OverlayLayout, FpsCounterShowsTheLastWholeSecond) {
    CFrameRate rate;
    EXPECT_EQ(Textures(FpsGlyphs(rate.Value())), "0");  // before the first tick
    for (int i = 0; i < 144; ++i) rate.CountFrame();
    EXPECT_EQ(Textures(FpsGlyphs(rate.Value())), "0");  // counting, not shown yet
    EXPECT_EQ(rate.EndSecond(), 144);
    // Frames of the running second leave the value alone until its tick.
    for (int i = 0; i < 30; ++i) rate.CountFrame();
    EXPECT_EQ(Textures(FpsGlyphs(rate.Value())), "144");
    EXPECT_EQ(rate.Counted(), 30);
    EXPECT_EQ(rate.EndSecond(), 30);
    // A second without frames (a minimised test window) shows 0.
    EXPECT_EQ(rate.EndSecond(), 0);
    EXPECT_EQ(Textures(FpsGlyphs(rate.Value())), "0");
}
