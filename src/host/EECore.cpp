#include <windows.h>
#include "host/EECore.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <cstring>

#include "ClassRender/D3DXMath.h"
#include "host/CommandLine.h"
#include "base/Log.h"
#include "base/SystemClock.h"
#include "settings/LocalizationStore.h"

CEECore* g_pEECore = nullptr;

CEECore::CEECore() {
    std::memset(&m_Quotes, 0, sizeof m_Quotes);
    std::memset(&m_UserText, 0, sizeof m_UserText);
    std::memset(m_aMonitors, 0, sizeof m_aMonitors);
    std::memset(m_szWindowTitle, 0, sizeof m_szWindowTitle);
    std::memset(m_szWindowClass, 0, sizeof m_szWindowClass);
    EE_Core_LoadDefaults();
    m_Settings = g_DefaultSettings;
    g_pEECore = this;
}

CEECore::~CEECore() {
    if (g_pEECore == this) g_pEECore = nullptr;
}

// --- virtual operations: the base behaviour ---------------------------------

HRESULT CEECore::Init() {
    lstrcpynA(m_szWindowTitle, "Cordelune 3D ", sizeof m_szWindowTitle);
    lstrcpynA(m_szWindowClass, "Screensaver", sizeof m_szWindowClass);
    return S_OK;
}

HRESULT CEECore::SettingsRead() { return S_OK; }
HRESULT CEECore::SettingsWrite() { return S_OK; }
HRESULT CEECore::EE_Core_RestoreDefaults() { return S_OK; }  // a hook only
HRESULT CEECore::EE_Core_ConfigInit(HWND) { return S_OK; }
INT_PTR CEECore::EE_Core_ConfigMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT CEECore::EE_Core_WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HRESULT CEECore::EE_Core_DeviceCreated() { return S_OK; }
HRESULT CEECore::EE_Core_BeginShutdown() { return S_OK; }
HRESULT CEECore::EE_Core_LoadScene(IDirect3DDevice9*) { return S_OK; }
HRESULT CEECore::EE_Core_SceneLoaded(IDirect3DDevice9*) { return S_OK; }
HRESULT CEECore::EE_Core_FreeScene() { return S_OK; }
HRESULT CEECore::OnDeviceLost() { return S_OK; }
HRESULT CEECore::OnDeviceReset(IDirect3DDevice9*) { return S_OK; }

HRESULT CEECore::EE_Core_FrameMove(IDirect3DDevice9* pDevice, float) {
    const D3DXVECTOR3 eye(0.f, 0.f, -1.f), at(0.f, 0.f, 0.f), up(0.f, 1.f, 0.f);
    D3DXMATRIX view;
    if (D3DXMatrixLookAtLH(&view, &eye, &at, &up))
        pDevice->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&view));
    return S_OK;
}

HRESULT CEECore::EE_Core_FrameRender(IDirect3DDevice9* pDevice) {
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    pDevice->BeginScene();
    EE_Core_DrawOverlay(pDevice);
    pDevice->EndScene();
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    return S_OK;
}

// --- start-up ----------------------------------------------------------------

void CEECore::EE_Core_Reset() {
    ReadQuotes();
    EE_Core_RestoreDefaults();
    m_Settings = g_DefaultSettings;
    g_pEECore = this;
    m_hPreviewBitmap = nullptr;
    m_pDevice = nullptr;
    m_nMouseSkip = 10;
    m_aOverlayColor[0] = m_aOverlayColor[1] = m_aOverlayColor[2] = 255;
    std::memset(m_apDigitTextures, 0, sizeof m_apDigitTextures);
    m_pAmTexture = m_pPmTexture = nullptr;
    m_pOverlayQuad = nullptr;
    m_nFrameParity = 1;
}

HRESULT CEECore::EE_Core_Startup(HINSTANCE hInstance) {
    EE_Core_LoadLocalization();
    EE_Core_Reset();
    Init();
    InitCommonControls();
    m_hInstance = hInstance;
    const char* pszLine = GetCommandLineA();
    const CommandLine cmd = ParseCommandLine(pszLine);
    m_nRunMode = cmd.nRunMode;
    m_hParentWnd = reinterpret_cast<HWND>(cmd.nWindow);
    LogMessage(LogPath(), "%s\t%s\n", "command line", pszLine ? pszLine : "");
    EE_Core_CreateD3DObject();
    EE_Core_EnumMonitors();
    if (m_nRunMode == RUNMODE_PREVIEW || m_nRunMode == RUNMODE_SAVER || m_nRunMode == RUNMODE_TEST)
        EE_Core_CreateWindow();
    if (m_nRunMode == RUNMODE_PREVIEW && m_hWnd) RunPreviewFirstPhase();
    return S_OK;
}

// --- the run loop -------------------------------------------------------------

static bool IsOldPlatform() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL ok = GetVersionExA(&info);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return ok && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// On the Windows 9x family the saver password is checked by the platform's
// PASSWORD.CPL when the desktop settings ask for it.
static void SetUpPasswordCheck(CEECore& core) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return;
    DWORD nValue = 0, nSize = sizeof nValue;
    if (RegQueryValueExA(hKey, "ScreenSaveUsePassword", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&nValue), &nSize) == ERROR_SUCCESS && nValue) {
        core.m_hPasswordLib = LoadLibraryA("PASSWORD.CPL");
        if (core.m_hPasswordLib)
            core.m_pVerifyPassword = reinterpret_cast<VerifyPwdProc>(
                reinterpret_cast<void*>(GetProcAddress(core.m_hPasswordLib, "VerifyScreenSavePwd")));
    }
    RegCloseKey(hKey);
}

// Windows rounds Sleep up to its timer tick, 15.6 ms unless a process asks
// for less: the frame's 16 ms and the loop's 2 ms sleeps would take about
// 47 ms. The drawing modes ask for 1 ms while they run.
void CEECore::BeginFineTimer() {
    if (!m_bFineTimer && timeBeginPeriod(1) == TIMERR_NOERROR) m_bFineTimer = true;
}

void CEECore::EndFineTimer() {
    if (!m_bFineTimer) return;
    m_bFineTimer = false;
    timeEndPeriod(1);
}

HRESULT CEECore::EE_Core_Run() {
    m_bOldPlatform = IsOldPlatform() ? 1 : 0;
    if (m_nRunMode == RUNMODE_SAVER || m_nRunMode == RUNMODE_TEST) BeginFineTimer();
    if (m_nRunMode == RUNMODE_SAVER && m_bOldPlatform) SetUpPasswordCheck(*this);
    if (m_nRunMode != RUNMODE_PREVIEW) {
        if (!m_Video.pD3D || FAILED(EE_Core_CreateD3Device(m_hWnd))) {
            // Nothing can be drawn without a device: end the run cleanly.
            EE_Core_Shutdown();
        } else {
            EE_Core_DeviceCreated();
            EE_Core_LoadOverlay(m_pDevice);
            EE_Core_LoadScene(m_pDevice);
            EE_Core_SceneLoaded(m_pDevice);
            m_nLastFrameTime = timeGetTime();
            m_DeviceRecovery.Begin(m_nLastFrameTime);
            LogMessage(LogPath(), "scene loaded\t%u\n", unsigned(m_nLastFrameTime));
        }
    }
    if (m_hWnd) SetTimer(m_hWnd, kFpsTimer, 1000, nullptr);
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    while (msg.message != WM_QUIT) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            if (m_nRunMode != RUNMODE_PREVIEW && m_pDevice) EE_Core_Frame();
            if (m_nRunMode == RUNMODE_PREVIEW) WatchPreview();
            Sleep(2);
        }
    }
    EndFineTimer();  // a quit that did not come from the shutdown
    return S_OK;
}

namespace {

DeviceState CooperativeState(IDirect3DDevice9* pDevice) {
    switch (pDevice->TestCooperativeLevel()) {
    case D3D_OK: return DeviceState::Ready;
    case D3DERR_DEVICENOTRESET: return DeviceState::NotReset;
    default: return DeviceState::Lost;  // lost, or a driver error: nothing to do but wait
    }
}

}  // namespace

bool CEECore::PrepareDevice(uint32_t nNow) {
    const bool bEndWhenBlank = m_nRunMode == RUNMODE_SAVER;
    const bool bWasLost = m_DeviceRecovery.IsLost();
    DeviceStep step = m_DeviceRecovery.Next(CooperativeState(m_pDevice), nNow, bEndWhenBlank);
    if (!bWasLost && m_DeviceRecovery.IsLost()) LogMessage(LogPath(), "device lost\t%u\n", unsigned(nNow));
    if (step == DeviceStep::Reset && SUCCEEDED(ResetDevice()))
        step = m_DeviceRecovery.Next(CooperativeState(m_pDevice), nNow, bEndWhenBlank);
    if (step == DeviceStep::EndRun) {
        LogMessage(LogPath(), "no picture for 10 s\t%u\n", unsigned(nNow));
        EE_Core_RequestExit();
        return false;
    }
    return step == DeviceStep::Draw;
}

void CEECore::EE_Core_Frame() {
    const uint32_t nNow = timeGetTime();
    const float fElapsed = float(MsSince(m_nLastFrameTime, nNow));
    m_nLastFrameTime = timeGetTime();
    if (m_pDevice && PrepareDevice(nNow)) {
        EE_Core_FrameMove(m_pDevice, fElapsed);
        EE_Core_FrameRender(m_pDevice);
        m_nFrameParity = 1 - m_nFrameParity;
        static bool s_bFirstLogged = false;
        if (!s_bFirstLogged) {
            s_bFirstLogged = true;
            LogMessage(LogPath(), "first frame\t%u\n", unsigned(timeGetTime()));
        }
    }
    m_FrameRate.CountFrame();
}

// --- shutdown -------------------------------------------------------------------

void CEECore::ReleaseOverlay() {
    for (IDirect3DTexture9*& pTexture : m_apDigitTextures)
        if (pTexture) { pTexture->Release(); pTexture = nullptr; }
    if (m_pAmTexture) { m_pAmTexture->Release(); m_pAmTexture = nullptr; }
    if (m_pPmTexture) { m_pPmTexture->Release(); m_pPmTexture = nullptr; }
    ReleaseOverlayQuad();
}

void CEECore::EE_Core_Shutdown() {
    if (m_bShutDown) return;
    m_bShutDown = true;
    EE_Core_BeginShutdown();
    ReleaseOverlay();
    EE_Core_FreeScene();
    if (m_pDevice) { m_pDevice->Release(); m_pDevice = nullptr; }
    if (m_Video.pD3D) { m_Video.pD3D->Release(); m_Video.pD3D = nullptr; }
    if (m_hWnd) KillTimer(m_hWnd, kFpsTimer);
    EndFineTimer();
    if (m_hPasswordLib) {
        FreeLibrary(m_hPasswordLib);
        m_hPasswordLib = nullptr;
        m_pVerifyPassword = nullptr;
    }
    PostQuitMessage(0);
}
