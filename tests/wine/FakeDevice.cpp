#include "FakeDevice.h"

#include <algorithm>
#include <cstring>

namespace {

uint64_t P(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

bool IsBlockFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
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

}  // namespace

// --- shared state ---------------------------------------------------------------

HRESULT CFakeState::Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                          std::initializer_list<float> floats) {
    CFakeCall call;
    call.sMethod = pszMethod;
    call.vArgs = args;
    call.vFloats = floats;
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

UINT FakeFormatPitch(D3DFORMAT format, UINT nWidth) {
    if (IsBlockFormat(format)) return std::max(1u, (nWidth + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return nWidth * BytesPerPixel(format);
}

UINT FakeFormatRows(D3DFORMAT format, UINT nHeight) {
    return IsBlockFormat(format) ? std::max(1u, (nHeight + 3) / 4) : nHeight;
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
CFakeResource<TInterface>::CFakeResource(CFakeDevice* pDevice, CFakeStatePtr pState, D3DRESOURCETYPE type,
                                         DWORD dwUsage, D3DPOOL pool)
    : m_pDevice(pDevice), m_pState(std::move(pState)), m_type(type), m_dwUsage(dwUsage), m_pool(pool) {
    ++m_pState->m_nLiveResources;
    if (m_pool == D3DPOOL_DEFAULT) ++m_pState->m_nLiveDefaultPool;
}

template <class TInterface>
CFakeResource<TInterface>::~CFakeResource() {
    if (m_bCounted) --m_pState->m_nLiveResources;
    if (m_pool == D3DPOOL_DEFAULT) --m_pState->m_nLiveDefaultPool;
}

template <class TInterface>
bool CFakeResource<TInterface>::HasInterface(REFIID riid) const {
    return riid == __uuidof(IUnknown) || riid == __uuidof(IDirect3DResource9) || riid == __uuidof(TInterface);
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!HasInterface(riid)) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
}

template <class TInterface>
ULONG CFakeResource<TInterface>::Release() {
    ULONG n = --m_nRefs;
    if (n == 0) delete this;
    return n;
}

template <class TInterface>
HRESULT CFakeResource<TInterface>::GetDevice(IDirect3DDevice9** ppDevice) {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    *ppDevice = m_pDevice;
    m_pDevice->AddRef();
    return D3D_OK;
}

template <class TInterface>
DWORD CFakeResource<TInterface>::SetPriority(DWORD dwPriority) {
    DWORD dwOld = m_dwPriority;
    m_dwPriority = dwPriority;
    return dwOld;
}

template <class TInterface>
CFakeBuffer<TInterface>::CFakeBuffer(CFakeDevice* pDevice, CFakeStatePtr pState, const char* pszName,
                                     D3DRESOURCETYPE type, UINT nLength, DWORD dwUsage, D3DPOOL pool)
    : CFakeResource<TInterface>(pDevice, std::move(pState), type, dwUsage, pool),
      m_sLock(std::string(pszName) + ".Lock"),
      m_sUnlock(std::string(pszName) + ".Unlock"),
      m_vData(nLength, 0) {}

template <class TInterface>
HRESULT CFakeBuffer<TInterface>::Lock(UINT nOffset, UINT nSize, void** ppData, DWORD dwFlags) {
    HRESULT hr = this->m_pState->Enter(m_sLock.c_str(), {nOffset, nSize, dwFlags});
    if (ppData) *ppData = nullptr;
    if (FAILED(hr)) return hr;
    UINT nLength = UINT(m_vData.size());
    if (nSize == 0 && nOffset == 0) nSize = nLength;
    if (!ppData || nOffset > nLength || nSize > nLength - nOffset) return this->m_pState->Leave(D3DERR_INVALIDCALL);
    *ppData = m_vData.data() + nOffset;
    ++m_nLocks;
    ++m_nLockCalls;
    return this->m_pState->Leave(D3D_OK);
}

template <class TInterface>
HRESULT CFakeBuffer<TInterface>::Unlock() {
    HRESULT hr = this->m_pState->Enter(m_sUnlock.c_str(), {});
    if (FAILED(hr)) return hr;
    if (m_nLocks == 0) return this->m_pState->Leave(D3DERR_INVALIDCALL);
    --m_nLocks;
    return this->m_pState->Leave(D3D_OK);
}

CFakeVertexBuffer::CFakeVertexBuffer(CFakeDevice* pDevice, CFakeStatePtr pState, UINT nLength, DWORD dwUsage,
                                     DWORD dwFVF, D3DPOOL pool)
    : CFakeBuffer(pDevice, std::move(pState), "VertexBuffer", D3DRTYPE_VERTEXBUFFER, nLength, dwUsage, pool),
      m_dwFVF(dwFVF) {}

HRESULT CFakeVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
    if (!pDesc) return D3DERR_INVALIDCALL;
    pDesc->Format = D3DFMT_VERTEXDATA;
    pDesc->Type = D3DRTYPE_VERTEXBUFFER;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Size = UINT(m_vData.size());
    pDesc->FVF = m_dwFVF;
    return D3D_OK;
}

CFakeIndexBuffer::CFakeIndexBuffer(CFakeDevice* pDevice, CFakeStatePtr pState, UINT nLength, DWORD dwUsage,
                                   D3DFORMAT format, D3DPOOL pool)
    : CFakeBuffer(pDevice, std::move(pState), "IndexBuffer", D3DRTYPE_INDEXBUFFER, nLength, dwUsage, pool),
      m_format(format) {}

HRESULT CFakeIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
    if (!pDesc) return D3DERR_INVALIDCALL;
    pDesc->Format = m_format;
    pDesc->Type = D3DRTYPE_INDEXBUFFER;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Size = UINT(m_vData.size());
    return D3D_OK;
}

CFakeSurface::CFakeSurface(CFakeDevice* pDevice, CFakeStatePtr pState, UINT nWidth, UINT nHeight,
                           D3DFORMAT format, DWORD dwUsage, D3DPOOL pool, CFakeTexture* pContainer, bool bLockable)
    : CFakeResource(pDevice, std::move(pState), D3DRTYPE_SURFACE, dwUsage, pool),
      m_nWidth(nWidth),
      m_nHeight(nHeight),
      m_format(format),
      m_nPitch(FakeFormatPitch(format, nWidth)),
      m_vData(size_t(m_nPitch) * FakeFormatRows(format, nHeight), 0),
      m_pContainer(pContainer),
      m_bLockable(bLockable) {
    if (m_pContainer) {
        m_bCounted = false;
        --m_pState->m_nLiveResources;
    }
}

void CFakeSurface::DetachContainer() {
    m_pContainer = nullptr;
    if (!m_bCounted && m_nRefs > 1) {
        m_bCounted = true;
        ++m_pState->m_nLiveResources;
    }
}

HRESULT CFakeSurface::GetContainer(REFIID riid, void** ppContainer) {
    if (!ppContainer) return D3DERR_INVALIDCALL;
    if (m_pContainer) return m_pContainer->QueryInterface(riid, ppContainer);
    return m_pDevice->QueryInterface(riid, ppContainer);
}

HRESULT CFakeSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (!pDesc) return D3DERR_INVALIDCALL;
    *pDesc = D3DSURFACE_DESC{};
    pDesc->Format = m_format;
    pDesc->Type = D3DRTYPE_SURFACE;
    pDesc->Usage = m_dwUsage;
    pDesc->Pool = m_pool;
    pDesc->Width = m_nWidth;
    pDesc->Height = m_nHeight;
    return D3D_OK;
}

HRESULT CFakeSurface::LockBits(D3DLOCKED_RECT* pLocked, const RECT* pRect) {
    if (!pLocked || m_bLocked) return D3DERR_INVALIDCALL;
    RECT rc{0, 0, LONG(m_nWidth), LONG(m_nHeight)};
    if (pRect) rc = *pRect;
    if (rc.left < 0 || rc.top < 0 || rc.left >= rc.right || rc.top >= rc.bottom || rc.right > LONG(m_nWidth) ||
        rc.bottom > LONG(m_nHeight))
        return D3DERR_INVALIDCALL;
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
    HRESULT hr = m_pState->Enter("Surface.LockRect", {P(pRect), dwFlags});
    if (FAILED(hr)) return hr;
    if (!m_bLockable) return m_pState->Leave(D3DERR_INVALIDCALL);
    return m_pState->Leave(LockBits(pLocked, pRect));
}

HRESULT CFakeSurface::UnlockRect() {
    HRESULT hr = m_pState->Enter("Surface.UnlockRect", {});
    if (FAILED(hr)) return hr;
    return m_pState->Leave(UnlockBits());
}

HRESULT CFakeSurface::GetDC(HDC* phdc) {
    if (phdc) *phdc = nullptr;
    return D3DERR_INVALIDCALL;
}

HRESULT CFakeSurface::ReleaseDC(HDC) { return D3DERR_INVALIDCALL; }

UINT CFakeTexture::FullChainLength(UINT nWidth, UINT nHeight) {
    UINT n = 1, nSize = std::max(nWidth, nHeight);
    while (nSize > 1) {
        nSize /= 2;
        ++n;
    }
    return n;
}

CFakeTexture::CFakeTexture(CFakeDevice* pDevice, CFakeStatePtr pState, UINT nWidth, UINT nHeight, UINT nLevels,
                           DWORD dwUsage, D3DFORMAT format, D3DPOOL pool)
    : CFakeResource(pDevice, pState, D3DRTYPE_TEXTURE, dwUsage, pool), m_format(format) {
    // Default-pool textures cannot be locked unless dynamic, as on hardware.
    bool bLockable = pool != D3DPOOL_DEFAULT || (dwUsage & D3DUSAGE_DYNAMIC);
    for (UINT i = 0; i < nLevels; ++i)
        m_vLevels.push_back(new CFakeSurface(pDevice, pState, std::max(1u, nWidth >> i), std::max(1u, nHeight >> i),
                                             format, dwUsage, pool, this, bLockable));
}

CFakeTexture::~CFakeTexture() {
    for (CFakeSurface* p : m_vLevels) {
        p->DetachContainer();
        p->Release();
    }
}

bool CFakeTexture::HasInterface(REFIID riid) const {
    return CFakeResource::HasInterface(riid) || riid == __uuidof(IDirect3DBaseTexture9);
}

DWORD CFakeTexture::SetLOD(DWORD dwLod) {
    DWORD dwOld = m_dwLod;
    if (m_pool == D3DPOOL_MANAGED) m_dwLod = std::min<DWORD>(dwLod, DWORD(m_vLevels.size()) - 1);
    return dwOld;
}

HRESULT CFakeTexture::SetAutoGenFilterType(D3DTEXTUREFILTERTYPE type) {
    m_filter = type;
    return D3D_OK;
}

void CFakeTexture::GenerateMipSubLevels() { m_pState->Enter("Texture.GenerateMipSubLevels", {}); }

HRESULT CFakeTexture::GetLevelDesc(UINT nLevel, D3DSURFACE_DESC* pDesc) {
    if (nLevel >= m_vLevels.size()) return D3DERR_INVALIDCALL;
    return m_vLevels[nLevel]->GetDesc(pDesc);
}

HRESULT CFakeTexture::GetSurfaceLevel(UINT nLevel, IDirect3DSurface9** ppSurface) {
    HRESULT hr = m_pState->Enter("Texture.GetSurfaceLevel", {nLevel});
    if (ppSurface) *ppSurface = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppSurface || nLevel >= m_vLevels.size()) return m_pState->Leave(D3DERR_INVALIDCALL);
    *ppSurface = m_vLevels[nLevel];
    (*ppSurface)->AddRef();
    return m_pState->Leave(D3D_OK);
}

HRESULT CFakeTexture::LockRect(UINT nLevel, D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) {
    HRESULT hr = m_pState->Enter("Texture.LockRect", {nLevel, P(pRect), dwFlags});
    if (FAILED(hr)) return hr;
    bool bLockable = m_pool != D3DPOOL_DEFAULT || (m_dwUsage & D3DUSAGE_DYNAMIC);
    if (nLevel >= m_vLevels.size() || !bLockable) return m_pState->Leave(D3DERR_INVALIDCALL);
    return m_pState->Leave(m_vLevels[nLevel]->LockBits(pLocked, pRect));
}

HRESULT CFakeTexture::UnlockRect(UINT nLevel) {
    HRESULT hr = m_pState->Enter("Texture.UnlockRect", {nLevel});
    if (FAILED(hr)) return hr;
    if (nLevel >= m_vLevels.size()) return m_pState->Leave(D3DERR_INVALIDCALL);
    return m_pState->Leave(m_vLevels[nLevel]->UnlockBits());
}

HRESULT CFakeTexture::AddDirtyRect(const RECT* pRect) {
    m_pState->Enter("Texture.AddDirtyRect", {P(pRect)});
    return m_pState->Leave(D3D_OK);
}

template class CFakeResource<IDirect3DVertexBuffer9>;
template class CFakeResource<IDirect3DIndexBuffer9>;
template class CFakeResource<IDirect3DSurface9>;
template class CFakeResource<IDirect3DTexture9>;
template class CFakeBuffer<IDirect3DVertexBuffer9>;
template class CFakeBuffer<IDirect3DIndexBuffer9>;

// --- device -----------------------------------------------------------------------

CFakeDevice::CFakeDevice() : m_pState(std::make_shared<CFakeState>()) {
    m_caps.DeviceType = D3DDEVTYPE_HAL;
    m_caps.Caps2 = D3DCAPS2_CANAUTOGENMIPMAP | D3DCAPS2_DYNAMICTEXTURES;
    m_caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    m_caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_DRAWPRIMTLVERTEX;
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
    m_displayMode = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
    m_pBackBuffer = new CFakeSurface(this, m_pState, 1024, 768, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                     D3DPOOL_DEFAULT, nullptr, false);
    m_pDepthStencil = new CFakeSurface(this, m_pState, 1024, 768, D3DFMT_D24S8, D3DUSAGE_DEPTHSTENCIL,
                                       D3DPOOL_DEFAULT, nullptr, false);
    m_nOwnResources = 2;
    m_apRenderTargets[0] = m_pBackBuffer;
    m_pCurrentDepthStencil = m_pDepthStencil;
    m_viewport = D3DVIEWPORT9{0, 0, 1024, 768, 0.0f, 1.0f};
    m_rcScissor = RECT{0, 0, 1024, 768};
}

CFakeDevice::~CFakeDevice() {
    m_pBackBuffer->Release();
    m_pDepthStencil->Release();
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
    return ++m_nRefs;
}

// The test owns the device: the count only goes down, to be read back.
ULONG CFakeDevice::Release() {
    Enter("Release", {});
    if (m_nRefs > 0) --m_nRefs;
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

HRESULT CFakeDevice::GetDirect3D(IDirect3D9** ppD3D9) { return Unsupported("GetDirect3D", ppD3D9); }

HRESULT CFakeDevice::GetDeviceCaps(D3DCAPS9* pCaps) {
    HRESULT hr = Enter("GetDeviceCaps", {});
    if (FAILED(hr)) return hr;
    if (!pCaps) return Leave(D3DERR_INVALIDCALL);
    *pCaps = m_caps;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
    HRESULT hr = Enter("GetDisplayMode", {iSwapChain});
    if (FAILED(hr)) return hr;
    if (!pMode || iSwapChain != 0) return Leave(D3DERR_INVALIDCALL);
    *pMode = m_displayMode;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
    HRESULT hr = Enter("GetCreationParameters", {});
    if (FAILED(hr)) return hr;
    if (!pParameters) return Leave(D3DERR_INVALIDCALL);
    *pParameters = D3DDEVICE_CREATION_PARAMETERS{0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING};
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetCursorProperties(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface9* pCursorBitmap) {
    HRESULT hr = Enter("SetCursorProperties", {XHotSpot, YHotSpot, P(pCursorBitmap)});
    if (FAILED(hr)) return hr;
    return Leave(pCursorBitmap ? D3D_OK : D3DERR_INVALIDCALL);
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

HRESULT CFakeDevice::Reset(D3DPRESENT_PARAMETERS* pp) {
    HRESULT hr = Enter("Reset", {pp ? pp->BackBufferWidth : 0u, pp ? pp->BackBufferHeight : 0u,
                                 pp ? uint64_t(pp->BackBufferFormat) : 0u});
    if (FAILED(hr)) return hr;
    if (!pp) return Leave(D3DERR_INVALIDCALL);
    if (m_hrCooperativeLevel == D3DERR_DEVICELOST) return Leave(D3DERR_DEVICELOST);
    if (LiveDefaultPoolResources() > 0 || m_pBackBuffer->RefCount() > 1 || m_pDepthStencil->RefCount() > 1)
        return Leave(D3DERR_INVALIDCALL);
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
    return Leave(m_hrCooperativeLevel == D3D_OK ? D3D_OK : D3DERR_DEVICELOST);
}

HRESULT CFakeDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                   IDirect3DSurface9** ppBackBuffer) {
    HRESULT hr = Enter("GetBackBuffer", {iSwapChain, iBackBuffer, uint64_t(Type)});
    if (ppBackBuffer) *ppBackBuffer = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppBackBuffer || iSwapChain != 0 || iBackBuffer != 0) return Leave(D3DERR_INVALIDCALL);
    *ppBackBuffer = m_pBackBuffer;
    m_pBackBuffer->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRasterStatus(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) {
    HRESULT hr = Enter("GetRasterStatus", {iSwapChain});
    if (FAILED(hr)) return hr;
    if (!pRasterStatus) return Leave(D3DERR_INVALIDCALL);
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
    HRESULT hr = Enter("CreateTexture", {Width, Height, Levels, Usage, uint64_t(Format), uint64_t(Pool)});
    if (ppTexture) *ppTexture = nullptr;
    if (FAILED(hr)) return hr;
    bool bDefaultOnly = Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC);
    UINT nFull = CFakeTexture::FullChainLength(Width, Height);
    if (!ppTexture || pSharedHandle || !Width || !Height || Width > m_caps.MaxTextureWidth ||
        Height > m_caps.MaxTextureHeight || Levels > nFull || (bDefaultOnly && Pool == D3DPOOL_MANAGED))
        return Leave(D3DERR_INVALIDCALL);
    UINT nLevels = (Usage & D3DUSAGE_AUTOGENMIPMAP) ? 1 : (Levels ? Levels : nFull);
    auto* pTexture = new CFakeTexture(this, m_pState, Width, Height, nLevels, Usage, Format, Pool);
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

HRESULT CFakeDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                        IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
    HRESULT hr = Enter("CreateVertexBuffer", {Length, Usage, FVF, uint64_t(Pool)});
    if (ppVertexBuffer) *ppVertexBuffer = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppVertexBuffer || pSharedHandle || !Length || ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED))
        return Leave(D3DERR_INVALIDCALL);
    auto* pBuffer = new CFakeVertexBuffer(this, m_pState, Length, Usage, FVF, Pool);
    *ppVertexBuffer = pBuffer;
    m_pState->Last().pObject = pBuffer;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                       IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
    HRESULT hr = Enter("CreateIndexBuffer", {Length, Usage, uint64_t(Format), uint64_t(Pool)});
    if (ppIndexBuffer) *ppIndexBuffer = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppIndexBuffer || pSharedHandle || !Length || (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) ||
        ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED))
        return Leave(D3DERR_INVALIDCALL);
    auto* pBuffer = new CFakeIndexBuffer(this, m_pState, Length, Usage, Format, Pool);
    *ppIndexBuffer = pBuffer;
    m_pState->Last().pObject = pBuffer;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                        DWORD MultisampleQuality, WINBOOL Lockable, IDirect3DSurface9** ppSurface,
                                        HANDLE* pSharedHandle) {
    HRESULT hr = Enter("CreateRenderTarget", {Width, Height, uint64_t(Format), uint64_t(MultiSample),
                                              MultisampleQuality, uint64_t(Lockable)});
    if (ppSurface) *ppSurface = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height) return Leave(D3DERR_INVALIDCALL);
    auto* pSurface = new CFakeSurface(this, m_pState, Width, Height, Format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                      nullptr, Lockable != FALSE);
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                               D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                               WINBOOL Discard, IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
    HRESULT hr = Enter("CreateDepthStencilSurface", {Width, Height, uint64_t(Format), uint64_t(MultiSample),
                                                     MultisampleQuality, uint64_t(Discard)});
    if (ppSurface) *ppSurface = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height) return Leave(D3DERR_INVALIDCALL);
    auto* pSurface = new CFakeSurface(this, m_pState, Width, Height, Format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                                      nullptr, Format == D3DFMT_D16_LOCKABLE);
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                 IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
    HRESULT hr = Enter("CreateOffscreenPlainSurface", {Width, Height, uint64_t(Format), uint64_t(Pool)});
    if (ppSurface) *ppSurface = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppSurface || pSharedHandle || !Width || !Height || Pool == D3DPOOL_MANAGED)
        return Leave(D3DERR_INVALIDCALL);
    auto* pSurface = new CFakeSurface(this, m_pState, Width, Height, Format, 0, Pool, nullptr, true);
    *ppSurface = pSurface;
    m_pState->Last().pObject = pSurface;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::UpdateSurface(IDirect3DSurface9* src_surface, const RECT* src_rect,
                                   IDirect3DSurface9* dst_surface, const POINT* dst_point) {
    HRESULT hr = Enter("UpdateSurface", {P(src_surface), P(src_rect), P(dst_surface), P(dst_point)});
    if (FAILED(hr)) return hr;
    return Leave(src_surface && dst_surface ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) {
    HRESULT hr = Enter("UpdateTexture", {P(pSourceTexture), P(pDestinationTexture)});
    if (FAILED(hr)) return hr;
    return Leave(pSourceTexture && pDestinationTexture ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) {
    HRESULT hr = Enter("GetRenderTargetData", {P(pRenderTarget), P(pDestSurface)});
    if (FAILED(hr)) return hr;
    return Leave(pRenderTarget && pDestSurface ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) {
    HRESULT hr = Enter("GetFrontBufferData", {iSwapChain, P(pDestSurface)});
    if (FAILED(hr)) return hr;
    return Leave(pDestSurface ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::StretchRect(IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
                                 const RECT* dst_rect, D3DTEXTUREFILTERTYPE filter) {
    HRESULT hr = Enter("StretchRect", {P(src_surface), P(src_rect), P(dst_surface), P(dst_rect), uint64_t(filter)});
    if (FAILED(hr)) return hr;
    return Leave(src_surface && dst_surface ? D3D_OK : D3DERR_INVALIDCALL);
}

// Fills 32-bit surfaces for real, so that a test can read the colour back.
HRESULT CFakeDevice::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) {
    HRESULT hr = Enter("ColorFill", {P(surface), P(rect), color});
    if (FAILED(hr)) return hr;
    auto* pSurface = static_cast<CFakeSurface*>(surface);
    if (!pSurface) return Leave(D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked;
    if (FakeFormatPitch(pSurface->Format(), 1) == 4 && SUCCEEDED(pSurface->LockBits(&locked, rect))) {
        LONG nWidth = rect ? rect->right - rect->left : LONG(pSurface->Width());
        LONG nHeight = rect ? rect->bottom - rect->top : LONG(pSurface->Height());
        for (LONG y = 0; y < nHeight; ++y) {
            auto* pRow = reinterpret_cast<DWORD*>(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch);
            std::fill(pRow, pRow + nWidth, DWORD(color));
        }
        pSurface->UnlockBits();
    }
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
    HRESULT hr = Enter("SetRenderTarget", {RenderTargetIndex, P(pRenderTarget)});
    if (FAILED(hr)) return hr;
    if (RenderTargetIndex >= m_caps.NumSimultaneousRTs || RenderTargetIndex >= 4 ||
        (RenderTargetIndex == 0 && !pRenderTarget))
        return Leave(D3DERR_INVALIDCALL);
    m_apRenderTargets[RenderTargetIndex] = pRenderTarget;
    D3DSURFACE_DESC desc;
    if (RenderTargetIndex == 0 && SUCCEEDED(pRenderTarget->GetDesc(&desc))) {
        // As on hardware: the viewport becomes the whole new target.
        m_viewport = D3DVIEWPORT9{0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
        m_rcScissor = RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    }
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
    HRESULT hr = Enter("GetRenderTarget", {RenderTargetIndex});
    if (ppRenderTarget) *ppRenderTarget = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppRenderTarget || RenderTargetIndex >= 4) return Leave(D3DERR_INVALIDCALL);
    if (!m_apRenderTargets[RenderTargetIndex]) return Leave(D3DERR_NOTFOUND);
    *ppRenderTarget = m_apRenderTargets[RenderTargetIndex];
    (*ppRenderTarget)->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
    HRESULT hr = Enter("SetDepthStencilSurface", {P(pNewZStencil)});
    if (FAILED(hr)) return hr;
    m_pCurrentDepthStencil = pNewZStencil;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
    HRESULT hr = Enter("GetDepthStencilSurface", {});
    if (ppZStencilSurface) *ppZStencilSurface = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppZStencilSurface) return Leave(D3DERR_INVALIDCALL);
    if (!m_pCurrentDepthStencil) return Leave(D3DERR_NOTFOUND);
    *ppZStencilSurface = m_pCurrentDepthStencil;
    m_pCurrentDepthStencil->AddRef();
    return Leave(D3D_OK);
}

// --- scenes and clearing --------------------------------------------------------------

HRESULT CFakeDevice::BeginScene() {
    HRESULT hr = Enter("BeginScene", {});
    if (FAILED(hr)) return hr;
    if (m_bInScene) return Leave(D3DERR_INVALIDCALL);
    m_bInScene = true;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::EndScene() {
    HRESULT hr = Enter("EndScene", {});
    if (FAILED(hr)) return hr;
    if (!m_bInScene) return Leave(D3DERR_INVALIDCALL);
    m_bInScene = false;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::Clear(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                           DWORD stencil) {
    HRESULT hr = Enter("Clear", {rect_count, P(rects), flags, color, stencil}, {z});
    if (FAILED(hr)) return hr;
    bool bNeedsDepth = flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    if ((rect_count && !rects) || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
        (bNeedsDepth && !m_pCurrentDepthStencil))
        return Leave(D3DERR_INVALIDCALL);
    return Leave(D3D_OK);
}

// --- transforms, viewport, material, lights, clipping ---------------------------------

HRESULT CFakeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    HRESULT hr = Enter("SetTransform", {uint64_t(state)});
    if (FAILED(hr)) return hr;
    if (!matrix) return Leave(D3DERR_INVALIDCALL);
    m_pState->Last().matrix = *matrix;
    m_mapTransforms[state] = *matrix;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    HRESULT hr = Enter("GetTransform", {uint64_t(State)});
    if (FAILED(hr)) return hr;
    if (!pMatrix) return Leave(D3DERR_INVALIDCALL);
    *pMatrix = Transform(State);
    return Leave(D3D_OK);
}

// The device's matrix becomes matrix * current, as Direct3D defines it.
HRESULT CFakeDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    HRESULT hr = Enter("MultiplyTransform", {uint64_t(state)});
    if (FAILED(hr)) return hr;
    if (!matrix) return Leave(D3DERR_INVALIDCALL);
    m_pState->Last().matrix = *matrix;
    m_mapTransforms[state] = Multiply(*matrix, Transform(state));
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    HRESULT hr = viewport ? Enter("SetViewport", {viewport->X, viewport->Y, viewport->Width, viewport->Height},
                                  {viewport->MinZ, viewport->MaxZ})
                          : Enter("SetViewport", {});
    if (FAILED(hr)) return hr;
    if (!viewport) return Leave(D3DERR_INVALIDCALL);
    m_viewport = *viewport;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetViewport(D3DVIEWPORT9* pViewport) {
    HRESULT hr = Enter("GetViewport", {});
    if (FAILED(hr)) return hr;
    if (!pViewport) return Leave(D3DERR_INVALIDCALL);
    *pViewport = m_viewport;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetMaterial(const D3DMATERIAL9* material) {
    HRESULT hr = Enter("SetMaterial", {});
    if (FAILED(hr)) return hr;
    if (!material) return Leave(D3DERR_INVALIDCALL);
    m_pState->Last().material = *material;
    m_material = *material;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetMaterial(D3DMATERIAL9* pMaterial) {
    HRESULT hr = Enter("GetMaterial", {});
    if (FAILED(hr)) return hr;
    if (!pMaterial) return Leave(D3DERR_INVALIDCALL);
    *pMaterial = m_material;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetLight(DWORD index, const D3DLIGHT9* light) {
    HRESULT hr = Enter("SetLight", {index});
    if (FAILED(hr)) return hr;
    if (!light) return Leave(D3DERR_INVALIDCALL);
    m_mapLights[index] = *light;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetLight(DWORD Index, D3DLIGHT9* pLight) {
    HRESULT hr = Enter("GetLight", {Index});
    if (FAILED(hr)) return hr;
    auto it = m_mapLights.find(Index);
    if (!pLight || it == m_mapLights.end()) return Leave(D3DERR_INVALIDCALL);
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
    if (!pEnable || it == m_mapLightEnabled.end()) return Leave(D3DERR_INVALIDCALL);
    *pEnable = it->second;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetClipPlane(DWORD index, const float* plane) {
    HRESULT hr = Enter("SetClipPlane", {index});
    if (FAILED(hr)) return hr;
    if (!plane || index >= m_caps.MaxUserClipPlanes) return Leave(D3DERR_INVALIDCALL);
    m_mapClipPlanes[index].assign(plane, plane + 4);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetClipPlane(DWORD Index, float* pPlane) {
    HRESULT hr = Enter("GetClipPlane", {Index});
    if (FAILED(hr)) return hr;
    if (!pPlane || Index >= m_caps.MaxUserClipPlanes) return Leave(D3DERR_INVALIDCALL);
    auto it = m_mapClipPlanes.find(Index);
    for (int i = 0; i < 4; ++i) pPlane[i] = it != m_mapClipPlanes.end() ? it->second[i] : 0.0f;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetClipStatus(const D3DCLIPSTATUS9* clip_status) {
    HRESULT hr = Enter("SetClipStatus", {});
    if (FAILED(hr)) return hr;
    if (!clip_status) return Leave(D3DERR_INVALIDCALL);
    m_clipStatus = *clip_status;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetClipStatus(D3DCLIPSTATUS9* pClipStatus) {
    HRESULT hr = Enter("GetClipStatus", {});
    if (FAILED(hr)) return hr;
    if (!pClipStatus) return Leave(D3DERR_INVALIDCALL);
    *pClipStatus = m_clipStatus;
    return Leave(D3D_OK);
}

// --- states ----------------------------------------------------------------------------

HRESULT CFakeDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    HRESULT hr = Enter("SetRenderState", {uint64_t(State), Value});
    if (FAILED(hr)) return hr;
    m_mapRenderStates[State] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    HRESULT hr = Enter("GetRenderState", {uint64_t(State)});
    if (FAILED(hr)) return hr;
    if (!pValue) return Leave(D3DERR_INVALIDCALL);
    *pValue = RenderState(State);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** ppSB) {
    return Unsupported("CreateStateBlock", ppSB);
}

HRESULT CFakeDevice::BeginStateBlock() { return Unsupported("BeginStateBlock"); }

HRESULT CFakeDevice::EndStateBlock(IDirect3DStateBlock9** ppSB) { return Unsupported("EndStateBlock", ppSB); }

HRESULT CFakeDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
    HRESULT hr = Enter("GetTexture", {Stage});
    if (ppTexture) *ppTexture = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppTexture || !IsSampler(Stage)) return Leave(D3DERR_INVALIDCALL);
    *ppTexture = BoundTexture(Stage);
    if (*ppTexture) (*ppTexture)->AddRef();
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
    HRESULT hr = Enter("SetTexture", {Stage, P(pTexture)});
    if (FAILED(hr)) return hr;
    if (!IsSampler(Stage)) return Leave(D3DERR_INVALIDCALL);
    m_mapTextures[Stage] = pTexture;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
    HRESULT hr = Enter("GetTextureStageState", {Stage, uint64_t(Type)});
    if (FAILED(hr)) return hr;
    if (!pValue || Stage >= m_caps.MaxTextureBlendStages) return Leave(D3DERR_INVALIDCALL);
    *pValue = TextureStageState(Stage, Type);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    HRESULT hr = Enter("SetTextureStageState", {Stage, uint64_t(Type), Value});
    if (FAILED(hr)) return hr;
    if (Stage >= m_caps.MaxTextureBlendStages) return Leave(D3DERR_INVALIDCALL);
    m_mapStageStates[{Stage, DWORD(Type)}] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
    HRESULT hr = Enter("GetSamplerState", {Sampler, uint64_t(Type)});
    if (FAILED(hr)) return hr;
    if (!pValue || !IsSampler(Sampler)) return Leave(D3DERR_INVALIDCALL);
    *pValue = SamplerState(Sampler, Type);
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    HRESULT hr = Enter("SetSamplerState", {Sampler, uint64_t(Type), Value});
    if (FAILED(hr)) return hr;
    if (!IsSampler(Sampler)) return Leave(D3DERR_INVALIDCALL);
    m_mapSamplerStates[{Sampler, DWORD(Type)}] = Value;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::ValidateDevice(DWORD* pNumPasses) {
    HRESULT hr = Enter("ValidateDevice", {});
    if (FAILED(hr)) return hr;
    if (!pNumPasses) return Leave(D3DERR_INVALIDCALL);
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
    if (!rect) return Leave(D3DERR_INVALIDCALL);
    m_rcScissor = *rect;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetScissorRect(RECT* pRect) {
    HRESULT hr = Enter("GetScissorRect", {});
    if (FAILED(hr)) return hr;
    if (!pRect) return Leave(D3DERR_INVALIDCALL);
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

HRESULT CFakeDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
    HRESULT hr = Enter("DrawPrimitive", {uint64_t(PrimitiveType), StartVertex, PrimitiveCount});
    if (FAILED(hr)) return hr;
    return Leave(m_bInScene ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                          UINT NumVertices, UINT startIndex, UINT primCount) {
    HRESULT hr = Enter("DrawIndexedPrimitive", {uint64_t(PrimitiveType), uint64_t(int64_t(BaseVertexIndex)),
                                                MinVertexIndex, NumVertices, startIndex, primCount});
    if (FAILED(hr)) return hr;
    return Leave(m_bInScene && m_pIndices ? D3D_OK : D3DERR_INVALIDCALL);
}

// The vertex data is copied into the log. As on hardware, stream 0 is unset afterwards.
HRESULT CFakeDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE primitive_type, UINT primitive_count, const void* data,
                                     UINT stride) {
    HRESULT hr = Enter("DrawPrimitiveUP", {uint64_t(primitive_type), primitive_count, P(data), stride});
    if (FAILED(hr)) return hr;
    if (!m_bInScene || !data || !stride) return Leave(D3DERR_INVALIDCALL);
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
    if (!m_bInScene || !data || !index_data || !stride ||
        (index_format != D3DFMT_INDEX16 && index_format != D3DFMT_INDEX32))
        return Leave(D3DERR_INVALIDCALL);
    RecordDrawData(data, (min_vertex_idx + vertex_count) * stride);
    RecordDrawData(index_data,
                   FakeVertexCount(primitive_type, primitive_count) * (index_format == D3DFMT_INDEX16 ? 2 : 4));
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
    return Leave(pDecl ? D3DERR_INVALIDCALL : D3D_OK);
}

HRESULT CFakeDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) {
    HRESULT hr = Enter("GetVertexDeclaration", {});
    if (ppDecl) *ppDecl = nullptr;
    if (FAILED(hr)) return hr;
    return Leave(ppDecl ? D3D_OK : D3DERR_INVALIDCALL);
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
    if (!pFVF) return Leave(D3DERR_INVALIDCALL);
    *pFVF = m_dwFVF;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::CreateVertexShader(const DWORD*, IDirect3DVertexShader9** shader) {
    return Unsupported("CreateVertexShader", shader);
}

HRESULT CFakeDevice::SetVertexShader(IDirect3DVertexShader9* pShader) {
    HRESULT hr = Enter("SetVertexShader", {P(pShader)});
    if (FAILED(hr)) return hr;
    return Leave(pShader ? D3DERR_INVALIDCALL : D3D_OK);
}

HRESULT CFakeDevice::GetVertexShader(IDirect3DVertexShader9** ppShader) {
    HRESULT hr = Enter("GetVertexShader", {});
    if (ppShader) *ppShader = nullptr;
    if (FAILED(hr)) return hr;
    return Leave(ppShader ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::SetVertexShaderConstantF(UINT reg_idx, const float*, UINT count) {
    Enter("SetVertexShaderConstantF", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetVertexShaderConstantF(UINT StartRegister, float*, UINT Vector4fCount) {
    Enter("GetVertexShaderConstantF", {StartRegister, Vector4fCount});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::SetVertexShaderConstantI(UINT reg_idx, const int*, UINT count) {
    Enter("SetVertexShaderConstantI", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetVertexShaderConstantI(UINT StartRegister, int*, UINT Vector4iCount) {
    Enter("GetVertexShaderConstantI", {StartRegister, Vector4iCount});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::SetVertexShaderConstantB(UINT reg_idx, const WINBOOL*, UINT count) {
    Enter("SetVertexShaderConstantB", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetVertexShaderConstantB(UINT StartRegister, WINBOOL*, UINT BoolCount) {
    Enter("GetVertexShaderConstantB", {StartRegister, BoolCount});
    return Leave(D3DERR_INVALIDCALL);
}

// --- streams and indices -------------------------------------------------------------------

HRESULT CFakeDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                     UINT Stride) {
    HRESULT hr = Enter("SetStreamSource", {StreamNumber, P(pStreamData), OffsetInBytes, Stride});
    if (FAILED(hr)) return hr;
    if (StreamNumber >= m_caps.MaxStreams) return Leave(D3DERR_INVALIDCALL);
    CStream& s = m_mapStreams[StreamNumber];
    s.pBuffer = pStreamData;
    s.nOffset = OffsetInBytes;
    s.nStride = Stride;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* OffsetInBytes,
                                     UINT* pStride) {
    HRESULT hr = Enter("GetStreamSource", {StreamNumber});
    if (ppStreamData) *ppStreamData = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppStreamData || !OffsetInBytes || !pStride || StreamNumber >= m_caps.MaxStreams)
        return Leave(D3DERR_INVALIDCALL);
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
    if (StreamNumber >= m_caps.MaxStreams) return Leave(D3DERR_INVALIDCALL);
    m_mapStreams[StreamNumber].nFreq = Divider;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetStreamSourceFreq(UINT StreamNumber, UINT* Divider) {
    HRESULT hr = Enter("GetStreamSourceFreq", {StreamNumber});
    if (FAILED(hr)) return hr;
    if (!Divider || StreamNumber >= m_caps.MaxStreams) return Leave(D3DERR_INVALIDCALL);
    *Divider = m_mapStreams.count(StreamNumber) ? m_mapStreams[StreamNumber].nFreq : 1;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    HRESULT hr = Enter("SetIndices", {P(pIndexData)});
    if (FAILED(hr)) return hr;
    m_pIndices = pIndexData;
    return Leave(D3D_OK);
}

HRESULT CFakeDevice::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
    HRESULT hr = Enter("GetIndices", {});
    if (ppIndexData) *ppIndexData = nullptr;
    if (FAILED(hr)) return hr;
    if (!ppIndexData) return Leave(D3DERR_INVALIDCALL);
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
    return Leave(pShader ? D3DERR_INVALIDCALL : D3D_OK);
}

HRESULT CFakeDevice::GetPixelShader(IDirect3DPixelShader9** ppShader) {
    HRESULT hr = Enter("GetPixelShader", {});
    if (ppShader) *ppShader = nullptr;
    if (FAILED(hr)) return hr;
    return Leave(ppShader ? D3D_OK : D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::SetPixelShaderConstantF(UINT reg_idx, const float*, UINT count) {
    Enter("SetPixelShaderConstantF", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetPixelShaderConstantF(UINT StartRegister, float*, UINT Vector4fCount) {
    Enter("GetPixelShaderConstantF", {StartRegister, Vector4fCount});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::SetPixelShaderConstantI(UINT reg_idx, const int*, UINT count) {
    Enter("SetPixelShaderConstantI", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetPixelShaderConstantI(UINT StartRegister, int*, UINT Vector4iCount) {
    Enter("GetPixelShaderConstantI", {StartRegister, Vector4iCount});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::SetPixelShaderConstantB(UINT reg_idx, const WINBOOL*, UINT count) {
    Enter("SetPixelShaderConstantB", {reg_idx, count});
    return Leave(D3DERR_INVALIDCALL);
}
HRESULT CFakeDevice::GetPixelShaderConstantB(UINT StartRegister, WINBOOL*, UINT BoolCount) {
    Enter("GetPixelShaderConstantB", {StartRegister, BoolCount});
    return Leave(D3DERR_INVALIDCALL);
}

HRESULT CFakeDevice::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) {
    return Unsupported("DrawRectPatch");
}
HRESULT CFakeDevice::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) { return Unsupported("DrawTriPatch"); }
HRESULT CFakeDevice::DeletePatch(UINT) { return Unsupported("DeletePatch"); }

HRESULT CFakeDevice::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9** ppQuery) {
    return Unsupported("CreateQuery", ppQuery, D3DERR_NOTAVAILABLE);
}
