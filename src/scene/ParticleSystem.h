#pragma once
// CParticleSystem: camera-facing textured quads (petals, flowers, hearts,
// ambient specks) drawn from one dynamic batch. The simulation is
// CParticleField; this class owns the buffers and the texture.
#include <d3d9.h>

#include "ClassRender/RenderTypes.h"
#include "scene/ParticleField.h"

class CParticleSystem {
public:
    CParticleSystem();
    CParticleSystem(const CParticleSystem&) = delete;
    CParticleSystem& operator=(const CParticleSystem&) = delete;

    // 0 on success; 1 when the buffers or the texture could not be made (the
    // texture loader logs its line). Only a complete system is updated and drawn.
    uint32_t Create(uint32_t nCount, const char* pszTexture, IDirect3DDevice9* pDevice,
                    const D3DXVECTOR3& vExtent, const ParticleSizes& sizes,
                    const D3DXVECTOR3& vCentre, float fNearCullSq);
    void Update(const D3DXVECTOR3& vCentre, const D3DXVECTOR3& vDrift, float fDt,
                const D3DXMATRIX& billboard);
    void Render(IDirect3DDevice9* pDevice, D3DCOLOR nTint);
    void Reset();
    void Release();

    bool IsLoaded() const { return m_bLoaded; }

    CParticleField m_Field;  // parameters, alpha factor and particles
    IDirect3DTexture9* m_pTexture = nullptr;
    CFaceRenderBuffer m_FaceBuffer;
    CVertexRenderBuffer m_VertexBuffer;

private:
    bool m_bLoaded = false;
};
