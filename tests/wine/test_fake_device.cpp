// The recording fake device itself: real memory behind locks, the call log
// in order with its arguments, failure injection, the lost-device answer, and
// the refusals of Direct3D 9 that fail the test unless it takes them.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDevice.h"
#include "FakeDirect3D.h"

namespace {

struct FakeDeviceTest : ::testing::Test {
    CFakeDevice device;
};

D3DMATRIX Scale(float s) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = s;
    m._44 = 1.0f;
    return m;
}

// True when every fault names its method and, in order, contains the texts.
// A render-target texture of that size and its level 0.
void MakeRenderTarget(CFakeDevice& device, UINT nWidth, UINT nHeight, IDirect3DTexture9** ppTex,
                      IDirect3DSurface9** ppLevel) {
    ASSERT_EQ(device.CreateTexture(nWidth, nHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, ppTex,
                                   nullptr),
              D3D_OK);
    ASSERT_EQ((*ppTex)->GetSurfaceLevel(0, ppLevel), D3D_OK);
}

::testing::AssertionResult FaultsAre(const std::vector<std::string>& faults,
                                     const std::vector<std::string>& expected) {
    if (faults.size() != expected.size())
        return ::testing::AssertionFailure() << faults.size() << " faults, " << expected.size() << " expected: "
                                             << ::testing::PrintToString(faults);
    for (size_t i = 0; i < faults.size(); ++i)
        if (faults[i].find(expected[i]) == std::string::npos)
            return ::testing::AssertionFailure() << "fault " << i << " is \"" << faults[i] << "\", not \""
                                                 << expected[i] << "\"";
    return ::testing::AssertionSuccess();
}

D3DMATRIX Translate(float x) {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    m._41 = x;
    return m;
}

}  // namespace

TEST_F(FakeDeviceTest, VertexAndIndexBuffersLockToWritableMemoryOfTheirSize) {
    IDirect3DVertexBuffer9* pVB = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(64, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &pVB, nullptr), D3D_OK);
    void* pData = nullptr;
    ASSERT_EQ(pVB->Lock(0, 0, &pData, 0), D3D_OK);  // 0, 0 is the whole buffer
    std::memset(pData, 0xAB, 64);
    EXPECT_EQ(pVB->Unlock(), D3D_OK);
    auto* pFakeVB = static_cast<CFakeVertexBuffer*>(pVB);
    EXPECT_EQ(pFakeVB->Data(), std::vector<unsigned char>(64, 0xAB));

    void* pPart = nullptr;
    ASSERT_EQ(pVB->Lock(16, 16, &pPart, 0), D3D_OK);
    EXPECT_EQ(static_cast<unsigned char*>(pPart), pFakeVB->Data().data() + 16);
    EXPECT_TRUE(pFakeVB->IsLocked());
    EXPECT_EQ(pVB->Unlock(), D3D_OK);
    EXPECT_FALSE(pFakeVB->IsLocked());
    EXPECT_EQ(pVB->Unlock(), D3DERR_INVALIDCALL);  // nothing open
    EXPECT_EQ(pVB->Lock(60, 8, &pPart, 0), D3DERR_INVALIDCALL);  // past the end
    EXPECT_EQ(pPart, nullptr);
    EXPECT_EQ(pVB->Lock(0, 0, &pPart, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);  // not a dynamic buffer
    EXPECT_EQ(pPart, nullptr);
    D3DVERTEXBUFFER_DESC vbDesc;
    ASSERT_EQ(pVB->GetDesc(&vbDesc), D3D_OK);
    EXPECT_EQ(vbDesc.Size, 64u);
    EXPECT_EQ(vbDesc.FVF, DWORD(D3DFVF_XYZ));

    IDirect3DIndexBuffer9* pIB = nullptr;
    EXPECT_EQ(device.CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pIB, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(pIB, nullptr);
    ASSERT_EQ(device.CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pIB, nullptr), D3D_OK);
    ASSERT_EQ(pIB->Lock(0, 12, &pData, 0), D3D_OK);
    const WORD indices[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(pData, indices, sizeof indices);
    pIB->Unlock();
    EXPECT_EQ(std::memcmp(static_cast<CFakeIndexBuffer*>(pIB)->Data().data(), indices, 12), 0);

    EXPECT_EQ(device.LiveResources(), 2);
    EXPECT_EQ(device.RefCount(), 3u) << "each resource holds its device";
    EXPECT_EQ(pVB->Release(), 0u);
    EXPECT_EQ(pIB->Release(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
    EXPECT_EQ(device.RefCount(), 1u);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(),
                          {"VertexBuffer.Unlock: the buffer is not locked",
                           "VertexBuffer.Lock: bytes 60 to 68 lie beyond the buffer's 64",
                           "VertexBuffer.Lock: D3DLOCK_DISCARD or D3DLOCK_NOOVERWRITE on a buffer made without",
                           "CreateIndexBuffer: format 21 is no index format"}));

    // A dynamic buffer takes D3DLOCK_DISCARD and D3DLOCK_NOOVERWRITE.
    ASSERT_EQ(device.CreateVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &pVB, nullptr),
              D3D_OK);
    EXPECT_EQ(pVB->Lock(0, 0, &pData, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(pVB->Unlock(), D3D_OK);
    EXPECT_EQ(pVB->Lock(32, 32, &pData, D3DLOCK_NOOVERWRITE), D3D_OK);
    EXPECT_EQ(pVB->Unlock(), D3D_OK);
    pVB->Release();
    EXPECT_TRUE(device.Faults().empty());
}

TEST_F(FakeDeviceTest, TextureLevelsLockToTheirOwnMemoryWithPitch) {
    IDirect3DTexture9* pTex = nullptr;
    ASSERT_EQ(device.CreateTexture(64, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTex, nullptr), D3D_OK);
    ASSERT_EQ(pTex->GetLevelCount(), 7u);  // 64 down to 1
    std::vector<void*> bits;
    for (UINT level = 0; level < 7; ++level) {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(pTex->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, std::max(1u, 64u >> level));
        EXPECT_EQ(desc.Height, std::max(1u, 16u >> level));
        D3DLOCKED_RECT locked;
        ASSERT_EQ(pTex->LockRect(level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, INT(desc.Width * 4));
        for (UINT y = 0; y < desc.Height; ++y)
            std::memset(static_cast<char*>(locked.pBits) + y * locked.Pitch, int(level + 1), desc.Width * 4);
        bits.push_back(locked.pBits);
        EXPECT_EQ(pTex->LockRect(level, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
        EXPECT_EQ(pTex->UnlockRect(level), D3D_OK);
    }
    auto* pFake = static_cast<CFakeTexture*>(pTex);
    for (UINT level = 0; level < 7; ++level) {
        const auto& data = pFake->Level(level)->Data();
        EXPECT_EQ(data, std::vector<unsigned char>(data.size(), level + 1)) << "level " << level;
    }
    D3DLOCKED_RECT locked;
    EXPECT_EQ(pTex->LockRect(7, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(pTex->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);  // not dynamic

    // A sub-rectangle starts at its own first pixel.
    RECT rc{2, 3, 4, 5};
    ASSERT_EQ(pTex->LockRect(0, &locked, &rc, 0), D3D_OK);
    EXPECT_EQ(static_cast<char*>(locked.pBits), static_cast<char*>(bits[0]) + 3 * 256 + 2 * 4);
    pTex->UnlockRect(0);

    // The level surface is the same memory; its references are its texture's.
    IDirect3DSurface9* pSurface = nullptr;
    ASSERT_EQ(pTex->GetSurfaceLevel(1, &pSurface), D3D_OK);
    ASSERT_EQ(pSurface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.pBits, bits[1]);
    pSurface->UnlockRect();
    EXPECT_EQ(pTex->Release(), 1u);
    EXPECT_EQ(device.LiveResources(), 1);
    EXPECT_EQ(pSurface->Release(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(), {"Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: the surface is already locked",
                                                "Texture.LockRect: level 7 of a texture of 7",
                                                "Texture.LockRect: D3DLOCK_DISCARD on a texture made without"}));

    // Calls on a released object are caught, not undefined.
    pTex->GetLevelCount();
    EXPECT_EQ(pSurface->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(pTex->Release(), 0u);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(), {"Texture.GetLevelCount called on a released object",
                                                "Surface.LockRect: called on a released object",
                                                "Texture.Release called on a released object"}));
}

TEST_F(FakeDeviceTest, TextureCreationFollowsTheRulesOfHardware) {
    IDirect3DTexture9* pTex = nullptr;
    // Block formats: 8 bytes a 4x4 block for DXT1, 16 for DXT5.
    ASSERT_EQ(device.CreateTexture(16, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &pTex, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(pTex->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(static_cast<CFakeTexture*>(pTex)->Level(0)->Data().size(), 64u);
    pTex->UnlockRect(0);
    pTex->Release();

    // Render targets live in the default pool and cannot be locked there.
    EXPECT_EQ(device.CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &pTex,
                                   nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device.CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &pTex,
                                   nullptr),
              D3D_OK);
    EXPECT_EQ(pTex->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    pTex->Release();

    EXPECT_EQ(device.CreateTexture(64, 64, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTex, nullptr),
              D3DERR_INVALIDCALL);  // 64 has 7 levels
    EXPECT_EQ(device.CreateTexture(0, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTex, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device.CreateTexture(64, 64, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTex,
                                   nullptr),
              D3D_OK);
    EXPECT_EQ(pTex->GetLevelCount(), 1u);
    pTex->Release();
    EXPECT_EQ(device.LiveResources(), 0);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(),
                          {"CreateTexture: render-target, depth or dynamic usage outside the default pool",
                           "Texture.LockRect: a default-pool texture made without D3DUSAGE_DYNAMIC cannot be locked",
                           "CreateTexture: 8 levels where the full chain has 7", "CreateTexture: size 0 x 64"}));
}

TEST_F(FakeDeviceTest, LogRecordsCallsInOrderWithTheirArguments) {
    const D3DMATRIX world = Scale(2.0f);
    EXPECT_EQ(device.RenderState(D3DRS_LIGHTING), DWORD(TRUE));  // the device default
    device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    device.BeginScene();
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetSamplerState(2, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device.SetTransform(D3DTS_WORLD, &world);
    device.SetFVF(D3DFVF_XYZ);
    device.EndScene();
    device.Present(nullptr, nullptr, nullptr, nullptr);

    const std::vector<std::string> expected = {"Clear",           "BeginScene",   "SetRenderState",
                                               "SetTextureStageState", "SetSamplerState", "SetTransform",
                                               "SetFVF",          "EndScene",     "Present"};
    EXPECT_EQ(device.CallNames(), expected);
    const CFakeCall& clear = device.Calls()[0];
    EXPECT_EQ(clear.Arg(0), 0u);
    EXPECT_EQ(clear.Arg(2), uint64_t(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    EXPECT_EQ(clear.Arg(3), 0xFF0000FFu);
    ASSERT_EQ(clear.vFloats.size(), 1u);
    EXPECT_EQ(clear.vFloats[0], 1.0f);
    EXPECT_EQ(device.Calls()[2].Arg(0), uint64_t(D3DRS_LIGHTING));
    EXPECT_EQ(device.Calls()[2].Arg(1), 0u);
    EXPECT_EQ(device.Calls()[5].matrix._22, 2.0f);

    // The state is kept for the tests.
    EXPECT_EQ(device.RenderState(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));  // default
    EXPECT_EQ(device.SamplerState(2, D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(device.CurrentFVF(), DWORD(D3DFVF_XYZ));
    EXPECT_EQ(device.CountCalls("Present"), 1u);
    device.ClearCalls();
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(FakeDeviceTest, InjectedFailuresHitTheChosenCallsOnly) {
    device.FailCall("CreateTexture", 2);
    device.FailCallsFrom("CreateVertexBuffer", 2, E_OUTOFMEMORY);
    IDirect3DTexture9* apTex[3] = {};
    HRESULT hr[3];
    for (int i = 0; i < 3; ++i)
        hr[i] = device.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &apTex[i], nullptr);
    EXPECT_EQ(hr[0], D3D_OK);
    EXPECT_EQ(hr[1], D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(apTex[1], nullptr);
    EXPECT_EQ(hr[2], D3D_OK);
    EXPECT_EQ(device.CallsNamed("CreateTexture")[1]->hr, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device.CallsNamed("CreateTexture")[1]->pObject, nullptr);
    EXPECT_EQ(device.CallsNamed("CreateTexture")[2]->pObject, apTex[2]);

    IDirect3DVertexBuffer9* pVB = nullptr;
    EXPECT_EQ(device.CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &pVB, nullptr), D3D_OK);
    for (int i = 0; i < 3; ++i) {
        IDirect3DVertexBuffer9* pFailed = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
        EXPECT_EQ(device.CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &pFailed, nullptr), E_OUTOFMEMORY);
        EXPECT_EQ(pFailed, nullptr);
    }
    // Resource calls fail by their own names.
    device.FailCall("VertexBuffer.Lock", 1);
    void* pData = reinterpret_cast<void*>(1);
    EXPECT_EQ(pVB->Lock(0, 0, &pData, 0), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(pData, nullptr);
    EXPECT_EQ(pVB->Lock(0, 0, &pData, 0), D3D_OK);
    pVB->Unlock();
    EXPECT_EQ(device.LiveResources(), 3);
    apTex[0]->Release();
    apTex[2]->Release();
    pVB->Release();
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST_F(FakeDeviceTest, CooperativeLevelAndSceneRules) {
    EXPECT_EQ(device.TestCooperativeLevel(), D3D_OK);
    device.SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(device.TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device.Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp{};
    EXPECT_EQ(device.Reset(&pp), D3DERR_DEVICELOST);
    device.SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device.Reset(&pp), D3D_OK);
    EXPECT_EQ(device.TestCooperativeLevel(), D3D_OK);
    EXPECT_TRUE(device.Faults().empty()) << "a lost device is no fault of the caller";

    // A reset waits until the default-pool resources are released.
    IDirect3DTexture9* pTarget = nullptr;
    ASSERT_EQ(device.CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &pTarget,
                                   nullptr),
              D3D_OK);
    EXPECT_EQ(device.Reset(&pp), D3DERR_INVALIDCALL);
    pTarget->Release();
    EXPECT_EQ(device.Reset(&pp), D3D_OK);

    EXPECT_EQ(device.EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_TRUE(device.InScene());
    EXPECT_EQ(device.Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.EndScene(), D3D_OK);
    EXPECT_EQ(device.Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device.CallsNamed("BeginScene")[1]->hr, D3DERR_INVALIDCALL);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(), {"Reset: a default-pool resource is still held: Texture",
                                                "EndScene: no scene was begun",
                                                "BeginScene: already between BeginScene and EndScene",
                                                "Present: presented between BeginScene and EndScene"}));
}

namespace {

// A quad of four XYZ | DIFFUSE vertices (16 bytes each) with six 16-bit
// indices, bound and ready to draw inside a scene.
struct QuadDrawTest : FakeDeviceTest {
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    IDirect3DVertexBuffer9* pVB = nullptr;
    IDirect3DIndexBuffer9* pIB = nullptr;

    void SetUp() override {
        ASSERT_EQ(device.CreateVertexBuffer(4 * 16, D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED, &pVB, nullptr), D3D_OK);
        ASSERT_EQ(device.CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pIB, nullptr),
                  D3D_OK);
        void* pData = nullptr;
        ASSERT_EQ(pIB->Lock(0, 0, &pData, 0), D3D_OK);
        const WORD indices[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(pData, indices, sizeof indices);
        pIB->Unlock();
        device.SetFVF(kFvf);
        device.SetStreamSource(0, pVB, 0, 16);
        device.SetIndices(pIB);
        device.BeginScene();
    }
    void TearDown() override {
        device.EndScene();
        pVB->Release();
        pIB->Release();
    }
};

}  // namespace

TEST_F(QuadDrawTest, SoundDrawsPassAndEveryBrokenRuleIsRefused) {
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1), D3D_OK);  // the second triangle
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_TRUE(device.Faults().empty()) << ::testing::PrintToString(device.Faults());

    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 5, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 1, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_POINTLIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL);
    device.SetStreamSource(0, pVB, 0, 20);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device.SetStreamSource(0, pVB, 0, 16);
    void* pData = nullptr;
    pVB->Lock(0, 0, &pData, 0);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    pVB->Unlock();
    device.SetIndices(nullptr);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    device.SetIndices(pIB);
    device.SetFVF(0);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device.SetFVF(kFvf);
    device.EndScene();
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device.BeginScene();
    EXPECT_EQ(device.CallsNamed("DrawIndexedPrimitive").back()->hr, D3DERR_INVALIDCALL);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(),
                          {"DrawIndexedPrimitive: vertices 0 to 4 but stream 0 holds 4",
                           "DrawIndexedPrimitive: vertices 1 to 4 but stream 0 holds 4",
                           "DrawIndexedPrimitive: index 5 is 3, outside the declared vertices 0 to 2",
                           "DrawIndexedPrimitive: indices 1 to 6 but the index buffer holds 6",
                           "DrawIndexedPrimitive: point lists cannot be drawn indexed",
                           "DrawPrimitive: vertices 1 to 4 but stream 0 holds 4",
                           "DrawPrimitive: stream 0's stride 20 is not the 16 bytes of vertex format 0x42",
                           "DrawPrimitive: stream 0's vertex buffer is still locked",
                           "DrawIndexedPrimitive: no index buffer set",
                           "DrawPrimitive: no vertex format set",
                           "DrawPrimitive: drawn outside BeginScene/EndScene"}));
}

TEST_F(QuadDrawTest, ReleasedObjectsAndTheRenderTargetAsTexture) {
    IDirect3DTexture9* pTex = nullptr;
    ASSERT_EQ(device.CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &pTex, nullptr),
              D3D_OK);
    IDirect3DSurface9* pLevel = nullptr;
    ASSERT_EQ(pTex->GetSurfaceLevel(0, &pLevel), D3D_OK);
    device.SetTexture(0, pTex);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device.SetRenderTarget(0, pLevel);
    EXPECT_EQ(device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device.SetTexture(0, nullptr);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    // A target larger than the depth buffer cannot be depth-tested.
    IDirect3DTexture9* pLargeTex = nullptr;
    IDirect3DSurface9* pLarge = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeRenderTarget(device, 2048, 64, &pLargeTex, &pLarge));
    device.SetRenderTarget(0, pLarge);
    EXPECT_EQ(device.Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device.SetRenderTarget(0, device.BackBuffer());
    pLarge->Release();
    pLargeTex->Release();
    pLevel->Release();
    pTex->Release();
    EXPECT_EQ(device.SetTexture(0, pTex), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.SetRenderTarget(0, pLevel), D3DERR_INVALIDCALL);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(),
                          {"DrawPrimitive: stage 0 samples the texture it renders into",
                           "Clear: the depth buffer is smaller than the render target",
                           "DrawPrimitive: depth testing with a depth buffer smaller than the render target",
                           "SetTexture: the texture was released",
                           "SetRenderTarget: the render target was released"}));
}

TEST(FakeDeviceChecks, ProblemsLeftAtTheEndFailTheTest) {
    // A broken draw fails the test that made the device...
    EXPECT_NONFATAL_FAILURE(
        {
            CFakeDevice device;
            IDirect3DVertexBuffer9* pVB = nullptr;
            device.CreateVertexBuffer(3 * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &pVB, nullptr);
            device.SetFVF(D3DFVF_XYZ);
            device.SetStreamSource(0, pVB, 0, 12);
            device.BeginScene();
            EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
            device.EndScene();
            pVB->Release();
        },
        "DrawPrimitive: vertices 0 to 5 but stream 0 holds 3");
    // ... as do a resource never released, a scene never ended and a
    // reference to the device never given back.
    EXPECT_NONFATAL_FAILURE(
        {
            CFakeDevice device;
            IDirect3DTexture9* pTex = nullptr;
            device.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pTex, nullptr);
        },
        "never released: Texture made by #1");
    EXPECT_NONFATAL_FAILURE(
        {
            CFakeDevice device;
            device.BeginScene();
        },
        "a scene was begun and never ended");
    EXPECT_NONFATAL_FAILURE(
        {
            CFakeDevice device;
            device.AddRef();
        },
        "1 reference(s) to the device were never released");
    // A device released by its last owner answers no more calls.
    EXPECT_NONFATAL_FAILURE(
        {
            CFakeDevice device;
            device.Release();
            device.Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        },
        "Clear called on a released device");
}

TEST_F(FakeDeviceTest, RenderTargetsTransformsAndReferences) {
    IDirect3DSurface9* pTarget = nullptr;
    EXPECT_EQ(device.GetRenderTarget(0, &pTarget), D3D_OK);
    EXPECT_EQ(pTarget, device.BackBuffer());
    pTarget->Release();

    IDirect3DTexture9* pTex = nullptr;
    IDirect3DSurface9* pLevel = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeRenderTarget(device, 256, 128, &pTex, &pLevel));
    ASSERT_EQ(device.SetRenderTarget(0, pLevel), D3D_OK);
    D3DVIEWPORT9 vp{};
    device.GetViewport(&vp);
    EXPECT_EQ(vp.Width, 256u);  // the viewport follows the target
    EXPECT_EQ(vp.Height, 128u);
    EXPECT_EQ(device.BoundRenderTarget(0), pLevel);
    EXPECT_EQ(device.SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(), {"SetRenderTarget: render target 0 cannot be unset"}));
    device.SetRenderTarget(0, device.BackBuffer());
    pLevel->Release();
    pTex->Release();

    const D3DMATRIX move = Translate(5.0f);
    device.SetTransform(D3DTS_VIEW, &move);
    EXPECT_EQ(device.Transform(D3DTS_VIEW)._41, 5.0f);
    EXPECT_EQ(device.Transform(D3DTS_WORLD)._44, 1.0f);  // identity when never set

    EXPECT_EQ(device.AddRef(), 2u);
    EXPECT_EQ(device.Release(), 1u);
    EXPECT_EQ(device.Release(), 0u);  // counted, never deleted
    EXPECT_EQ(device.RefCount(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST_F(FakeDeviceTest, UnofferedFeaturesAreRefusedAndLogged) {
    IDirect3DVertexShader9* pShader = nullptr;
    EXPECT_EQ(device.CreateVertexShader(nullptr, &pShader), D3DERR_INVALIDCALL);
    IDirect3DQuery9* pQuery = nullptr;
    EXPECT_EQ(device.CreateQuery(D3DQUERYTYPE_EVENT, &pQuery), D3DERR_INVALIDCALL);
    IDirect3DStateBlock9* pBlock = nullptr;
    EXPECT_EQ(device.CreateStateBlock(D3DSBT_ALL, &pBlock), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.CountCalls("CreateVertexShader"), 1u);
    EXPECT_EQ(device.CountCalls("CreateQuery"), 1u);
    EXPECT_TRUE(FaultsAre(device.TakeFaults(), {"CreateVertexShader: not offered", "CreateQuery: not offered",
                                                "CreateStateBlock: not offered"}));
}

TEST(FakeDirect3DChecks, CreateDeviceChecksItsArgumentsAndTheMachine) {
    CFakeDirect3D d3d;
    HWND hWnd = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 8, 8, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_R5G6B5;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice9* pDevice = nullptr;
    auto create = [&](D3DDEVTYPE type, DWORD dwFlags, HWND hFocus) {
        D3DPRESENT_PARAMETERS params = pp;
        return d3d.CreateDevice(0, type, hFocus, dwFlags, &params, &pDevice);
    };
    // Refusals of the machine: no reference device, a mode the adapter lacks.
    EXPECT_EQ(create(D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING, hWnd), D3DERR_NOTAVAILABLE);
    pp.BackBufferWidth = 1280;
    EXPECT_EQ(create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, hWnd), D3DERR_NOTAVAILABLE);
    pp.BackBufferWidth = 800;
    d3d.SetHardwareVertexProcessing(false);
    EXPECT_EQ(create(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, hWnd), D3DERR_INVALIDCALL);
    EXPECT_EQ(pDevice, nullptr);
    EXPECT_TRUE(d3d.TakeFaults().empty()) << "the machine's refusals are no faults";
    // Faults of the caller.
    EXPECT_EQ(create(D3DDEVTYPE_HAL, 0, hWnd), D3DERR_INVALIDCALL);
    EXPECT_EQ(create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, nullptr), D3DERR_INVALIDCALL);
    pp.AutoDepthStencilFormat = D3DFMT_X8R8G8B8;
    EXPECT_EQ(create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, hWnd), D3DERR_INVALIDCALL);
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    EXPECT_TRUE(FaultsAre(d3d.TakeFaults(), {"CreateDevice: the flags must name exactly one kind of vertex processing",
                                             "CreateDevice: a full-screen device needs a focus window",
                                             "CreateDevice: automatic depth buffer of format 22"}));

    // A device made: the caller's reference, one on the Direct3D object, the
    // back buffer and depth buffer asked for.
    ASSERT_EQ(create(D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING, hWnd), D3D_OK);
    ASSERT_EQ(d3d.Devices().size(), 1u);
    CFakeDevice& device = *d3d.Devices()[0];
    EXPECT_EQ(pDevice, static_cast<IDirect3DDevice9*>(&device));
    EXPECT_EQ(device.BackBuffer()->Width(), 800u);
    EXPECT_EQ(device.BackBuffer()->Format(), D3DFMT_R5G6B5);
    EXPECT_EQ(device.DepthStencil()->Format(), D3DFMT_D16);
    EXPECT_EQ(d3d.RefCount(), 2u);
    EXPECT_EQ(pDevice->Release(), 0u);
    EXPECT_EQ(d3d.RefCount(), 1u);
    DestroyWindow(hWnd);
}
