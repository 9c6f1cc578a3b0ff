// The loading screen: the background picture and the corner layers that are
// present, drawn and presented once while the scene loads.
#include <cstring>

#include "ClassRender/D3DXTexture.h"
#include "assets/Resources.h"
#include "base/Log.h"
#include "host/EECore.h"
#include "host/EECoreScreenQuad.h"
#include "host/ScreenQuad.h"
#include "resource.h"

namespace {

constexpr int kCornerCount = 4;
const uint16_t kCornerIds[kCornerCount] = {IDR_LOADING_CORNER, IDR_LOADING_LAYER1,
                                           IDR_LOADING_LAYER2, IDR_LOADING_LAYER3};

IDirect3DTexture9* CornerTexture(IDirect3DDevice9* pDevice, const ResourceBlob& blob) {
    IDirect3DTexture9* pTexture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
            pDevice, blob.pData, blob.nSize, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT, 0,
            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
            &pTexture)))
        return pTexture;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
            pDevice, blob.pData, blob.nSize, 128, 128, D3DX_DEFAULT, 0, D3DFMT_R5G6B5,
            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &pTexture)))
        return pTexture;
    return nullptr;
}

}  // namespace

HRESULT CEECore::EE_Core_DrawLoading(IDirect3DDevice9* pDevice) {
    LogMessage(LogPath(), "%s\n", "EE_Core_DrawLoading");
    IDirect3DVertexBuffer9* pQuad = CreateScreenQuad(pDevice);
    if (!pQuad) return E_FAIL;

    const ResourceBlob background = LoadDataResource("CustomData", IDR_LOADING_BACK);
    IDirect3DTexture9* pBackground = nullptr;
    D3DXCreateTextureFromFileInMemory(pDevice, background.pData, background.nSize, &pBackground);
    bool abPresent[kCornerCount];
    IDirect3DTexture9* apCorners[kCornerCount];
    for (int i = 0; i < kCornerCount; ++i) {
        const ResourceBlob blob = LoadDataResource("CustomData", kCornerIds[i]);
        abPresent[i] = IsLayerPresent(blob.nSize);
        apCorners[i] = CornerTexture(pDevice, blob);
    }

    pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    pDevice->BeginScene();
    D3DVIEWPORT9 viewport;
    std::memset(&viewport, 0, sizeof viewport);
    pDevice->GetViewport(&viewport);
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    EE_Core_DrawQuad(pQuad, 0xFFFFFFFF, viewport, 0.f, 0.f, 1.f, 1.f);
    pDevice->SetFVF(kScreenVertexFvf);
    SetQuadStream(pDevice, pQuad);
    pDevice->SetTexture(0, pBackground);
    DrawQuadStrip(pDevice);

    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const float sx = viewport.Width ? 256.f / float(viewport.Width) : 0.f;
    const float sy = viewport.Height ? 128.f / float(viewport.Height) : 0.f;
    const float afX[kCornerCount] = {1.f - sx, 0.f, 0.f, 1.f - sx};
    const float afY[kCornerCount] = {1.f - sy, 1.f - sy, 0.f, 0.f};
    for (int i = 0; i < kCornerCount; ++i) {
        if (!abPresent[i]) continue;
        EE_Core_DrawQuad(pQuad, 0xFFFFFFFF, viewport, afX[i], afY[i], sx, sy);
        SetQuadStream(pDevice, pQuad);
        pDevice->SetTexture(0, apCorners[i]);
        pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        DrawQuadStrip(pDevice);
    }
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    pDevice->EndScene();
    m_nFrameParity = 1 - m_nFrameParity;
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);

    pDevice->SetTexture(0, nullptr);
    if (pBackground) pBackground->Release();
    for (IDirect3DTexture9* pCorner : apCorners)
        if (pCorner) pCorner->Release();
    pQuad->Release();
    return S_OK;
}
