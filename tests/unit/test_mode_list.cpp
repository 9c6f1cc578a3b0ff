#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "settings/ModeList.h"

namespace {

constexpr int32_t X8 = kModeFormatX8R8G8B8;
constexpr int32_t R5 = kModeFormatR5G6B5;
constexpr int32_t A8 = kModeFormatA8R8G8B8;

// Modes as one adapter returns them: all X8R8G8B8 first, then R5G6B5.
std::vector<DisplayMode> Adapter(const std::vector<std::pair<uint32_t, uint32_t>>& sizes, uint32_t nRefresh = 60) {
    std::vector<DisplayMode> modes;
    for (int32_t nFormat : {X8, R5})
        for (const auto& size : sizes) modes.push_back({size.first, size.second, nRefresh, nFormat});
    return modes;
}

void ExpectModes(const std::vector<DisplayMode>& modes,
                 const std::vector<std::tuple<uint32_t, uint32_t, int32_t>>& expected) {
    ASSERT_EQ(modes.size(), expected.size());
    for (size_t i = 0; i < modes.size(); ++i) {
        EXPECT_EQ(modes[i].Width, std::get<0>(expected[i])) << i;
        EXPECT_EQ(modes[i].Height, std::get<1>(expected[i])) << i;
        EXPECT_EQ(modes[i].Format, std::get<2>(expected[i])) << i;
    }
}

TEST(ModeList, SixModesInOrderAndTheDefaultChoice) {
    std::vector<DisplayMode> modes = Adapter({{1024, 768}, {640, 480}, {800, 600}});
    NormalizeModeList(modes);
    ExpectModes(modes, {{640, 480, R5}, {640, 480, X8}, {800, 600, R5}, {800, 600, X8},
                        {1024, 768, R5}, {1024, 768, X8}});
    int32_t nSelected = -1;
    SelectedMode out;
    EXPECT_EQ(SelectModeFromList(modes, nSelected, out), 6);
    EXPECT_EQ(nSelected, 5);
    EXPECT_EQ(out.Width, 1024u);
    EXPECT_EQ(out.Height, 768u);
    EXPECT_EQ(out.Format, X8);
    EXPECT_EQ(out.DepthFormat, 75);  // D3DFMT_D24S8
    EXPECT_EQ(ModeText(modes[0]), "640 x 480 16 bits");
    EXPECT_EQ(ModeText(modes[5]), "1024 x 768 32 bits");
}

TEST(ModeList, RefreshRatesAreListedOnceKeepingTheLast) {
    std::vector<DisplayMode> modes = {{800, 600, 60, X8}, {800, 600, 75, X8}, {800, 600, 85, X8},
                                      {800, 600, 60, R5}};
    NormalizeModeList(modes);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].Format, R5);
    EXPECT_EQ(modes[1].Format, X8);
    EXPECT_EQ(modes[1].RefreshRate, 85u);
    // The choice carries the rate as listed, for the full-screen device.
    int32_t nSelected = 1;
    SelectedMode out;
    SelectModeFromList(modes, nSelected, out);
    EXPECT_EQ(out.RefreshRate, 85u);
}

TEST(ModeList, ChosenModeResolvedOnTheDeviceAdapter) {
    const std::vector<DisplayMode> adapter = {{800, 600, 60, X8}, {800, 600, 75, X8}, {1024, 768, 60, X8},
                                              {1024, 768, 70, X8}, {800, 600, 60, R5}};
    SelectedMode chosen;
    chosen.Width = 800;
    chosen.Height = 600;
    chosen.Format = X8;
    chosen.DepthFormat = kModeFormatD24S8;
    chosen.RefreshRate = 75;
    SelectedMode out;
    ASSERT_TRUE(ResolveModeOnAdapter(adapter, chosen, out));
    EXPECT_EQ(out.RefreshRate, 75u);
    EXPECT_EQ(out.DepthFormat, kModeFormatD24S8);
    // Listed from another adapter at a rate this one lacks: this one's last
    // rate for the size and format.
    chosen.Width = 1024;
    chosen.Height = 768;
    chosen.RefreshRate = 85;
    ASSERT_TRUE(ResolveModeOnAdapter(adapter, chosen, out));
    EXPECT_EQ(out.Width, 1024u);
    EXPECT_EQ(out.RefreshRate, 70u);
    chosen.Format = R5;
    EXPECT_FALSE(ResolveModeOnAdapter(adapter, chosen, out)) << "no 1024 x 768 in 16 bits here";
    chosen.Width = 1280;
    chosen.Format = X8;
    EXPECT_FALSE(ResolveModeOnAdapter(adapter, chosen, out)) << "no such size here";
    EXPECT_FALSE(ResolveModeOnAdapter(adapter, SelectedMode(), out)) << "nothing was chosen";
    EXPECT_FALSE(ResolveModeOnAdapter({}, chosen, out));
}

TEST(ModeList, NarrowModesNeverAppear) {
    std::vector<DisplayMode> modes = Adapter({{320, 240}, {512, 384}, {639, 480}, {640, 400}});
    NormalizeModeList(modes);
    ExpectModes(modes, {{640, 400, R5}, {640, 400, X8}});
}

TEST(ModeList, TwoAdaptersGiveEachModeOnce) {
    std::vector<DisplayMode> modes = Adapter({{640, 480}, {1024, 768}}, 60);
    const std::vector<DisplayMode> second = Adapter({{1024, 768}, {640, 480}, {1280, 1024}}, 75);
    modes.insert(modes.end(), second.begin(), second.end());
    NormalizeModeList(modes);
    ExpectModes(modes, {{640, 480, R5}, {640, 480, X8}, {1024, 768, R5}, {1024, 768, X8},
                        {1280, 1024, R5}, {1280, 1024, X8}});
    for (const DisplayMode& m : modes) EXPECT_EQ(m.RefreshRate, 75u);  // the second adapter's came last
}

TEST(ModeList, SortsByWidthThenHeightThenFormatDescending) {
    std::vector<DisplayMode> modes = {{1280, 1024, 60, X8}, {1280, 720, 60, R5}, {800, 600, 60, X8},
                                      {1280, 720, 60, X8}, {1024, 768, 60, A8}, {1024, 768, 60, X8},
                                      {1024, 600, 60, R5}, {800, 600, 60, R5}};
    NormalizeModeList(modes);
    ExpectModes(modes, {{800, 600, R5}, {800, 600, X8}, {1024, 600, R5}, {1024, 768, X8},
                        {1024, 768, A8}, {1280, 720, R5}, {1280, 720, X8}, {1280, 1024, X8}});
}

TEST(ModeList, SelectionWalk) {
    std::vector<DisplayMode> modes = Adapter({{640, 480}, {1024, 600}, {1024, 768}});
    NormalizeModeList(modes);
    // No stored choice: the first 1024-wide 32-bit mode, the lowest height.
    int32_t nSelected = -1;
    SelectedMode out;
    SelectModeFromList(modes, nSelected, out);
    EXPECT_EQ(nSelected, 3);
    EXPECT_EQ(out.Height, 600u);
    // A stored choice is taken as it is, 16 bits included.
    nSelected = 0;
    out = SelectedMode();
    SelectModeFromList(modes, nSelected, out);
    EXPECT_EQ(nSelected, 0);
    EXPECT_EQ(out.Width, 640u);
    EXPECT_EQ(out.Format, R5);
    EXPECT_EQ(ModeBitCount(out.Format), 16);
    // Past the end (a list that got shorter): nothing copied, the index kept.
    for (int32_t nBad : {6, 100, INT32_MAX}) {
        nSelected = nBad;
        out = SelectedMode();
        EXPECT_EQ(SelectModeFromList(modes, nSelected, out), 6);
        EXPECT_EQ(nSelected, nBad);
        EXPECT_EQ(out.Width, 0u);
        EXPECT_EQ(out.DepthFormat, 0);
    }
    // Negative (a damaged value): no choice, so the default mode is taken.
    for (int32_t nBad : {-2, INT32_MIN}) {
        nSelected = nBad;
        out = SelectedMode();
        EXPECT_EQ(SelectModeFromList(modes, nSelected, out), 6);
        EXPECT_EQ(nSelected, 3) << nBad;
        EXPECT_EQ(out.Width, 1024u);
        EXPECT_EQ(out.Height, 600u);
    }
    // With no 1024-wide 32-bit mode a damaged index leaves the choice open.
    std::vector<DisplayMode> small = Adapter({{640, 480}});
    NormalizeModeList(small);
    nSelected = -7;
    out = SelectedMode();
    SelectModeFromList(small, nSelected, out);
    EXPECT_EQ(nSelected, -1);
    EXPECT_EQ(out.Width, 0u);
    EXPECT_EQ(out.DepthFormat, 0);
}

TEST(ModeList, NoThirtyTwoBitModeOf1024LeavesTheChoiceOpen) {
    std::vector<DisplayMode> modes = {{1024, 768, 60, R5}, {1280, 1024, 60, X8}};
    NormalizeModeList(modes);
    int32_t nSelected = -1;
    SelectedMode out;
    EXPECT_EQ(SelectModeFromList(modes, nSelected, out), 2);
    EXPECT_EQ(nSelected, -1);
    EXPECT_EQ(out.Width, 0u);
    std::vector<DisplayMode> none;
    NormalizeModeList(none);
    EXPECT_EQ(SelectModeFromList(none, nSelected, out), 0);
}

TEST(ModeList, BitCountsAndTexts) {
    EXPECT_EQ(ModeBitCount(A8), 32);
    EXPECT_EQ(ModeBitCount(X8), 32);
    EXPECT_EQ(ModeBitCount(R5), 16);
    EXPECT_EQ(ModeBitCount(0), 16);
    EXPECT_EQ(ModeText({1600, 1200, 60, A8}), "1600 x 1200 32 bits");
    EXPECT_EQ(ModeText({4294967295u, 1, 0, R5}).substr(0, 12), "4294967295 x");
}

}  // namespace
