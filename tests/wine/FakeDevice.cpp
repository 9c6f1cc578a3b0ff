#include "FakeDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

uint64_t P(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

std::string Hex(uint64_t n) {
    char sz[24];
    std::snprintf(sz, sizeof sz, "0x%llx", static_cast<unsigned long long>(n));
    return sz;
}

std::string Num(uint64_t n) { return std::to_string(n); }

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

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

bool HasStencil(D3DFORMAT format) {
    return format == D3DFMT_D15S1 || format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4 || format == D3DFMT_D24FS8;
}

UINT BytesPerPixel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_INDEX16:
        return 2;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_P8:
        return 1;
    case D3DFMT_A16B16G16R16:
    case D3DFMT_A16B16G16R16F:
        return 8;
    case D3DFMT_A32B32G32R32F:
        return 16;
    default:
        return 4;  // the 32-bit colour, depth and index formats
    }
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// Row-vector convention: a * b applies a first.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float f = 0.0f;
            for (int k = 0; k < 4; ++k) f += a.m[i][k] * b.m[k][j];
            r.m[i][j] = f;
        }
    return r;
}

bool IsSampler(DWORD n) { return n < 16 || (n >= D3DDMAPSAMPLER && n <= D3DVERTEXTEXTURESAMPLER3); }

DWORD DefaultRenderState(DWORD state) {
    switch (state) {
    case D3DRS_ZENABLE: return D3DZB_TRUE;
    case D3DRS_FILLMODE: return D3DFILL_SOLID;
    case D3DRS_SHADEMODE: return D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE: return TRUE;
    case D3DRS_LASTPIXEL: return TRUE;
    case D3DRS_SRCBLEND: return D3DBLEND_ONE;
    case D3DRS_DESTBLEND: return D3DBLEND_ZERO;
    case D3DRS_CULLMODE: return D3DCULL_CCW;
    case D3DRS_ZFUNC: return D3DCMP_LESSEQUAL;
    case D3DRS_ALPHAFUNC: return D3DCMP_ALWAYS;
    case D3DRS_LIGHTING: return TRUE;
    case D3DRS_COLORVERTEX: return TRUE;
    case D3DRS_SPECULARMATERIALSOURCE: return D3DMCS_COLOR2;
    case D3DRS_DIFFUSEMATERIALSOURCE: return D3DMCS_COLOR1;
    case D3DRS_TEXTUREFACTOR: return 0xFFFFFFFF;
    case D3DRS_COLORWRITEENABLE: return 0x0000000F;
    case D3DRS_BLENDOP: return D3DBLENDOP_ADD;
    case D3DRS_STENCILFUNC: return D3DCMP_ALWAYS;
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK: return 0xFFFFFFFF;
    default: return 0;
    }
}

DWORD DefaultStageState(DWORD stage, DWORD type) {
    switch (type) {
    case D3DTSS_COLOROP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_ALPHAOP: return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    case D3DTSS_COLORARG1:
    case D3DTSS_ALPHAARG1: return D3DTA_TEXTURE;
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG2: return D3DTA_CURRENT;
    case D3DTSS_TEXCOORDINDEX: return stage;
    default: return 0;
    }
}

DWORD DefaultSamplerState(DWORD type) {
    switch (type) {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
    case D3DSAMP_ADDRESSW: return D3DTADDRESS_WRAP;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER: return D3DTEXF_POINT;
    case D3DSAMP_MAXANISOTROPY: return 1;
    default: return 0;
    }
}

constexpr DWORD kBufferLockFlags =
    D3DLOCK_READONLY | D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK | D3DLOCK_NO_DIRTY_UPDATE;
constexpr DWORD kSurfaceLockFlags =
    D3DLOCK_READONLY | D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK | D3DLOCK_NO_DIRTY_UPDATE | D3DLOCK_DONOTWAIT;

}  // namespace

// --- shared state ---------------------------------------------------------------

HRESULT CFakeState::Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                          std::initializer_list<float> floats) {
    CFakeCall call;
    call.sMethod = pszMethod;
    call.vArgs = args;
    call.vFloats = floats;
    ++m_nCallNumber;
    int nNth = ++m_mapCounts[call.sMethod];
    for (const CFailure& f : m_vFailures)
        if (f.sMethod == call.sMethod && nNth >= f.nFirst && nNth <= f.nLast) call.hr = f.hr;
    m_vCalls.push_back(std::move(call));
    return m_vCalls.back().hr;
}

HRESULT CFakeState::Leave(HRESULT hr) {
    m_vCalls.back().hr = hr;
    return hr;
}

HRESULT CFakeState::Refuse(const std::string& sWhy, HRESULT hr) {
    m_vFaults.push_back("#" + Num(m_nCallNumber) + " " + m_vCalls.back().sMethod + ": " + sWhy);
    return Leave(hr);
}

void CFakeState::Fault(const std::string& sWhat) {
    m_vFaults.push_back("after #" + Num(m_nCallNumber) + " " + sWhat);
}

UINT FakeFormatPitch(D3DFORMAT format, UINT nWidth) {
    if (IsBlockFormat(format)) return std::max(1u, (nWidth + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return nWidth * BytesPerPixel(format);
}

UINT FakeFormatRows(D3DFORMAT format, UINT nHeight) {
    return IsBlockFormat(format) ? std::max(1u, (nHeight + 3) / 4) : nHeight;
}

UINT FakeFvfSize(DWORD dwFVF) {
    UINT n = 0;
    switch (dwFVF & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: n = 12; break;
    case D3DFVF_XYZRHW:
    case D3DFVF_XYZW:
    case D3DFVF_XYZB1: n = 16; break;
    case D3DFVF_XYZB2: n = 20; break;
    case D3DFVF_XYZB3: n = 24; break;
    case D3DFVF_XYZB4: n = 28; break;
    case D3DFVF_XYZB5: n = 32; break;
    default: return 0;
    }
    if (dwFVF & D3DFVF_NORMAL) n += 12;
    if (dwFVF & D3DFVF_PSIZE) n += 4;
    if (dwFVF & D3DFVF_DIFFUSE) n += 4;
    if (dwFVF & D3DFVF_SPECULAR) n += 4;
    const UINT nSets = (dwFVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < nSets; ++i) {
        switch ((dwFVF >> (16 + 2 * i)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: n += 4; break;
        case D3DFVF_TEXTUREFORMAT2: n += 8; break;
        case D3DFVF_TEXTUREFORMAT3: n += 12; break;
        default: n += 16; break;
        }
    }
    return n;
}

UINT FakeVertexCount(D3DPRIMITIVETYPE type, UINT nPrimitives) {
    if (nPrimitives == 0) return 0;
    switch (type) {
    case D3DPT_POINTLIST: return nPrimitives;
    case D3DPT_LINELIST: return nPrimitives * 2;
    case D3DPT_LINESTRIP: return nPrimitives + 1;
    case D3DPT_TRIANGLELIST: return nPrimitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return nPrimitives + 2;
    default: return 0;
    }
}

// --- resources ------------------------------------------------------------------

template <class TInterface>
CFakeResource<TInterface>::CFakeResource(CFakeDevice* pDevice, CFakeState* pState, const char* pszName,
                                         D3DRESOURCETYPE type, DWORD dwUsage, D3DPOOL pool, bool bCounted)
    : m_pDevice(pDevice),
      m_pState(pState),
      m_sName(pszName),
      m_type(type),
      m_dwUsage(dwUsage),
      m_pool(pool),
      m_bCounted(bCounted),
      m_nMadeBy(pState->m_nCallNumber) {
    if (!m_bCounted) return;
    ++m_pState->m_nLiveResources;
    if (m_pState->m_pDevice) m_pState->m_pDevice->HoldRef();
}

template <class TInterface>
bool CFakeResource<TInterface>::HasInterface(REFIID riid) const {
    return riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DResource9) || riid == __uuidof(TInterface);
}

template <class TInterface>
bool CFakeResource<TInterface>::Alive(const char* pszMethod) const {
    if (!IsReleased()) return true;
    m_pState->Fault(m_sName + "." + pszMethod + " called on a released object (made by #" + Num(m_nMadeBy) + ")");
    return false;
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::EnterCall(const char* pszMethod, std::initializer_list<uint64_t> args) {
    HRESULT hr = m_pState->Enter((m_sName + "." + pszMethod).c_str(), args);
    if (FAILED(hr)) return hr;
    if (IsReleased()) return m_pState->Refuse("called on a released object (made by #" + Num(m_nMadeBy) + ")");
    return S_OK;
}

template <class TInterface>
std::string CFakeResource<TInterface>::LiveDescription() const {
    if (!m_bCounted || m_bReleased) return {};
    return m_sName + " made by #" + Num(m_nMadeBy) + " (" + Num(m_nRefs) + " references)";
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!Alive("QueryInterface")) return E_NOINTERFACE;
    if (!HasInterface(riid)) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
}

template <class TInterface>
ULONG CFakeResource<TInterface>::AddRef() {
    if (!Alive("AddRef")) return 0;
    return ++m_nRefs;
}

template <class TInterface>
ULONG CFakeResource<TInterface>::Release() {
    if (!Alive("Release")) return 0;
    ULONG n = --m_nRefs;
    if (n == 0) {
        m_bReleased = true;
        OnReleased();
    }
    return n;
}

template <class TInterface>
void CFakeResource<TInterface>::OnReleased() {
    if (!m_bCounted) return;
    --m_pState->m_nLiveResources;
    if (m_pState->m_pDevice) m_pState->m_pDevice->DropRef();
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::GetDevice(IDirect3DDevice9** ppDevice) {
    if (!ppDevice || !Alive("GetDevice")) return D3DERR_INVALIDCALL;
    *ppDevice = m_pDevice;
    m_pDevice->AddRef();
    return D3D_OK;
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::SetPrivateData(REFGUID, const void*, DWORD, DWORD) {
    Alive("SetPrivateData");
    return D3DERR_INVALIDCALL;
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::GetPrivateData(REFGUID, void*, DWORD*) {
    Alive("GetPrivateData");
    return D3DERR_NOTFOUND;
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::FreePrivateData(REFGUID) {
    Alive("FreePrivateData");
    return D3DERR_NOTFOUND;
}

template <class TInterface>
DWORD CFakeResource<TInterface>::SetPriority(DWORD dwPriority) {
    if (!Alive("SetPriority")) return 0;
    DWORD dwOld = m_dwPriority;
    m_dwPriority = dwPriority;
    return dwOld;
}

template <class TInterface>
DWORD CFakeResource<TInterface>::GetPriority() {
    Alive("GetPriority");
    return m_dwPriority;
}

template <class TInterface>
CFakeBuffer<TInterface>::CFakeBuffer(CFakeDevice* pDevice, CFakeState* pState, const char* pszName,
                                     D3DRESOURCETYPE type, UINT nLength, DWORD dwUsage, D3DPOOL pool)
    : CFakeResource<TInterface>(pDevice, pState, pszName, type, dwUsage, pool, true),
      m_vData(nLength, 0),
      m_nLength(nLength) {}

// Direct3D 9: 0, 0 locks the whole buffer; D3DLOCK_DISCARD and
// D3DLOCK_NOOVERWRITE are for dynamic buffers only; a range past the end is refused.
template <class TInterface>
HRESULT CFakeBuffer<TInterface>::Lock(UINT nOffset, UINT nSize, void** ppData, DWORD dwFlags) {
    if (ppData) *ppData = nullptr;
    HRESULT hr = this->EnterCall("Lock", {nOffset, nSize, dwFlags});
    if (FAILED(hr)) return hr;
    CFakeState* pState = this->m_pState;
    if (!ppData) return pState->Refuse("no pointer for the data");
    if (dwFlags & ~kBufferLockFlags) return pState->Refuse("flags " + Hex(dwFlags) + " are not lock flags of a buffer");
    if ((dwFlags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE)) && !(this->m_dwUsage & D3DUSAGE_DYNAMIC))
        return pState->Refuse("D3DLOCK_DISCARD or D3DLOCK_NOOVERWRITE on a buffer made without D3DUSAGE_DYNAMIC");
    if ((dwFlags & D3DLOCK_DISCARD) && (dwFlags & D3DLOCK_READONLY))
        return pState->Refuse("D3DLOCK_DISCARD with D3DLOCK_READONLY");
    if (nOffset > m_nLength || nSize > m_nLength - nOffset)
        return pState->Refuse("bytes " + Num(nOffset) + " to " + Num(uint64_t(nOffset) + nSize) +
                              " lie beyond the buffer's " + Num(m_nLength));
    *ppData = m_vData.data() + nOffset;
    ++m_nLocks;
    ++m_nLockCalls;
    return pState->Leave(D3D_OK);
}

template <class TInterface>
HRESULT CFakeBuffer<TInterface>::Unlock() {
    HRESULT hr = this->EnterCall("Unlock", {});
    if (FAILED(hr)) return hr;
    if (m_nLocks == 0) return this->m_pState->Refuse("the buffer is not locked");
    --m_nLocks;
    return this->m_pState->Leave(D3D_OK);
}

template <class TInterface>
void CFakeBuffer<TInterface>::OnReleased() {
    CFakeResource<TInterface>::OnReleased();
    std::vector<unsigned char>().swap(m_vData);
}

CFakeVertexBuffer::CFakeVertexBuffer(CFakeDevice* pDevice, CFakeState* pState, UINT nLength, DWORD dwUsage,
                                     DWORD dwFVF, D3DPOOL pool)
    : CFakeBuffer(pDevice, pState, "VertexBuffer", D3DRTYPE_VERTEXBUFFER, nLength, dwUsage, pool), m_dwFVF(dwFVF) {}

HRESULT CFakeVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
    if (!pDesc || !Alive("GetDesc")) return D3DERR_INVALIDCALL;
    pDesc->Format = D3DFMT_VERTEXDATA;
    pDesc->Type = D3DRTYPE_VERTEXBUFFER;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Size = m_nLength;
    pDesc->FVF = m_dwFVF;
    return D3D_OK;
}

CFakeIndexBuffer::CFakeIndexBuffer(CFakeDevice* pDevice, CFakeState* pState, UINT nLength, DWORD dwUsage,
                                   D3DFORMAT format, D3DPOOL pool)
    : CFakeBuffer(pDevice, pState, "IndexBuffer", D3DRTYPE_INDEXBUFFER, nLength, dwUsage, pool), m_format(format) {}

HRESULT CFakeIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
    if (!pDesc || !Alive("GetDesc")) return D3DERR_INVALIDCALL;
    pDesc->Format = m_format;
    pDesc->Type = D3DRTYPE_INDEXBUFFER;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Size = m_nLength;
    return D3D_OK;
}

UINT CFakeIndexBuffer::Index(UINT i) const {
    const unsigned char* p = m_vData.data() + size_t(i) * IndexSize();
    if (m_format == D3DFMT_INDEX32) {
        uint32_t n;
        std::memcpy(&n, p, 4);
        return n;
    }
    uint16_t n;
    std::memcpy(&n, p, 2);
    return n;
}

CFakeSurface::CFakeSurface(CFakeDevice* pDevice, CFakeState* pState, UINT nWidth, UINT nHeight, D3DFORMAT format,
                           DWORD dwUsage, D3DPOOL pool, CFakeTexture* pContainer, bool bLockable, Kind kind)
    : CFakeResource(pDevice, pState, "Surface", D3DRTYPE_SURFACE, dwUsage, pool, kind == Kind::Own),
      m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_format(format),
      m_nPitch(FakeFormatPitch(format, nWidth)),
      m_vData(size_t(m_nPitch) * FakeFormatRows(format, nHeight), 0),
      m_pContainer(pContainer),
      m_bLockable(bLockable),
      m_kind(kind) {
    if (m_kind == Kind::Implicit) m_nRefs = 0;  // only the device's until the code asks for it
}

bool CFakeSurface::IsReleased() const {
    if (m_kind == Kind::Level) return m_pContainer->IsReleased();
    return m_bReleased;
}

std::string CFakeSurface::LiveDescription() const {
    if (m_kind == Kind::Implicit && m_nRefs > 0)
        return std::string(m_dwUsage & D3DUSAGE_DEPTHSTENCIL ? "the depth buffer" : "the back buffer") +
               " still referenced " + Num(m_nRefs) + " times";
    return CFakeResource::LiveDescription();
}

// A level's references are its texture's; the back and depth buffers live
// with the device, and the code's references to them hold the device.
ULONG CFakeSurface::AddRef() {
    if (m_kind == Kind::Level) return m_pContainer->AddRef();
    if (m_kind == Kind::Own) return CFakeResource::AddRef();
    if (m_nRefs++ == 0) {
        ++m_pState->m_nLiveResources;
        if (m_pState->m_pDevice) m_pState->m_pDevice->HoldRef();
    }
    return m_nRefs;
}

ULONG CFakeSurface::Release() {
    if (m_kind == Kind::Level) return m_pContainer->Release();
    if (m_kind == Kind::Own) return CFakeResource::Release();
    if (m_nRefs == 0) {
        m_pState->Fault("Surface.Release of the device's own buffer with no reference left");
        return 0;
    }
    if (--m_nRefs == 0) {
        --m_pState->m_nLiveResources;
        if (m_pState->m_pDevice) m_pState->m_pDevice->DropRef();
    }
    return m_nRefs;
}

void CFakeSurface::OnReleased() {
    CFakeResource::OnReleased();
    FreeBits();
}

void CFakeSurface::FreeBits() { std::vector<unsigned char>().swap(m_vData); }

HRESULT CFakeSurface::GetContainer(REFIID riid, void** ppContainer) {
    if (!ppContainer || !Alive("GetContainer")) return D3DERR_INVALIDCALL;
    if (m_pContainer) return m_pContainer->QueryInterface(riid, ppContainer);
    return m_pDevice->QueryInterface(riid, ppContainer);
}

HRESULT CFakeSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (!pDesc || !Alive("GetDesc")) return D3DERR_INVALIDCALL;
    *pDesc = D3DSURFACE_DESC{};
    pDesc->Format = m_format;
    pDesc->Type = D3DRTYPE_SURFACE;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Width = m_nWidth;
    pDesc->Height = m_nHeight;
    return D3D_OK;
}

HRESULT CFakeSurface::LockBits(D3DLOCKED_RECT* pLocked, const RECT* pRect, std::string* pWhy) {
    std::string sWhy;
    RECT rc{0, 0, LONG(m_nWidth), LONG(m_nHeight)};
    if (pRect) rc = *pRect;
    if (!pLocked)
        sWhy = "no D3DLOCKED_RECT to fill";
    else if (m_bLocked)
        sWhy = "the surface is already locked";
    else if (rc.left < 0 || rc.top < 0 || rc.left >= rc.right || rc.top >= rc.bottom || rc.right > LONG(m_nWidth) ||
             rc.bottom > LONG(m_nHeight))
        sWhy = "the rectangle does not lie within the " + Num(m_nWidth) + " x " + Num(m_nHeight) + " surface";
    if (!sWhy.empty()) {
        if (pWhy) *pWhy = sWhy;
        return D3DERR_INVALIDCALL;
    }
    size_t nOffset = IsBlockFormat(m_format)
                         ? size_t(rc.top / 4) * m_nPitch + size_t(rc.left / 4) * FakeFormatPitch(m_format, 4)
                         : size_t(rc.top) * m_nPitch + size_t(rc.left) * BytesPerPixel(m_format);
    pLocked->Pitch = INT(m_nPitch);
    pLocked->pBits = m_vData.data() + nOffset;
    m_bLocked = true;
    return D3D_OK;
}

HRESULT CFakeSurface::UnlockBits() {
    if (!m_bLocked) return D3DERR_INVALIDCALL;
    m_bLocked = false;
    return D3D_OK;
}

HRESULT CFakeSurface::LockRect(D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) {
    HRESULT hr = EnterCall("LockRect", {P(pRect), dwFlags});
    if (FAILED(hr)) return hr;
    if (!m_bLockable) return m_pState->Refuse("the surface is not lockable");
    if (dwFlags & ~kSurfaceLockFlags) return m_pState->Refuse("flags " + Hex(dwFlags) + " are not lock flags of a surface");
    if ((dwFlags & D3DLOCK_DISCARD) && !(m_dwUsage & D3DUSAGE_DYNAMIC))
        return m_pState->Refuse("D3DLOCK_DISCARD on a surface made without D3DUSAGE_DYNAMIC");
    std::string sWhy;
    if (FAILED(LockBits(pLocked, pRect, &sWhy))) return m_pState->Refuse(sWhy);
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeSurface::UnlockRect() {
    HRESULT hr = EnterCall("UnlockRect", {});
    if (FAILED(hr)) return hr;
    if (FAILED(UnlockBits())) return m_pState->Refuse("the surface is not locked");
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeSurface::GetDC(HDC* phdc) {
    if (phdc) *phdc = nullptr;
    Alive("GetDC");
    return D3DERR_INVALIDCALL;
}

HRESULT CFakeSurface::ReleaseDC(HDC) {
    Alive("ReleaseDC");
    return D3DERR_INVALIDCALL;
}

UINT CFakeTexture::FullChainLength(UINT nWidth, UINT nHeight) {
    UINT n = 1, nSize = std::max(nWidth, nHeight);
    while (nSize > 1) {
        nSize /= 2;
        ++n;
    }
    return n;
}

CFakeTexture::CFakeTexture(CFakeDevice* pDevice, CFakeState* pState, UINT nWidth, UINT nHeight, UINT nLevels,
                           DWORD dwUsage, D3DFORMAT format, D3DPOOL pool)
    : CFakeResource(pDevice, pState, "Texture", D3DRTYPE_TEXTURE, dwUsage, pool, true), m_format(format) {
    // Default-pool textures cannot be locked unless dynamic, as on hardware.
    bool bLockable = pool != D3DPOOL_DEFAULT || (dwUsage & D3DUSAGE_DYNAMIC);
    for (UINT i = 0; i < nLevels; ++i)
        m_vLevels.push_back(new CFakeSurface(pDevice, pState, std::max(1u, nWidth >> i), std::max(1u, nHeight >> i),
                                             format, dwUsage, pool, this, bLockable, CFakeSurface::Kind::Level));
}

CFakeTexture::~CFakeTexture() {
    for (CFakeSurface* p : m_vLevels) delete p;
}

void CFakeTexture::OnReleased() {
    CFakeResource::OnReleased();
    for (CFakeSurface* p : m_vLevels) p->FreeBits();
}

bool CFakeTexture::HasInterface(REFIID riid) const {
    return CFakeResource::HasInterface(riid) || riid == __uuidof(IDirect3DBaseTexture9);
}

DWORD CFakeTexture::SetLOD(DWORD dwLod) {
    if (!Alive("SetLOD")) return 0;
    DWORD dwOld = m_dwLod;
    if (m_pool == D3DPOOL_MANAGED) m_dwLod = std::min<DWORD>(dwLod, DWORD(m_vLevels.size()) - 1);
    return dwOld;
}

DWORD CFakeTexture::GetLOD() {
    Alive("GetLOD");
    return m_dwLod;
}

DWORD CFakeTexture::GetLevelCount() {
    Alive("GetLevelCount");
    return DWORD(m_vLevels.size());
}

HRESULT CFakeTexture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE type) {
    if (!Alive("SetAutoGenFilterType")) return D3DERR_INVALIDCALL;
    m_filter = type;
    return D3D_OK;
}

D3DTEXTUREFILTERTYPE CFakeTexture::GetAutoGenFilterType() {
    Alive("GetAutoGenFilterType");
    return m_filter;
}

void CFakeTexture::GenerateMipSubLevels() { EnterCall("GenerateMipSubLevels", {}); }

HRESULT CFakeTexture::GetLevelDesc(UINT nLevel, D3DSURFACE_DESC* pDesc) {
    if (!Alive("GetLevelDesc")) return D3DERR_INVALIDCALL;
    if (nLevel >= m_vLevels.size()) {
        m_pState->Fault("Texture.GetLevelDesc of level " + Num(nLevel) + " of " + Num(m_vLevels.size()));
        return D3DERR_INVALIDCALL;
    }
    return m_vLevels[nLevel]->GetDesc(pDesc);
}

HRESULT CFakeTexture::GetSurfaceLevel(UINT nLevel, IDirect3DSurface9** ppSurface) {
    if (ppSurface) *ppSurface = nullptr;
    HRESULT hr = EnterCall("GetSurfaceLevel", {nLevel});
    if (FAILED(hr)) return hr;
    if (!ppSurface) return m_pState->Refuse("no pointer for the surface");
    if (nLevel >= m_vLevels.size())
        return m_pState->Refuse("level " + Num(nLevel) + " of a texture of " + Num(m_vLevels.size()));
    *ppSurface = m_vLevels[nLevel];
    (*ppSurface)->AddRef();
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeTexture::LockRect(UINT nLevel, D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) {
    HRESULT hr = EnterCall("LockRect", {nLevel, P(pRect), dwFlags});
    if (FAILED(hr)) return hr;
    if (nLevel >= m_vLevels.size())
        return m_pState->Refuse("level " + Num(nLevel) + " of a texture of " + Num(m_vLevels.size()));
    if (m_pool == D3DPOOL_DEFAULT && !(m_dwUsage & D3DUSAGE_DYNAMIC))
        return m_pState->Refuse("a default-pool texture made without D3DUSAGE_DYNAMIC cannot be locked");
    if (dwFlags & ~kSurfaceLockFlags) return m_pState->Refuse("flags " + Hex(dwFlags) + " are not lock flags of a texture");
    if ((dwFlags & D3DLOCK_DISCARD) && !(m_dwUsage & D3DUSAGE_DYNAMIC))
        return m_pState->Refuse("D3DLOCK_DISCARD on a texture made without D3DUSAGE_DYNAMIC");
    std::string sWhy;
    if (FAILED(m_vLevels[nLevel]->LockBits(pLocked, pRect, &sWhy))) return m_pState->Refuse(sWhy);
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeTexture::UnlockRect(UINT nLevel) {
    HRESULT hr = EnterCall("UnlockRect", {nLevel});
    if (FAILED(hr)) return hr;
    if (nLevel >= m_vLevels.size())
        return m_pState->Refuse("level " + Num(nLevel) + " of a texture of " + Num(m_vLevels.size()));
    if (FAILED(m_vLevels[nLevel]->UnlockBits())) return m_pState->Refuse("the level is not locked");
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeTexture::AddDirtyRect(const RECT* pRect) {
    HRESULT hr = EnterCall("AddDirtyRect", {P(pRect)});
    return FAILED(hr) ? hr : m_pState->Leave(D3D_OK);
}

template class CFakeResource<IDirect3DVertexBuffer9>;
template class CFakeResource<IDirect3DIndexBuffer9>;
template class CFakeResource<IDirect3DSurface9>;
template class CFakeResource<IDirect3DTexture9>;
template class CFakeBuffer<IDirect3DVertexBuffer9>;
template class CFakeBuffer<IDirect3DIndexBuffer9>;

// --- device -----------------------------------------------------------------------

CFakeDevice::CFakeDevice(const CFakeDeviceSetup& setup) : m_pState(std::make_unique<CFakeState>()), m_setup(setup) {
    m_pState->m_pDevice = this;
    m_caps.DeviceType = setup.creation.DeviceType;
    m_caps.Caps2 = D3DCAPS2_CANAUTOGENMIPMAP | D3DCAPS2_DYNAMICTEXTURES;
    m_caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    m_caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_DRAWPRIMTLVERTEX;
    m_caps.DevCaps2 = D3DDEVCAPS2_STREAMOFFSET;
    m_caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PERSPECTIVE;
    m_caps.MaxTextureWidth = m_caps.MaxTextureHeight = 4096;
    m_caps.MaxAnisotropy = 16;
    m_caps.MaxTextureBlendStages = m_caps.MaxSimultaneousTextures = 8;
    m_caps.MaxActiveLights = 8;
    m_caps.MaxUserClipPlanes = 6;
    m_caps.MaxPrimitiveCount = 0xFFFFF;
    m_caps.MaxVertexIndex = 0xFFFFFF;
    m_caps.MaxStreams = 16;
    m_caps.MaxStreamStride = 255;
    m_caps.MaxPointSize = 64.0f;
    m_caps.NumSimultaneousRTs = 1;
    m_displayMode = D3DDISPLAYMODE{setup.nWidth, setup.nHeight, 60, setup.backBufferFormat};
    m_pBackBuffer = m_pState->Own(new CFakeSurface(this, m_pState.get(), setup.nWidth, setup.nHeight,
                                                   setup.backBufferFormat, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                                   nullptr, false, CFakeSurface::Kind::Implicit));
    if (setup.depthFormat != D3DFMT_UNKNOWN)
        m_pDepthStencil = m_pState->Own(new CFakeSurface(this, m_pState.get(), setup.nWidth, setup.nHeight,
                                                         setup.depthFormat, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                                                         nullptr, false, CFakeSurface::Kind::Implicit));
    else
        m_mapRenderStates[D3DRS_ZENABLE] = D3DZB_FALSE;  // no automatic depth buffer: depth testing starts off
    m_apRenderTargets[0] = m_pBackBuffer;
    m_pCurrentDepthStencil = m_pDepthStencil;
    m_viewport = D3DVIEWPORT9{0, 0, setup.nWidth, setup.nHeight, 0.0f, 1.0f};
    m_rcScissor = RECT{0, 0, LONG(setup.nWidth), LONG(setup.nHeight)};
    if (m_setup.pDirect3D) m_setup.pDirect3D->AddRef();
}

CFakeDevice::~CFakeDevice() {
    const std::string sProblems = Problems();
    if (!sProblems.empty()) ADD_FAILURE() << "the recording Direct3D device saw:\n" << sProblems;
    m_pState->m_pDevice = nullptr;
    m_pState->m_vObjects.clear();
}

std::vector<std::string> CFakeDevice::TakeFaults() {
    std::vector<std::string> v;
    v.swap(m_pState->m_vFaults);
    return v;
}

std::string CFakeDevice::Problems() const {
    std::string s;
    for (const std::string& sFault : m_pState->m_vFaults) s += sFault + "\n";
    for (const auto& pObject : m_pState->m_vObjects) {
        const std::string sLive = pObject->LiveDescription();
        if (!sLive.empty()) s += "never released: " + sLive + "\n";
    }
    if (m_bInScene) s += "a scene was begun and never ended\n";
    const ULONG nExpected = m_setup.nCreatorRefs + ULONG(std::max(0, LiveResources()));
    if (m_nRefs > nExpected)
        s += Num(m_nRefs - nExpected) + " reference(s) to the device were never released\n";
    return s;
}

std::vector<const CFakeCall*> CFakeDevice::CallsNamed(const std::string& sMethod) const {
    std::vector<const CFakeCall*> v;
    for (const CFakeCall& c : Calls())
        if (c.sMethod == sMethod) v.push_back(&c);
    return v;
}

size_t CFakeDevice::CountCalls(const std::string& sMethod) const { return CallsNamed(sMethod).size(); }

std::vector<std::string> CFakeDevice::CallNames() const {
    std::vector<std::string> v;
    for (const CFakeCall& c : Calls()) v.push_back(c.sMethod);
    return v;
}

void CFakeDevice::FailCall(const std::string& sMethod, int nNth, HRESULT hr) {
    m_pState->m_vFailures.push_back({sMethod, nNth, nNth, hr});
}

void CFakeDevice::FailCallsFrom(const std::string& sMethod, int nNth, HRESULT hr) {
    m_pState->m_vFailures.push_back({sMethod, nNth, INT_MAX, hr});
}

DWORD CFakeDevice::RenderState(D3DRENDERSTATETYPE state) const {
    auto it = m_mapRenderStates.find(state);
    return it != m_mapRenderStates.end() ? it->second : DefaultRenderState(state);
}

DWORD CFakeDevice::TextureStageState(DWORD nStage, D3DTEXTURESTAGESTATETYPE type) const {
    auto it = m_mapStageStates.find({nStage, DWORD(type)});
    return it != m_mapStageStates.end() ? it->second : DefaultStageState(nStage, type);
}

DWORD CFakeDevice::SamplerState(DWORD nSampler, D3DSAMPLERSTATETYPE type) const {
    auto it = m_mapSamplerStates.find({nSampler, DWORD(type)});
    return it != m_mapSamplerStates.end() ? it->second : DefaultSamplerState(type);
}

const D3DMATRIX& CFakeDevice::Transform(D3DTRANSFORMSTATETYPE state) const {
    static const D3DMATRIX s_identity = Identity();
    auto it = m_mapTransforms.find(state);
    return it != m_mapTransforms.end() ? it->second : s_identity;
}

IDirect3DBaseTexture9* CFakeDevice::BoundTexture(DWORD nStage) const {
    auto it = m_mapTextures.find(nStage);
    return it != m_mapTextures.end() ? it->second : nullptr;
}

IDirect3DVertexBuffer9* CFakeDevice::BoundStream(UINT nStream) const {
    auto it = m_mapStreams.find(nStream);
    return it != m_mapStreams.end() ? it->second.pBuffer : nullptr;
}

IDirect3DSurface9* CFakeDevice::BoundRenderTarget(DWORD nIndex) const {
    return nIndex < 4 ? m_apRenderTargets[nIndex] : nullptr;
}

void CFakeDevice::RecordDrawData(const void* pData, UINT nBytes) {
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    m_pState->Last().vData.insert(m_pState->Last().vData.end(), p, p + nBytes);
}

HRESULT CFakeDevice::Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                           std::initializer_list<float> floats) {
    HRESULT hr = m_pState->Enter(pszMethod, args, floats);
    if (m_nRefs == 0) m_pState->Fault(std::string(pszMethod) + " called on a released device");
    return hr;
}

void CFakeDevice::DropRef() {
    if (m_nRefs == 0) {
        m_pState->Fault("the device's reference count went below zero");
        return;
    }
    if (--m_nRefs == 0 && m_setup.pDirect3D) m_setup.pDirect3D->Release();
}

std::string CFakeDevice::SurfaceProblem(IDirect3DSurface9* pSurface, DWORD dwNeededUsage, const char* pszWhat) const {
    if (!pSurface) return {};
    auto* p = static_cast<CFakeSurface*>(pSurface);
    if (p->IsReleased()) return std::string("the ") + pszWhat + " was released";
    if (dwNeededUsage && !(p->Usage() & dwNeededUsage))
        return std::string("the ") + pszWhat + " was made without usage " + Hex(dwNeededUsage);
    return {};
}

// The depth buffer must be at least as large as the render target.
bool CFakeDevice::DepthSmallerThanTarget() const {
    auto* pDepth = static_cast<CFakeSurface*>(m_pCurrentDepthStencil);
    auto* pTarget = static_cast<CFakeSurface*>(m_apRenderTargets[0]);
    return pDepth && pTarget && (pDepth->Width() < pTarget->Width() || pDepth->Height() < pTarget->Height());
}

// --- IUnknown -----------------------------------------------------------------------

HRESULT CFakeDevice::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != __uuidof(IUnknown) && riid != __uuidof(IDirect3DDevice9)) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
}

ULONG CFakeDevice::AddRef() {
    Enter("AddRef", {});
    if (m_nRefs == 0) return 0;
    return ++m_nRefs;
}

// The object belongs to its creator (the test, or the recording Direct3D
// object): the count only goes down, to be read back.
ULONG CFakeDevice::Release() {
    Enter("Release", {});
    if (m_nRefs == 0) return 0;
    DropRef();
    return m_nRefs;
}

// --- device state and presentation -------------------------------------------------

HRESULT CFakeDevice::TestCooperativeLevel() {
    Enter("TestCooperativeLevel", {});
    return Leave(m_hrCooperativeLevel);
}

UINT CFakeDevice::GetAvailableTextureMem() {
    Enter("GetAvailableTextureMem", {});
    return 256u << 20;
}

HRESULT CFakeDevice::EvictManagedResources() {
    HRESULT hr = Enter("EvictManagedResources", {});
    return FAILED(hr) ? hr : Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDirect3D(IDirect3D9** ppD3D9) {
    if (!m_setup.pDirect3D) return Unsupported("GetDirect3D", ppD3D9);
    if (ppD3D9) *ppD3D9 = nullptr;
    HRESULT hr = Enter("GetDirect3D", {});
    if (FAILED(hr)) return hr;
    if (!ppD3D9) return Refuse("no pointer for the object");
    *ppD3D9 = m_setup.pDirect3D;
    m_setup.pDirect3D->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDeviceCaps(D3DCAPS9* pCaps) {
    HRESULT hr = Enter("GetDeviceCaps", {});
    if (FAILED(hr)) return hr;
    if (!pCaps) return Refuse("no D3DCAPS9 to fill");
    *pCaps = m_caps;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
    HRESULT hr = Enter("GetDisplayMode", {iSwapChain});
    if (FAILED(hr)) return hr;
    if (!pMode || iSwapChain != 0) return Refuse("swap chain " + Num(iSwapChain) + " or no D3DDISPLAYMODE");
    *pMode = m_displayMode;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
    HRESULT hr = Enter("GetCreationParameters", {});
    if (FAILED(hr)) return hr;
    if (!pParameters) return Refuse("no structure to fill");
    *pParameters = m_setup.creation;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface9* pCursorBitmap) {
    HRESULT hr = Enter("SetCursorProperties", {XHotSpot, YHotSpot, P(pCursorBitmap)});
    if (FAILED(hr)) return hr;
    if (!pCursorBitmap) return Refuse("no cursor surface");
    const std::string sWhy = SurfaceProblem(pCursorBitmap, 0, "cursor surface");
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

void CFakeDevice::SetCursorPosition(int X, int Y, DWORD Flags) {
    Enter("SetCursorPosition", {uint64_t(int64_t(X)), uint64_t(int64_t(Y)), Flags});
}

WINBOOL CFakeDevice::ShowCursor(WINBOOL bShow) {
    Enter("ShowCursor", {uint64_t(bShow)});
    WINBOOL bOld = m_bCursorShown;
    m_bCursorShown = bShow;
    return bOld;
}

HRESULT CFakeDevice::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9** pSwapChain) {
    return Unsupported("CreateAdditionalSwapChain", pSwapChain);
}

HRESULT CFakeDevice::GetSwapChain(UINT, IDirect3DSwapChain9** pSwapChain) {
    return Unsupported("GetSwapChain", pSwapChain);
}

UINT CFakeDevice::GetNumberOfSwapChains() {
    Enter("GetNumberOfSwapChains", {});
    return 1;
}

// Direct3D 9 refuses a reset while the code still holds default-pool
// resources (the back and depth buffers included).
int CFakeDevice::LiveDefaultPoolResources() const {
    int n = 0;
    for (const auto& pObject : m_pState->m_vObjects)
        if (pObject->LiveInDefaultPool()) ++n;
    return n;
}

HRESULT CFakeDevice::Reset(D3DPRESENT_PARAMETERS* pp) {
    HRESULT hr = Enter("Reset", {pp ? pp->BackBufferWidth : 0u, pp ? pp->BackBufferHeight : 0u,
                                 pp ? uint64_t(pp->BackBufferFormat) : 0u});
    if (FAILED(hr)) return hr;
    if (!pp) return Refuse("no present parameters");
    if (m_hrCooperativeLevel == D3DERR_DEVICELOST) return Leave(D3DERR_DEVICELOST);
    for (const auto& pObject : m_pState->m_vObjects)
        if (pObject->LiveInDefaultPool())
            return Refuse("a default-pool resource is still held: " + pObject->LiveDescription());
    if (m_pBackBuffer->RefCount() > 1 || m_pDepthStencil->RefCount() > 1)
        return Refuse("a reference to the back or depth buffer is still held");
    m_hrCooperativeLevel = D3D_OK;
    m_bInScene = false;
    m_mapRenderStates.clear();
    m_mapStageStates.clear();
    m_mapSamplerStates.clear();
    m_mapTransforms.clear();
    m_mapTextures.clear();
    m_mapStreams.clear();
    m_pIndices = nullptr;
    m_dwFVF = 0;
    m_material = D3DMATERIAL9{};
    std::fill(std::begin(m_apRenderTargets), std::end(m_apRenderTargets), nullptr);
    m_apRenderTargets[0] = m_pBackBuffer;
    m_pCurrentDepthStencil = m_pDepthStencil;
    m_viewport = D3DVIEWPORT9{0, 0, m_pBackBuffer->Width(), m_pBackBuffer->Height(), 0.0f, 1.0f};
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::Present(const RECT* src_rect, const RECT* dst_rect, HWND dst_window_override,
                             const RGNDATA* dirty_region) {
    HRESULT hr = Enter("Present", {P(src_rect), P(dst_rect), P(dst_window_override), P(dirty_region)});
    if (FAILED(hr)) return hr;
    if (m_bInScene) return Refuse("presented between BeginScene and EndScene");
    return Leave(m_hrCooperativeLevel == D3D_OK ? D3D_OK : D3DERR_DEVICELOST);
}

HRESULT CFakeDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                   IDirect3DSurface9** ppBackBuffer) {
    if (ppBackBuffer) *ppBackBuffer = nullptr;
    HRESULT hr = Enter("GetBackBuffer", {iSwapChain, iBackBuffer, uint64_t(Type)});
    if (FAILED(hr)) return hr;
    if (!ppBackBuffer || iSwapChain != 0 || iBackBuffer != 0)
        return Refuse("swap chain " + Num(iSwapChain) + ", back buffer " + Num(iBackBuffer) + " or no pointer");
    *ppBackBuffer = m_pBackBuffer;
    m_pBackBuffer->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) {
    HRESULT hr = Enter("GetRasterStatus", {iSwapChain});
    if (FAILED(hr)) return hr;
    if (!pRasterStatus) return Refuse("no structure to fill");
    *pRasterStatus = D3DRASTER_STATUS{};
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetDialogBoxMode(WINBOOL bEnableDialogs) {
    HRESULT hr = Enter("SetDialogBoxMode", {uint64_t(bEnableDialogs)});
    return FAILED(hr) ? hr : Leave(D3D_OK);
}

void CFakeDevice::SetGammaRamp(UINT swapchain_idx, DWORD flags, const D3DGAMMARAMP* ramp) {
    Enter("SetGammaRamp", {swapchain_idx, flags});
    if (ramp) m_gammaRamp = *ramp;
}

void CFakeDevice::GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) {
    Enter("GetGammaRamp", {iSwapChain});
    if (pRamp) *pRamp = m_gammaRamp;
}

// --- resource creation -------------------------------------------------------------

HRESULT CFakeDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                   D3DPOOL Pool, IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
    if (ppTexture) *ppTexture = nullptr;
    HRESULT hr = Enter("CreateTexture", {Width, Height, Levels, Usage, uint64_t(Format), uint64_t(Pool)});
    if (FAILED(hr)) return hr;
    const bool bDefaultOnly = Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC);
    const UINT nFull = CFakeTexture::FullChainLength(Width, Height);
    if (!ppTexture) return Refuse("no pointer for the texture");
    if (pSharedHandle) return Refuse("shared handles need Direct3D 9Ex");
    if (!Width || !Height || Width > m_caps.MaxTextureWidth || Height > m_caps.MaxTextureHeight)
        return Refuse("size " + Num(Width) + " x " + Num(Height));
    if (Levels > nFull) return Refuse(Num(Levels) + " levels where the full chain has " + Num(nFull));
    if (Format == D3DFMT_UNKNOWN) return Refuse("format D3DFMT_UNKNOWN");
    if (bDefaultOnly && Pool != D3DPOOL_DEFAULT)
        return Refuse("render-target, depth or dynamic usage outside the default pool");
    if ((Usage & D3DUSAGE_DYNAMIC) && !(m_caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES))
        return Refuse("dynamic textures are not in the device's caps");
    if ((Usage & D3DUSAGE_RENDERTARGET) && (Usage & D3DUSAGE_DEPTHSTENCIL))
        return Refuse("a texture cannot be render target and depth buffer at once");
    const UINT nLevels = (Usage & D3DUSAGE_AUTOGENMIPMAP) ? 1 : (Levels ? Levels : nFull);
    auto* pTexture =
        m_pState->Own(new CFakeTexture(this, m_pState.get(), Width, Height, nLevels, Usage, Format, Pool));
    *ppTexture = pTexture;
    m_pState->Last().pObject = pTexture;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                         IDirect3DVolumeTexture9** ppVolumeTexture, HANDLE*) {
    return Unsupported("CreateVolumeTexture", ppVolumeTexture, D3DERR_NOTAVAILABLE);
}

HRESULT CFakeDevice::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9** ppCubeTexture,
                                       HANDLE*) {
    return Unsupported("CreateCubeTexture", ppCubeTexture, D3DERR_NOTAVAILABLE);
}

// A buffer of a vertex format must hold at least one vertex; its length need
// not be a multiple of the vertex size.
HRESULT CFakeDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                        IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
    if (ppVertexBuffer) *ppVertexBuffer = nullptr;
    HRESULT hr = Enter("CreateVertexBuffer", {Length, Usage, FVF, uint64_t(Pool)});
    if (FAILED(hr)) return hr;
    if (!ppVertexBuffer) return Refuse("no pointer for the buffer");
    if (pSharedHandle) return Refuse("shared handles need Direct3D 9Ex");
    if (!Length) return Refuse("length 0");
    if (FVF && Length < FakeFvfSize(FVF))
        return Refuse(Num(Length) + " bytes cannot hold one vertex of format " + Hex(FVF));
    if ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) return Refuse("a dynamic buffer in the managed pool");
    auto* pBuffer = m_pState->Own(new CFakeVertexBuffer(this, m_pState.get(), Length, Usage, FVF, Pool));
    *ppVertexBuffer = pBuffer;
    m_pState->Last().pObject = pBuffer;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                       IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
    if (ppIndexBuffer) *ppIndexBuffer = nullptr;
    HRESULT hr = Enter("CreateIndexBuffer", {Length, Usage, uint64_t(Format), uint64_t(Pool)});
    if (FAILED(hr)) return hr;
    if (!ppIndexBuffer) return Refuse("no pointer for the buffer");
    if (pSharedHandle) return Refuse("shared handles need Direct3D 9Ex");
    if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return Refuse("format " + Num(Format) + " is no index format");
    if (Length < (Format == D3DFMT_INDEX32 ? 4u : 2u)) return Refuse("length " + Num(Length));
    if ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) return Refuse("a dynamic buffer in the managed pool");
    auto* pBuffer = m_pState->Own(new CFakeIndexBuffer(this, m_pState.get(), Length, Usage, Format, Pool));
    *ppIndexBuffer = pBuffer;
    m_pState->Last().pObject = pBuffer;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                        DWORD MultisampleQuality, WINBOOL Lockable, IDirect3DSurface9** ppSurface,
                                        HANDLE* pSharedHandle) {
    if (ppSurface) *ppSurface = nullptr;
    HRESULT hr = Enter("CreateRenderTarget", {Width, Height, uint64_t(Format), uint64_t(MultiSample),
                                              MultisampleQuality, uint64_t(Lockable)});
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height) return Refuse("no pointer, a shared handle or a size of 0");
    auto* pSurface = m_pState->Own(new CFakeSurface(this, m_pState.get(), Width, Height, Format,
                                                    D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, nullptr, Lockable != FALSE));
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                               D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                               WINBOOL Discard, IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
    if (ppSurface) *ppSurface = nullptr;
    HRESULT hr = Enter("CreateDepthStencilSurface", {Width, Height, uint64_t(Format), uint64_t(MultiSample),
                                                     MultisampleQuality, uint64_t(Discard)});
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height) return Refuse("no pointer, a shared handle or a size of 0");
    if (!IsDepthFormat(Format)) return Refuse("format " + Num(Format) + " is no depth format");
    auto* pSurface =
        m_pState->Own(new CFakeSurface(this, m_pState.get(), Width, Height, Format, D3DUSAGE_DEPTHSTENCIL,
                                       D3DPOOL_DEFAULT, nullptr, Format == D3DFMT_D16_LOCKABLE));
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                 IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
    if (ppSurface) *ppSurface = nullptr;
    HRESULT hr = Enter("CreateOffscreenPlainSurface", {Width, Height, uint64_t(Format), uint64_t(Pool)});
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height) return Refuse("no pointer, a shared handle or a size of 0");
    if (Pool == D3DPOOL_MANAGED) return Refuse("off-screen plain surfaces cannot be managed");
    auto* pSurface =
        m_pState->Own(new CFakeSurface(this, m_pState.get(), Width, Height, Format, 0, Pool, nullptr, true));
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::UpdateSurface(IDirect3DSurface9* src_surface, const RECT* src_rect,
                                   IDirect3DSurface9* dst_surface, const POINT* dst_point) {
    HRESULT hr = Enter("UpdateSurface", {P(src_surface), P(src_rect), P(dst_surface), P(dst_point)});
    if (FAILED(hr)) return hr;
    if (!src_surface || !dst_surface) return Refuse("a surface is missing");
    std::string sWhy = SurfaceProblem(src_surface, 0, "source");
    if (sWhy.empty()) sWhy = SurfaceProblem(dst_surface, 0, "destination");
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

HRESULT CFakeDevice::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) {
    HRESULT hr = Enter("UpdateTexture", {P(pSourceTexture), P(pDestinationTexture)});
    if (FAILED(hr)) return hr;
    if (!pSourceTexture || !pDestinationTexture) return Refuse("a texture is missing");
    if (static_cast<CFakeTexture*>(pSourceTexture)->IsReleased() ||
        static_cast<CFakeTexture*>(pDestinationTexture)->IsReleased())
        return Refuse("a released texture");
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) {
    HRESULT hr = Enter("GetRenderTargetData", {P(pRenderTarget), P(pDestSurface)});
    if (FAILED(hr)) return hr;
    if (!pRenderTarget || !pDestSurface) return Refuse("a surface is missing");
    std::string sWhy = SurfaceProblem(pRenderTarget, D3DUSAGE_RENDERTARGET, "render target");
    if (sWhy.empty()) sWhy = SurfaceProblem(pDestSurface, 0, "destination");
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

HRESULT CFakeDevice::GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) {
    HRESULT hr = Enter("GetFrontBufferData", {iSwapChain, P(pDestSurface)});
    if (FAILED(hr)) return hr;
    if (!pDestSurface) return Refuse("no destination");
    const std::string sWhy = SurfaceProblem(pDestSurface, 0, "destination");
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

HRESULT CFakeDevice::StretchRect(IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
                                 const RECT* dst_rect, D3DTEXTUREFILTERTYPE filter) {
    HRESULT hr = Enter("StretchRect", {P(src_surface), P(src_rect), P(dst_surface), P(dst_rect), uint64_t(filter)});
    if (FAILED(hr)) return hr;
    if (!src_surface || !dst_surface) return Refuse("a surface is missing");
    std::string sWhy = SurfaceProblem(src_surface, 0, "source");
    if (sWhy.empty()) sWhy = SurfaceProblem(dst_surface, 0, "destination");
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

// Fills 32-bit surfaces for real, so that a test can read the colour back.
// Direct3D 9 fills default-pool render targets and off-screen plain surfaces only.
HRESULT CFakeDevice::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
    HRESULT hr = Enter("ColorFill", {P(surface), P(rect), color});
    if (FAILED(hr)) return hr;
    auto* pSurface = static_cast<CFakeSurface*>(surface);
    if (!pSurface) return Refuse("no surface");
    const std::string sWhy = SurfaceProblem(surface, 0, "surface");
    if (!sWhy.empty()) return Refuse(sWhy);
    if (pSurface->Pool() != D3DPOOL_DEFAULT || (pSurface->Usage() & D3DUSAGE_DEPTHSTENCIL))
        return Refuse("only default-pool render targets and plain surfaces can be filled");
    D3DLOCKED_RECT locked;
    std::string sLock;
    if (FAILED(pSurface->LockBits(&locked, rect, &sLock))) return Refuse(sLock);
    if (FakeFormatPitch(pSurface->Format(), 1) == 4) {
        LONG nWidth = rect ? rect->right - rect->left : LONG(pSurface->Width());
        LONG nHeight = rect ? rect->bottom - rect->top : LONG(pSurface->Height());
        for (LONG y = 0; y < nHeight; ++y) {
            auto* pRow = reinterpret_cast<DWORD*>(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch);
            std::fill(pRow, pRow + nWidth, DWORD(color));
        }
    }
    pSurface->UnlockBits();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
    HRESULT hr = Enter("SetRenderTarget", {RenderTargetIndex, P(pRenderTarget)});
    if (FAILED(hr)) return hr;
    if (RenderTargetIndex >= m_caps.NumSimultaneousRTs || RenderTargetIndex >= 4)
        return Refuse("render target " + Num(RenderTargetIndex) + " of " + Num(m_caps.NumSimultaneousRTs));
    if (RenderTargetIndex == 0 && !pRenderTarget) return Refuse("render target 0 cannot be unset");
    const std::string sWhy = SurfaceProblem(pRenderTarget, D3DUSAGE_RENDERTARGET, "render target");
    if (!sWhy.empty()) return Refuse(sWhy);
    m_apRenderTargets[RenderTargetIndex] = pRenderTarget;
    auto* pTarget = static_cast<CFakeSurface*>(pRenderTarget);
    if (RenderTargetIndex == 0) {
        // As on hardware: the viewport becomes the whole new target.
        m_viewport = D3DVIEWPORT9{0, 0, pTarget->Width(), pTarget->Height(), 0.0f, 1.0f};
        m_rcScissor = RECT{0, 0, LONG(pTarget->Width()), LONG(pTarget->Height())};
    }
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
    if (ppRenderTarget) *ppRenderTarget = nullptr;
    HRESULT hr = Enter("GetRenderTarget", {RenderTargetIndex});
    if (FAILED(hr)) return hr;
    if (!ppRenderTarget) return Refuse("no pointer for the surface");
    if (RenderTargetIndex >= m_caps.NumSimultaneousRTs || RenderTargetIndex >= 4)
        return Refuse("render target " + Num(RenderTargetIndex) + " of " + Num(m_caps.NumSimultaneousRTs));
    if (!m_apRenderTargets[RenderTargetIndex]) return Refuse("no render target set there", D3DERR_NOTFOUND);
    *ppRenderTarget = m_apRenderTargets[RenderTargetIndex];
    (*ppRenderTarget)->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
    HRESULT hr = Enter("SetDepthStencilSurface", {P(pNewZStencil)});
    if (FAILED(hr)) return hr;
    const std::string sWhy = SurfaceProblem(pNewZStencil, D3DUSAGE_DEPTHSTENCIL, "depth buffer");
    if (!sWhy.empty()) return Refuse(sWhy);
    m_pCurrentDepthStencil = pNewZStencil;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
    if (ppZStencilSurface) *ppZStencilSurface = nullptr;
    HRESULT hr = Enter("GetDepthStencilSurface", {});
    if (FAILED(hr)) return hr;
    if (!ppZStencilSurface) return Refuse("no pointer for the surface");
    if (!m_pCurrentDepthStencil) return Refuse("no depth buffer set", D3DERR_NOTFOUND);
    *ppZStencilSurface = m_pCurrentDepthStencil;
    m_pCurrentDepthStencil->AddRef();
    return Leave(D3D_OK);
}

// --- scenes and clearing --------------------------------------------------------------

HRESULT CFakeDevice::BeginScene() {
    HRESULT hr = Enter("BeginScene", {});
    if (FAILED(hr)) return hr;
    if (m_bInScene) return Refuse("already between BeginScene and EndScene");
    m_bInScene = true;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::EndScene() {
    HRESULT hr = Enter("EndScene", {});
    if (FAILED(hr)) return hr;
    if (!m_bInScene) return Refuse("no scene was begun");
    m_bInScene = false;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                           DWORD stencil) {
    HRESULT hr = Enter("Clear", {rect_count, P(rects), flags, color, stencil}, {z});
    if (FAILED(hr)) return hr;
    constexpr DWORD kAll = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (rect_count && !rects) return Refuse(Num(rect_count) + " rectangles but no array");
    if (!(flags & kAll) || (flags & ~kAll)) return Refuse("flags " + Hex(flags));
    std::string sWhy = SurfaceProblem(m_apRenderTargets[0], 0, "render target");
    if (!sWhy.empty()) return Refuse(sWhy);
    if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) {
        if (!m_pCurrentDepthStencil) return Refuse("depth or stencil cleared without a depth buffer");
        sWhy = SurfaceProblem(m_pCurrentDepthStencil, 0, "depth buffer");
        if (!sWhy.empty()) return Refuse(sWhy);
        if ((flags & D3DCLEAR_STENCIL) && !HasStencil(static_cast<CFakeSurface*>(m_pCurrentDepthStencil)->Format()))
            return Refuse("stencil cleared on a depth buffer without stencil");
        if (DepthSmallerThanTarget()) return Refuse("the depth buffer is smaller than the render target");
    }
    return Leave(D3D_OK);
}

// --- transforms, viewport, material, lights, clipping ---------------------------------

HRESULT CFakeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    HRESULT hr = Enter("SetTransform", {uint64_t(state)});
    if (FAILED(hr)) return hr;
    if (!matrix) return Refuse("no matrix");
    m_pState->Last().matrix = *matrix;
    m_mapTransforms[state] = *matrix;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    HRESULT hr = Enter("GetTransform", {uint64_t(State)});
    if (FAILED(hr)) return hr;
    if (!pMatrix) return Refuse("no matrix to fill");
    *pMatrix = Transform(State);
    return Leave(D3D_OK);
}

// The device's matrix becomes matrix * current, as Direct3D defines it.
HRESULT CFakeDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    HRESULT hr = Enter("MultiplyTransform", {uint64_t(state)});
    if (FAILED(hr)) return hr;
    if (!matrix) return Refuse("no matrix");
    m_pState->Last().matrix = *matrix;
    m_mapTransforms[state] = Multiply(*matrix, Transform(state));
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    HRESULT hr = viewport ? Enter("SetViewport", {viewport->X, viewport->Y, viewport->Width, viewport->Height},
                                  {viewport->MinZ, viewport->MaxZ})
                          : Enter("SetViewport", {});
    if (FAILED(hr)) return hr;
    if (!viewport) return Refuse("no viewport");
    m_viewport = *viewport;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetViewport(D3DVIEWPORT9* pViewport) {
    HRESULT hr = Enter("GetViewport", {});
    if (FAILED(hr)) return hr;
    if (!pViewport) return Refuse("no viewport to fill");
    *pViewport = m_viewport;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetMaterial(const D3DMATERIAL9* material) {
    HRESULT hr = Enter("SetMaterial", {});
    if (FAILED(hr)) return hr;
    if (!material) return Refuse("no material");
    m_pState->Last().material = *material;
    m_material = *material;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetMaterial(D3DMATERIAL9* pMaterial) {
    HRESULT hr = Enter("GetMaterial", {});
    if (FAILED(hr)) return hr;
    if (!pMaterial) return Refuse("no material to fill");
    *pMaterial = m_material;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    HRESULT hr = Enter("SetLight", {index});
    if (FAILED(hr)) return hr;
    if (!light) return Refuse("no light");
    m_mapLights[index] = *light;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetLight(DWORD Index, D3DLIGHT9* pLight) {
    HRESULT hr = Enter("GetLight", {Index});
    if (FAILED(hr)) return hr;
    auto it = m_mapLights.find(Index);
    if (!pLight || it == m_mapLights.end()) return Refuse("light " + Num(Index) + " was never set");
    *pLight = it->second;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::LightEnable(DWORD Index, WINBOOL Enable) {
    HRESULT hr = Enter("LightEnable", {Index, uint64_t(Enable)});
    if (FAILED(hr)) return hr;
    m_mapLightEnabled[Index] = Enable;
    if (!m_mapLights.count(Index)) m_mapLights[Index] = D3DLIGHT9{};  // a default light, as on hardware
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetLightEnable(DWORD Index, WINBOOL* pEnable) {
    HRESULT hr = Enter("GetLightEnable", {Index});
    if (FAILED(hr)) return hr;
    auto it = m_mapLightEnabled.find(Index);
    if (!pEnable || it == m_mapLightEnabled.end()) return Refuse("light " + Num(Index) + " was never set");
    *pEnable = it->second;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetClipPlane(DWORD index, const float* plane) {
    HRESULT hr = Enter("SetClipPlane", {index});
    if (FAILED(hr)) return hr;
    if (!plane || index >= m_caps.MaxUserClipPlanes) return Refuse("plane " + Num(index) + " or no plane");
    m_mapClipPlanes[index].assign(plane, plane + 4);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetClipPlane(DWORD Index, float* pPlane) {
    HRESULT hr = Enter("GetClipPlane", {Index});
    if (FAILED(hr)) return hr;
    if (!pPlane || Index >= m_caps.MaxUserClipPlanes) return Refuse("plane " + Num(Index) + " or no plane");
    auto it = m_mapClipPlanes.find(Index);
    for (int i = 0; i < 4; ++i) pPlane[i] = it != m_mapClipPlanes.end() ? it->second[i] : 0.0f;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetClipStatus(const D3DCLIPSTATUS9* clip_status) {
    HRESULT hr = Enter("SetClipStatus", {});
    if (FAILED(hr)) return hr;
    if (!clip_status) return Refuse("no clip status");
    m_clipStatus = *clip_status;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetClipStatus(D3DCLIPSTATUS9* pClipStatus) {
    HRESULT hr = Enter("GetClipStatus", {});
    if (FAILED(hr)) return hr;
    if (!pClipStatus) return Refuse("no clip status to fill");
    *pClipStatus = m_clipStatus;
    return Leave(D3D_OK);
}

// --- states ----------------------------------------------------------------------------

HRESULT CFakeDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    HRESULT hr = Enter("SetRenderState", {uint64_t(State), Value});
    if (FAILED(hr)) return hr;
    if (State < D3DRS_ZENABLE || State > D3DRS_BLENDOPALPHA) return Refuse("render state " + Num(State));
    m_mapRenderStates[State] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    HRESULT hr = Enter("GetRenderState", {uint64_t(State)});
    if (FAILED(hr)) return hr;
    if (!pValue) return Refuse("no value to fill");
    *pValue = RenderState(State);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** ppSB) {
    return Unsupported("CreateStateBlock", ppSB);
}

HRESULT CFakeDevice::BeginStateBlock() { return Unsupported("BeginStateBlock"); }

HRESULT CFakeDevice::EndStateBlock(IDirect3DStateBlock9** ppSB) { return Unsupported("EndStateBlock", ppSB); }

HRESULT CFakeDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
    if (ppTexture) *ppTexture = nullptr;
    HRESULT hr = Enter("GetTexture", {Stage});
    if (FAILED(hr)) return hr;
    if (!ppTexture || !IsSampler(Stage)) return Refuse("stage " + Num(Stage) + " or no pointer");
    *ppTexture = BoundTexture(Stage);
    if (*ppTexture) (*ppTexture)->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
    HRESULT hr = Enter("SetTexture", {Stage, P(pTexture)});
    if (FAILED(hr)) return hr;
    if (!IsSampler(Stage)) return Refuse("stage " + Num(Stage));
    if (auto* p = static_cast<CFakeTexture*>(pTexture)) {
        if (p->IsReleased()) return Refuse("the texture was released");
        if (p->Pool() == D3DPOOL_SCRATCH) return Refuse("scratch textures cannot be set");
        if (p->Pool() == D3DPOOL_SYSTEMMEM && !(m_caps.DevCaps & D3DDEVCAPS_TEXTURESYSTEMMEMORY))
            return Refuse("system-memory textures are not in the device's caps");
    }
    m_mapTextures[Stage] = pTexture;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
    HRESULT hr = Enter("GetTextureStageState", {Stage, uint64_t(Type)});
    if (FAILED(hr)) return hr;
    if (!pValue || Stage >= m_caps.MaxTextureBlendStages) return Refuse("stage " + Num(Stage) + " or no value");
    *pValue = TextureStageState(Stage, Type);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    HRESULT hr = Enter("SetTextureStageState", {Stage, uint64_t(Type), Value});
    if (FAILED(hr)) return hr;
    if (Stage >= m_caps.MaxTextureBlendStages) return Refuse("stage " + Num(Stage));
    if (Type < D3DTSS_COLOROP || Type > D3DTSS_CONSTANT) return Refuse("stage state " + Num(Type));
    m_mapStageStates[{Stage, DWORD(Type)}] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
    HRESULT hr = Enter("GetSamplerState", {Sampler, uint64_t(Type)});
    if (FAILED(hr)) return hr;
    if (!pValue || !IsSampler(Sampler)) return Refuse("sampler " + Num(Sampler) + " or no value");
    *pValue = SamplerState(Sampler, Type);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    HRESULT hr = Enter("SetSamplerState", {Sampler, uint64_t(Type), Value});
    if (FAILED(hr)) return hr;
    if (!IsSampler(Sampler)) return Refuse("sampler " + Num(Sampler));
    if (Type < D3DSAMP_ADDRESSU || Type > D3DSAMP_DMAPOFFSET) return Refuse("sampler state " + Num(Type));
    m_mapSamplerStates[{Sampler, DWORD(Type)}] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::ValidateDevice(DWORD* pNumPasses) {
    HRESULT hr = Enter("ValidateDevice", {});
    if (FAILED(hr)) return hr;
    if (!pNumPasses) return Refuse("no pass count to fill");
    *pNumPasses = 1;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetPaletteEntries(UINT, const PALETTEENTRY*) { return Unsupported("SetPaletteEntries"); }
HRESULT CFakeDevice::GetPaletteEntries(UINT, PALETTEENTRY*) { return Unsupported("GetPaletteEntries"); }
HRESULT CFakeDevice::SetCurrentTexturePalette(UINT) { return Unsupported("SetCurrentTexturePalette"); }
HRESULT CFakeDevice::GetCurrentTexturePalette(UINT*) { return Unsupported("GetCurrentTexturePalette"); }

HRESULT CFakeDevice::SetScissorRect(const RECT* rect) {
    HRESULT hr = Enter("SetScissorRect", {P(rect)});
    if (FAILED(hr)) return hr;
    if (!rect) return Refuse("no rectangle");
    m_rcScissor = *rect;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetScissorRect(RECT* pRect) {
    HRESULT hr = Enter("GetScissorRect", {});
    if (FAILED(hr)) return hr;
    if (!pRect) return Refuse("no rectangle to fill");
    *pRect = m_rcScissor;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetSoftwareVertexProcessing(WINBOOL bSoftware) {
    HRESULT hr = Enter("SetSoftwareVertexProcessing", {uint64_t(bSoftware)});
    if (FAILED(hr)) return hr;
    m_bSoftwareVP = bSoftware != FALSE;
    return Leave(D3D_OK);
}

WINBOOL CFakeDevice::GetSoftwareVertexProcessing() {
    Enter("GetSoftwareVertexProcessing", {});
    return m_bSoftwareVP;
}

HRESULT CFakeDevice::SetNPatchMode(float nSegments) {
    HRESULT hr = Enter("SetNPatchMode", {}, {nSegments});
    if (FAILED(hr)) return hr;
    m_fNPatchSegments = nSegments;
    return Leave(D3D_OK);
}

float CFakeDevice::GetNPatchMode() {
    Enter("GetNPatchMode", {});
    return m_fNPatchSegments;
}

// --- drawing ------------------------------------------------------------------------------

// What every draw needs: a scene, a vertex format with a position, a live
// render target, a depth buffer at least as large when depth testing is on,
// and live textures on the enabled stages, none of them the render target.
std::string CFakeDevice::DrawProblem(D3DPRIMITIVETYPE type, UINT nPrimitives) const {
    if (!m_bInScene) return "drawn outside BeginScene/EndScene";
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return "primitive type " + Num(type);
    if (nPrimitives > m_caps.MaxPrimitiveCount)
        return Num(nPrimitives) + " primitives, more than the device's " + Num(m_caps.MaxPrimitiveCount);
    if (!m_dwFVF) return "no vertex format set";
    if (!FakeFvfSize(m_dwFVF)) return "vertex format " + Hex(m_dwFVF) + " has no position";
    std::string sWhy = SurfaceProblem(m_apRenderTargets[0], 0, "render target");
    if (!sWhy.empty()) return sWhy;
    if (RenderState(D3DRS_ZENABLE) != D3DZB_FALSE && DepthSmallerThanTarget())
        return "depth testing with a depth buffer smaller than the render target";
    for (DWORD nStage = 0; nStage < 8 && TextureStageState(nStage, D3DTSS_COLOROP) != D3DTOP_DISABLE; ++nStage) {
        auto* pTexture = static_cast<CFakeTexture*>(BoundTexture(nStage));
        if (!pTexture) continue;
        if (pTexture->IsReleased()) return "stage " + Num(nStage) + " samples a released texture";
        for (DWORD i = 0; i < pTexture->GetLevelCount(); ++i)
            if (pTexture->Level(i) == m_apRenderTargets[0])
                return "stage " + Num(nStage) + " samples the texture it renders into";
    }
    return {};
}

// Stream 0 must hold a live, unlocked buffer whose stride is the vertex
// size of the format, with vertices nFirst .. nFirst + nCount - 1 in it.
std::string CFakeDevice::StreamProblem(UINT nFirst, UINT nCount) const {
    auto it = m_mapStreams.find(0);
    if (it == m_mapStreams.end() || !it->second.pBuffer) return "no vertex buffer on stream 0";
    const CStream& s = it->second;
    auto* pBuffer = static_cast<CFakeVertexBuffer*>(s.pBuffer);
    if (pBuffer->IsReleased()) return "stream 0's vertex buffer was released";
    if (pBuffer->IsLocked()) return "stream 0's vertex buffer is still locked";
    const UINT nSize = FakeFvfSize(m_dwFVF);
    if (s.nStride != nSize)
        return "stream 0's stride " + Num(s.nStride) + " is not the " + Num(nSize) + " bytes of vertex format " +
               Hex(m_dwFVF);
    const uint64_t nHeld = s.nOffset >= pBuffer->Length() ? 0 : (pBuffer->Length() - s.nOffset) / s.nStride;
    if (uint64_t(nFirst) + nCount > nHeld)
        return "vertices " + Num(nFirst) + " to " + Num(uint64_t(nFirst) + nCount - 1) + " but stream 0 holds " +
               Num(nHeld);
    return {};
}

// Indices nStart .. nStart + nIndices - 1 must lie in the live, unlocked
// index buffer and each must name a vertex of MinVertexIndex .. MinVertexIndex
// + NumVertices - 1, all of which (from BaseVertexIndex) stream 0 must hold.
std::string CFakeDevice::IndexProblem(INT nBase, UINT nMin, UINT nCount, UINT nStart, UINT nIndices) const {
    if (!m_pIndices) return "no index buffer set";
    auto* pIndices = static_cast<CFakeIndexBuffer*>(m_pIndices);
    if (pIndices->IsReleased()) return "the index buffer was released";
    if (pIndices->IsLocked()) return "the index buffer is still locked";
    const uint64_t nHeld = pIndices->Length() / pIndices->IndexSize();
    if (uint64_t(nStart) + nIndices > nHeld)
        return "indices " + Num(nStart) + " to " + Num(uint64_t(nStart) + nIndices - 1) + " but the index buffer holds " +
               Num(nHeld);
    if (int64_t(nBase) + nMin < 0) return "BaseVertexIndex + MinVertexIndex is below 0";
    std::string sWhy = StreamProblem(UINT(int64_t(nBase) + nMin), nCount);
    if (!sWhy.empty()) return sWhy;
    for (UINT i = nStart; i < nStart + nIndices; ++i) {
        const UINT n = pIndices->Index(i);
        if (n < nMin || uint64_t(n) >= uint64_t(nMin) + nCount)
            return "index " + Num(i) + " is " + Num(n) + ", outside the declared vertices " + Num(nMin) + " to " +
                   Num(uint64_t(nMin) + nCount - 1);
    }
    return {};
}

HRESULT CFakeDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
    HRESULT hr = Enter("DrawPrimitive", {uint64_t(PrimitiveType), StartVertex, PrimitiveCount});
    if (FAILED(hr)) return hr;
    std::string sWhy = DrawProblem(PrimitiveType, PrimitiveCount);
    if (sWhy.empty()) sWhy = StreamProblem(StartVertex, FakeVertexCount(PrimitiveType, PrimitiveCount));
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

HRESULT CFakeDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                          UINT NumVertices, UINT startIndex, UINT primCount) {
    HRESULT hr = Enter("DrawIndexedPrimitive", {uint64_t(PrimitiveType), uint64_t(int64_t(BaseVertexIndex)),
                                                MinVertexIndex, NumVertices, startIndex, primCount});
    if (FAILED(hr)) return hr;
    std::string sWhy = DrawProblem(PrimitiveType, primCount);
    if (sWhy.empty() && PrimitiveType == D3DPT_POINTLIST) sWhy = "point lists cannot be drawn indexed";
    if (sWhy.empty())
        sWhy = IndexProblem(BaseVertexIndex, MinVertexIndex, NumVertices, startIndex,
                            FakeVertexCount(PrimitiveType, primCount));
    return sWhy.empty() ? Leave(D3D_OK) : Refuse(sWhy);
}

// The vertex data is copied into the log. As on hardware, stream 0 is unset afterwards.
HRESULT CFakeDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE primitive_type, UINT primitive_count, const void* data,
                                     UINT stride) {
    HRESULT hr = Enter("DrawPrimitiveUP", {uint64_t(primitive_type), primitive_count, P(data), stride});
    if (FAILED(hr)) return hr;
    std::string sWhy = DrawProblem(primitive_type, primitive_count);
    if (sWhy.empty() && !data) sWhy = "no vertex data";
    if (sWhy.empty() && stride != FakeFvfSize(m_dwFVF))
        sWhy = "stride " + Num(stride) + " is not the " + Num(FakeFvfSize(m_dwFVF)) + " bytes of the vertex format";
    if (!sWhy.empty()) return Refuse(sWhy);
    RecordDrawData(data, FakeVertexCount(primitive_type, primitive_count) * stride);
    m_mapStreams[0] = CStream{};
    return Leave(D3D_OK);
}

// The vertices from 0 to min + count, then the indices, are copied into the log.
HRESULT CFakeDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitive_type, UINT min_vertex_idx, UINT vertex_count,
                                            UINT primitive_count, const void* index_data, D3DFORMAT index_format,
                                            const void* data, UINT stride) {
    HRESULT hr = Enter("DrawIndexedPrimitiveUP", {uint64_t(primitive_type), min_vertex_idx, vertex_count,
                                                  primitive_count, P(index_data), uint64_t(index_format), P(data),
                                                  stride});
    if (FAILED(hr)) return hr;
    std::string sWhy = DrawProblem(primitive_type, primitive_count);
    if (sWhy.empty() && (!data || !index_data)) sWhy = "no vertex or index data";
    if (sWhy.empty() && index_format != D3DFMT_INDEX16 && index_format != D3DFMT_INDEX32)
        sWhy = "index format " + Num(index_format);
    if (sWhy.empty() && stride != FakeFvfSize(m_dwFVF))
        sWhy = "stride " + Num(stride) + " is not the " + Num(FakeFvfSize(m_dwFVF)) + " bytes of the vertex format";
    const UINT nIndices = FakeVertexCount(primitive_type, primitive_count);
    const UINT nIndexSize = index_format == D3DFMT_INDEX16 ? 2 : 4;
    for (UINT i = 0; sWhy.empty() && i < nIndices; ++i) {
        UINT n = 0;
        std::memcpy(&n, static_cast<const unsigned char*>(index_data) + size_t(i) * nIndexSize, nIndexSize);
        if (n < min_vertex_idx || uint64_t(n) >= uint64_t(min_vertex_idx) + vertex_count)
            sWhy = "index " + Num(i) + " is " + Num(n) + ", outside the declared vertices";
    }
    if (!sWhy.empty()) return Refuse(sWhy);
    RecordDrawData(data, (min_vertex_idx + vertex_count) * stride);
    RecordDrawData(index_data, nIndices * nIndexSize);
    m_mapStreams[0] = CStream{};
    m_pIndices = nullptr;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*, IDirect3DVertexDeclaration9*, DWORD) {
    return Unsupported("ProcessVertices");
}

// --- vertex formats and shaders (only the fixed-function pipeline is offered) ---------

HRESULT CFakeDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9** declaration) {
    return Unsupported("CreateVertexDeclaration", declaration);
}

HRESULT CFakeDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) {
    HRESULT hr = Enter("SetVertexDeclaration", {P(pDecl)});
    if (FAILED(hr)) return hr;
    return pDecl ? Refuse("vertex declarations are not offered") : Leave(D3D_OK);
}

HRESULT CFakeDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) {
    if (ppDecl) *ppDecl = nullptr;
    HRESULT hr = Enter("GetVertexDeclaration", {});
    if (FAILED(hr)) return hr;
    return ppDecl ? Leave(D3D_OK) : Refuse("no pointer to fill");
}

HRESULT CFakeDevice::SetFVF(DWORD FVF) {
    HRESULT hr = Enter("SetFVF", {FVF});
    if (FAILED(hr)) return hr;
    m_dwFVF = FVF;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetFVF(DWORD* pFVF) {
    HRESULT hr = Enter("GetFVF", {});
    if (FAILED(hr)) return hr;
    if (!pFVF) return Refuse("no value to fill");
    *pFVF = m_dwFVF;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateVertexShader(const DWORD*, IDirect3DVertexShader9** shader) {
    return Unsupported("CreateVertexShader", shader);
}

HRESULT CFakeDevice::SetVertexShader(IDirect3DVertexShader9* pShader) {
    HRESULT hr = Enter("SetVertexShader", {P(pShader)});
    if (FAILED(hr)) return hr;
    return pShader ? Refuse("shaders are not offered") : Leave(D3D_OK);
}

HRESULT CFakeDevice::GetVertexShader(IDirect3DVertexShader9** ppShader) {
    if (ppShader) *ppShader = nullptr;
    HRESULT hr = Enter("GetVertexShader", {});
    if (FAILED(hr)) return hr;
    return ppShader ? Leave(D3D_OK) : Refuse("no pointer to fill");
}

HRESULT CFakeDevice::SetVertexShaderConstantF(UINT, const float*, UINT) {
    return Unsupported("SetVertexShaderConstantF");
}
HRESULT CFakeDevice::GetVertexShaderConstantF(UINT, float*, UINT) { return Unsupported("GetVertexShaderConstantF"); }
HRESULT CFakeDevice::SetVertexShaderConstantI(UINT, const int*, UINT) {
    return Unsupported("SetVertexShaderConstantI");
}
HRESULT CFakeDevice::GetVertexShaderConstantI(UINT, int*, UINT) { return Unsupported("GetVertexShaderConstantI"); }
HRESULT CFakeDevice::SetVertexShaderConstantB(UINT, const WINBOOL*, UINT) {
    return Unsupported("SetVertexShaderConstantB");
}
HRESULT CFakeDevice::GetVertexShaderConstantB(UINT, WINBOOL*, UINT) { return Unsupported("GetVertexShaderConstantB"); }

// --- streams and indices -------------------------------------------------------------------

HRESULT CFakeDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                     UINT Stride) {
    HRESULT hr = Enter("SetStreamSource", {StreamNumber, P(pStreamData), OffsetInBytes, Stride});
    if (FAILED(hr)) return hr;
    if (StreamNumber >= m_caps.MaxStreams) return Refuse("stream " + Num(StreamNumber));
    if (pStreamData && static_cast<CFakeVertexBuffer*>(pStreamData)->IsReleased())
        return Refuse("the vertex buffer was released");
    if (Stride > m_caps.MaxStreamStride) return Refuse("stride " + Num(Stride) + " above the device's maximum");
    if (OffsetInBytes && !(m_caps.DevCaps2 & D3DDEVCAPS2_STREAMOFFSET))
        return Refuse("stream offsets are not in the device's caps");
    CStream& s = m_mapStreams[StreamNumber];
    s.pBuffer = pStreamData;
    s.nOffset = OffsetInBytes;
    s.nStride = Stride;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* OffsetInBytes,
                                     UINT* pStride) {
    if (ppStreamData) *ppStreamData = nullptr;
    HRESULT hr = Enter("GetStreamSource", {StreamNumber});
    if (FAILED(hr)) return hr;
    if (!ppStreamData || !OffsetInBytes || !pStride || StreamNumber >= m_caps.MaxStreams)
        return Refuse("stream " + Num(StreamNumber) + " or a missing pointer");
    const CStream s = m_mapStreams.count(StreamNumber) ? m_mapStreams[StreamNumber] : CStream{};
    *ppStreamData = s.pBuffer;
    if (s.pBuffer) s.pBuffer->AddRef();
    *OffsetInBytes = s.nOffset;
    *pStride = s.nStride;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetStreamSourceFreq(UINT StreamNumber, UINT Divider) {
    HRESULT hr = Enter("SetStreamSourceFreq", {StreamNumber, Divider});
    if (FAILED(hr)) return hr;
    if (StreamNumber >= m_caps.MaxStreams) return Refuse("stream " + Num(StreamNumber));
    m_mapStreams[StreamNumber].nFreq = Divider;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetStreamSourceFreq(UINT StreamNumber, UINT* Divider) {
    HRESULT hr = Enter("GetStreamSourceFreq", {StreamNumber});
    if (FAILED(hr)) return hr;
    if (!Divider || StreamNumber >= m_caps.MaxStreams) return Refuse("stream " + Num(StreamNumber) + " or no value");
    *Divider = m_mapStreams.count(StreamNumber) ? m_mapStreams[StreamNumber].nFreq : 1;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    HRESULT hr = Enter("SetIndices", {P(pIndexData)});
    if (FAILED(hr)) return hr;
    if (pIndexData && static_cast<CFakeIndexBuffer*>(pIndexData)->IsReleased())
        return Refuse("the index buffer was released");
    m_pIndices = pIndexData;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
    if (ppIndexData) *ppIndexData = nullptr;
    HRESULT hr = Enter("GetIndices", {});
    if (FAILED(hr)) return hr;
    if (!ppIndexData) return Refuse("no pointer to fill");
    *ppIndexData = m_pIndices;
    if (m_pIndices) m_pIndices->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreatePixelShader(const DWORD*, IDirect3DPixelShader9** shader) {
    return Unsupported("CreatePixelShader", shader);
}

HRESULT CFakeDevice::SetPixelShader(IDirect3DPixelShader9* pShader) {
    HRESULT hr = Enter("SetPixelShader", {P(pShader)});
    if (FAILED(hr)) return hr;
    return pShader ? Refuse("shaders are not offered") : Leave(D3D_OK);
}

HRESULT CFakeDevice::GetPixelShader(IDirect3DPixelShader9** ppShader) {
    if (ppShader) *ppShader = nullptr;
    HRESULT hr = Enter("GetPixelShader", {});
    if (FAILED(hr)) return hr;
    return ppShader ? Leave(D3D_OK) : Refuse("no pointer to fill");
}

HRESULT CFakeDevice::SetPixelShaderConstantF(UINT, const float*, UINT) { return Unsupported("SetPixelShaderConstantF"); }
HRESULT CFakeDevice::GetPixelShaderConstantF(UINT, float*, UINT) { return Unsupported("GetPixelShaderConstantF"); }
HRESULT CFakeDevice::SetPixelShaderConstantI(UINT, const int*, UINT) { return Unsupported("SetPixelShaderConstantI"); }
HRESULT CFakeDevice::GetPixelShaderConstantI(UINT, int*, UINT) { return Unsupported("GetPixelShaderConstantI"); }
HRESULT CFakeDevice::SetPixelShaderConstantB(UINT, const WINBOOL*, UINT) {
    return Unsupported("SetPixelShaderConstantB");
}
HRESULT CFakeDevice::GetPixelShaderConstantB(UINT, WINBOOL*, UINT) { return Unsupported("GetPixelShaderConstantB"); }

HRESULT CFakeDevice::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
    return Unsupported("DrawRectPatch");
}
HRESULT CFakeDevice::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) { return Unsupported("DrawTriPatch"); }
HRESULT CFakeDevice::DeletePatch(UINT) { return Unsupported("DeletePatch"); }

HRESULT CFakeDevice::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9** ppQuery) {
    return Unsupported("CreateQuery", ppQuery, D3DERR_NOTAVAILABLE);
}
