#pragma once
// The multi-monitor functions, resolved at run time. Where the platform lacks
// them, a stand-in reports exactly one primary display named "DISPLAY".
#include <windows.h>

struct MultiMonitorApi {
    BOOL(WINAPI* pEnumDisplayDevicesA)(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD);
    HMONITOR(WINAPI* pMonitorFromRect)(LPCRECT, DWORD);
    // No stand-in: null where the platform lacks them.
    BOOL(WINAPI* pEnumDisplayMonitors)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    BOOL(WINAPI* pGetMonitorInfoA)(HMONITOR, LPMONITORINFO);
};

const MultiMonitorApi& GetMultiMonitorApi();
