// The Direct3D object, the video modes and the device.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>

#include "host/D3D9Library.h"
#include "host/DeviceStates.h"
#include "host/EECore.h"
#include "host/Log.h"

namespace {

constexpr UINT kSdkVersion = 31;

D3DPRESENT_PARAMETERS g_PresentParams;  // filled at every device creation

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
    const int32_t nCount = EE_Core_SelectModeFromList(m_Video.modes, m_Video.m_nSelectedMode, selected);
    if (selected.Width) {
        m_Video.nWidth = selected.Width;
        m_Video.nHeight = selected.Height;
        m_Video.nFormat = D3DFORMAT(selected.Format);
        m_Video.nDepthFormat = D3DFORMAT(selected.DepthFormat);
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
    std::memset(&g_PresentParams, 0, sizeof g_PresentParams);
    if (m_Settings.UseDesktopSettings) {
        RECT rc = {0, 0, 0, 0};
        GetWindowRect(GetDesktopWindow(), &rc);
        g_PresentParams.BackBufferWidth = UINT(rc.right);
        g_PresentParams.BackBufferHeight = UINT(rc.bottom);
        g_PresentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
    } else {
        g_PresentParams.BackBufferWidth = m_Video.nWidth;
        g_PresentParams.BackBufferHeight = m_Video.nHeight;
        g_PresentParams.BackBufferFormat = m_Video.nFormat;
    }
    g_PresentParams.BackBufferCount = 1;
    g_PresentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    g_PresentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    g_PresentParams.Windowed = FALSE;
    g_PresentParams.EnableAutoDepthStencil = TRUE;
    g_PresentParams.AutoDepthStencilFormat = m_Video.nDepthFormat;
    g_PresentParams.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    struct Attempt { D3DDEVTYPE nType; DWORD nFlags; const char* pszLog; };
    const Attempt aAttempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, "hal hardware"},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, "hal software"},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, "ref software"},
    };
    IDirect3DDevice9* pDevice = nullptr;
    for (const Attempt& attempt : aAttempts) {
        D3DPRESENT_PARAMETERS params = g_PresentParams;  // a failed call may change them
        if (SUCCEEDED(pD3D->CreateDevice(D3DADAPTER_DEFAULT, attempt.nType, hWnd, attempt.nFlags,
                                         &params, &pDevice)) && pDevice) {
            LogMessage(LogPath(), "%s\n", attempt.pszLog);
            break;
        }
        pDevice = nullptr;
    }
    if (!pDevice) {
        LogMessage(LogPath(), "%s\n", "error create 3d device");
        return E_FAIL;
    }
    m_pDevice = pDevice;
    LogMessage(LogPath(), "device created\t%u\n", unsigned(timeGetTime()));
    EE_Core_InitD3Device(pDevice);
    EE_Core_DrawLoading(pDevice);
    return S_OK;
}

HRESULT CEECore::EE_Core_InitD3Device(IDirect3DDevice9* pDevice) {
    LogMessage(LogPath(), "%s\n", "EE_Core_InitD3Device");
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 2);
    pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    SetLinearSamplers(pDevice);
    SetBaseMaterialAndTransforms(pDevice);
    LogMessage(LogPath(), "%s\n", "EE_Core_InitD3Device - ok");
    return S_OK;
}
