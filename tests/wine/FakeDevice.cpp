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

DWORD CFakeTexture::GetLevelCount() {
    Alive("GetLevelCount");
    return DWORD(m_vLevels.size());
}

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

HRESULT CFakeDevice::QueryInterface(REFIID riid, void** ppv) { return FakeQueryInterface<IDirect3DDevice9>(this, riid, ppv); }

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

// --- states ----------------------------------------------------------------------------

HRESULT CFakeDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    HRESULT hr = Enter("SetRenderState", {uint64_t(State), Value});
    if (FAILED(hr)) return hr;
    if (State < D3DRS_ZENABLE || State > D3DRS_BLENDOPALPHA) return Refuse("render state " + Num(State));
    m_mapRenderStates[State] = Value;
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

HRESULT CFakeDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    HRESULT hr = Enter("SetTextureStageState", {Stage, uint64_t(Type), Value});
    if (FAILED(hr)) return hr;
    if (Stage >= m_caps.MaxTextureBlendStages) return Refuse("stage " + Num(Stage));
    if (Type < D3DTSS_COLOROP || Type > D3DTSS_CONSTANT) return Refuse("stage state " + Num(Type));
    m_mapStageStates[{Stage, DWORD(Type)}] = Value;
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

// --- vertex formats and shaders (only the fixed-function pipeline is offered) ---------

HRESULT CFakeDevice::SetFVF(DWORD FVF) {
    HRESULT hr = Enter("SetFVF", {FVF});
    if (FAILED(hr)) return hr;
    m_dwFVF = FVF;
    return Leave(D3D_OK);
}

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

HRESULT CFakeDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    HRESULT hr = Enter("SetIndices", {P(pIndexData)});
    if (FAILED(hr)) return hr;
    if (pIndexData && static_cast<CFakeIndexBuffer*>(pIndexData)->IsReleased())
        return Refuse("the index buffer was released");
    m_pIndices = pIndexData;
    return Leave(D3D_OK);
}
