#pragma once
// The monitor table and the full-screen windows, worked out from what the
// platform says about each display adapter. The Windows side gathers the
// reports (EnumDisplayDevicesA, the current display settings, the monitor's
// rectangle) and creates the windows in the order given here.
//
// The Direct3D device is made on adapter 0, which is always the primary
// display, and in the window that is created first (the main window). So the
// primary's window comes first whatever order the adapters are listed in;
// the others are owned by it and stay black.
#include <cstddef>
#include <cstdint>
#include <vector>

// Adapter state flags, the DISPLAY_DEVICE_* values.
constexpr uint32_t kAdapterAttachedToDesktop = 0x1;
constexpr uint32_t kAdapterPrimary = 0x4;
constexpr uint32_t kAdapterMirroringDriver = 0x8;

constexpr size_t kMonitorTableSize = 9;

struct ScreenRect {
    int32_t nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
};

inline bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.nLeft == b.nLeft && a.nTop == b.nTop && a.nRight == b.nRight && a.nBottom == b.nBottom;
}

// One adapter as the platform lists it.
struct AdapterReport {
    uint32_t nStateFlags = 0;
    // Its current display settings: desktop position and size in pixels.
    int32_t nModeX = 0, nModeY = 0;
    uint32_t nModeWidth = 0, nModeHeight = 0;
    // The rectangle of the monitor showing this adapter's desktop, in the
    // coordinates windows are created in (they differ from the display
    // settings' pixels on a scaled display), when the platform names one.
    bool bHasMonitorRect = false;
    ScreenRect monitorRect;
};

// One entry of the monitor table.
struct MonitorSlot {
    size_t nAdapter = 0;     // index of its report
    bool bAttached = false;  // part of the desktop: it gets a window
    bool bPrimary = false;
    ScreenRect rect;         // where its window goes; empty when not attached
};

// Every adapter except mirroring drivers, in the listed order, at most
// kMonitorTableSize. When there are more, adapters that are not attached
// give way to attached ones, so no monitor of the desktop is left out. An
// attached adapter's rectangle is its monitor's; without one it is taken from
// the display settings, the primary's at 0, 0.
std::vector<MonitorSlot> BuildMonitorTable(const std::vector<AdapterReport>& adapters);

// The table indices that get a window, in the order of creation: the
// primary first (the main window), then the other attached entries in table
// order. Without a primary entry the first attached one leads.
std::vector<size_t> MonitorWindowOrder(const std::vector<MonitorSlot>& table);
