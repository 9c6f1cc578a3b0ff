// The recording fake device itself: real memory behind locks, the call log
// in order with its arguments, failure injection and the lost-device answer.
#include <gtest/gtest.h>

#include <cstring>

#include "FakeDevice.h"

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
    EXPECT_EQ(pVB->Release(), 0u);
    EXPECT_EQ(pIB->Release(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
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

    // A sub-rectangle starts at its own first pixel.
    RECT rc{2, 3, 4, 5};
    ASSERT_EQ(pTex->LockRect(0, &locked, &rc, 0), D3D_OK);
    EXPECT_EQ(static_cast<char*>(locked.pBits), static_cast<char*>(bits[0]) + 3 * 256 + 2 * 4);
    pTex->UnlockRect(0);

    // The level surface is the same memory, and outlives its texture.
    IDirect3DSurface9* pSurface = nullptr;
    ASSERT_EQ(pTex->GetSurfaceLevel(1, &pSurface), D3D_OK);
    ASSERT_EQ(pSurface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.pBits, bits[1]);
    pSurface->UnlockRect();
    EXPECT_EQ(pTex->Release(), 0u);
    EXPECT_EQ(device.LiveResources(), 1);
    EXPECT_EQ(pSurface->Release(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
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
}

TEST_F(FakeDeviceTest, LogRecordsCallsInOrderWithTheirArguments) {
    const float triangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const D3DMATRIX world = Scale(2.0f);
    EXPECT_EQ(device.RenderState(D3DRS_LIGHTING), DWORD(TRUE));  // the device default
    device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    device.BeginScene();
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device.SetSamplerState(2, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device.SetTransform(D3DTS_WORLD, &world);
    device.SetFVF(D3DFVF_XYZ);
    EXPECT_EQ(device.DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12), D3D_OK);
    device.EndScene();
    device.Present(nullptr, nullptr, nullptr, nullptr);

    const std::vector<std::string> expected = {"Clear",          "BeginScene",           "SetRenderState",
                                               "SetTextureStageState", "SetSamplerState", "SetTransform",
                                               "SetFVF",         "DrawPrimitiveUP",      "EndScene",
                                               "Present"};
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
    const CFakeCall& draw = device.Calls()[7];
    ASSERT_EQ(draw.vData.size(), sizeof triangle);
    EXPECT_EQ(std::memcmp(draw.vData.data(), triangle, sizeof triangle), 0);

    // The state is kept, for the tests and for the Get methods alike.
    EXPECT_EQ(device.RenderState(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));  // default
    EXPECT_EQ(device.SamplerState(2, D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));
    DWORD dwValue = 7;
    EXPECT_EQ(device.GetRenderState(D3DRS_LIGHTING, &dwValue), D3D_OK);
    EXPECT_EQ(dwValue, DWORD(FALSE));
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

    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);  // outside a scene
    EXPECT_EQ(device.EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_TRUE(device.InScene());
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);  // no indices
    EXPECT_EQ(device.EndScene(), D3D_OK);
    EXPECT_EQ(device.CallsNamed("BeginScene")[1]->hr, D3DERR_INVALIDCALL);
}

TEST_F(FakeDeviceTest, RenderTargetsTransformsAndReferences) {
    IDirect3DSurface9* pTarget = nullptr;
    EXPECT_EQ(device.GetRenderTarget(0, &pTarget), D3D_OK);
    EXPECT_EQ(pTarget, device.BackBuffer());
    pTarget->Release();

    IDirect3DTexture9* pTex = nullptr;
    ASSERT_EQ(device.CreateTexture(256, 128, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &pTex,
                                   nullptr),
              D3D_OK);
    IDirect3DSurface9* pLevel = nullptr;
    ASSERT_EQ(pTex->GetSurfaceLevel(0, &pLevel), D3D_OK);
    ASSERT_EQ(device.SetRenderTarget(0, pLevel), D3D_OK);
    D3DVIEWPORT9 vp{};
    device.GetViewport(&vp);
    EXPECT_EQ(vp.Width, 256u);  // the viewport follows the target
    EXPECT_EQ(vp.Height, 128u);
    EXPECT_EQ(device.BoundRenderTarget(0), pLevel);
    EXPECT_EQ(device.SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    device.SetRenderTarget(0, device.BackBuffer());
    pLevel->Release();
    pTex->Release();

    IDirect3DSurface9* pPlain = nullptr;
    ASSERT_EQ(device.CreateOffscreenPlainSurface(4, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &pPlain, nullptr), D3D_OK);
    RECT rc{1, 0, 3, 2};
    device.ColorFill(pPlain, &rc, 0x11223344);
    const auto* pPixels = reinterpret_cast<const DWORD*>(static_cast<CFakeSurface*>(pPlain)->Data().data());
    EXPECT_EQ(std::vector<DWORD>(pPixels, pPixels + 8),
              (std::vector<DWORD>{0, 0x11223344, 0x11223344, 0, 0, 0x11223344, 0x11223344, 0}));
    pPlain->Release();

    // MultiplyTransform applies the given matrix before the current one.
    const D3DMATRIX scale = Scale(2.0f), move = Translate(5.0f);
    device.SetTransform(D3DTS_VIEW, &move);
    device.MultiplyTransform(D3DTS_VIEW, &scale);
    EXPECT_EQ(device.Transform(D3DTS_VIEW)._11, 2.0f);
    EXPECT_EQ(device.Transform(D3DTS_VIEW)._41, 5.0f);
    EXPECT_EQ(device.Transform(D3DTS_WORLD)._44, 1.0f);  // identity when never set

    EXPECT_EQ(device.AddRef(), 2u);
    EXPECT_EQ(device.Release(), 1u);
    EXPECT_EQ(device.Release(), 0u);  // counted, never deleted
    EXPECT_EQ(device.RefCount(), 0u);
    EXPECT_EQ(device.LiveResources(), 0);
}

TEST_F(FakeDeviceTest, UnofferedFeaturesAreRefusedAndLogged) {
    IDirect3DVertexShader9* pShader = reinterpret_cast<IDirect3DVertexShader9*>(1);
    EXPECT_EQ(device.CreateVertexShader(nullptr, &pShader), D3DERR_INVALIDCALL);
    EXPECT_EQ(pShader, nullptr);
    EXPECT_EQ(device.SetVertexShader(nullptr), D3D_OK);  // fixed function stays on
    IDirect3DQuery9* pQuery = nullptr;
    EXPECT_EQ(device.CreateQuery(D3DQUERYTYPE_EVENT, &pQuery), D3DERR_NOTAVAILABLE);
    IDirect3DStateBlock9* pBlock = nullptr;
    EXPECT_EQ(device.CreateStateBlock(D3DSBT_ALL, &pBlock), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.CountCalls("CreateVertexShader"), 1u);
    EXPECT_EQ(device.CountCalls("CreateQuery"), 1u);
}
