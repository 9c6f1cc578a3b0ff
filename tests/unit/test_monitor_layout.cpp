// The monitor table and the order of the full-screen windows, fed with what
// EnumDisplayDevicesA, the display settings and GetMonitorInfo report on real
// desktops.
#include <gtest/gtest.h>

#include <vector>

#include "host/MonitorLayout.h"

namespace {

constexpr uint32_t kAttached = kAdapterAttachedToDesktop;
constexpr uint32_t kPrimary = kAdapterAttachedToDesktop | kAdapterPrimary;

ScreenRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) {
    ScreenRect rc;
    rc.nLeft = l, rc.nTop = t, rc.nRight = r, rc.nBottom = b;
    return rc;
}

// An adapter whose monitor the platform names, with its rectangle.
AdapterReport Monitor(uint32_t nFlags, ScreenRect rc) {
    AdapterReport a;
    a.nStateFlags = nFlags;
    a.nModeX = rc.nLeft, a.nModeY = rc.nTop;
    a.nModeWidth = uint32_t(rc.nRight - rc.nLeft), a.nModeHeight = uint32_t(rc.nBottom - rc.nTop);
    a.bHasMonitorRect = true;
    a.monitorRect = rc;
    return a;
}

// An adapter known only by its display settings.
AdapterReport ModeOnly(uint32_t nFlags, int32_t x, int32_t y, uint32_t w, uint32_t h) {
    AdapterReport a;
    a.nStateFlags = nFlags;
    a.nModeX = x, a.nModeY = y, a.nModeWidth = w, a.nModeHeight = h;
    return a;
}

AdapterReport Unattached() { return AdapterReport(); }

// The rectangles of the windows in creation order.
std::vector<ScreenRect> Windows(const std::vector<AdapterReport>& adapters) {
    const std::vector<MonitorSlot> table = BuildMonitorTable(adapters);
    std::vector<ScreenRect> out;
    for (size_t i : MonitorWindowOrder(table)) out.push_back(table[i].rect);
    return out;
}

void ExpectRects(const std::vector<ScreenRect>& got, const std::vector<ScreenRect>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].nLeft, want[i].nLeft) << "window " << i;
        EXPECT_EQ(got[i].nTop, want[i].nTop) << "window " << i;
        EXPECT_EQ(got[i].nRight, want[i].nRight) << "window " << i;
        EXPECT_EQ(got[i].nBottom, want[i].nBottom) << "window " << i;
    }
}

TEST(MonitorLayout, OneMonitorGetsOneWindowOverTheWholeScreen) {
    ExpectRects(Windows({Monitor(kPrimary, Rect(0, 0, 1920, 1080))}), {Rect(0, 0, 1920, 1080)});
    // Without a monitor rectangle (the single-display stand-in): the display
    // settings, the primary at 0, 0 whatever position they state.
    ExpectRects(Windows({ModeOnly(kPrimary, 7, 9, 1024, 768)}), {Rect(0, 0, 1024, 768)});
}

TEST(MonitorLayout, ThePrimaryWindowComesFirstWhereverItIsListed) {
    // Two monitors, the primary listed second: its window is the main one.
    const std::vector<AdapterReport> two = {Monitor(kAttached, Rect(1920, 0, 3200, 1024)),
                                            Monitor(kPrimary, Rect(0, 0, 1920, 1080))};
    const std::vector<MonitorSlot> table = BuildMonitorTable(two);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].nAdapter, 0u);  // the table keeps the listed order
    EXPECT_EQ(table[1].nAdapter, 1u);
    const std::vector<size_t> order = MonitorWindowOrder(table);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], 1u);
    EXPECT_TRUE(table[order[0]].bPrimary);
    ExpectRects(Windows(two), {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3200, 1024)});

    // Three, the primary last: the others follow it in listed order.
    ExpectRects(Windows({Monitor(kAttached, Rect(1920, 0, 3840, 1080)),
                         Monitor(kAttached, Rect(3840, 0, 5120, 1024)), Monitor(kPrimary, Rect(0, 0, 1920, 1080))}),
                {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3840, 1080), Rect(3840, 0, 5120, 1024)});
    // Three, the primary in the middle.
    ExpectRects(Windows({Monitor(kAttached, Rect(-1280, 0, 0, 1024)), Monitor(kPrimary, Rect(0, 0, 1920, 1080)),
                         Monitor(kAttached, Rect(1920, 0, 3840, 1080))}),
                {Rect(0, 0, 1920, 1080), Rect(-1280, 0, 0, 1024), Rect(1920, 0, 3840, 1080)});
}

TEST(MonitorLayout, MonitorsLeftOfAndAboveThePrimaryKeepTheirNegativePlaces) {
    ExpectRects(Windows({Monitor(kPrimary, Rect(0, 0, 1920, 1080)), Monitor(kAttached, Rect(-1280, -200, 0, 824)),
                         Monitor(kAttached, Rect(0, -1080, 1920, 0))}),
                {Rect(0, 0, 1920, 1080), Rect(-1280, -200, 0, 824), Rect(0, -1080, 1920, 0)});
    // From the display settings alone the same places come out.
    ExpectRects(Windows({ModeOnly(kAttached, -1280, -200, 1280, 1024), ModeOnly(kPrimary, 0, 0, 1920, 1080)}),
                {Rect(0, 0, 1920, 1080), Rect(-1280, -200, 0, 824)});
}

TEST(MonitorLayout, ScaledMonitorsUseTheMonitorRectangleNotThePixelCount) {
    // A 3840 x 2160 panel at 200 % right of a 1920 x 1080 primary at 100 %:
    // the display settings count pixels, windows are placed in the monitor
    // rectangle's coordinates.
    AdapterReport scaled = ModeOnly(kAttached, 1920, 0, 3840, 2160);
    scaled.bHasMonitorRect = true;
    scaled.monitorRect = Rect(1920, 0, 3840, 1080);
    AdapterReport primary = ModeOnly(kPrimary, 0, 0, 2880, 1620);  // a 150 % primary
    primary.bHasMonitorRect = true;
    primary.monitorRect = Rect(0, 0, 1920, 1080);
    ExpectRects(Windows({scaled, primary}), {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3840, 1080)});
}

TEST(MonitorLayout, MirroringDriversAreLeftOutAndUnattachedAdaptersGetNoWindow) {
    AdapterReport mirror = Monitor(kAttached | kAdapterMirroringDriver, Rect(0, 0, 1920, 1080));
    const std::vector<AdapterReport> adapters = {mirror, Unattached(), Monitor(kPrimary, Rect(0, 0, 1920, 1080)),
                                                 Unattached(), Monitor(kAttached, Rect(1920, 0, 3200, 1024))};
    const std::vector<MonitorSlot> table = BuildMonitorTable(adapters);
    ASSERT_EQ(table.size(), 4u);  // the mirror is not in the table, the unattached ones are
    const size_t want[] = {1, 2, 3, 4};
    for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].nAdapter, want[i]) << i;
    EXPECT_FALSE(table[0].bAttached);
    EXPECT_TRUE(table[0].rect == ScreenRect());
    EXPECT_FALSE(table[2].bAttached);
    ExpectRects(Windows(adapters), {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3200, 1024)});
    // Nothing attached at all: no window.
    EXPECT_TRUE(Windows({Unattached(), mirror}).empty());
    // No adapter flagged primary: the first attached one leads.
    ExpectRects(Windows({Unattached(), Monitor(kAttached, Rect(0, 0, 800, 600)), Monitor(kAttached, Rect(800, 0, 1600, 600))}),
                {Rect(0, 0, 800, 600), Rect(800, 0, 1600, 600)});
}

TEST(MonitorLayout, TheTableHoldsNineAndUnattachedAdaptersGiveWayToMonitors) {
    // Eight adapters without a desktop listed before two monitors.
    std::vector<AdapterReport> adapters(8, Unattached());
    adapters.push_back(Monitor(kAttached, Rect(1920, 0, 3840, 1080)));
    adapters.push_back(Monitor(kPrimary, Rect(0, 0, 1920, 1080)));
    const std::vector<MonitorSlot> table = BuildMonitorTable(adapters);
    ASSERT_EQ(table.size(), kMonitorTableSize);
    EXPECT_EQ(table[6].nAdapter, 6u);  // seven unattached kept, in order
    EXPECT_EQ(table[7].nAdapter, 8u);
    EXPECT_EQ(table[8].nAdapter, 9u);
    ExpectRects(Windows(adapters), {Rect(0, 0, 1920, 1080), Rect(1920, 0, 3840, 1080)});

    // Twelve monitors: the first nine listed get windows.
    std::vector<AdapterReport> wall;
    for (int32_t i = 0; i < 12; ++i)
        wall.push_back(Monitor(i == 0 ? kPrimary : kAttached, Rect(i * 100, 0, i * 100 + 100, 100)));
    const std::vector<ScreenRect> windows = Windows(wall);
    ASSERT_EQ(windows.size(), kMonitorTableSize);
    EXPECT_EQ(windows.back().nLeft, 800);
}

}  // namespace
