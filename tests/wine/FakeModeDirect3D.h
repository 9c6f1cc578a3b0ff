#pragma once
// A stand-in for the Direct3D 9 object, for tests of the video mode and the device reset: one
// adapter with a desktop mode and a list of modes, and CreateDevice that
// records every call and hands out a test-owned CFakeDevice.
//
// Calls the saver never makes fail the test.
//
// CreateDevice refuses (D3DERR_NOTAVAILABLE) a full-screen mode the adapter
// does not list (size, format and refresh rate; rate 0 is the adapter's
// default), any call while refuseAll is set, and the modes in refusedSizes.
#include <d3d9.h>

#include <utility>
#include <vector>

#include "FakeNotOffered.h"

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
    STDMETHOD_(UINT, GetAdapterCount)() override { return 1; }
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT nAdapter, D3DFORMAT format) override;
    STDMETHOD(EnumAdapterModes)(UINT nAdapter, D3DFORMAT format, UINT nMode, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(GetAdapterDisplayMode)(UINT nAdapter, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(CreateDevice)(UINT nAdapter, D3DDEVTYPE type, HWND hFocus, DWORD dwFlags,
                            D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) override;
    // The calls the saver never makes.
    FAKE_DIRECT3D9_NOT_OFFERED

private:
    bool Offers(const D3DPRESENT_PARAMETERS& params) const;
    // A call the saver never makes fails the test (FAKE_NOT_OFFERED).
    HRESULT Refuse(const char* pszMethod);
    template <class R>
    R NotOffered(const char* pszMethod) {
        return NotOfferedAnswer<R>(Refuse(pszMethod));
    }

    CFakeDevice* m_pDevice;
};
