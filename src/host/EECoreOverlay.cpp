// The clock and FPS overlay: digit textures from the digit archive, drawn
// as shadowed glyphs over the finished frame.
#include <cstring>

#include "ClassRender/D3DXTexture.h"
#include "ClassRender/MediaEntry.h"
#include "assets/DigitArchive.h"
#include "host/EECore.h"
#include "host/EECoreScreenQuad.h"
#include "host/OverlayLayout.h"
#include "host/ScreenQuad.h"
#include "resource.h"

namespace {

IDirect3DTexture9* DigitTexture(IDirect3DDevice9* pDevice, const char* pszEntry) {
    std::vector<uint8_t> entry;
    IDirect3DTexture9* pTexture = nullptr;
    if (ReadArchiveEntry(IDR_DIGITS_ARCHIVE, pszEntry, kDigitArchivePassword, entry) &&
        FAILED(D3DXCreateTextureFromFileInMemory(pDevice, entry.data(), UINT(entry.size()), &pTexture)))
        pTexture = nullptr;
    return pTexture;
}

}  // namespace

HRESULT CEECore::EE_Core_LoadOverlay(IDirect3DDevice9* pDevice) {
    for (int i = 0; i < kDigitEntryCount; ++i) {
        IDirect3DTexture9* pTexture = DigitTexture(pDevice, kDigitEntries[i]);
        if (i < 12) m_apDigitTextures[i] = pTexture;
        else if (i == 12) m_pAmTexture = pTexture;
        else m_pPmTexture = pTexture;
    }
    m_pOverlayQuad = CreateScreenQuad(pDevice);
    return m_pOverlayQuad ? S_OK : E_FAIL;
}

void CEECore::ReleaseOverlayQuad() {
    if (m_pOverlayQuad) m_pOverlayQuad->Release();
    m_pOverlayQuad = nullptr;
}

HRESULT CEECore::RestoreOverlayQuad(IDirect3DDevice9* pDevice) {
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
    DrawQuadStrip(pDevice);
    const D3DCOLOR nColor = 0xFF000000u | uint32_t(m_aOverlayColor[0]) << 16 |
                            uint32_t(m_aOverlayColor[1]) << 8 | m_aOverlayColor[2];
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    EE_Core_DrawQuad(m_pOverlayQuad, nColor, viewport, glyph.x, glyph.y, kGlyphWidth, kGlyphHeight);
    DrawQuadStrip(pDevice);
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
        for (const OverlayGlyph& glyph : FpsGlyphs(m_FrameRate.Value())) DrawOverlayGlyph(pDevice, viewport, glyph);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    return S_OK;
}
