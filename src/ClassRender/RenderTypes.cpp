#include "ClassRender/RenderTypes.h"

uint32_t CVertexRenderBuffer::CreateRenderBuffer(IDirect3DDevice9* pDevice) {
    if (m_pRenderBuffer) {
        ReportRenderError("CVertexBuffer::CreateRenderBuffer m_pRenderBuffer", 65);
        return 1;
    }
    if (RACalculateVertexSize(m_nCount, m_dwFVF, &m_nStride, &m_nSize)) {
        ReportRenderError("CVertexRenderBuffer::CreateRenderBuffer RACalculateVertexSize", 68);
        return 1;
    }
    if (!pDevice || pDevice->CreateVertexBuffer(m_nSize, m_dwUsage, m_dwFVF, D3DPOOL(m_Pool),
                                                &m_pRenderBuffer, nullptr) != D3D_OK) {
        m_pRenderBuffer = nullptr;
        ReportRenderError("CVertexRenderBuffer::CreateRenderBuffer pd3dDevice->CreateVertexBuffer", 70);
        return 1;
    }
    return 0;
}

uint32_t CFaceRenderBuffer::CreateRenderBuffer(IDirect3DDevice9* pDevice) {
    if (m_pRenderBuffer) {
        ReportRenderError("CFaceRenderBuffer::CreateRenderBuffer m_pRenderBuffer", 119);
        return 1;
    }
    if (RACalculateFaceSize(m_nCount, m_Format, m_PrimitiveType, &m_nSize)) {
        ReportRenderError("CFaceRenderBuffer::CreateRenderBuffer RACalculateFaceSize", 122);
        return 1;
    }
    if (!pDevice || pDevice->CreateIndexBuffer(m_nSize, m_dwUsage, D3DFORMAT(m_Format), D3DPOOL(m_Pool),
                                               &m_pRenderBuffer, nullptr) != D3D_OK) {
        m_pRenderBuffer = nullptr;
        ReportRenderError("CFaceRenderBuffer::CreateRenderBuffer CreateFaceBuffer()", 124);
        return 1;
    }
    return 0;
}

bool CreateQuadBatchBuffers(CFaceRenderBuffer& faces, CVertexRenderBuffer& vertices, uint32_t nQuads,
                            IDirect3DDevice9* pDevice) {
    faces.m_nCount = 2 * nQuads;
    vertices.m_nCount = 4 * nQuads;
    if (faces.CreateRenderBuffer(pDevice) != 0 || vertices.CreateRenderBuffer(pDevice) != 0)
        return false;
    void* pData = nullptr;
    if (FAILED(faces.Lock(&pData)) || !pData) return false;
    WriteQuadIndices(static_cast<uint16_t*>(pData), nQuads);
    faces.Unlock();
    return true;
}

void DrawIndexedBuffers(IDirect3DDevice9* pDevice, const D3DXMATRIX& world, const CVertexRenderBuffer& vertices,
                        const CFaceRenderBuffer& faces, IDirect3DBaseTexture9* pTexture) {
    pDevice->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&world));
    pDevice->SetFVF(vertices.m_dwFVF);
    pDevice->SetStreamSource(0, vertices.m_pRenderBuffer, 0, vertices.m_nStride);
    pDevice->SetIndices(faces.m_pRenderBuffer);
    pDevice->SetTexture(0, pTexture);
    pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertices.m_nCount, 0, faces.m_nCount);
}
