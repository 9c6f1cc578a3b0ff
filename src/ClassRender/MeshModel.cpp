#include "ClassRender/MeshModel.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "ClassRender/ArchiveTexture.h"
#include "ClassRender/MediaEntry.h"
#include "base/Log.h"

uint32_t CMeshModel::LoadModelMesh(const char* pszEntry, IDirect3DDevice9* pDevice) {
    std::vector<uint8_t> entry;
    MeshData mesh;
    if (!ReadMediaEntry(pszEntry, entry) || !ParseMesh(entry.data(), entry.size(), mesh)) {
        LogMessage(LogPath(), "%s\t%s\n", "error load model", pszEntry);
        return 1;
    }
    m_Mesh = std::move(mesh);
    m_Playback.nLastUploadedStep = -1;
    m_VertexBuffer.m_nCount = m_Mesh.CornerCount();
    m_VertexBuffer.CreateRenderBuffer(pDevice);
    m_FaceBuffer.m_nCount = m_Mesh.TriangleCount();
    if (m_FaceBuffer.CreateRenderBuffer(pDevice) == 0) {
        void* pData = nullptr;
        if (SUCCEEDED(m_FaceBuffer.Lock(&pData)) && pData) {
            std::memcpy(pData, m_Mesh.aTriangles.data(), m_Mesh.aTriangles.size() * sizeof(uint16_t));
            m_FaceBuffer.Unlock();
        }
    }
    return 0;
}

// The model loaders repeat the mesh loader's report of a failure.
uint32_t CMeshModel::LoadMesh(const char* pszMesh, IDirect3DDevice9* pDevice, bool bInterpolate) {
    m_Playback.bInterpolate = bInterpolate;
    if (!LoadModelMesh(pszMesh, pDevice)) return 0;
    LogMessage(LogPath(), "%s\t%s\n", "error load model", pszMesh);
    return 1;
}

uint32_t CMeshModel::LoadModel(const char* pszMesh, const char* pszTexture,
                               IDirect3DDevice9* pDevice, bool bInterpolate) {
    if (LoadMesh(pszMesh, pDevice, bInterpolate)) return 1;
    m_bSharedTexture = false;
    return CreateArchiveTexture(pszTexture, pDevice, &m_pTexture);
}

uint32_t CMeshModel::LoadModelSharedTexture(const char* pszMesh, IDirect3DTexture9* pTexture,
                                            IDirect3DDevice9* pDevice, bool bInterpolate) {
    if (LoadMesh(pszMesh, pDevice, bInterpolate)) return 1;
    m_pTexture = pTexture;
    m_bSharedTexture = true;
    return 0;
}

void CMeshModel::StartAnimation(uint32_t nStepInterval, uint32_t nFirstStep) {
    ::StartAnimation(m_Playback, nStepInterval, nFirstStep, timeGetTime());
}

void CMeshModel::StopAnimation() {
    m_Playback.bPlaying = false;
    m_Playback.bStopAtEnd = false;
}

void CMeshModel::StopAtEnd() { m_Playback.bStopAtEnd = true; }

HRESULT CMeshModel::UpdateFrame() {
    if (!IsLoaded()) return E_FAIL;
    AdvanceStep(m_Playback, m_Mesh.nFrameCount, timeGetTime());
    if (int32_t(m_Playback.nStep) == m_Playback.nLastUploadedStep) return S_OK;
    void* pData = nullptr;
    if (FAILED(m_VertexBuffer.Lock(&pData)) || !pData) return E_FAIL;
    m_Playback.nLastUploadedStep = int32_t(m_Playback.nStep);
    FillMeshVertices(m_Mesh, m_Playback, static_cast<MeshVertex*>(pData));
    return m_VertexBuffer.Unlock();
}

void CMeshModel::Draw(const D3DXMATRIX& world, IDirect3DDevice9* pDevice, bool bApplyStates) {
    // An object whose buffers do not exist is never drawn.
    if (!IsLoaded() || !m_VertexBuffer.m_pRenderBuffer || !m_FaceBuffer.m_pRenderBuffer) return;
    if (bApplyStates) {
        pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
        pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, m_nTextureFactor);
    }
    DrawIndexedBuffers(pDevice, world, m_VertexBuffer, m_FaceBuffer, m_pTexture);
}

D3DXVECTOR3 CMeshModel::GetVertexPosition(uint32_t nVertex) const {
    if (!IsLoaded() || nVertex >= m_Mesh.nVertexCount) return D3DXVECTOR3(0.f, 0.f, 0.f);
    const uint32_t nFrame = ShownFrame(m_Playback, m_Mesh.nFrameCount);
    const float* p = &m_Mesh.aPositions[(size_t(nFrame) * m_Mesh.nVertexCount + nVertex) * 3];
    return D3DXVECTOR3(p[0], p[1], p[2]);
}

void CMeshModel::ReleaseResources() {
    m_VertexBuffer.Release();
    m_FaceBuffer.Release();
    if (m_pTexture && !m_bSharedTexture) m_pTexture->Release();
    m_pTexture = nullptr;
}

void CMeshModel::ReleaseMesh() {
    m_Mesh = MeshData();
    m_VertexBuffer.Release();
    m_FaceBuffer.Release();
}
