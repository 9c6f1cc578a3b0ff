#include "scene/ParticleSystem.h"

#include <cstring>

#include "ClassRender/ArchiveTexture.h"
#include "ClassRender/RenderSizes.h"
#include "host/DeviceStates.h"

CParticleSystem::CParticleSystem() { m_VertexBuffer.m_dwFVF = kFvfColored; }

uint32_t CParticleSystem::Create(uint32_t nCount, const char* pszTexture, IDirect3DDevice9* pDevice,
                                 const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                                 const D3DXVECTOR3& vCentre, float fNearCullSq) {
    m_bLoaded = false;
    if (nCount == 0 || nCount > kMaxQuads) return 1;
    m_Field.Create(nCount, vExtent, sizes, vCentre, fNearCullSq);
    const bool bBuffers = CreateQuadBatchBuffers(m_FaceBuffer, m_VertexBuffer, nCount, pDevice);
    // Nothing shows before the first update writes the quads.
    void* pData = nullptr;
    if (bBuffers && SUCCEEDED(m_VertexBuffer.Lock(&pData)) && pData) {
        std::memset(pData, 0, m_VertexBuffer.m_nSize);
        m_VertexBuffer.Unlock();
    }
    const uint32_t nResult = CreateArchiveTexture(pszTexture, pDevice, &m_pTexture);
    m_bLoaded = bBuffers && nResult == 0;
    return m_bLoaded ? 0 : 1;
}

void CParticleSystem::Update(const D3DXVECTOR3& vCentre, const D3DXVECTOR3& vDrift, float fDt,
                             const D3DXMATRIX& billboard) {
    if (!m_bLoaded) return;
    void* pData = nullptr;
    if (FAILED(m_VertexBuffer.Lock(&pData)) || !pData) return;
    m_Field.Update(vCentre, vDrift, fDt, billboard, static_cast<ColorTexVertex*>(pData));
    m_VertexBuffer.Unlock();
}

void CParticleSystem::Render(IDirect3DDevice9* pDevice, D3DCOLOR nTint) {
    if (!m_bLoaded) return;
    SetTintedVertexColorStages(pDevice);
    SetAlphaBlend(pDevice, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, nTint);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    DrawIndexedBuffers(pDevice, world, m_VertexBuffer, m_FaceBuffer, m_pTexture);
    SetTextureOnlyStages(pDevice);
}

void CParticleSystem::Reset() {
    void* pData = nullptr;
    if (m_bLoaded && SUCCEEDED(m_VertexBuffer.Lock(&pData)) && pData) {
        m_Field.Reset(static_cast<ColorTexVertex*>(pData));
        m_VertexBuffer.Unlock();
    } else {
        m_Field.Reset(nullptr);
    }
}

void CParticleSystem::Release() {
    if (m_pTexture) m_pTexture->Release();
    m_pTexture = nullptr;
    m_FaceBuffer.Release();
    m_VertexBuffer.Release();
    m_Field.Clear();
    m_bLoaded = false;
}
