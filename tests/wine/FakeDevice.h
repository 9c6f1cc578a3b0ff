#pragma once
// A recording stand-in for the Direct3D 9 device, for tests of drawing code
// that must run without a graphics adapter.
//
// Every method of IDirect3DDevice9 is implemented. Each call, with its
// arguments, goes into one ordered log (CFakeDevice::Calls); state setters
// keep their values so that tests and the Get methods can read them back.
// Buffers, textures and surfaces lock to real memory of the right size.
// Shaders, patches, state blocks, queries, swap chains and volume or cube
// textures are not offered: those calls are logged and refused.
//
// The device is strict: it answers D3DERR_INVALIDCALL where Direct3D 9 does
// (draws outside a scene or beyond the bound buffers, strides that do not
// match the vertex format, indices outside the declared range, locks beyond
// a buffer or with flags its usage does not allow, nested scenes, calls on
// released objects...) and records each such refusal as a fault. When the
// device dies, the test fails if any fault is left, if a resource made
// through it was never released, if a scene was left open or if more
// references to the device are held than its creator's. A test that provokes
// a fault on purpose takes it with TakeFaults().
//
// Any logged call can be made to fail: FailCall("CreateTexture", 2) makes the
// second CreateTexture of the device's life answer D3DERR_OUTOFVIDEOMEMORY and
// create nothing; such injected failures are not faults. Resource calls are
// logged as "VertexBuffer.Lock", "IndexBuffer.Unlock", "Texture.LockRect",
// "Surface.LockRect" and so on.
//
// Lifetimes follow Direct3D 9: every resource holds a reference to its device
// while it lives; a texture level's references are its texture's; the back
// buffer and the depth buffer belong to the device. Released resources are
// kept (without their memory) until the device dies, so that a later call on
// one is caught and reported instead of being undefined. Bindings (SetTexture,
// SetStreamSource...) keep the raw pointer, as the runtime's internal
// references do not show in the public counts.
#include <d3d9.h>

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct CFakeCall {
    std::string sMethod;
    std::vector<uint64_t> vArgs;       // integer, enum and pointer arguments, in order
    std::vector<float> vFloats;        // float arguments, in order
    D3DMATRIX matrix{};                // SetTransform, MultiplyTransform
    D3DMATERIAL9 material{};           // SetMaterial
    std::vector<unsigned char> vData;  // vertices (then indices) of the *UP draws
    const void* pObject = nullptr;     // what a Create call made
    HRESULT hr = S_OK;                 // the fake's answer

    uint64_t Arg(size_t i) const { return i < vArgs.size() ? vArgs[i] : ~uint64_t(0); }
};

class CFakeDevice;

// Everything the fake makes; owned by the device's state until the device dies.
class CFakeObject {
public:
    virtual ~CFakeObject() = default;
    // What the object is, when the code still holds a reference to it; empty otherwise.
    virtual std::string LiveDescription() const { return {}; }
    // Still referenced and in the default pool: a Reset cannot go through.
    virtual bool LiveInDefaultPool() const { return false; }
};

// The log, the failure plan, the faults and the objects, shared by the device
// and the resources it made.
class CFakeState {
public:
    // Logs the call; returns the injected failure for it, or S_OK.
    HRESULT Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                  std::initializer_list<float> floats = {});
    // Sets the logged answer of the last call and returns it.
    HRESULT Leave(HRESULT hr);
    // Answers the last call with a refusal of Direct3D 9 and records it as a fault.
    HRESULT Refuse(const std::string& sWhy, HRESULT hr = D3DERR_INVALIDCALL);
    // Records a fault that is no call's answer (a call on a released object...).
    void Fault(const std::string& sWhat);
    CFakeCall& Last() { return m_vCalls.back(); }
    template <class T>
    T* Own(T* pObject) {
        m_vObjects.emplace_back(pObject);
        return pObject;
    }

    std::vector<CFakeCall> m_vCalls;
    std::map<std::string, int> m_mapCounts;  // calls so far per method
    struct CFailure {
        std::string sMethod;
        int nFirst, nLast;
        HRESULT hr;
    };
    std::vector<CFailure> m_vFailures;
    std::vector<std::string> m_vFaults;
    uint64_t m_nCallNumber = 0;  // over the device's life, unlike the log
    int m_nLiveResources = 0;    // made by the test or the code, not yet released
    CFakeDevice* m_pDevice = nullptr;
    std::vector<std::unique_ptr<CFakeObject>> m_vObjects;
};

// Bytes of one row of pixels (or of 4x4 blocks) and the number of rows.
UINT FakeFormatPitch(D3DFORMAT format, UINT nWidth);
UINT FakeFormatRows(D3DFORMAT format, UINT nHeight);
// Bytes of one vertex of a flexible vertex format; 0 when it has no position.
UINT FakeFvfSize(DWORD dwFVF);
// Vertices (or indices) a draw of nPrimitives primitives of this type uses.
UINT FakeVertexCount(D3DPRIMITIVETYPE type, UINT nPrimitives);

// IUnknown and IDirect3DResource9 for every fake resource.
template <class TInterface>
class CFakeResource : public TInterface, public CFakeObject {
public:
    // A counted resource holds a reference to its device while it lives.
    CFakeResource(CFakeDevice* pDevice, CFakeState* pState, const char* pszName, D3DRESOURCETYPE type,
                  DWORD dwUsage, D3DPOOL pool, bool bCounted);
    CFakeResource(const CFakeResource&) = delete;
    CFakeResource& operator=(const CFakeResource&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetDevice)(IDirect3DDevice9** ppDevice) override;
    STDMETHOD(SetPrivateData)(REFGUID, const void*, DWORD, DWORD) override;
    STDMETHOD(GetPrivateData)(REFGUID, void*, DWORD*) override;
    STDMETHOD(FreePrivateData)(REFGUID) override;
    STDMETHOD_(DWORD, SetPriority)(DWORD dwPriority) override;
    STDMETHOD_(DWORD, GetPriority)() override;
    STDMETHOD_(void, PreLoad)() override { Alive("PreLoad"); }
    STDMETHOD_(D3DRESOURCETYPE, GetType)() override { return m_type; }

    ULONG RefCount() const { return m_nRefs; }
    DWORD Usage() const { return m_dwUsage; }
    D3DPOOL Pool() const { return m_pool; }
    virtual bool IsReleased() const { return m_bReleased; }
    std::string LiveDescription() const override;
    bool LiveInDefaultPool() const override { return !LiveDescription().empty() && m_pool == D3DPOOL_DEFAULT; }

protected:
    virtual bool HasInterface(REFIID riid) const;
    // False, with a fault recorded, when the object was already released.
    bool Alive(const char* pszMethod) const;
    // Logs a call on this resource ("Name.Method"); answers the injected
    // failure, or the refusal of a call on a released object, or S_OK.
    HRESULT EnterCall(const char* pszMethod, std::initializer_list<uint64_t> args);
    // The last public reference went: free the memory, let go of the device.
    virtual void OnReleased();

    CFakeDevice* m_pDevice;
    CFakeState* m_pState;
    std::string m_sName;
    D3DRESOURCETYPE m_type;
    DWORD m_dwUsage;
    D3DPOOL m_pool;
    DWORD m_dwPriority = 0;
    ULONG m_nRefs = 1;
    bool m_bCounted;
    bool m_bReleased = false;
    uint64_t m_nMadeBy;  // the number of the call that made it
};

// A buffer of real memory; Lock hands out a pointer into it, bounds-checked.
template <class TInterface>
class CFakeBuffer : public CFakeResource<TInterface> {
public:
    CFakeBuffer(CFakeDevice* pDevice, CFakeState* pState, const char* pszName, D3DRESOURCETYPE type,
                UINT nLength, DWORD dwUsage, D3DPOOL pool);

    STDMETHOD(Lock)(UINT nOffset, UINT nSize, void** ppData, DWORD dwFlags) override;
    STDMETHOD(Unlock)() override;

    const std::vector<unsigned char>& Data() const { return m_vData; }
    UINT Length() const { return m_nLength; }
    bool IsLocked() const { return m_nLocks > 0; }
    int LockCount() const { return m_nLockCalls; }

protected:
    void OnReleased() override;

    std::vector<unsigned char> m_vData;
    UINT m_nLength;
    int m_nLocks = 0;      // currently open locks
    int m_nLockCalls = 0;  // successful Lock calls in all
};

class CFakeVertexBuffer : public CFakeBuffer<IDirect3DVertexBuffer9> {
public:
    CFakeVertexBuffer(CFakeDevice* pDevice, CFakeState* pState, UINT nLength, DWORD dwUsage, DWORD dwFVF,
                      D3DPOOL pool);
    STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* pDesc) override;
    DWORD FVF() const { return m_dwFVF; }

private:
    DWORD m_dwFVF;
};

class CFakeIndexBuffer : public CFakeBuffer<IDirect3DIndexBuffer9> {
public:
    CFakeIndexBuffer(CFakeDevice* pDevice, CFakeState* pState, UINT nLength, DWORD dwUsage, D3DFORMAT format,
                     D3DPOOL pool);
    STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* pDesc) override;
    D3DFORMAT Format() const { return m_format; }
    UINT IndexSize() const { return m_format == D3DFMT_INDEX32 ? 4 : 2; }
    // Index number i (not bytes); the caller keeps i within the buffer.
    UINT Index(UINT i) const;

private:
    D3DFORMAT m_format;
};

class CFakeTexture;

// A surface: a texture level, a render target, a depth buffer, the device's
// back buffer or an off-screen plain surface, with pitch * rows bytes.
class CFakeSurface : public CFakeResource<IDirect3DSurface9> {
public:
    enum class Kind { Own, Level, Implicit };  // implicit: the device's back or depth buffer
    CFakeSurface(CFakeDevice* pDevice, CFakeState* pState, UINT nWidth, UINT nHeight, D3DFORMAT format,
                 DWORD dwUsage, D3DPOOL pool, CFakeTexture* pContainer, bool bLockable, Kind kind = Kind::Own);

    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetContainer)(REFIID riid, void** ppContainer) override;
    STDMETHOD(GetDesc)(D3DSURFACE_DESC* pDesc) override;
    STDMETHOD(LockRect)(D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) override;
    STDMETHOD(UnlockRect)() override;
    STDMETHOD(GetDC)(HDC* phdc) override;
    STDMETHOD(ReleaseDC)(HDC hdc) override;

    bool IsReleased() const override;
    std::string LiveDescription() const override;
    UINT Width() const { return m_nWidth; }
    UINT Height() const { return m_nHeight; }
    D3DFORMAT Format() const { return m_format; }
    UINT Pitch() const { return m_nPitch; }
    CFakeTexture* Container() const { return m_pContainer; }
    const std::vector<unsigned char>& Data() const { return m_vData; }
    bool IsLocked() const { return m_bLocked; }
    // Lock without logging, for the texture's LockRect and ColorFill.
    HRESULT LockBits(D3DLOCKED_RECT* pLocked, const RECT* pRect, std::string* pWhy = nullptr);
    HRESULT UnlockBits();
    void FreeBits();

protected:
    void OnReleased() override;

private:
    UINT m_nWidth, m_nHeight;
    D3DFORMAT m_format;
    UINT m_nPitch;
    std::vector<unsigned char> m_vData;
    CFakeTexture* m_pContainer;
    bool m_bLockable;
    Kind m_kind;
    bool m_bLocked = false;
};

// A 2D texture with its mip chain; each level is a CFakeSurface.
class CFakeTexture : public CFakeResource<IDirect3DTexture9> {
public:
    CFakeTexture(CFakeDevice* pDevice, CFakeState* pState, UINT nWidth, UINT nHeight, UINT nLevels,
                 DWORD dwUsage, D3DFORMAT format, D3DPOOL pool);
    ~CFakeTexture() override;

    STDMETHOD_(DWORD, SetLOD)(DWORD dwLod) override;
    STDMETHOD_(DWORD, GetLOD)() override;
    STDMETHOD_(DWORD, GetLevelCount)() override;
    STDMETHOD(SetAutoGenFilterType)(D3DTEXTUREFILTERTYPE type) override;
    STDMETHOD_(D3DTEXTUREFILTERTYPE, GetAutoGenFilterType)() override;
    STDMETHOD_(void, GenerateMipSubLevels)() override;
    STDMETHOD(GetLevelDesc)(UINT nLevel, D3DSURFACE_DESC* pDesc) override;
    STDMETHOD(GetSurfaceLevel)(UINT nLevel, IDirect3DSurface9** ppSurface) override;
    STDMETHOD(LockRect)(UINT nLevel, D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) override;
    STDMETHOD(UnlockRect)(UINT nLevel) override;
    STDMETHOD(AddDirtyRect)(const RECT* pRect) override;

    CFakeSurface* Level(UINT nLevel) const { return nLevel < m_vLevels.size() ? m_vLevels[nLevel] : nullptr; }
    D3DFORMAT Format() const { return m_format; }

    // Levels a full chain of this size has (down to 1 x 1).
    static UINT FullChainLength(UINT nWidth, UINT nHeight);

protected:
    bool HasInterface(REFIID riid) const override;
    void OnReleased() override;

private:
    D3DFORMAT m_format;
    std::vector<CFakeSurface*> m_vLevels;
    DWORD m_dwLod = 0;
    D3DTEXTUREFILTERTYPE m_filter = D3DTEXF_LINEAR;
};

// What a device is made with; the defaults are a hardware device on a
// 1024 x 768 32-bit back buffer with a 24-bit depth and 8-bit stencil buffer.
struct CFakeDeviceSetup {
    UINT nWidth = 1024, nHeight = 768;
    D3DFORMAT backBufferFormat = D3DFMT_X8R8G8B8;
    D3DFORMAT depthFormat = D3DFMT_D24S8;  // D3DFMT_UNKNOWN: no depth buffer
    D3DDEVICE_CREATION_PARAMETERS creation{0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING};
    IDirect3D9* pDirect3D = nullptr;  // the object that made it, referenced while the device lives
    // References the creator keeps at the end: 1 for a device the test made,
    // 0 for one handed to the code under test, which must release it.
    ULONG nCreatorRefs = 1;
};

class CFakeDevice : public IDirect3DDevice9 {
public:
    explicit CFakeDevice(const CFakeDeviceSetup& setup = CFakeDeviceSetup());
    virtual ~CFakeDevice();
    CFakeDevice(const CFakeDevice&) = delete;
    CFakeDevice& operator=(const CFakeDevice&) = delete;

    // --- for the tests -------------------------------------------------------
    const std::vector<CFakeCall>& Calls() const { return m_pState->m_vCalls; }
    std::vector<const CFakeCall*> CallsNamed(const std::string& sMethod) const;
    size_t CountCalls(const std::string& sMethod) const;
    // Method names of the log in order, e.g. {"Clear", "BeginScene", ...}.
    std::vector<std::string> CallNames() const;
    void ClearCalls() { m_pState->m_vCalls.clear(); }

    // The nth call (1-based, counted over the device's life) of the method fails.
    void FailCall(const std::string& sMethod, int nNth, HRESULT hr = D3DERR_OUTOFVIDEOMEMORY);
    // Every call of the method from the nth on fails.
    void FailCallsFrom(const std::string& sMethod, int nNth, HRESULT hr = D3DERR_OUTOFVIDEOMEMORY);
    // Reset answers D3DERR_INVALIDCALL while default-pool resources or
    // references to the back or depth buffer are held, as Windows does; a
    // successful Reset returns every state to its default.
    void SetCooperativeLevel(HRESULT hr) { m_hrCooperativeLevel = hr; }
    // Default-pool objects the test or the code made and still hold.
    int LiveDefaultPoolResources() const;

    // The faults so far ("#12 DrawIndexedPrimitive: ..."); taken ones no longer fail the test.
    const std::vector<std::string>& Faults() const { return m_pState->m_vFaults; }
    std::vector<std::string> TakeFaults();
    // Everything that fails the test when the device dies, one line each; empty when clean.
    std::string Problems() const;

    DWORD RenderState(D3DRENDERSTATETYPE state) const;
    DWORD TextureStageState(DWORD nStage, D3DTEXTURESTAGESTATETYPE type) const;
    DWORD SamplerState(DWORD nSampler, D3DSAMPLERSTATETYPE type) const;
    const D3DMATRIX& Transform(D3DTRANSFORMSTATETYPE state) const;
    const D3DMATERIAL9& Material() const { return m_material; }
    IDirect3DBaseTexture9* BoundTexture(DWORD nStage) const;
    IDirect3DVertexBuffer9* BoundStream(UINT nStream) const;
    IDirect3DIndexBuffer9* BoundIndices() const { return m_pIndices; }
    IDirect3DSurface9* BoundRenderTarget(DWORD nIndex) const;
    DWORD CurrentFVF() const { return m_dwFVF; }
    bool InScene() const { return m_bInScene; }

    // Resources made through this device and not yet released.
    int LiveResources() const { return m_pState->m_nLiveResources; }
    // Public references: the creator's, the code's and one per live resource.
    ULONG RefCount() const { return m_nRefs; }
    D3DCAPS9& Caps() { return m_caps; }
    D3DDISPLAYMODE& DisplayMode() { return m_displayMode; }
    CFakeSurface* BackBuffer() const { return m_pBackBuffer; }
    CFakeSurface* DepthStencil() const { return m_pDepthStencil; }

    // Resources take and give back their reference to the device.
    void HoldRef() { ++m_nRefs; }
    void DropRef();

    // --- IUnknown -------------------------------------------------------------
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // --- IDirect3DDevice9 ----------------------------------------------------
    STDMETHOD(TestCooperativeLevel)() override;
    STDMETHOD_(UINT, GetAvailableTextureMem)() override;
    STDMETHOD(EvictManagedResources)() override;
    STDMETHOD(GetDirect3D)(IDirect3D9** ppD3D9) override;
    STDMETHOD(GetDeviceCaps)(D3DCAPS9* pCaps) override;
    STDMETHOD(GetDisplayMode)(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
    STDMETHOD(GetCreationParameters)(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
    STDMETHOD(SetCursorProperties)(UINT XHotSpot, UINT YHotSpot, IDirect3DSurface9* pCursorBitmap) override;
    STDMETHOD_(void, SetCursorPosition)(int X, int Y, DWORD Flags) override;
    STDMETHOD_(WINBOOL, ShowCursor)(WINBOOL bShow) override;
    STDMETHOD(CreateAdditionalSwapChain)(D3DPRESENT_PARAMETERS* pPresentationParameters,
                                         IDirect3DSwapChain9** pSwapChain) override;
    STDMETHOD(GetSwapChain)(UINT iSwapChain, IDirect3DSwapChain9** pSwapChain) override;
    STDMETHOD_(UINT, GetNumberOfSwapChains)() override;
    STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    STDMETHOD(Present)(const RECT* src_rect, const RECT* dst_rect, HWND dst_window_override,
                       const RGNDATA* dirty_region) override;
    STDMETHOD(GetBackBuffer)(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                             IDirect3DSurface9** ppBackBuffer) override;
    STDMETHOD(GetRasterStatus)(UINT iSwapChain, D3DRASTER_STATUS* pRasterStatus) override;
    STDMETHOD(SetDialogBoxMode)(WINBOOL bEnableDialogs) override;
    STDMETHOD_(void, SetGammaRamp)(UINT swapchain_idx, DWORD flags, const D3DGAMMARAMP* ramp) override;
    STDMETHOD_(void, GetGammaRamp)(UINT iSwapChain, D3DGAMMARAMP* pRamp) override;
    STDMETHOD(CreateTexture)(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                             IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    STDMETHOD(CreateVolumeTexture)(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                                   D3DFORMAT Format, D3DPOOL Pool, IDirect3DVolumeTexture9** ppVolumeTexture,
                                   HANDLE* pSharedHandle) override;
    STDMETHOD(CreateCubeTexture)(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) override;
    STDMETHOD(CreateVertexBuffer)(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                  IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    STDMETHOD(CreateIndexBuffer)(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
    STDMETHOD(CreateRenderTarget)(UINT Width, UINT Height, D3DFORMAT Format, D3DMULTISAMPLE_TYPE MultiSample,
                                  DWORD MultisampleQuality, WINBOOL Lockable, IDirect3DSurface9** ppSurface,
                                  HANDLE* pSharedHandle) override;
    STDMETHOD(CreateDepthStencilSurface)(UINT Width, UINT Height, D3DFORMAT Format,
                                         D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                         WINBOOL Discard, IDirect3DSurface9** ppSurface,
                                         HANDLE* pSharedHandle) override;
    STDMETHOD(UpdateSurface)(IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
                             const POINT* dst_point) override;
    STDMETHOD(UpdateTexture)(IDirect3DBaseTexture9* pSourceTexture,
                             IDirect3DBaseTexture9* pDestinationTexture) override;
    STDMETHOD(GetRenderTargetData)(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) override;
    STDMETHOD(GetFrontBufferData)(UINT iSwapChain, IDirect3DSurface9* pDestSurface) override;
    STDMETHOD(StretchRect)(IDirect3DSurface9* src_surface, const RECT* src_rect, IDirect3DSurface9* dst_surface,
                           const RECT* dst_rect, D3DTEXTUREFILTERTYPE filter) override;
    STDMETHOD(ColorFill)(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;
    STDMETHOD(CreateOffscreenPlainSurface)(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override;
    STDMETHOD(SetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
    STDMETHOD(GetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
    STDMETHOD(SetDepthStencilSurface)(IDirect3DSurface9* pNewZStencil) override;
    STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface9** ppZStencilSurface) override;
    STDMETHOD(BeginScene)() override;
    STDMETHOD(EndScene)() override;
    STDMETHOD(Clear)(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) override;
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    STDMETHOD(MultiplyTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    STDMETHOD(SetViewport)(const D3DVIEWPORT9* viewport) override;
    STDMETHOD(GetViewport)(D3DVIEWPORT9* pViewport) override;
    STDMETHOD(SetMaterial)(const D3DMATERIAL9* material) override;
    STDMETHOD(GetMaterial)(D3DMATERIAL9* pMaterial) override;
    STDMETHOD(SetLight)(DWORD index, const D3DLIGHT9* light) override;
    STDMETHOD(GetLight)(DWORD Index, D3DLIGHT9* pLight) override;
    STDMETHOD(LightEnable)(DWORD Index, WINBOOL Enable) override;
    STDMETHOD(GetLightEnable)(DWORD Index, WINBOOL* pEnable) override;
    STDMETHOD(SetClipPlane)(DWORD index, const float* plane) override;
    STDMETHOD(GetClipPlane)(DWORD Index, float* pPlane) override;
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE State, DWORD Value) override;
    STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    STDMETHOD(CreateStateBlock)(D3DSTATEBLOCKTYPE Type, IDirect3DStateBlock9** ppSB) override;
    STDMETHOD(BeginStateBlock)() override;
    STDMETHOD(EndStateBlock)(IDirect3DStateBlock9** ppSB) override;
    STDMETHOD(SetClipStatus)(const D3DCLIPSTATUS9* clip_status) override;
    STDMETHOD(GetClipStatus)(D3DCLIPSTATUS9* pClipStatus) override;
    STDMETHOD(GetTexture)(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
    STDMETHOD(SetTexture)(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    STDMETHOD(GetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
    STDMETHOD(SetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    STDMETHOD(GetSamplerState)(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
    STDMETHOD(SetSamplerState)(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    STDMETHOD(ValidateDevice)(DWORD* pNumPasses) override;
    STDMETHOD(SetPaletteEntries)(UINT palette_idx, const PALETTEENTRY* entries) override;
    STDMETHOD(GetPaletteEntries)(UINT PaletteNumber, PALETTEENTRY* pEntries) override;
    STDMETHOD(SetCurrentTexturePalette)(UINT PaletteNumber) override;
    STDMETHOD(GetCurrentTexturePalette)(UINT* PaletteNumber) override;
    STDMETHOD(SetScissorRect)(const RECT* rect) override;
    STDMETHOD(GetScissorRect)(RECT* pRect) override;
    STDMETHOD(SetSoftwareVertexProcessing)(WINBOOL bSoftware) override;
    STDMETHOD_(WINBOOL, GetSoftwareVertexProcessing)() override;
    STDMETHOD(SetNPatchMode)(float nSegments) override;
    STDMETHOD_(float, GetNPatchMode)() override;
    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                    UINT NumVertices, UINT startIndex, UINT primCount) override;
    STDMETHOD(DrawPrimitiveUP)(D3DPRIMITIVETYPE primitive_type, UINT primitive_count, const void* data,
                               UINT stride) override;
    STDMETHOD(DrawIndexedPrimitiveUP)(D3DPRIMITIVETYPE primitive_type, UINT min_vertex_idx, UINT vertex_count,
                                      UINT primitive_count, const void* index_data, D3DFORMAT index_format,
                                      const void* data, UINT stride) override;
    STDMETHOD(ProcessVertices)(UINT SrcStartIndex, UINT DestIndex, UINT VertexCount,
                               IDirect3DVertexBuffer9* pDestBuffer, IDirect3DVertexDeclaration9* pVertexDecl,
                               DWORD Flags) override;
    STDMETHOD(CreateVertexDeclaration)(const D3DVERTEXELEMENT9* elements,
                                       IDirect3DVertexDeclaration9** declaration) override;
    STDMETHOD(SetVertexDeclaration)(IDirect3DVertexDeclaration9* pDecl) override;
    STDMETHOD(GetVertexDeclaration)(IDirect3DVertexDeclaration9** ppDecl) override;
    STDMETHOD(SetFVF)(DWORD FVF) override;
    STDMETHOD(GetFVF)(DWORD* pFVF) override;
    STDMETHOD(CreateVertexShader)(const DWORD* byte_code, IDirect3DVertexShader9** shader) override;
    STDMETHOD(SetVertexShader)(IDirect3DVertexShader9* pShader) override;
    STDMETHOD(GetVertexShader)(IDirect3DVertexShader9** ppShader) override;
    STDMETHOD(SetVertexShaderConstantF)(UINT reg_idx, const float* data, UINT count) override;
    STDMETHOD(GetVertexShaderConstantF)(UINT StartRegister, float* pConstantData, UINT Vector4fCount) override;
    STDMETHOD(SetVertexShaderConstantI)(UINT reg_idx, const int* data, UINT count) override;
    STDMETHOD(GetVertexShaderConstantI)(UINT StartRegister, int* pConstantData, UINT Vector4iCount) override;
    STDMETHOD(SetVertexShaderConstantB)(UINT reg_idx, const WINBOOL* data, UINT count) override;
    STDMETHOD(GetVertexShaderConstantB)(UINT StartRegister, WINBOOL* pConstantData, UINT BoolCount) override;
    STDMETHOD(SetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                               UINT Stride) override;
    STDMETHOD(GetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* OffsetInBytes,
                               UINT* pStride) override;
    STDMETHOD(SetStreamSourceFreq)(UINT StreamNumber, UINT Divider) override;
    STDMETHOD(GetStreamSourceFreq)(UINT StreamNumber, UINT* Divider) override;
    STDMETHOD(SetIndices)(IDirect3DIndexBuffer9* pIndexData) override;
    STDMETHOD(GetIndices)(IDirect3DIndexBuffer9** ppIndexData) override;
    STDMETHOD(CreatePixelShader)(const DWORD* byte_code, IDirect3DPixelShader9** shader) override;
    STDMETHOD(SetPixelShader)(IDirect3DPixelShader9* pShader) override;
    STDMETHOD(GetPixelShader)(IDirect3DPixelShader9** ppShader) override;
    STDMETHOD(SetPixelShaderConstantF)(UINT reg_idx, const float* data, UINT count) override;
    STDMETHOD(GetPixelShaderConstantF)(UINT StartRegister, float* pConstantData, UINT Vector4fCount) override;
    STDMETHOD(SetPixelShaderConstantI)(UINT reg_idx, const int* data, UINT count) override;
    STDMETHOD(GetPixelShaderConstantI)(UINT StartRegister, int* pConstantData, UINT Vector4iCount) override;
    STDMETHOD(SetPixelShaderConstantB)(UINT reg_idx, const WINBOOL* data, UINT count) override;
    STDMETHOD(GetPixelShaderConstantB)(UINT StartRegister, WINBOOL* pConstantData, UINT BoolCount) override;
    STDMETHOD(DrawRectPatch)(UINT handle, const float* segment_count,
                             const D3DRECTPATCH_INFO* patch_info) override;
    STDMETHOD(DrawTriPatch)(UINT handle, const float* segment_count, const D3DTRIPATCH_INFO* patch_info) override;
    STDMETHOD(DeletePatch)(UINT Handle) override;
    STDMETHOD(CreateQuery)(D3DQUERYTYPE Type, IDirect3DQuery9** ppQuery) override;

private:
    // Logs the call; answers the injected failure, or S_OK. A call on a
    // device whose references are all gone is a fault.
    HRESULT Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                  std::initializer_list<float> floats = {});
    HRESULT Leave(HRESULT hr) { return m_pState->Leave(hr); }
    HRESULT Refuse(const std::string& sWhy, HRESULT hr = D3DERR_INVALIDCALL) { return m_pState->Refuse(sWhy, hr); }
    // Logs a call the fake does not offer, nulls its result and refuses it.
    template <class T>
    HRESULT Unsupported(const char* pszMethod, T** ppOut, HRESULT hr = D3DERR_INVALIDCALL) {
        if (ppOut) *ppOut = nullptr;
        if (FAILED(Enter(pszMethod, {}))) return m_pState->Last().hr;
        return Refuse("not offered by the recording device", hr);
    }
    HRESULT Unsupported(const char* pszMethod) { return Unsupported<void>(pszMethod, nullptr); }
    void RecordDrawData(const void* pData, UINT nBytes);
    // Why a draw would be refused (empty when it is sound): the scene, the
    // vertex format, stream 0 and the textures; nVertices from nFirst are read.
    std::string DrawProblem(D3DPRIMITIVETYPE type, UINT nPrimitives) const;
    std::string StreamProblem(UINT nFirstVertex, UINT nVertices) const;
    std::string IndexProblem(INT nBase, UINT nMin, UINT nCount, UINT nStart, UINT nIndices) const;
    // Why a surface the code passes in cannot be used here (empty when it can).
    std::string SurfaceProblem(IDirect3DSurface9* pSurface, DWORD dwNeededUsage, const char* pszWhat) const;
    bool DepthSmallerThanTarget() const;

    std::unique_ptr<CFakeState> m_pState;
    CFakeDeviceSetup m_setup;
    ULONG m_nRefs = 1;
    HRESULT m_hrCooperativeLevel = D3D_OK;
    D3DCAPS9 m_caps{};
    D3DDISPLAYMODE m_displayMode{};
    CFakeSurface* m_pBackBuffer = nullptr;
    CFakeSurface* m_pDepthStencil = nullptr;
    IDirect3DSurface9* m_apRenderTargets[4] = {};
    IDirect3DSurface9* m_pCurrentDepthStencil = nullptr;
    std::map<DWORD, DWORD> m_mapRenderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> m_mapStageStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> m_mapSamplerStates;
    std::map<DWORD, D3DMATRIX> m_mapTransforms;
    std::map<DWORD, D3DLIGHT9> m_mapLights;
    std::map<DWORD, WINBOOL> m_mapLightEnabled;
    std::map<DWORD, std::vector<float>> m_mapClipPlanes;
    D3DCLIPSTATUS9 m_clipStatus{};
    D3DGAMMARAMP m_gammaRamp{};
    WINBOOL m_bCursorShown = FALSE;
    std::map<DWORD, IDirect3DBaseTexture9*> m_mapTextures;
    struct CStream {
        IDirect3DVertexBuffer9* pBuffer = nullptr;
        UINT nOffset = 0, nStride = 0, nFreq = 1;
    };
    std::map<UINT, CStream> m_mapStreams;
    IDirect3DIndexBuffer9* m_pIndices = nullptr;
    D3DMATERIAL9 m_material{};
    D3DVIEWPORT9 m_viewport{};
    RECT m_rcScissor{};
    DWORD m_dwFVF = 0;
    bool m_bInScene = false;
    bool m_bSoftwareVP = false;
    float m_fNPatchSegments = 0.0f;
};
