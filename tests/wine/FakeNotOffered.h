#pragma once
// The calls of a Direct3D 9 interface that the saver never makes are not
// implemented by the recording stand-ins: each is declared by this one macro
// and answered by its class's NotOffered<R>(name), which logs the call and
// refuses it as not offered, a fault that fails the test. Should the saver
// start making such a call, the test that reaches it says which to implement.
#include <d3d9.h>

#include <type_traits>

#define FAKE_NOT_OFFERED(R, name, params) \
    STDMETHOD_(R, name) params override { return NotOffered<R>(#name); }

// The shader calls of IDirect3DDevice9 for Kind Vertex or Pixel: the saver
// draws with the fixed-function pipeline only.
#define FAKE_SHADER_NOT_OFFERED(Kind) \
    FAKE_NOT_OFFERED(HRESULT, Create##Kind##Shader, (const DWORD*, IDirect3D##Kind##Shader9**)) \
    FAKE_NOT_OFFERED(HRESULT, Set##Kind##Shader, (IDirect3D##Kind##Shader9*)) \
    FAKE_NOT_OFFERED(HRESULT, Get##Kind##Shader, (IDirect3D##Kind##Shader9**)) \
    FAKE_NOT_OFFERED(HRESULT, Set##Kind##ShaderConstantF, (UINT, const float*, UINT)) \
    FAKE_NOT_OFFERED(HRESULT, Get##Kind##ShaderConstantF, (UINT, float*, UINT)) \
    FAKE_NOT_OFFERED(HRESULT, Set##Kind##ShaderConstantI, (UINT, const int*, UINT)) \
    FAKE_NOT_OFFERED(HRESULT, Get##Kind##ShaderConstantI, (UINT, int*, UINT)) \
    FAKE_NOT_OFFERED(HRESULT, Set##Kind##ShaderConstantB, (UINT, const WINBOOL*, UINT)) \
    FAKE_NOT_OFFERED(HRESULT, Get##Kind##ShaderConstantB, (UINT, WINBOOL*, UINT))

// The IDirect3D9 calls the saver never makes, for the Direct3D stand-ins.
#define FAKE_DIRECT3D9_NOT_OFFERED \
    FAKE_NOT_OFFERED(HRESULT, RegisterSoftwareDevice, (void*)) \
    FAKE_NOT_OFFERED(HRESULT, GetAdapterIdentifier, (UINT, DWORD, D3DADAPTER_IDENTIFIER9*)) \
    FAKE_NOT_OFFERED(HRESULT, CheckDeviceType, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, WINBOOL)) \
    FAKE_NOT_OFFERED(HRESULT, CheckDeviceFormat, (UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE, \
                                                  D3DFORMAT)) \
    FAKE_NOT_OFFERED(HRESULT, CheckDeviceMultiSampleType, (UINT, D3DDEVTYPE, D3DFORMAT, WINBOOL, \
                                                           D3DMULTISAMPLE_TYPE, DWORD*)) \
    FAKE_NOT_OFFERED(HRESULT, CheckDepthStencilMatch, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT)) \
    FAKE_NOT_OFFERED(HRESULT, CheckDeviceFormatConversion, (UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT)) \
    FAKE_NOT_OFFERED(HRESULT, GetDeviceCaps, (UINT, D3DDEVTYPE, D3DCAPS9*)) \
    FAKE_NOT_OFFERED(HMONITOR, GetAdapterMonitor, (UINT))

// What a refused call answers: the refusal where it returns an HRESULT, zero
// (or nothing) otherwise.
template <class R>
R NotOfferedAnswer(HRESULT hr) {
    if constexpr (std::is_same_v<R, HRESULT>) {
        return hr;
    } else {
        (void)hr;
        if constexpr (!std::is_void_v<R>) return R{};
    }
}

// QueryInterface of a stand-in that offers IUnknown and TInterface only.
template <class TInterface>
HRESULT FakeQueryInterface(TInterface* pSelf, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != __uuidof(IUnknown) && riid != __uuidof(TInterface)) return E_NOINTERFACE;
    *ppv = pSelf;
    pSelf->AddRef();
    return S_OK;
}
