#include "TestHost.h"

#include <cstdio>

// monitors: one "adapter" line per display adapter (EnumDisplayDevicesA,
// with its current display settings) and one "monitor" line per monitor of
// the desktop (EnumDisplayMonitors, GetMonitorInfoA).

namespace {

BOOL CALLBACK PrintMonitor(HMONITOR hMonitor, HDC, LPRECT, LPARAM) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(hMonitor, &info)) return TRUE;
    const RECT& rc = info.rcMonitor;
    std::printf("monitor device=%s rect=%ld,%ld,%ld,%ld primary=%d\n", info.szDevice, rc.left, rc.top, rc.right,
                rc.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

}  // namespace

int RunMonitorList() {
    for (DWORD i = 0;; ++i) {
        DISPLAY_DEVICEA dev{};
        dev.cb = sizeof dev;
        if (!EnumDisplayDevicesA(nullptr, i, &dev, 0)) break;
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        BOOL bMode = EnumDisplaySettingsA(dev.DeviceName, ENUM_CURRENT_SETTINGS, &mode);
        std::printf("adapter index=%lu device=%s flags=0x%lx mode=%ld,%ld,%lux%lu\n", i, dev.DeviceName,
                    dev.StateFlags, bMode ? mode.dmPosition.x : 0L, bMode ? mode.dmPosition.y : 0L,
                    bMode ? mode.dmPelsWidth : 0UL, bMode ? mode.dmPelsHeight : 0UL);
    }
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    std::fflush(stdout);
    return 0;
}
