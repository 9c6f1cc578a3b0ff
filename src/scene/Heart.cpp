#include "scene/Heart.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "base/Log.h"
#include "base/SystemClock.h"
#include "scene/ScenePhases.h"
#include "scene/SceneAngles.h"
#include "scene/SceneRandom.h"
#include "scene/SceneVertex.h"

namespace {
constexpr uint32_t kQuoteShownMs = 14000;
}

CHeart::CHeart() {
    D3DXMatrixIdentity(&m_World);
    D3DXMatrixRotationY(&m_TextTurn, kQuarterTurn);
    D3DXMatrixIdentity(&m_Scale);
}

uint32_t CHeart::Load(const char* pszMesh, const char* pszTexture, IDirect3DDevice9* pDevice,
                      const QuoteSource& quotes) {
    m_Quotes = quotes;
    if (m_Mesh.LoadModel(pszMesh, pszTexture, pDevice, false)) return 1;
    m_Mesh.StartAnimation(30, 0);
    m_Petals.Create(40, "rose01.tga", pDevice, D3DXVECTOR3(1.0f, 1.0f, 1.0f),
                    ParticleSizes{1.0f, 1.0f, 2.0f}, D3DXVECTOR3(0.0f, -500.0f, 0.0f), 0.0f);
    m_Text.Create(62, 6, "font.tga", 18.0f, 118.0f, pDevice);
    ShuffleQuotes();
    m_bLoaded = true;
    return 0;
}

void CHeart::ShuffleQuotes() {
    m_QuoteOrder.ShuffleQuotes(m_Quotes.nCount);
}

const QuoteRecord& CHeart::NextQuote() {
    static const QuoteRecord s_empty{};
    return m_QuoteOrder.NextQuote(m_Quotes.pRecords, m_Quotes.nCount,
                                  m_Quotes.pUser ? *m_Quotes.pUser : s_empty);
}

void CHeart::Launch(const D3DXVECTOR3& vPosition) {
    m_nStateTime = timeGetTime();
    m_nState = kHeartAppearing;
    m_vPosition = vPosition;
    D3DXMatrixIdentity(&m_Scale);
    const float s = float(SceneRand()) * RandScale(1.5f) + 4.0f;
    m_Scale._11 = m_Scale._22 = m_Scale._33 = s;
    m_nTint = m_Mesh.m_nTextureFactor = 0x00FFFFFF;
    m_fAlpha = 0.0f;
}

void CHeart::SetTint(float fAlpha) { m_nTint = m_Mesh.m_nTextureFactor = WhiteWithAlpha(fAlpha); }

void CHeart::EmitPetals(uint32_t nNow, float fDt, const D3DXMATRIX& billboard) {
    D3DXMATRIX orbit;
    D3DXMatrixRotationY(&orbit, PetalOrbitAngle(nNow));
    const D3DXVECTOR3 vRadius(4.0f, 0.0f, 0.0f);
    D3DXVECTOR3 vOrbit;
    D3DXVec3TransformCoord(&vOrbit, &vRadius, &orbit);
    // The translation of the previous frame's world matrix.
    vOrbit.x += m_World._41;
    vOrbit.y += m_World._42;
    vOrbit.z += m_World._43;
    m_Petals.Update(vOrbit, D3DXVECTOR3(0.0f, -2.0f, 0.0f), fDt, billboard);
}

CHeart::Aim CHeart::Update(const D3DXMATRIX& billboard) { return UpdateAt(timeGetTime(), billboard); }

CHeart::Aim CHeart::UpdateAt(uint32_t nNow, const D3DXMATRIX& billboard) {
    Aim aim;
    const float fDt = SecondsSince(m_nPreviousTime, nNow);
    m_nPreviousTime = nNow;
    m_Mesh.UpdateFrame();
    m_Text.Rebuild();
    switch (m_nState) {
    case kHeartAppearing:
        m_vPosition.y += fDt * 5.0f;
        m_fAlpha += fDt * 0.3f;
        if (m_fAlpha > 0.4f) aim = Aim{true, m_vPosition};
        if (m_fAlpha >= 1.0f) {
            m_nTint = m_Mesh.m_nTextureFactor = 0xFFFFFFFF;
            m_nStateTime = nNow;
            m_nState = kHeartFlying;
        } else {
            SetTint(m_fAlpha);
        }
        EmitPetals(nNow, fDt, billboard);
        break;
    case kHeartFlying:
        aim = Aim{true, m_vPosition};
        m_vPosition.y += fDt * 2.0f;
        EmitPetals(nNow, fDt, billboard);
        break;
    case kHeartHit:
        m_vPosition.y += fDt * 1.8f;
        m_fAlpha -= fDt * 0.8f;
        if (m_fAlpha <= 0.0f) {
            m_nTint = m_Mesh.m_nTextureFactor = 0xFFFFFFFF;
            m_fAlpha = 1.0f;
            m_nStateTime = nNow;
            m_nState = kHeartQuote;
            m_Petals.Reset();
        } else {
            SetTint(m_fAlpha);
            m_Text.m_nTint = WhiteWithAlpha(1.0f - m_fAlpha);
            EmitPetals(nNow, fDt, billboard);
        }
        break;
    case kHeartQuote:
        m_vPosition.y += fDt * 1.6f;
        if (MsSince(m_nStateTime, nNow) > kQuoteShownMs) m_fAlpha -= fDt * 0.6f;
        if (m_fAlpha < 0.0f) {
            m_nStateTime = nNow;
            m_fAlpha = 0.0f;
            m_nState = kHeartAbsent;
        }
        m_nTint = m_Text.m_nTint = WhiteWithAlpha(m_fAlpha);
        break;
    default:
        break;
    }
    D3DXMATRIX spin;
    D3DXMatrixRotationY(&spin, HeartSpinAngle(nNow));
    D3DXMatrixMultiply(&m_World, &spin, &m_Scale);
    m_World._41 = m_vPosition.x;
    m_World._42 = m_vPosition.y;
    m_World._43 = m_vPosition.z;
    return aim;
}

D3DXMATRIX CHeart::TextMatrix(const D3DXMATRIX& M) const {
    D3DXMATRIX text;
    D3DXMatrixMultiply(&text, &m_TextTurn, &M);
    text._41 = m_World._41;
    text._42 = m_World._42;
    text._43 = m_World._43;
    return text;
}

void CHeart::Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& M) {
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    switch (m_nState) {
    case kHeartAppearing:
    case kHeartFlying:
        m_Mesh.Draw(m_World, pDevice, true);
        m_Petals.Render(pDevice, m_nTint);
        break;
    case kHeartHit: {
        const D3DXMATRIX text = TextMatrix(M);
        m_Mesh.Draw(m_World, pDevice, true);
        pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
        m_Text.Render(pDevice, text);
        pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
        m_Petals.Render(pDevice, m_nTint);
        break;
    }
    case kHeartQuote:
        m_Text.Render(pDevice, TextMatrix(M));
        break;
    default:
        break;
    }
}

void CHeart::OnHit() {
    m_fAlpha = 1.0f;
    m_nStateTime = timeGetTime();
    m_nState = kHeartHit;
    // The text fades in with 1 - alpha from here on; until it is rebuilt the
    // block still holds the previous quote, which must not flash up.
    m_Text.m_nTint = WhiteWithAlpha(1.0f - m_fAlpha);
    m_Text.Clear();
    const QuoteRecord& quote = NextQuote();
    LogMessage(LogPath(), "hit\t%u\t%.63s\n", unsigned(m_nStateTime), quote.aszLines[0]);
    for (int32_t i = 0; i < kQuoteLines; ++i) {
        // Lines come from the registry too: never trust their terminator.
        char szLine[kQuoteLineSize];
        std::memcpy(szLine, quote.aszLines[i], kQuoteLineSize);
        szLine[kQuoteLineSize - 1] = 0;
        m_Text.SetRowCentred(i, 0xFFFFFFFF, szLine);
    }
}

void CHeart::Release() {
    m_Mesh.ReleaseResources();
    m_Mesh.ReleaseMesh();
    m_Petals.Release();
    m_Text.Release();
    m_bLoaded = false;
}
