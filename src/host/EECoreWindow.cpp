// The monitors, the saver's windows, the window procedure and the exit rules.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "host/CommandLine.h"
#include "host/EECore.h"
#include "base/Log.h"
#include "host/MonitorLayout.h"
#include "host/MouseRule.h"
#include "host/MultiMonitor.h"

#include "resource.h"

namespace {

MouseTrack g_MouseTrack;  // last mouse position seen, process-wide

LRESULT CALLBACK SaverWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!g_pEECore) return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    return g_pEECore->HandleMessage(hWnd, uMsg, wParam, lParam);
}

// One adapter of EnumDisplayDevicesA with its first monitor's description
// and the monitor that shows its desktop (null when none was found).
struct ListedAdapter {
    DISPLAY_DEVICEA adapter;
    DISPLAY_DEVICEA monitor;
    HMONITOR hMonitor = nullptr;
};

struct NamedMonitor {
    HMONITOR hMonitor;
    MONITORINFOEXA info;
};

BOOL CALLBACK CollectMonitor(HMONITOR hMonitor, HDC, LPRECT, LPARAM lParam) {
    NamedMonitor named;
    named.hMonitor = hMonitor;
    std::memset(&named.info, 0, sizeof named.info);
    named.info.cbSize = sizeof named.info;
    if (GetMultiMonitorApi().pGetMonitorInfoA(hMonitor, &named.info))
        reinterpret_cast<std::vector<NamedMonitor>*>(lParam)->push_back(named);
    return TRUE;
}

// The desktop's monitors with their device names; their rectangles are in
// the coordinates this process creates windows in, also on scaled displays.
std::vector<NamedMonitor> DesktopMonitors(const MultiMonitorApi& api) {
    std::vector<NamedMonitor> monitors;
    if (api.pEnumDisplayMonitors && api.pGetMonitorInfoA)
        api.pEnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

AdapterReport ReportAdapter(ListedAdapter& listed, const std::vector<NamedMonitor>& monitors) {
    AdapterReport report;
    report.nStateFlags = listed.adapter.StateFlags;
    if (!(report.nStateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)) return report;
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(listed.adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
        report.nModeX = mode.dmPosition.x;
        report.nModeY = mode.dmPosition.y;
        report.nModeWidth = mode.dmPelsWidth;
        report.nModeHeight = mode.dmPelsHeight;
    }
    for (const NamedMonitor& named : monitors)
        if (!lstrcmpiA(named.info.szDevice, listed.adapter.DeviceName)) {
            const RECT& rc = named.info.rcMonitor;
            report.bHasMonitorRect = true;
            report.monitorRect.nLeft = rc.left;
            report.monitorRect.nTop = rc.top;
            report.monitorRect.nRight = rc.right;
            report.monitorRect.nBottom = rc.bottom;
            listed.hMonitor = named.hMonitor;
            break;
        }
    return report;
}

void HidePointer() { SetCursor(nullptr); }

bool IsExitSysCommand(WPARAM wParam) {
    return wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_CLOSE ||
           wParam == SC_SCREENSAVE;
}

}  // namespace

void CEECore::EE_Core_EnumMonitors() {
    const MultiMonitorApi& api = GetMultiMonitorApi();
    const std::vector<NamedMonitor> monitors = DesktopMonitors(api);
    std::vector<ListedAdapter> listed;
    std::vector<AdapterReport> reports;
    // Far more adapters than any machine has: a bound on a driver that never
    // says "no more".
    constexpr DWORD kMaxListedAdapters = 64;
    for (DWORD nDevice = 0; nDevice < kMaxListedAdapters; ++nDevice) {
        ListedAdapter entry;
        std::memset(&entry.adapter, 0, sizeof entry.adapter);
        entry.adapter.cb = sizeof entry.adapter;
        if (!api.pEnumDisplayDevicesA(nullptr, nDevice, &entry.adapter, 0)) break;
        std::memset(&entry.monitor, 0, sizeof entry.monitor);
        entry.monitor.cb = sizeof entry.monitor;
        if (!(entry.adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER))
            api.pEnumDisplayDevicesA(entry.adapter.DeviceName, 0, &entry.monitor, 0);
        reports.push_back(ReportAdapter(entry, monitors));
        listed.push_back(entry);
    }
    const std::vector<MonitorSlot> table = BuildMonitorTable(reports);
    m_nMonitorCount = 0;
    for (const MonitorSlot& slot : table) {
        const ListedAdapter& source = listed[slot.nAdapter];
        MonitorEntry& entry = m_aMonitors[m_nMonitorCount++];
        std::memset(&entry, 0, sizeof entry);
        lstrcpynA(entry.szAdapter, source.adapter.DeviceString, sizeof entry.szAdapter);
        lstrcpynA(entry.szMonitor, source.monitor.DeviceString, sizeof entry.szMonitor);
        entry.nAdapterIndex = -1;
        if (!slot.bAttached) continue;
        entry.nLeft = slot.rect.nLeft;
        entry.nTop = slot.rect.nTop;
        entry.nRight = slot.rect.nRight;
        entry.nBottom = slot.rect.nBottom;
        entry.bPrimary = slot.bPrimary ? 1 : 0;
        entry.hMonitor = source.hMonitor;
        if (!entry.hMonitor) {
            const RECT rc = {entry.nLeft, entry.nTop, entry.nRight, entry.nBottom};
            entry.hMonitor = api.pMonitorFromRect(&rc, MONITOR_DEFAULTTONULL);
        }
    }
}

HRESULT CEECore::EE_Core_CreateWindow() {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverWindowProc;
    wc.hInstance = m_hInstance;
    wc.hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = m_szWindowClass;
    RegisterClassA(&wc);

    if (m_nRunMode == RUNMODE_PREVIEW) {
        RECT rc = {0, 0, 0, 0};
        GetClientRect(m_hParentWnd, &rc);
        const DWORD nStyle = WS_CHILD | WS_VISIBLE;
        AdjustWindowRect(&rc, nStyle, FALSE);
        m_hWnd = CreateWindowExA(0, m_szWindowClass, m_szWindowTitle, nStyle, rc.left, rc.top,
                                 rc.right - rc.left, rc.bottom - rc.top, m_hParentWnd, nullptr,
                                 m_hInstance, nullptr);
    } else if (m_nRunMode == RUNMODE_SAVER) {
        m_hWnd = nullptr;
        std::vector<MonitorSlot> table(static_cast<size_t>(m_nMonitorCount));
        for (size_t i = 0; i < table.size(); ++i) {
            table[i].bAttached = m_aMonitors[i].hMonitor != nullptr;
            table[i].bPrimary = m_aMonitors[i].bPrimary != 0;
        }
        // The primary's window first: it becomes m_hWnd and owns the others.
        for (size_t i : MonitorWindowOrder(table)) {
            MonitorEntry& entry = m_aMonitors[i];
            entry.hWnd = CreateWindowExA(WS_EX_TOPMOST, m_szWindowClass, m_szWindowTitle,
                                         WS_POPUP | WS_VISIBLE, entry.nLeft, entry.nTop,
                                         entry.nRight - entry.nLeft, entry.nBottom - entry.nTop,
                                         m_hWnd, nullptr, m_hInstance, nullptr);
            if (!entry.hWnd) {
                LogMessage(LogPath(), "%s\t%d\n", "error create window", int(i));
                return E_FAIL;
            }
            if (!m_hWnd) m_hWnd = entry.hWnd;
        }
    } else if (m_nRunMode == RUNMODE_TEST) {
        RECT rc = {50, 50, 650, 450};
        const DWORD nStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        AdjustWindowRect(&rc, nStyle, FALSE);
        m_hWnd = CreateWindowExA(0, m_szWindowClass, m_szWindowTitle, nStyle, rc.left, rc.top,
                                 rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                                 m_hInstance, nullptr);
    }
    if (m_hWnd) {
        HidePointer();
        return S_OK;
    }
    LogMessage(LogPath(), "%s\n", "error create window (m_hWnd)");
    return E_FAIL;
}

LRESULT CEECore::HandleMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        if (m_nRunMode == RUNMODE_PREVIEW) LoadPreviewPicture();
        HidePointer();
        break;
    case WM_DESTROY:
        EE_Core_Shutdown();
        break;
    case WM_PAINT:
        if (m_nRunMode == RUNMODE_PREVIEW) {
            PaintPreview(hWnd);
            return 0;
        }
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0 && m_nRunMode != RUNMODE_TEST) EE_Core_RequestExit();
        break;
    case WM_SETCURSOR:
        if (m_nRunMode == RUNMODE_SAVER) {
            HidePointer();
            return 1;
        }
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (m_nRunMode != RUNMODE_TEST) {
            LogMessage(LogPath(), "%s\n", "detected pressed any key");
            EE_Core_RequestExit();
        }
        break;
    case WM_SYSCOMMAND:
        if (m_nRunMode == RUNMODE_SAVER && IsExitSysCommand(wParam)) {
            EE_Core_RequestExit();
            return 0;
        }
        break;
    case WM_TIMER:
        if ((wParam & 0xFFFF) == kPreviewTimer) {
            EndPreviewFirstPhase(hWnd);
        } else if ((wParam & 0xFFFF) == kFpsTimer) {
            const int32_t nFps = m_FrameRate.EndSecond();
            LogMessage(LogPath(), "fps\t%d\t%u\n", int(nFps), unsigned(timeGetTime()));
        }
        break;
    case WM_MOUSEMOVE:
        // Diagnostic: lets a test wait for each move to arrive, one message a move.
        if (m_nRunMode != RUNMODE_PREVIEW)
            LogMessage(LogPath(), "mouse move\t%d\t%d\n", int(short(LOWORD(lParam))), int(short(HIWORD(lParam))));
        if (m_nRunMode != RUNMODE_PREVIEW && m_Settings.ExitOnMouseMove) {
            if (MouseMoveEndsSaver(m_nMouseSkip, g_MouseTrack, uint32_t(lParam))) {
                LogMessage(LogPath(), "%s\n", "detected mouse move");
                EE_Core_RequestExit();
            }
            return 0;
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND && !m_pVerifyPassword) EE_Core_RequestExit();
        break;
    case WM_QUERYENDSESSION:
        return TRUE;  // a saver never holds up a logoff or shutdown
    case WM_ENDSESSION:
        // Windows may end the process as soon as this returns: release
        // everything now, so the audio library's copy does not stay behind,
        // then end the process with a clean exit code before it is killed.
        if (wParam) {
            EE_Core_Shutdown();
            m_pEndProcess(0);
        }
        return 0;
    case WM_USER:
        StartPreviewTimer(hWnd);
        break;
    default:
        break;
    }
    return EE_Core_WndProc(hWnd, uMsg, wParam, lParam);
}

void CEECore::EE_Core_RequestExit() {
    if (m_nRunMode != RUNMODE_SAVER && m_nRunMode != RUNMODE_TEST) return;
    if (m_bOldPlatform && m_nRunMode == RUNMODE_SAVER && m_pVerifyPassword) {
        if (m_nFrameParity == 0 && m_pDevice) m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
        if (!m_pVerifyPassword(m_hWnd)) {
            HidePointer();
            m_nMouseSkip = 0;
            m_nFrameParity = 1;
            m_nLastFrameTime = timeGetTime();
            return;
        }
    }
    EE_Core_Shutdown();
}
