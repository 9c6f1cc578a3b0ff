#pragma once
// CEECore: the framework the saver hangs on. It owns the process state (run
// mode, windows, Direct3D object and device, settings, overlay resources,
// frame timing), runs start-up, the message-and-frame loop and the shutdown,
// and calls its virtual operations at fixed points of that life.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "host/DeviceRecovery.h"
#include "host/FrameRate.h"
#include "settings/ModeList.h"
#include "settings/QuoteRecord.h"
#include "settings/SaverSettings.h"
#include "settings/SettingsStore.h"

struct OverlayGlyph;

// Ends this process with the code at once. Used after a full shutdown at the
// session's end, when the system is about to end the process anyway: the
// libraries' detach that ExitProcess would still run can take long enough
// for the system to kill the process half-way.
inline void WINAPI EndProcessAtOnce(UINT nCode) { TerminateProcess(GetCurrentProcess(), nCode); }

constexpr int kMaxMonitors = 9;
constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT_PTR kFpsTimer = 7;

struct QuoteCollection {
    QuoteRecord aRecords[kMaxQuotes];
    int32_t nCount;
};

struct MonitorEntry {
    char szAdapter[128];
    char szMonitor[128];
    HMONITOR hMonitor;
    int32_t nLeft, nTop, nRight, nBottom;
    int32_t nAdapterIndex;
    HWND hWnd;
    int32_t bPrimary;  // the primary display, whose window receives the device
};

// The Direct3D object, the full-screen modes and the mode the saver runs in.
struct VideoSettings {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    D3DFORMAT nFormat = D3DFMT_UNKNOWN;
    D3DFORMAT nDepthFormat = D3DFMT_D24S8;
    uint32_t nRefreshRate = 0;  // as listed for the selected mode
    std::vector<DisplayMode> modes;
    int32_t m_nSelectedMode = -1;
    IDirect3D9* pD3D = nullptr;
};

using VerifyPwdProc = BOOL(WINAPI*)(HWND);

class CEECore {
public:
    CEECore();
    virtual ~CEECore();

    // Virtual operations, in slot order.
    virtual HRESULT Init();
    virtual HRESULT SettingsRead();
    virtual HRESULT SettingsWrite();
    // A hook for the application: called when the defaults are restored (at
    // start-up and by the dialog's button) before the framework resets the
    // settings record itself; the framework's own does nothing.
    virtual HRESULT EE_Core_RestoreDefaults();
    virtual HRESULT EE_Core_ConfigInit(HWND hDlg);
    virtual INT_PTR EE_Core_ConfigMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT EE_Core_WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual HRESULT EE_Core_DeviceCreated();
    virtual HRESULT EE_Core_BeginShutdown();
    virtual HRESULT EE_Core_InitD3Device(IDirect3DDevice9* pDevice);
    virtual HRESULT EE_Core_DrawLoading(IDirect3DDevice9* pDevice);
    virtual HRESULT EE_Core_LoadScene(IDirect3DDevice9* pDevice);
    virtual HRESULT EE_Core_SceneLoaded(IDirect3DDevice9* pDevice);
    virtual HRESULT EE_Core_FrameMove(IDirect3DDevice9* pDevice, float fElapsedMs);
    virtual HRESULT EE_Core_FrameRender(IDirect3DDevice9* pDevice);
    virtual HRESULT EE_Core_FreeScene();
    // A lost device is reset: first the application releases what it holds in
    // D3DPOOL_DEFAULT; after a successful Reset and EE_Core_InitD3Device it
    // makes those resources again (managed ones stay).
    virtual HRESULT OnDeviceLost();
    virtual HRESULT OnDeviceReset(IDirect3DDevice9* pDevice);

    // Framework steps.
    HRESULT EE_Core_Startup(HINSTANCE hInstance);
    void EE_Core_Reset();
    HRESULT EE_Core_Run();
    void EE_Core_Frame();
    // The device's state for a frame at nNow, after a reset where one is
    // due; true when the frame can draw. May end the run (full screen).
    bool PrepareDevice(uint32_t nNow);
    // Releases the default pool, resets with the creation's present
    // parameters, sets the device states and recreates the default pool.
    HRESULT ResetDevice();
    void EE_Core_RequestExit();
    void EE_Core_Shutdown();
    int DispatchRunMode(HINSTANCE hInstance);  // the entry point's dispatch

    // Window and input.
    void EE_Core_EnumMonitors();
    HRESULT EE_Core_CreateWindow();
    // The preview (mode 1): its first phase of about half a second, the
    // handshake's two messages, and the watch: false, after ending the run,
    // once the preview window or its parent is gone.
    void RunPreviewFirstPhase();
    void StartPreviewTimer(HWND hWnd);     // WM_USER
    void EndPreviewFirstPhase(HWND hWnd);  // timer 1
    bool WatchPreview();
    void LoadPreviewPicture();
    void PaintPreview(HWND hWnd);
    LRESULT HandleMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // Direct3D.
    HRESULT EE_Core_CreateD3DObject();
    HRESULT EE_Core_BuildModeList();
    int32_t EE_Core_SelectMode();
    HRESULT EE_Core_CreateD3Device(HWND hWnd);
    HRESULT EE_Core_LoadOverlay(IDirect3DDevice9* pDevice);
    void ReleaseOverlayQuad();  // the overlay's default-pool buffer
    HRESULT RestoreOverlayQuad(IDirect3DDevice9* pDevice);
    HRESULT EE_Core_DrawOverlay(IDirect3DDevice9* pDevice);
    HRESULT EE_Core_DrawQuad(IDirect3DVertexBuffer9* pBuffer, D3DCOLOR nColor,
                             const D3DVIEWPORT9& viewport, float x, float y, float w, float h);

    // Settings.
    void EE_Core_LoadDefaults();
    LONG EE_Core_ReadSettings(SaverSettings& settings);
    LONG EE_Core_WriteSettings(const SaverSettings& settings);

    // Quotes.
    void ReadQuotes();

    // Configuration dialog (run mode 0).
    INT_PTR EE_Core_ShowConfigDialog();

    void SetInstance(HINSTANCE hInstance) { m_hInstance = hInstance; }

    // Members, in declaration order.
    QuoteCollection m_Quotes;
    QuoteRecord m_UserText;
    HWND m_hParentWnd = nullptr;
    int32_t m_nRunMode = 0;
    HINSTANCE m_hInstance = nullptr;
    HWND m_hWnd = nullptr;
    MonitorEntry m_aMonitors[kMaxMonitors];
    int32_t m_nMonitorCount = 0;
    HMODULE m_hPasswordLib = nullptr;
    int32_t m_bPreviewWait = 0;
    int32_t m_bOldPlatform = 0;
    char m_szWindowTitle[30];
    char m_szWindowClass[30];
    VerifyPwdProc m_pVerifyPassword = nullptr;
    SaverSettings m_Settings;
    VideoSettings m_Video;
    IDirect3DDevice9* m_pDevice = nullptr;
    uint8_t m_aOverlayColor[3] = {255, 255, 255};
    IDirect3DTexture9* m_apDigitTextures[12] = {};
    IDirect3DTexture9* m_pAmTexture = nullptr;
    IDirect3DTexture9* m_pPmTexture = nullptr;
    IDirect3DVertexBuffer9* m_pOverlayQuad = nullptr;
    int32_t m_nFrameParity = 1;
    CFrameRate m_FrameRate;
    // Kept as the unsigned counter: a float loses whole milliseconds once the
    // system has been up for a few hours.
    uint32_t m_nLastFrameTime = 0;
    HBITMAP m_hPreviewBitmap = nullptr;
    int32_t m_nMouseSkip = 10;
    // Ends the process when the session ends, once the run is shut down
    // (tests put their own in).
    void(WINAPI* m_pEndProcess)(UINT) = EndProcessAtOnce;

protected:
    void ReleaseOverlay();
    IDirect3DTexture9* OverlayTexture(int32_t nIndex) const;
    void DrawOverlayGlyph(IDirect3DDevice9* pDevice, const D3DVIEWPORT9& viewport,
                          const OverlayGlyph& glyph);
    void LogSettings() const;
    SelectedMode ChosenMode() const;  // the selected mode as the video settings hold it

private:
    void BeginFineTimer();
    void EndFineTimer();

    bool m_bShutDown = false;  // the shutdown runs once; later calls do nothing
    bool m_bFineTimer = false;  // the 1 ms timer resolution is ours to return
    CDeviceRecovery m_DeviceRecovery;
    bool m_bDefaultPoolReleased = false;  // between a loss and a successful reset
};

// The one application object, reached by the window procedure.
extern CEECore* g_pEECore;
