#include "host/MultiMonitor.h"

#include <cstring>

namespace {

// The fixed pseudo handle of the single display of the stand-in.
HMONITOR const kPrimaryMonitor = reinterpret_cast<HMONITOR>(intptr_t(0x12340042));

BOOL WINAPI StandInEnumDisplayDevices(LPCSTR pszDevice, DWORD nIndex, PDISPLAY_DEVICEA pDevice,
                                      DWORD) {
    if (pszDevice || nIndex != 0 || !pDevice) return FALSE;
    const DWORD cb = pDevice->cb;
    std::memset(pDevice, 0, sizeof *pDevice);
    pDevice->cb = cb;
    lstrcpynA(pDevice->DeviceName, "DISPLAY", sizeof pDevice->DeviceName);
    lstrcpynA(pDevice->DeviceString, "DISPLAY", sizeof pDevice->DeviceString);
    pDevice->StateFlags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE;
    return TRUE;
}

HMONITOR WINAPI StandInMonitorFromRect(LPCRECT pRect, DWORD) {
    if (!pRect) return nullptr;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (pRect->right > 0 && pRect->bottom > 0 && pRect->left < w && pRect->top < h)
        return kPrimaryMonitor;
    return nullptr;
}

template <typename T>
T Resolve(HMODULE hModule, const char* pszName, T fallback) {
    void* p = hModule ? reinterpret_cast<void*>(GetProcAddress(hModule, pszName)) : nullptr;
    return p ? reinterpret_cast<T>(p) : fallback;
}

}  // namespace

const MultiMonitorApi& GetMultiMonitorApi() {
    static const MultiMonitorApi s_api = [] {
        HMODULE hUser = GetModuleHandleA("user32.dll");
        MultiMonitorApi api;
        api.pEnumDisplayDevicesA = Resolve(hUser, "EnumDisplayDevicesA", &StandInEnumDisplayDevices);
        api.pMonitorFromRect = Resolve(hUser, "MonitorFromRect", &StandInMonitorFromRect);
        api.pEnumDisplayMonitors = Resolve<decltype(api.pEnumDisplayMonitors)>(hUser, "EnumDisplayMonitors", nullptr);
        api.pGetMonitorInfoA = Resolve<decltype(api.pGetMonitorInfoA)>(hUser, "GetMonitorInfoA", nullptr);
        return api;
    }();
    return s_api;
}
