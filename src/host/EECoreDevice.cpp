// The Direct3D object, the video modes and the device.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>

#include "host/D3D9Library.h"
#include "host/DeviceStates.h"
#include "host/EECore.h"
#include "base/Log.h"

namespace {

constexpr UINT kSdkVersion = 31;

D3DPRESENT_PARAMETERS g_PresentParams;  // filled at every device creation

// The present parameters of a full-screen device in the given mode.
D3DPRESENT_PARAMETERS PresentParamsFor(const SelectedMode& mode) {
    D3DPRESENT_PARAMETERS params;
    std::memset(&params, 0, sizeof params);
    params.BackBufferWidth = mode.Width;
    params.BackBufferHeight = mode.Height;
    params.BackBufferFormat = D3DFORMAT(mode.Format);
    params.BackBufferCount = 1;
    params.MultiSampleType = D3DMULTISAMPLE_NONE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = FALSE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFORMAT(mode.DepthFormat);
    params.FullScreen_RefreshRateInHz = mode.RefreshRate;
    params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return params;
}

// Fills the process-wide present parameters for the mode and tries the three
// device types in turn; null when all refuse.
IDirect3DDevice9* CreateDeviceInMode(IDirect3D9* pD3D, HWND hWnd, const SelectedMode& mode) {
    g_PresentParams = PresentParamsFor(mode);
    struct Attempt { D3DDEVTYPE nType; DWORD nFlags; const char* pszLog; };
    const Attempt aAttempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, "hal hardware"},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, "hal software"},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, "ref software"},
    };
    for (const Attempt& attempt : aAttempts) {
        D3DPRESENT_PARAMETERS params = g_PresentParams;  // a failed call may change them
        IDirect3DDevice9* pDevice = nullptr;
        if (SUCCEEDED(pD3D->CreateDevice(D3DADAPTER_DEFAULT, attempt.nType, hWnd, attempt.nFlags,
                                         &params, &pDevice)) && pDevice) {
            LogMessage(LogPath(), "%s\n", attempt.pszLog);
            return pDevice;
        }
    }
    return nullptr;
}

// The modes the device's adapter offers in one format.
std::vector<DisplayMode> AdapterModes(IDirect3D9* pD3D, D3DFORMAT nFormat) {
    std::vector<DisplayMode> modes;
    const UINT nCount = pD3D->GetAdapterModeCount(D3DADAPTER_DEFAULT, nFormat);
    for (UINT i = 0; i < nCount; ++i) {
        D3DDISPLAYMODE mode;
        if (SUCCEEDED(pD3D->EnumAdapterModes(D3DADAPTER_DEFAULT, nFormat, i, &mode)))
            modes.push_back({mode.Width, mode.Height, mode.RefreshRate, int32_t(mode.Format)});
    }
    return modes;
}

void AppendAdapterModes(IDirect3D9* pD3D, std::vector<DisplayMode>& modes) {
    const D3DFORMAT aFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    const UINT nAdapters = pD3D->GetAdapterCount();
    for (UINT nAdapter = 0; nAdapter < nAdapters; ++nAdapter)
        for (D3DFORMAT nFormat : aFormats) {
            const UINT nCount = pD3D->GetAdapterModeCount(nAdapter, nFormat);
            for (UINT i = 0; i < nCount; ++i) {
                D3DDISPLAYMODE mode;
                if (FAILED(pD3D->EnumAdapterModes(nAdapter, nFormat, i, &mode))) continue;
                modes.push_back({mode.Width, mode.Height, mode.RefreshRate, int32_t(mode.Format)});
            }
        }
}

}  // namespace

HRESULT CEECore::EE_Core_CreateD3DObject() {
    m_Video.pD3D = CreateDirect3D9(kSdkVersion);
    return EE_Core_BuildModeList();
}

HRESULT CEECore::EE_Core_BuildModeList() {
    IDirect3D9* pD3D = CreateDirect3D9(kSdkVersion);
    if (!pD3D) {
        MessageBoxA(nullptr, "Not Create Direct3D9 object", "Error", MB_TOPMOST);
        m_Video.modes.clear();
        return E_FAIL;
    }
    m_Video.modes.clear();
    AppendAdapterModes(pD3D, m_Video.modes);
    NormalizeModeList(m_Video.modes);
    pD3D->Release();
    return S_OK;
}

int32_t CEECore::EE_Core_SelectMode() {
    SelectedMode selected;
    const int32_t nCount = SelectModeFromList(m_Video.modes, m_Video.m_nSelectedMode, selected);
    if (selected.Width) {
        m_Video.nWidth = selected.Width;
        m_Video.nHeight = selected.Height;
        m_Video.nFormat = D3DFORMAT(selected.Format);
        m_Video.nDepthFormat = D3DFORMAT(selected.DepthFormat);
        m_Video.nRefreshRate = selected.RefreshRate;
    }
    return nCount;
}

HRESULT CEECore::EE_Core_CreateD3Device(HWND hWnd) {
    LogMessage(LogPath(), "%s\n", "EE_Core_CreateD3Device");
    IDirect3D9* pD3D = m_Video.pD3D;
    D3DDISPLAYMODE desktop;
    if (!pD3D || FAILED(pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop))) {
        LogMessage(LogPath(), "%s\n", "GetAdapterDisplayMode failed");
        return E_FAIL;
    }
    // The desktop's own mode: starting and ending the saver changes nothing
    // on the screen.
    SelectedMode desktopMode;
    desktopMode.Width = desktop.Width;
    desktopMode.Height = desktop.Height;
    desktopMode.Format = kModeFormatX8R8G8B8;
    desktopMode.DepthFormat = int32_t(m_Video.nDepthFormat);
    desktopMode.RefreshRate = desktop.RefreshRate;

    // A stored choice the adapter no longer offers (another monitor, driver
    // or adapter since it was made) and a choice the device refuses both fall
    // back to the desktop settings, once.
    bool bDesktop = m_Settings.UseDesktopSettings != 0;
    SelectedMode mode = desktopMode;
    if (!bDesktop && !ResolveModeOnAdapter(AdapterModes(pD3D, m_Video.nFormat), ChosenMode(), mode)) {
        LogMessage(LogPath(), "%s\n", "video mode not available, using the desktop settings");
        bDesktop = true;
        mode = desktopMode;
    }
    IDirect3DDevice9* pDevice = CreateDeviceInMode(pD3D, hWnd, mode);
    if (!pDevice && !bDesktop) {
        LogMessage(LogPath(), "%s\n", "video mode refused, using the desktop settings");
        pDevice = CreateDeviceInMode(pD3D, hWnd, desktopMode);
    }
    if (!pDevice) {
        LogMessage(LogPath(), "%s\n", "error create 3d device");
        return E_FAIL;
    }
    m_pDevice = pDevice;
    LogMessage(LogPath(), "back buffer\t%u\t%u\t%d\t%u\n", unsigned(g_PresentParams.BackBufferWidth),
               unsigned(g_PresentParams.BackBufferHeight), int(g_PresentParams.BackBufferFormat),
               unsigned(g_PresentParams.FullScreen_RefreshRateInHz));
    LogMessage(LogPath(), "device created\t%u\n", unsigned(timeGetTime()));
    EE_Core_InitD3Device(pDevice);
    EE_Core_DrawLoading(pDevice);
    return S_OK;
}

HRESULT CEECore::ResetDevice() {
    if (!m_pDevice) return E_FAIL;
    // Reset refuses while anything of the default pool is alive; released
    // once per loss, however many attempts it takes.
    if (!m_bDefaultPoolReleased) {
        m_bDefaultPoolReleased = true;
        ReleaseOverlayQuad();
        OnDeviceLost();
    }
    D3DPRESENT_PARAMETERS params = g_PresentParams;  // Reset may write to them
    const HRESULT hr = m_pDevice->Reset(&params);
    if (FAILED(hr)) {
        LogMessage(LogPath(), "device reset failed\t0x%08lx\t%u\n", static_cast<unsigned long>(hr),
                   unsigned(timeGetTime()));
        return hr;
    }
    m_bDefaultPoolReleased = false;
    EE_Core_InitD3Device(m_pDevice);
    RestoreOverlayQuad(m_pDevice);
    OnDeviceReset(m_pDevice);
    LogMessage(LogPath(), "device reset\t%u\n", unsigned(timeGetTime()));
    return S_OK;
}

SelectedMode CEECore::ChosenMode() const {
    SelectedMode chosen;
    chosen.Width = m_Video.nWidth;
    chosen.Height = m_Video.nHeight;
    chosen.Format = int32_t(m_Video.nFormat);
    chosen.DepthFormat = int32_t(m_Video.nDepthFormat);
    chosen.RefreshRate = m_Video.nRefreshRate;
    return chosen;
}

HRESULT CEECore::EE_Core_InitD3Device(IDirect3DDevice9* pDevice) {
    LogMessage(LogPath(), "%s\n", "EE_Core_InitD3Device");
    SetBaseAlphaStates(pDevice);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    SetBaseRasterStates(pDevice);
    SetLinearSamplers(pDevice);
    SetBaseMaterialAndTransforms(pDevice);
    LogMessage(LogPath(), "%s\n", "EE_Core_InitD3Device - ok");
    return S_OK;
}
