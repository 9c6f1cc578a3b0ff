#pragma once
// Owners of one Direct3D vertex buffer and one 16- or 32-bit index buffer.
// They create, lock, unlock and release; binding and drawing are the owner's.
#include <d3d9.h>

#include <cstdint>

#include "ClassRender/D3DXMath.h"
#include "ClassRender/RenderSizes.h"

// What both owners do alike, reaching their m_pRenderBuffer and m_nSize:
// lock the whole buffer (offset 0, m_nSize bytes, flags 0), unlock it, and
// release it (a second call does nothing). It holds nothing itself.
template <class TOwner>
class CRenderBufferAccess {
public:
    HRESULT Lock(void** ppData) {
        *ppData = nullptr;
        if (!Owner().m_pRenderBuffer) return D3DERR_INVALIDCALL;
        return Owner().m_pRenderBuffer->Lock(0, Owner().m_nSize, ppData, 0);
    }
    HRESULT Unlock() { return Owner().m_pRenderBuffer ? Owner().m_pRenderBuffer->Unlock() : D3DERR_INVALIDCALL; }
    void Release() {
        if (Owner().m_pRenderBuffer) {
            Owner().m_pRenderBuffer->Release();
            Owner().m_pRenderBuffer = nullptr;
        }
    }

private:
    TOwner& Owner() { return static_cast<TOwner&>(*this); }
};

class CVertexRenderBuffer : public CRenderBufferAccess<CVertexRenderBuffer> {
public:
    uint32_t CreateRenderBuffer(IDirect3DDevice9* pDevice);  // 0 or 1

    DWORD m_dwUsage = D3DUSAGE_WRITEONLY;
    DWORD m_dwFVF = kFvfMesh;
    uint32_t m_Pool = D3DPOOL_MANAGED;
    uint32_t m_nCount = 0;
    uint32_t m_nSize = 0;
    uint32_t m_nStride = 0;
    IDirect3DVertexBuffer9* m_pRenderBuffer = nullptr;
};

class CFaceRenderBuffer : public CRenderBufferAccess<CFaceRenderBuffer> {
public:
    uint32_t CreateRenderBuffer(IDirect3DDevice9* pDevice);  // 0 or 1

    DWORD m_dwUsage = D3DUSAGE_WRITEONLY;
    uint32_t m_Format = kIndex16;
    uint32_t m_PrimitiveType = kTriangleList;
    uint32_t m_Pool = D3DPOOL_MANAGED;
    uint32_t m_nCount = 0;
    uint32_t m_nSize = 0;
    IDirect3DIndexBuffer9* m_pRenderBuffer = nullptr;
};

// Buffers for a batch of quads: 2 triangles and 4 vertices a quad, the face
// buffer filled with the quad index pattern. False when either buffer could
// not be made or filled.
bool CreateQuadBatchBuffers(CFaceRenderBuffer& faces, CVertexRenderBuffer& vertices, uint32_t nQuads,
                            IDirect3DDevice9* pDevice);

// Draws the indexed triangle list of the two buffers with the texture on
// stage 0 and world as the world transform.
void DrawIndexedBuffers(IDirect3DDevice9* pDevice, const D3DXMATRIX& world, const CVertexRenderBuffer& vertices,
                        const CFaceRenderBuffer& faces, IDirect3DBaseTexture9* pTexture);
