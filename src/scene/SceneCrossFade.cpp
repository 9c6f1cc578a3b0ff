// The hand-over between two camera paths: both are drawn into off-screen
// targets and blended on a full-screen quad with the fade weight.
#include <cstring>

#include "host/DeviceStates.h"
#include "base/Log.h"
#include "scene/Scene.h"
#include "scene/SceneVertex.h"

namespace {

struct QuadVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(QuadVertex) == 20, "format 258 vertex");

// Half-texel offsets align texels with pixels; filled in on the first set-up.
QuadVertex g_aQuad[4] = {
    {-1.0f, -1.0f, 0.5f, 0.0f, 1.0f},
    {-1.0f, 1.0f, 0.5f, 0.0f, 0.0f},
    {1.0f, 1.0f, 0.5f, 1.0f, 0.0f},
    {1.0f, -1.0f, 0.5f, 1.0f, 1.0f},
};
bool g_bQuadOffsets = false;
const uint16_t kQuadIndices[6] = {0, 1, 3, 1, 2, 3};

void LogLine(const char* pszText) { LogMessage(LogPath(), "%s\n", pszText); }

void SetQuadOffsets(uint32_t nWidth, uint32_t nHeight) {
    if (g_bQuadOffsets || nWidth == 0 || nHeight == 0) return;
    g_bQuadOffsets = true;
    const float du = 0.5f / float(nWidth), dv = 0.5f / float(nHeight);
    for (QuadVertex& vertex : g_aQuad) {
        vertex.u += du;
        vertex.v += dv;
    }
}

template <typename TBuffer>
void Fill(TBuffer& buffer, IDirect3DDevice9* pDevice, const void* pSource, size_t nBytes) {
    if (buffer.CreateRenderBuffer(pDevice)) return;
    void* pData = nullptr;
    if (FAILED(buffer.Lock(&pData)) || !pData) {
        buffer.Release();  // an empty quad is never drawn
        return;
    }
    std::memcpy(pData, pSource, nBytes);
    buffer.Unlock();
}

template <typename T>
void SafeRelease(T*& pObject) {
    if (pObject) pObject->Release();
    pObject = nullptr;
}

void SetIdentityTransforms(IDirect3DDevice9* pDevice) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DMATRIX* p = reinterpret_cast<const D3DMATRIX*>(&identity);
    pDevice->SetTransform(D3DTS_PROJECTION, p);
    pDevice->SetTransform(D3DTS_VIEW, p);
    pDevice->SetTransform(D3DTS_WORLD, p);
}

void SetCompositeStages(IDirect3DDevice9* pDevice, DWORD nAlphaOp) {
    SetTextureFactorStages(pDevice, D3DTOP_SELECTARG1, nAlphaOp);
}

}  // namespace

uint32_t CScene::CreateRenderTargets(IDirect3DDevice9* pDevice) {
    if (CreateTargetSurfaces(pDevice)) return 1;
    D3DVIEWPORT9 viewport{};
    pDevice->GetViewport(&viewport);
    SetQuadOffsets(viewport.Width, viewport.Height);
    m_QuadFaces.m_nCount = 2;
    Fill(m_QuadFaces, pDevice, kQuadIndices, sizeof kQuadIndices);
    m_QuadVertices.m_nCount = 4;
    Fill(m_QuadVertices, pDevice, g_aQuad, sizeof g_aQuad);
    return 0;
}

// The frame's fixed states and the default-pool part of the cross-fade.
uint32_t CScene::CreateTargetSurfaces(IDirect3DDevice9* pDevice) {
    pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    SetLinearSamplers(pDevice);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 128);

    D3DVIEWPORT9 viewport{};
    pDevice->GetViewport(&viewport);
    for (int i = 0; i < 2; ++i) {
        if (FAILED(pDevice->CreateTexture(viewport.Width, viewport.Height, 1, D3DUSAGE_RENDERTARGET,
                                          D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &m_apTargetTexture[i],
                                          nullptr)) ||
            !m_apTargetTexture[i]) {
            m_apTargetTexture[i] = nullptr;
            LogLine(i == 0 ? "error create render target 0" : "error create render target 1");
            return 1;
        }
    }
    for (int i = 0; i < 2; ++i)
        if (FAILED(m_apTargetTexture[i]->GetSurfaceLevel(0, &m_apTargetSurface[i])))
            m_apTargetSurface[i] = nullptr;
    if (FAILED(pDevice->GetRenderTarget(0, &m_pBackBuffer))) m_pBackBuffer = nullptr;
    return 0;
}

bool CScene::CanCrossFade() const {
    return m_apTargetSurface[0] && m_apTargetSurface[1] && m_pBackBuffer &&
           m_QuadVertices.m_pRenderBuffer && m_QuadFaces.m_pRenderBuffer;
}

void CScene::DrawQuad(IDirect3DDevice9* pDevice) {
    pDevice->SetFVF(m_QuadVertices.m_dwFVF);
    pDevice->SetStreamSource(0, m_QuadVertices.m_pRenderBuffer, 0, m_QuadVertices.m_nStride);
    pDevice->SetIndices(m_QuadFaces.m_pRenderBuffer);
    pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
}

void CScene::Composite(IDirect3DDevice9* pDevice) {
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    SetCompositeStages(pDevice, D3DTOP_SELECTARG1);
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    // The current path's picture replaces the back buffer ...
    pDevice->SetTexture(0, m_apTargetTexture[0]);
    SetIdentityTransforms(pDevice);
    DrawQuad(pDevice);
    // ... and the next one is laid over it with the fade weight as alpha.
    SetCompositeStages(pDevice, D3DTOP_SELECTARG2);
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, WhiteWithAlpha(m_Schedule.m_fBlend));
    pDevice->SetTexture(0, m_apTargetTexture[1]);
    SetIdentityTransforms(pDevice);
    DrawQuad(pDevice);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void CScene::ReleaseTargetSurfaces() {
    SafeRelease(m_apTargetTexture[0]);
    SafeRelease(m_apTargetTexture[1]);
    SafeRelease(m_pBackBuffer);
    SafeRelease(m_apTargetSurface[0]);
    SafeRelease(m_apTargetSurface[1]);
}

void CScene::ReleaseRenderTargets() {
    ReleaseTargetSurfaces();
    m_QuadVertices.Release();
    m_QuadFaces.Release();
}

void CScene::ReleaseDefaultPool() {
    ReleaseTargetSurfaces();
    m_Heart.m_Text.ReleaseDeviceBuffer();
}

void CScene::RestoreDefaultPool(IDirect3DDevice9* pDevice) {
    CreateTargetSurfaces(pDevice);
    m_Heart.m_Text.RestoreDeviceBuffer(pDevice);
}
