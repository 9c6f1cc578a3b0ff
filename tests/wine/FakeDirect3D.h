#pragma once
// A recording stand-in for the Direct3D 9 object: adapters with their display
// modes, the device types the machine has, and CreateDevice checked as
// Direct3D 9 checks it. Devices it makes are recording fake devices (it owns
// them, so that a test can read their logs after the code released them).
//
// Calls are logged like the device's ("CreateDevice", "GetAdapterModeCount"...)
// and can be made to fail with FailCall. A missing device type or hardware
// vertex processing on a device without it is refused as on such a machine,
// which the code is expected to handle; invalid arguments are faults, and the
// test fails when the object dies with faults left or with more references
// held than its creator's.
#include <d3d9.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDevice.h"

struct CFakeAdapter {
    std::vector<D3DDISPLAYMODE> vModes;
    D3DDISPLAYMODE desktop;
};

class CFakeDirect3D : public IDirect3D9 {
public:
    // One adapter offering 640 x 480, 800 x 600 and 1024 x 768 in X8R8G8B8 and
    // R5G6B5 at 60 Hz, with the desktop at 1024 x 768 X8R8G8B8; a hardware
    // device with hardware vertex processing and no reference rasterizer.
    CFakeDirect3D();
    virtual ~CFakeDirect3D();
    CFakeDirect3D(const CFakeDirect3D&) = delete;
    CFakeDirect3D& operator=(const CFakeDirect3D&) = delete;

    // --- for the tests -------------------------------------------------------
    std::vector<CFakeAdapter>& Adapters() { return m_vAdapters; }
    void SetHardwareDevice(bool bPresent) { m_bHal = bPresent; }
    void SetHardwareVertexProcessing(bool bPresent) { m_bHardwareVertexProcessing = bPresent; }
    void SetReferenceDevice(bool bPresent) { m_bRef = bPresent; }

    const std::vector<CFakeCall>& Calls() const { return m_state.m_vCalls; }
    std::vector<const CFakeCall*> CallsNamed(const std::string& sMethod) const;
    void FailCall(const std::string& sMethod, int nNth, HRESULT hr);
    std::vector<std::string> TakeFaults();
    ULONG RefCount() const { return m_nRefs; }
    // The devices made, in order; they stay readable after their release.
    const std::vector<std::unique_ptr<CFakeDevice>>& Devices() const { return m_vDevices; }

    // --- IUnknown -------------------------------------------------------------
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // --- IDirect3D9 -----------------------------------------------------------
    STDMETHOD_(UINT, GetAdapterCount)() override;
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT Adapter, D3DFORMAT Format) override;
    STDMETHOD(EnumAdapterModes)(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(GetAdapterDisplayMode)(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(CreateDevice)(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                            D3DPRESENT_PARAMETERS* pPresentationParameters,
                            IDirect3DDevice9** ppReturnedDeviceInterface) override;
    // The calls the saver never makes.
    FAKE_DIRECT3D9_NOT_OFFERED

private:
    HRESULT Enter(const char* pszMethod, std::initializer_list<uint64_t> args);
    // Logs a call the fake does not offer and refuses it (FAKE_NOT_OFFERED).
    template <class R>
    R NotOffered(const char* pszMethod) {
        HRESULT hr = Enter(pszMethod, {});
        if (SUCCEEDED(hr)) hr = m_state.Refuse("not offered by the recording Direct3D object");
        return NotOfferedAnswer<R>(hr);
    }
    bool HasDeviceType(D3DDEVTYPE type) const;
    bool HasMode(UINT nAdapter, UINT nWidth, UINT nHeight, D3DFORMAT format, UINT nRefresh) const;
    // Why Direct3D 9 would refuse these arguments (empty when it would not).
    std::string CreateDeviceProblem(UINT nAdapter, D3DDEVTYPE type, HWND hFocus, DWORD dwFlags,
                                    const D3DPRESENT_PARAMETERS* pp) const;

    CFakeState m_state;
    ULONG m_nRefs = 1;
    std::vector<CFakeAdapter> m_vAdapters;
    bool m_bHal = true;
    bool m_bHardwareVertexProcessing = true;
    bool m_bRef = false;
    std::vector<std::unique_ptr<CFakeDevice>> m_vDevices;
};
