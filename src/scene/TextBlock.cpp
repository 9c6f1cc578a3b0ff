#include "scene/TextBlock.h"

#include "ClassRender/ArchiveTexture.h"
#include "ClassRender/RenderSizes.h"
#include "host/DeviceStates.h"
#include "scene/SceneAngles.h"
#include "scene/ParticleSystem.h"

CTextBlock::CTextBlock() {
    D3DXMatrixRotationY(&m_TextTurn, -kQuarterTurn);
    m_VertexBuffer.m_dwFVF = kFvfColored;
    m_VertexBuffer.m_dwUsage = D3DUSAGE_DYNAMIC;
    m_VertexBuffer.m_Pool = D3DPOOL_DEFAULT;
}

uint32_t CTextBlock::Create(int32_t nColumns, int32_t nRows, const char* pszTexture,
                            float fGlyphScale, float fLineScale, IDirect3DDevice9* pDevice) {
    m_bLoaded = false;
    if (!m_Layout.Create(nColumns, nRows, fGlyphScale, fLineScale)) return 1;
    m_nTint = 0xFFFFFFFF;
    const uint32_t nCells = m_Layout.CellCount();
    const bool bBuffers = CreateQuadBatchBuffers(m_FaceBuffer, m_VertexBuffer, nCells, pDevice);
    const uint32_t nResult = CreateArchiveTexture(pszTexture, pDevice, &m_pTexture);
    m_bLoaded = bBuffers && nResult == 0;
    if (m_bLoaded) Rebuild();  // an empty grid until the first text arrives
    return bBuffers ? nResult : 1;
}

void CTextBlock::Release() {
    if (m_pTexture) m_pTexture->Release();
    m_pTexture = nullptr;
    m_Layout.Release();
    m_FaceBuffer.Release();
    m_VertexBuffer.Release();
    m_bLoaded = false;
}

void CTextBlock::RestoreDeviceBuffer(IDirect3DDevice9* pDevice) {
    if (!m_bLoaded || m_VertexBuffer.m_pRenderBuffer) return;
    if (m_VertexBuffer.CreateRenderBuffer(pDevice)) return;  // the block stays undrawn
    m_Layout.MarkDirty();
    Rebuild();
}

void CTextBlock::Rebuild() {
    if (!m_bLoaded || !m_Layout.IsDirty()) return;
    void* pData = nullptr;
    if (FAILED(m_VertexBuffer.Lock(&pData)) || !pData) return;
    m_Layout.Rebuild(static_cast<ColorTexVertex*>(pData));
    m_VertexBuffer.Unlock();
}

void CTextBlock::Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& matrix) {
    if (!m_bLoaded || !m_VertexBuffer.m_pRenderBuffer) return;
    SetTintedVertexColorStages(pDevice);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    SetAlphaBlend(pDevice, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, m_nTint);
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &m_TextTurn, &matrix);
    DrawIndexedBuffers(pDevice, world, m_VertexBuffer, m_FaceBuffer, m_pTexture);
    SetTextureOnlyStages(pDevice);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}
