#pragma once
// A stand-in for the Direct3D 9 object, for tests of the video mode and the device reset: one
// adapter with a desktop mode and a list of modes, and CreateDevice that
// records every call and hands out a test-owned CFakeDevice.
//
// CreateDevice refuses (D3DERR_NOTAVAILABLE) a full-screen mode the adapter
// does not list (size, format and refresh rate; rate 0 is the adapter's
// default), any call while refuseAll is set, and the modes in refusedSizes.
#include <d3d9.h>

#include <utility>
#include <vector>

class CFakeDevice;

class CFakeModeDirect3D : public IDirect3D9 {
public:
    explicit CFakeModeDirect3D(CFakeDevice* pDevice) : m_pDevice(pDevice) {}
    virtual ~CFakeModeDirect3D() = default;
    CFakeModeDirect3D(const CFakeModeDirect3D&) = delete;
    CFakeModeDirect3D& operator=(const CFakeModeDirect3D&) = delete;

    struct CCreateCall {
        D3DDEVTYPE type;
        DWORD dwFlags;
        D3DPRESENT_PARAMETERS params;
        HRESULT hr;
    };

    D3DDISPLAYMODE desktop{1280, 1024, 75, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;  // the adapter's modes, all formats
    HRESULT hrDisplayMode = D3D_OK;     // answer of GetAdapterDisplayMode
    bool refuseAll = false;
    std::vector<std::pair<UINT, UINT>> refusedSizes;
    std::vector<CCreateCall> creates;
    ULONG refs = 1;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
    STDMETHOD_(ULONG, Release)() override { return refs > 0 ? --refs : 0; }  // the test owns it
    STDMETHOD(RegisterSoftwareDevice)(void*) override { return D3DERR_NOTAVAILABLE; }
    STDMETHOD_(UINT, GetAdapterCount)() override { return 1; }
    STDMETHOD(GetAdapterIdentifier)(UINT nAdapter, DWORD, D3DADAPTER_IDENTIFIER9* pId) override;
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT nAdapter, D3DFORMAT format) override;
    STDMETHOD(EnumAdapterModes)(UINT nAdapter, D3DFORMAT format, UINT nMode, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(GetAdapterDisplayMode)(UINT nAdapter, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(CheckDeviceType)(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, WINBOOL) override { return D3D_OK; }
    STDMETHOD(CheckDeviceFormat)(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, D3DFORMAT) override {
        return D3D_OK;
    }
    STDMETHOD(CheckDeviceMultiSampleType)(UINT, D3DDEVTYPE, D3DFORMAT, WINBOOL, D3DMULTISAMPLE_TYPE,
                                          DWORD*) override {
        return D3DERR_NOTAVAILABLE;
    }
    STDMETHOD(CheckDepthStencilMatch)(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
        return D3D_OK;
    }
    STDMETHOD(CheckDeviceFormatConversion)(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override { return D3D_OK; }
    STDMETHOD(GetDeviceCaps)(UINT nAdapter, D3DDEVTYPE, D3DCAPS9* pCaps) override;
    STDMETHOD_(HMONITOR, GetAdapterMonitor)(UINT) override { return nullptr; }
    STDMETHOD(CreateDevice)(UINT nAdapter, D3DDEVTYPE type, HWND hFocus, DWORD dwFlags,
                            D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) override;

private:
    bool Offers(const D3DPRESENT_PARAMETERS& params) const;

    CFakeDevice* m_pDevice;
};
