// The monitors, the saver's windows, the window procedure and the exit rules.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "host/CommandLine.h"
#include "host/EECore.h"
#include "host/Log.h"
#include "host/MouseRule.h"
#include "host/MultiMonitor.h"

#include "resource.h"

namespace {

MouseTrack g_MouseTrack;  // last mouse position seen, process-wide

LRESULT CALLBACK SaverWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!g_pEECore) return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    return g_pEECore->EE_Core_HandleMessage(hWnd, uMsg, wParam, lParam);
}

void FillMonitorRect(MonitorEntry& entry, const DISPLAY_DEVICEA& adapter) {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(adapter.DeviceName, ENUM_CURRENT_SETTINGS, &mode);
    if (!(adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE)) {
        entry.nLeft = mode.dmPosition.x;
        entry.nTop = mode.dmPosition.y;
    }
    entry.nRight = entry.nLeft + int32_t(mode.dmPelsWidth);
    entry.nBottom = entry.nTop + int32_t(mode.dmPelsHeight);
    const RECT rc = {entry.nLeft, entry.nTop, entry.nRight, entry.nBottom};
    entry.hMonitor = GetMultiMonitorApi().pMonitorFromRect(&rc, MONITOR_DEFAULTTONULL);
}

void HidePointer() { SetCursor(nullptr); }

void PaintPreview(HWND hWnd, HBITMAP hBitmap) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc && hBitmap) {
        BITMAP bm;
        std::memset(&bm, 0, sizeof bm);
        GetObjectA(hBitmap, sizeof bm, &bm);
        HDC hMem = CreateCompatibleDC(hdc);
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        BitBlt(hdc, 0, 0, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCCOPY);
        SelectObject(hMem, hOld);
        DeleteDC(hMem);
    }
    EndPaint(hWnd, &ps);
}

bool IsExitSysCommand(WPARAM wParam) {
    return wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_CLOSE ||
           wParam == SC_SCREENSAVE;
}

}  // namespace

void CEECore::EE_Core_EnumMonitors() {
    const MultiMonitorApi& api = GetMultiMonitorApi();
    m_nMonitorCount = 0;
    for (DWORD nDevice = 0; m_nMonitorCount < kMaxMonitors; ++nDevice) {
        DISPLAY_DEVICEA adapter;
        std::memset(&adapter, 0, sizeof adapter);
        adapter.cb = sizeof adapter;
        if (!api.pEnumDisplayDevicesA(nullptr, nDevice, &adapter, 0)) break;
        if (adapter.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;
        DISPLAY_DEVICEA monitor;
        std::memset(&monitor, 0, sizeof monitor);
        monitor.cb = sizeof monitor;
        api.pEnumDisplayDevicesA(adapter.DeviceName, 0, &monitor, 0);
        MonitorEntry& entry = m_aMonitors[m_nMonitorCount];
        std::memset(&entry, 0, sizeof entry);
        lstrcpynA(entry.szAdapter, adapter.DeviceString, sizeof entry.szAdapter);
        lstrcpynA(entry.szMonitor, monitor.DeviceString, sizeof entry.szMonitor);
        entry.nAdapterIndex = -1;
        if (adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) FillMonitorRect(entry, adapter);
        ++m_nMonitorCount;
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
        for (int32_t i = 0; i < m_nMonitorCount; ++i) {
            MonitorEntry& entry = m_aMonitors[i];
            if (!entry.hMonitor) continue;
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

LRESULT CEECore::EE_Core_HandleMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        if (m_nRunMode == RUNMODE_PREVIEW)
            m_hPreviewBitmap = LoadBitmapA(m_hInstance, MAKEINTRESOURCEA(IDB_PREVIEW));
        HidePointer();
        break;
    case WM_DESTROY:
        EE_Core_Shutdown();
        break;
    case WM_PAINT:
        if (m_nRunMode == RUNMODE_PREVIEW) {
            PaintPreview(hWnd, m_hPreviewBitmap);
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
            m_bPreviewWait = 0;
            KillTimer(hWnd, kPreviewTimer);
        } else if ((wParam & 0xFFFF) == kFpsTimer) {
            m_nFps = m_nFrameCounter;
            m_nFrameCounter = 0;
            LogMessage(LogPath(), "fps\t%d\t%u\n", int(m_nFps), unsigned(timeGetTime()));
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
    case WM_ENDSESSION:
        // The system may end the process as soon as this returns, so what
        // the run holds (the audio library's temporary copy among it) is
        // freed now, without the password check, and the process ends
        // itself with a clean exit code rather than be killed half-way.
        if (wParam) {
            EE_Core_Shutdown();
            m_pEndProcess(0);
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND && !m_pVerifyPassword) EE_Core_RequestExit();
        break;
    case WM_USER:
        SetTimer(hWnd, kPreviewTimer, 500, nullptr);
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
