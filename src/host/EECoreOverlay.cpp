// The loading screen and the screen-quad helper; the clock and FPS overlay.
#include <cstring>

#include "ClassRender/D3DXTexture.h"
#include "ClassRender/MediaEntry.h"
#include "assets/Resources.h"
#include "host/EECore.h"
#include "base/Log.h"
#include "host/OverlayLayout.h"
#include "host/ScreenQuad.h"
#include "resource.h"

namespace {

constexpr int kCornerCount = 4;
const uint16_t kCornerIds[kCornerCount] = {IDR_LOADING_CORNER, IDR_LOADING_LAYER1,
                                           IDR_LOADING_LAYER2, IDR_LOADING_LAYER3};

IDirect3DVertexBuffer9* CreateScreenQuad(IDirect3DDevice9* pDevice) {
    IDirect3DVertexBuffer9* pBuffer = nullptr;
    if (FAILED(pDevice->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY,
                                           kScreenVertexFvf, D3DPOOL_DEFAULT, &pBuffer, nullptr)) ||
        !pBuffer)
        return nullptr;
    void* pData = nullptr;
    if (FAILED(pBuffer->Lock(0, 0, &pData, 0)) || !pData) {
        pBuffer->Release();
        return nullptr;
    }
    WriteInitialScreenQuad(static_cast<ScreenVertex*>(pData));
    pBuffer->Unlock();
    return pBuffer;
}

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

void SetQuadStream(IDirect3DDevice9* pDevice, IDirect3DVertexBuffer9* pBuffer) {
    pDevice->SetStreamSource(0, pBuffer, 0, sizeof(ScreenVertex));
}

void DrawStrip(IDirect3DDevice9* pDevice) { pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2); }

}  // namespace

HRESULT CEECore::EE_Core_DrawQuad(IDirect3DVertexBuffer9* pBuffer, D3DCOLOR nColor,
                                  const D3DVIEWPORT9& viewport, float x, float y, float w, float h) {
    void* pData = nullptr;
    if (!pBuffer || FAILED(pBuffer->Lock(0, 0, &pData, 0)) || !pData) return E_FAIL;
    PlaceScreenQuad(static_cast<ScreenVertex*>(pData), nColor, float(viewport.X), float(viewport.Y),
                    float(viewport.Width), float(viewport.Height), x, y, w, h);
    pBuffer->Unlock();
    return S_OK;
}

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
    DrawStrip(pDevice);

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
        DrawStrip(pDevice);
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

namespace {

const char kDigitPassword[] = "MQ P5P ZZ";
const char* const kDigitEntries[14] = {
    "Digits\\digit_0.tga", "Digits\\digit_1.tga", "Digits\\digit_2.tga", "Digits\\digit_3.tga",
    "Digits\\digit_4.tga", "Digits\\digit_5.tga", "Digits\\digit_6.tga", "Digits\\digit_7.tga",
    "Digits\\digit_8.tga", "Digits\\digit_9.tga", "Digits\\digit_ddot.tga", "Digits\\digit_dot.tga",
    "Digits\\digit_am.tga", "Digits\\digit_pm.tga"};

IDirect3DTexture9* DigitTexture(IDirect3DDevice9* pDevice, const char* pszEntry) {
    std::vector<uint8_t> entry;
    IDirect3DTexture9* pTexture = nullptr;
    if (ReadArchiveEntry(IDR_DIGITS_ARCHIVE, pszEntry, kDigitPassword, entry) &&
        FAILED(D3DXCreateTextureFromFileInMemory(pDevice, entry.data(), UINT(entry.size()), &pTexture)))
        pTexture = nullptr;
    return pTexture;
}

}  // namespace

HRESULT CEECore::EE_Core_LoadOverlay(IDirect3DDevice9* pDevice) {
    for (int i = 0; i < 14; ++i) {
        IDirect3DTexture9* pTexture = DigitTexture(pDevice, kDigitEntries[i]);
        if (i < 12) m_apDigitTextures[i] = pTexture;
        else if (i == 12) m_pAmTexture = pTexture;
        else m_pPmTexture = pTexture;
    }
    m_pOverlayQuad = CreateScreenQuad(pDevice);
    return m_pOverlayQuad ? S_OK : E_FAIL;
}

void CEECore::EE_Core_ReleaseOverlayQuad() {
    if (m_pOverlayQuad) m_pOverlayQuad->Release();
    m_pOverlayQuad = nullptr;
}

HRESULT CEECore::EE_Core_RestoreOverlayQuad(IDirect3DDevice9* pDevice) {
    if (!m_pOverlayQuad) m_pOverlayQuad = CreateScreenQuad(pDevice);
    return m_pOverlayQuad ? S_OK : E_FAIL;
}

IDirect3DTexture9* CEECore::OverlayTexture(int32_t nIndex) const {
    if (nIndex >= 0 && nIndex < 12) return m_apDigitTextures[nIndex];
    return nIndex == OVERLAY_AM ? m_pAmTexture : nIndex == OVERLAY_PM ? m_pPmTexture : nullptr;
}

// One glyph: a shadow quad that darkens the picture, then the colour quad added on top.
void CEECore::DrawOverlayGlyph(IDirect3DDevice9* pDevice, const D3DVIEWPORT9& viewport,
                               const OverlayGlyph& glyph) {
    if (glyph.bResetStates) {
        pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    }
    pDevice->SetTexture(0, OverlayTexture(glyph.nTexture));
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    EE_Core_DrawQuad(m_pOverlayQuad, 0xFFFFFFFF, viewport, glyph.x, glyph.y, kShadowWidth, kShadowHeight);
    DrawStrip(pDevice);
    const D3DCOLOR nColor = 0xFF000000u | uint32_t(m_aOverlayColor[0]) << 16 |
                            uint32_t(m_aOverlayColor[1]) << 8 | m_aOverlayColor[2];
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    EE_Core_DrawQuad(m_pOverlayQuad, nColor, viewport, glyph.x, glyph.y, kGlyphWidth, kGlyphHeight);
    DrawStrip(pDevice);
}

HRESULT CEECore::EE_Core_DrawOverlay(IDirect3DDevice9* pDevice) {
    if (!m_pOverlayQuad) return S_OK;  // nothing to draw with
    D3DVIEWPORT9 viewport;
    std::memset(&viewport, 0, sizeof viewport);
    pDevice->GetViewport(&viewport);
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    pDevice->SetFVF(kScreenVertexFvf);
    SetQuadStream(pDevice, m_pOverlayQuad);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (m_Settings.ShowTime)
        for (const OverlayGlyph& glyph :
             ClockGlyphs(now.wHour, now.wMinute, now.wSecond, m_Settings.TimeModeAMPM != 0))
            DrawOverlayGlyph(pDevice, viewport, glyph);
    if (m_Settings.ShowFPS)
        for (const OverlayGlyph& glyph : FpsGlyphs(m_nFps)) DrawOverlayGlyph(pDevice, viewport, glyph);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    return S_OK;
}
