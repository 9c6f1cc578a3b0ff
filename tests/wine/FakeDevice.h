#pragma once
// A recording stand-in for the Direct3D 9 device, for tests of drawing code
// that must run without a graphics adapter.
//
// It implements the calls the saver makes. Each call, with its arguments,
// goes into one ordered log (CFakeDevice::Calls); state setters keep their
// values so that tests can read them back. Buffers, textures and surfaces
// lock to real memory of the right size. Every other call is logged and
// refused as not offered (FakeNotOffered.h), a fault that fails the test.
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

#include "FakeNotOffered.h"

struct CFakeCall {
    std::string sMethod;
    std::vector<uint64_t> vArgs;       // integer, enum and pointer arguments, in order
    std::vector<float> vFloats;        // float arguments, in order
    D3DMATRIX matrix{};                // SetTransform, MultiplyTransform
    D3DMATERIAL9 material{};           // SetMaterial
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
    FAKE_NOT_OFFERED(HRESULT, GetDevice, (IDirect3DDevice9**))
    FAKE_NOT_OFFERED(HRESULT, SetPrivateData, (REFGUID, const void*, DWORD, DWORD))
    FAKE_NOT_OFFERED(HRESULT, GetPrivateData, (REFGUID, void*, DWORD*))
    FAKE_NOT_OFFERED(HRESULT, FreePrivateData, (REFGUID))
    FAKE_NOT_OFFERED(DWORD, SetPriority, (DWORD))
    FAKE_NOT_OFFERED(DWORD, GetPriority, ())
    FAKE_NOT_OFFERED(void, PreLoad, ())
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
    // Logs a call the fake does not offer and refuses it (FAKE_NOT_OFFERED).
    template <class R>
    R NotOffered(const char* pszMethod) {
        HRESULT hr = EnterCall(pszMethod, {});
        if (SUCCEEDED(hr)) hr = m_pState->Refuse("not offered by the recording device");
        return NotOfferedAnswer<R>(hr);
    }

    CFakeDevice* m_pDevice;
    CFakeState* m_pState;
    std::string m_sName;
    D3DRESOURCETYPE m_type;
    DWORD m_dwUsage;
    D3DPOOL m_pool;
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
    FAKE_NOT_OFFERED(HRESULT, GetContainer, (REFIID, void**))
    STDMETHOD(GetDesc)(D3DSURFACE_DESC* pDesc) override;
    STDMETHOD(LockRect)(D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) override;
    STDMETHOD(UnlockRect)() override;
    FAKE_NOT_OFFERED(HRESULT, GetDC, (HDC*))
    FAKE_NOT_OFFERED(HRESULT, ReleaseDC, (HDC))

    bool IsReleased() const override;
    std::string LiveDescription() const override;
    UINT Width() const { return m_nWidth; }
    UINT Height() const { return m_nHeight; }
    D3DFORMAT Format() const { return m_format; }
    UINT Pitch() const { return m_nPitch; }
    CFakeTexture* Container() const { return m_pContainer; }
    const std::vector<unsigned char>& Data() const { return m_vData; }
    bool IsLocked() const { return m_bLocked; }
    // Lock without logging, for the texture's LockRect.
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

    FAKE_NOT_OFFERED(DWORD, SetLOD, (DWORD))
    FAKE_NOT_OFFERED(DWORD, GetLOD, ())
    STDMETHOD_(DWORD, GetLevelCount)() override;
    FAKE_NOT_OFFERED(HRESULT, SetAutoGenFilterType, (D3DTEXTUREFILTERTYPE))
    FAKE_NOT_OFFERED(D3DTEXTUREFILTERTYPE, GetAutoGenFilterType, ())
    FAKE_NOT_OFFERED(void, GenerateMipSubLevels, ())
    STDMETHOD(GetLevelDesc)(UINT nLevel, D3DSURFACE_DESC* pDesc) override;
    STDMETHOD(GetSurfaceLevel)(UINT nLevel, IDirect3DSurface9** ppSurface) override;
    STDMETHOD(LockRect)(UINT nLevel, D3DLOCKED_RECT* pLocked, const RECT* pRect, DWORD dwFlags) override;
    STDMETHOD(UnlockRect)(UINT nLevel) override;
    FAKE_NOT_OFFERED(HRESULT, AddDirtyRect, (const RECT*))

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
    FAKE_NOT_OFFERED(UINT, GetAvailableTextureMem, ())
    FAKE_NOT_OFFERED(HRESULT, EvictManagedResources, ())
    FAKE_NOT_OFFERED(HRESULT, GetDirect3D, (IDirect3D9**))
    FAKE_NOT_OFFERED(HRESULT, GetDeviceCaps, (D3DCAPS9*))
    FAKE_NOT_OFFERED(HRESULT, GetDisplayMode, (UINT, D3DDISPLAYMODE*))
    FAKE_NOT_OFFERED(HRESULT, GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS*))
    FAKE_NOT_OFFERED(HRESULT, SetCursorProperties, (UINT, UINT, IDirect3DSurface9*))
    FAKE_NOT_OFFERED(void, SetCursorPosition, (int, int, DWORD))
    FAKE_NOT_OFFERED(WINBOOL, ShowCursor, (WINBOOL))
    FAKE_NOT_OFFERED(HRESULT, CreateAdditionalSwapChain, (D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**))
    FAKE_NOT_OFFERED(HRESULT, GetSwapChain, (UINT, IDirect3DSwapChain9**))
    FAKE_NOT_OFFERED(UINT, GetNumberOfSwapChains, ())
    STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    STDMETHOD(Present)(const RECT* src_rect, const RECT* dst_rect, HWND dst_window_override,
                       const RGNDATA* dirty_region) override;
    FAKE_NOT_OFFERED(HRESULT, GetBackBuffer, (UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**))
    FAKE_NOT_OFFERED(HRESULT, GetRasterStatus, (UINT, D3DRASTER_STATUS*))
    FAKE_NOT_OFFERED(HRESULT, SetDialogBoxMode, (WINBOOL))
    FAKE_NOT_OFFERED(void, SetGammaRamp, (UINT, DWORD, const D3DGAMMARAMP*))
    FAKE_NOT_OFFERED(void, GetGammaRamp, (UINT, D3DGAMMARAMP*))
    STDMETHOD(CreateTexture)(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                             IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    FAKE_NOT_OFFERED(HRESULT, CreateVolumeTexture, (UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                                    IDirect3DVolumeTexture9**, HANDLE*))
    FAKE_NOT_OFFERED(HRESULT, CreateCubeTexture, (UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**,
                                                  HANDLE*))
    STDMETHOD(CreateVertexBuffer)(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                  IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    STDMETHOD(CreateIndexBuffer)(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
    FAKE_NOT_OFFERED(HRESULT, CreateRenderTarget, (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, WINBOOL,
                                                   IDirect3DSurface9**, HANDLE*))
    FAKE_NOT_OFFERED(HRESULT, CreateDepthStencilSurface, (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD,
                                                          WINBOOL, IDirect3DSurface9**, HANDLE*))
    FAKE_NOT_OFFERED(HRESULT, UpdateSurface, (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*))
    FAKE_NOT_OFFERED(HRESULT, UpdateTexture, (IDirect3DBaseTexture9*, IDirect3DBaseTexture9*))
    FAKE_NOT_OFFERED(HRESULT, GetRenderTargetData, (IDirect3DSurface9*, IDirect3DSurface9*))
    FAKE_NOT_OFFERED(HRESULT, GetFrontBufferData, (UINT, IDirect3DSurface9*))
    FAKE_NOT_OFFERED(HRESULT, StretchRect, (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                                            D3DTEXTUREFILTERTYPE))
    FAKE_NOT_OFFERED(HRESULT, ColorFill, (IDirect3DSurface9*, const RECT*, D3DCOLOR))
    FAKE_NOT_OFFERED(HRESULT, CreateOffscreenPlainSurface, (UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
                                                            HANDLE*))
    STDMETHOD(SetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
    STDMETHOD(GetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
    FAKE_NOT_OFFERED(HRESULT, SetDepthStencilSurface, (IDirect3DSurface9*))
    FAKE_NOT_OFFERED(HRESULT, GetDepthStencilSurface, (IDirect3DSurface9**))
    STDMETHOD(BeginScene)() override;
    STDMETHOD(EndScene)() override;
    STDMETHOD(Clear)(DWORD rect_count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) override;
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    FAKE_NOT_OFFERED(HRESULT, GetTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
    FAKE_NOT_OFFERED(HRESULT, MultiplyTransform, (D3DTRANSFORMSTATETYPE, const D3DMATRIX*))
    FAKE_NOT_OFFERED(HRESULT, SetViewport, (const D3DVIEWPORT9*))
    STDMETHOD(GetViewport)(D3DVIEWPORT9* pViewport) override;
    STDMETHOD(SetMaterial)(const D3DMATERIAL9* material) override;
    FAKE_NOT_OFFERED(HRESULT, GetMaterial, (D3DMATERIAL9*))
    FAKE_NOT_OFFERED(HRESULT, SetLight, (DWORD, const D3DLIGHT9*))
    FAKE_NOT_OFFERED(HRESULT, GetLight, (DWORD, D3DLIGHT9*))
    FAKE_NOT_OFFERED(HRESULT, LightEnable, (DWORD, WINBOOL))
    FAKE_NOT_OFFERED(HRESULT, GetLightEnable, (DWORD, WINBOOL*))
    FAKE_NOT_OFFERED(HRESULT, SetClipPlane, (DWORD, const float*))
    FAKE_NOT_OFFERED(HRESULT, GetClipPlane, (DWORD, float*))
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE State, DWORD Value) override;
    FAKE_NOT_OFFERED(HRESULT, GetRenderState, (D3DRENDERSTATETYPE, DWORD*))
    FAKE_NOT_OFFERED(HRESULT, CreateStateBlock, (D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**))
    FAKE_NOT_OFFERED(HRESULT, BeginStateBlock, ())
    FAKE_NOT_OFFERED(HRESULT, EndStateBlock, (IDirect3DStateBlock9**))
    FAKE_NOT_OFFERED(HRESULT, SetClipStatus, (const D3DCLIPSTATUS9*))
    FAKE_NOT_OFFERED(HRESULT, GetClipStatus, (D3DCLIPSTATUS9*))
    FAKE_NOT_OFFERED(HRESULT, GetTexture, (DWORD, IDirect3DBaseTexture9**))
    STDMETHOD(SetTexture)(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    FAKE_NOT_OFFERED(HRESULT, GetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*))
    STDMETHOD(SetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    FAKE_NOT_OFFERED(HRESULT, GetSamplerState, (DWORD, D3DSAMPLERSTATETYPE, DWORD*))
    STDMETHOD(SetSamplerState)(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    FAKE_NOT_OFFERED(HRESULT, ValidateDevice, (DWORD*))
    FAKE_NOT_OFFERED(HRESULT, SetPaletteEntries, (UINT, const PALETTEENTRY*))
    FAKE_NOT_OFFERED(HRESULT, GetPaletteEntries, (UINT, PALETTEENTRY*))
    FAKE_NOT_OFFERED(HRESULT, SetCurrentTexturePalette, (UINT))
    FAKE_NOT_OFFERED(HRESULT, GetCurrentTexturePalette, (UINT*))
    FAKE_NOT_OFFERED(HRESULT, SetScissorRect, (const RECT*))
    FAKE_NOT_OFFERED(HRESULT, GetScissorRect, (RECT*))
    FAKE_NOT_OFFERED(HRESULT, SetSoftwareVertexProcessing, (WINBOOL))
    FAKE_NOT_OFFERED(WINBOOL, GetSoftwareVertexProcessing, ())
    FAKE_NOT_OFFERED(HRESULT, SetNPatchMode, (float))
    FAKE_NOT_OFFERED(float, GetNPatchMode, ())
    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                    UINT NumVertices, UINT startIndex, UINT primCount) override;
    FAKE_NOT_OFFERED(HRESULT, DrawPrimitiveUP, (D3DPRIMITIVETYPE, UINT, const void*, UINT))
    FAKE_NOT_OFFERED(HRESULT, DrawIndexedPrimitiveUP, (D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                                       const void*, UINT))
    FAKE_NOT_OFFERED(HRESULT, ProcessVertices, (UINT, UINT, UINT, IDirect3DVertexBuffer9*,
                                                IDirect3DVertexDeclaration9*, DWORD))
    FAKE_NOT_OFFERED(HRESULT, CreateVertexDeclaration, (const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**))
    FAKE_NOT_OFFERED(HRESULT, SetVertexDeclaration, (IDirect3DVertexDeclaration9*))
    FAKE_NOT_OFFERED(HRESULT, GetVertexDeclaration, (IDirect3DVertexDeclaration9**))
    STDMETHOD(SetFVF)(DWORD FVF) override;
    FAKE_NOT_OFFERED(HRESULT, GetFVF, (DWORD*))
    FAKE_SHADER_NOT_OFFERED(Vertex)
    STDMETHOD(SetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                               UINT Stride) override;
    FAKE_NOT_OFFERED(HRESULT, GetStreamSource, (UINT, IDirect3DVertexBuffer9**, UINT*, UINT*))
    FAKE_NOT_OFFERED(HRESULT, SetStreamSourceFreq, (UINT, UINT))
    FAKE_NOT_OFFERED(HRESULT, GetStreamSourceFreq, (UINT, UINT*))
    STDMETHOD(SetIndices)(IDirect3DIndexBuffer9* pIndexData) override;
    FAKE_NOT_OFFERED(HRESULT, GetIndices, (IDirect3DIndexBuffer9**))
    FAKE_SHADER_NOT_OFFERED(Pixel)
    FAKE_NOT_OFFERED(HRESULT, DrawRectPatch, (UINT, const float*, const D3DRECTPATCH_INFO*))
    FAKE_NOT_OFFERED(HRESULT, DrawTriPatch, (UINT, const float*, const D3DTRIPATCH_INFO*))
    FAKE_NOT_OFFERED(HRESULT, DeletePatch, (UINT))
    FAKE_NOT_OFFERED(HRESULT, CreateQuery, (D3DQUERYTYPE, IDirect3DQuery9**))

private:
    // Logs the call; answers the injected failure, or S_OK. A call on a
    // device whose references are all gone is a fault.
    HRESULT Enter(const char* pszMethod, std::initializer_list<uint64_t> args,
                  std::initializer_list<float> floats = {});
    HRESULT Leave(HRESULT hr) { return m_pState->Leave(hr); }
    HRESULT Refuse(const std::string& sWhy, HRESULT hr = D3DERR_INVALIDCALL) { return m_pState->Refuse(sWhy, hr); }
    // Logs a call the fake does not offer and refuses it (FAKE_NOT_OFFERED).
    template <class R>
    R NotOffered(const char* pszMethod) {
        HRESULT hr = Enter(pszMethod, {});
        if (SUCCEEDED(hr)) hr = Refuse("not offered by the recording device");
        return NotOfferedAnswer<R>(hr);
    }
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
    CFakeSurface* m_pBackBuffer = nullptr;
    CFakeSurface* m_pDepthStencil = nullptr;
    IDirect3DSurface9* m_apRenderTargets[4] = {};
    IDirect3DSurface9* m_pCurrentDepthStencil = nullptr;
    std::map<DWORD, DWORD> m_mapRenderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> m_mapStageStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> m_mapSamplerStates;
    std::map<DWORD, D3DMATRIX> m_mapTransforms;
    std::map<DWORD, IDirect3DBaseTexture9*> m_mapTextures;
    struct CStream {
        IDirect3DVertexBuffer9* pBuffer = nullptr;
        UINT nOffset = 0, nStride = 0;
    };
    std::map<UINT, CStream> m_mapStreams;
    IDirect3DIndexBuffer9* m_pIndices = nullptr;
    D3DMATERIAL9 m_material{};
    D3DVIEWPORT9 m_viewport{};
    DWORD m_dwFVF = 0;
    bool m_bInScene = false;
};
