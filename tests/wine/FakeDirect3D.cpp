#include "FakeDirect3D.h"

#include <gtest/gtest.h>

namespace {

uint64_t P(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

bool IsDepthFormat(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
        return true;
    default:
        return false;
    }
}

bool IsPresentationInterval(UINT n) {
    return n == D3DPRESENT_INTERVAL_DEFAULT || n == D3DPRESENT_INTERVAL_ONE || n == D3DPRESENT_INTERVAL_TWO ||
           n == D3DPRESENT_INTERVAL_THREE || n == D3DPRESENT_INTERVAL_FOUR || n == D3DPRESENT_INTERVAL_IMMEDIATE;
}

}  // namespace

CFakeDirect3D::CFakeDirect3D() {
    CFakeAdapter adapter;
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
        for (const auto& size : {std::make_pair(640u, 480u), std::make_pair(800u, 600u), std::make_pair(1024u, 768u)})
            adapter.vModes.push_back(D3DDISPLAYMODE{size.first, size.second, 60, format});
    adapter.desktop = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
    m_vAdapters.push_back(adapter);
}

CFakeDirect3D::~CFakeDirect3D() {
    std::string sProblems;
    for (const std::string& sFault : m_state.m_vFaults) sProblems += sFault + "\n";
    ULONG nHeldByDevices = 0;
    for (const auto& pDevice : m_vDevices) nHeldByDevices += pDevice->RefCount() > 0 ? 1 : 0;
    if (m_nRefs > 1 + nHeldByDevices)
        sProblems += std::to_string(m_nRefs - 1 - nHeldByDevices) + " reference(s) to the object were never released\n";
    if (!sProblems.empty()) ADD_FAILURE() << "the recording Direct3D object saw:\n" << sProblems;
    m_vDevices.clear();
}

std::vector<const CFakeCall*> CFakeDirect3D::CallsNamed(const std::string& sMethod) const {
    std::vector<const CFakeCall*> v;
    for (const CFakeCall& c : m_state.m_vCalls)
        if (c.sMethod == sMethod) v.push_back(&c);
    return v;
}

void CFakeDirect3D::FailCall(const std::string& sMethod, int nNth, HRESULT hr) {
    m_state.m_vFailures.push_back({sMethod, nNth, nNth, hr});
}

std::vector<std::string> CFakeDirect3D::TakeFaults() {
    std::vector<std::string> v;
    v.swap(m_state.m_vFaults);
    return v;
}

HRESULT CFakeDirect3D::Enter(const char* pszMethod, std::initializer_list<uint64_t> args) {
    HRESULT hr = m_state.Enter(pszMethod, args);
    if (m_nRefs == 0) m_state.Fault(std::string(pszMethod) + " called on a released Direct3D object");
    return hr;
}

bool CFakeDirect3D::HasDeviceType(D3DDEVTYPE type) const {
    return (type == D3DDEVTYPE_HAL && m_bHal) || (type == D3DDEVTYPE_REF && m_bRef);
}

bool CFakeDirect3D::HasMode(UINT nAdapter, UINT nWidth, UINT nHeight, D3DFORMAT format, UINT nRefresh) const {
    for (const D3DDISPLAYMODE& mode : m_vAdapters[nAdapter].vModes)
        if (mode.Width == nWidth && mode.Height == nHeight && mode.Format == format &&
            (nRefresh == 0 || mode.RefreshRate == nRefresh))
            return true;
    return false;
}

// --- IUnknown -----------------------------------------------------------------------

HRESULT CFakeDirect3D::QueryInterface(REFIID riid, void** ppv) { return FakeQueryInterface<IDirect3D9>(this, riid, ppv); }

// The object belongs to the test; the count only goes down, to be read back.
ULONG CFakeDirect3D::AddRef() {
    if (m_nRefs == 0) {
        m_state.Fault("AddRef on a released Direct3D object");
        return 0;
    }
    return ++m_nRefs;
}

ULONG CFakeDirect3D::Release() {
    if (m_nRefs == 0) {
        m_state.Fault("Release of a released Direct3D object");
        return 0;
    }
    return --m_nRefs;
}

// --- IDirect3D9 -----------------------------------------------------------------------

UINT CFakeDirect3D::GetAdapterCount() {
    Enter("GetAdapterCount", {});
    return UINT(m_vAdapters.size());
}

UINT CFakeDirect3D::GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) {
    if (FAILED(Enter("GetAdapterModeCount", {Adapter, uint64_t(Format)}))) return 0;
    if (Adapter >= m_vAdapters.size()) return 0;
    UINT n = 0;
    for (const D3DDISPLAYMODE& mode : m_vAdapters[Adapter].vModes) n += mode.Format == Format ? 1 : 0;
    return n;
}

HRESULT CFakeDirect3D::EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) {
    HRESULT hr = Enter("EnumAdapterModes", {Adapter, uint64_t(Format), Mode});
    if (FAILED(hr)) return hr;
    if (!pMode || Adapter >= m_vAdapters.size()) return m_state.Refuse("adapter or no mode to fill");
    UINT n = 0;
    for (const D3DDISPLAYMODE& mode : m_vAdapters[Adapter].vModes) {
        if (mode.Format != Format) continue;
        if (n++ == Mode) {
            *pMode = mode;
            return m_state.Leave(D3D_OK);
        }
    }
    return m_state.Refuse("mode " + std::to_string(Mode) + " of " + std::to_string(n) + " in this format");
}

HRESULT CFakeDirect3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
    HRESULT hr = Enter("GetAdapterDisplayMode", {Adapter});
    if (FAILED(hr)) return hr;
    if (!pMode || Adapter >= m_vAdapters.size()) return m_state.Refuse("adapter or no mode to fill");
    *pMode = m_vAdapters[Adapter].desktop;
    return m_state.Leave(D3D_OK);
}

// The rules CreateDevice checks its arguments against.
std::string CFakeDirect3D::CreateDeviceProblem(UINT nAdapter, D3DDEVTYPE type, HWND hFocus, DWORD dwFlags,
                                               const D3DPRESENT_PARAMETERS* pp) const {
    if (nAdapter >= m_vAdapters.size()) return "adapter " + std::to_string(nAdapter);
    if (!pp) return "no present parameters";
    if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF && type != D3DDEVTYPE_SW)
        return "device type " + std::to_string(type);
    const DWORD dwProcessing = dwFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                          D3DCREATE_MIXED_VERTEXPROCESSING);
    if (dwProcessing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && dwProcessing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        dwProcessing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return "the flags must name exactly one kind of vertex processing";
    const HWND hWindow = hFocus ? hFocus : pp->hDeviceWindow;
    if (!pp->Windowed && !hWindow) return "a full-screen device needs a focus window";
    if (hWindow && !IsWindow(hWindow)) return "the focus window is no window";
    if (!pp->Windowed && hFocus && GetAncestor(hFocus, GA_ROOT) != hFocus)
        return "the focus window of a full-screen device must be a top-level window";
    if (pp->BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX)
        return std::to_string(pp->BackBufferCount) + " back buffers";
    if (pp->SwapEffect < D3DSWAPEFFECT_DISCARD || pp->SwapEffect > D3DSWAPEFFECT_COPY)
        return "swap effect " + std::to_string(pp->SwapEffect);
    if (pp->SwapEffect == D3DSWAPEFFECT_COPY && pp->BackBufferCount > 1)
        return "D3DSWAPEFFECT_COPY with more than one back buffer";
    if (pp->MultiSampleType != D3DMULTISAMPLE_NONE && pp->SwapEffect != D3DSWAPEFFECT_DISCARD)
        return "multisampling needs D3DSWAPEFFECT_DISCARD";
    if (pp->EnableAutoDepthStencil && !IsDepthFormat(pp->AutoDepthStencilFormat))
        return "automatic depth buffer of format " + std::to_string(pp->AutoDepthStencilFormat);
    if (!pp->Windowed && pp->BackBufferFormat == D3DFMT_UNKNOWN)
        return "a full-screen back buffer needs a format";
    if (!pp->Windowed && (!pp->BackBufferWidth || !pp->BackBufferHeight))
        return "a full-screen back buffer needs a size";
    if (pp->Windowed && pp->FullScreen_RefreshRateInHz) return "a refresh rate for a windowed device";
    if (!IsPresentationInterval(pp->PresentationInterval))
        return "presentation interval " + std::to_string(pp->PresentationInterval);
    return {};
}

// A device type the machine lacks answers D3DERR_NOTAVAILABLE, hardware
// vertex processing on a device without it D3DERR_INVALIDCALL, a full-screen
// mode the adapter does not offer D3DERR_NOTAVAILABLE: refusals the caller
// must expect, not faults.
HRESULT CFakeDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                    D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** ppReturnedDeviceInterface) {
    if (ppReturnedDeviceInterface) *ppReturnedDeviceInterface = nullptr;
    HRESULT hr = Enter("CreateDevice", {Adapter, uint64_t(DeviceType), P(hFocusWindow), BehaviorFlags,
                                        pp ? pp->BackBufferWidth : 0u, pp ? pp->BackBufferHeight : 0u,
                                        pp ? uint64_t(pp->BackBufferFormat) : 0u, pp ? uint64_t(pp->Windowed) : 0u});
    if (FAILED(hr)) return hr;
    if (!ppReturnedDeviceInterface) return m_state.Refuse("no pointer for the device");
    const std::string sWhy = CreateDeviceProblem(Adapter, DeviceType, hFocusWindow, BehaviorFlags, pp);
    if (!sWhy.empty()) return m_state.Refuse(sWhy);
    if (!HasDeviceType(DeviceType)) return m_state.Leave(D3DERR_NOTAVAILABLE);
    const bool bHardwareProcessing = !(BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    if (bHardwareProcessing && (DeviceType != D3DDEVTYPE_HAL || !m_bHardwareVertexProcessing))
        return m_state.Leave(D3DERR_INVALIDCALL);
    if (!pp->Windowed &&
        !HasMode(Adapter, pp->BackBufferWidth, pp->BackBufferHeight, pp->BackBufferFormat, pp->FullScreen_RefreshRateInHz))
        return m_state.Leave(D3DERR_NOTAVAILABLE);

    CFakeDeviceSetup setup;
    setup.nWidth = pp->BackBufferWidth ? pp->BackBufferWidth : 640;
    setup.nHeight = pp->BackBufferHeight ? pp->BackBufferHeight : 480;
    setup.backBufferFormat = pp->BackBufferFormat != D3DFMT_UNKNOWN ? pp->BackBufferFormat
                                                                     : m_vAdapters[Adapter].desktop.Format;
    setup.depthFormat = pp->EnableAutoDepthStencil ? pp->AutoDepthStencilFormat : D3DFMT_UNKNOWN;
    setup.creation = D3DDEVICE_CREATION_PARAMETERS{Adapter, DeviceType, hFocusWindow, BehaviorFlags};
    setup.pDirect3D = this;
    setup.nCreatorRefs = 0;  // the caller's reference: it must release the device
    const size_t nCall = m_state.m_vCalls.size() - 1;
    m_vDevices.push_back(std::make_unique<CFakeDevice>(setup));
    CFakeDevice* pDevice = m_vDevices.back().get();
    pp->BackBufferCount = pp->BackBufferCount ? pp->BackBufferCount : 1;  // filled in, as the runtime does
    *ppReturnedDeviceInterface = pDevice;
    m_state.m_vCalls[nCall].pObject = pDevice;
    m_state.m_vCalls[nCall].hr = D3D_OK;
    return D3D_OK;
}
