#include "FakeModeDirect3D.h"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "FakeDevice.h"

HRESULT CFakeModeDirect3D::QueryInterface(REFIID riid, void** ppv) { return FakeQueryInterface<IDirect3D9>(this, riid, ppv); }

UINT CFakeModeDirect3D::GetAdapterModeCount(UINT nAdapter, D3DFORMAT format) {
    if (nAdapter != 0) return 0;
    return UINT(std::count_if(modes.begin(), modes.end(),
                              [format](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT CFakeModeDirect3D::EnumAdapterModes(UINT nAdapter, D3DFORMAT format, UINT nMode, D3DDISPLAYMODE* pMode) {
    if (nAdapter != 0 || !pMode) return D3DERR_INVALIDCALL;
    for (const D3DDISPLAYMODE& m : modes)
        if (m.Format == format && nMode-- == 0) {
            *pMode = m;
            return D3D_OK;
        }
    return D3DERR_INVALIDCALL;
}

HRESULT CFakeModeDirect3D::GetAdapterDisplayMode(UINT nAdapter, D3DDISPLAYMODE* pMode) {
    if (nAdapter != 0 || !pMode) return D3DERR_INVALIDCALL;
    if (FAILED(hrDisplayMode)) return hrDisplayMode;
    *pMode = desktop;
    return D3D_OK;
}

bool CFakeModeDirect3D::Offers(const D3DPRESENT_PARAMETERS& p) const {
    const auto same = [&p](const D3DDISPLAYMODE& m) {
        return m.Width == p.BackBufferWidth && m.Height == p.BackBufferHeight && m.Format == p.BackBufferFormat &&
               (p.FullScreen_RefreshRateInHz == 0 || m.RefreshRate == p.FullScreen_RefreshRateInHz);
    };
    const bool bDesktop = same(desktop);
    return bDesktop || std::any_of(modes.begin(), modes.end(), same);
}

HRESULT CFakeModeDirect3D::CreateDevice(UINT nAdapter, D3DDEVTYPE type, HWND, DWORD dwFlags,
                                    D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) {
    if (ppDevice) *ppDevice = nullptr;
    CCreateCall call{type, dwFlags, pParams ? *pParams : D3DPRESENT_PARAMETERS{}, D3D_OK};
    const bool bRefusedSize =
        pParams && std::find(refusedSizes.begin(), refusedSizes.end(),
                             std::make_pair(pParams->BackBufferWidth, pParams->BackBufferHeight)) !=
                       refusedSizes.end();
    if (nAdapter != 0 || !pParams || !ppDevice) call.hr = D3DERR_INVALIDCALL;
    else if (refuseAll || bRefusedSize || (!pParams->Windowed && !Offers(*pParams))) call.hr = D3DERR_NOTAVAILABLE;
    creates.push_back(call);
    if (FAILED(call.hr)) return call.hr;
    m_pDevice->AddRef();
    *ppDevice = m_pDevice;
    return D3D_OK;
}

HRESULT CFakeModeDirect3D::Refuse(const char* pszMethod) {
    ADD_FAILURE() << pszMethod << ": not offered by the recording Direct3D object";
    return D3DERR_INVALIDCALL;
}
