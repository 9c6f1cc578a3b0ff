#include "host/DeviceStates.h"

#include <cmath>
#include <cstring>

#include "ClassRender/D3DXMath.h"

void SetLinearSamplers(IDirect3DDevice9* pDevice) {
    for (DWORD nSampler = 0; nSampler < 4; ++nSampler) {
        pDevice->SetSamplerState(nSampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        pDevice->SetSamplerState(nSampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        pDevice->SetSamplerState(nSampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        pDevice->SetSamplerState(nSampler, D3DSAMP_MAXANISOTROPY, 1);
    }
}

void SetBaseMaterialAndTransforms(IDirect3DDevice9* pDevice) {
    D3DMATERIAL9 material;
    std::memset(&material, 0, sizeof material);
    material.Diffuse = {1.f, 1.f, 1.f, 1.f};
    material.Ambient = {1.f, 1.f, 1.f, 1.f};
    material.Specular = {1.f, 1.f, 1.f, 1.f};
    material.Power = 50.f;
    pDevice->SetMaterial(&material);

    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    pDevice->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&world));

    D3DXMATRIX projection;
    D3DXMatrixIdentity(&projection);
    const float fScale = 1.f / std::tan(13.5f);
    projection._11 = fScale;
    projection._22 = fScale;
    projection._33 = 1.f;
    projection._34 = 1.f;
    projection._43 = 0.f;
    pDevice->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&projection));
}

void SetBaseAlphaStates(IDirect3DDevice9* pDevice) {
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 2);
    pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
}

void SetBaseRasterStates(IDirect3DDevice9* pDevice) {
    pDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
}

void SetTextureOnlyStages(IDirect3DDevice9* pDevice) {
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void SetTextureFactorStages(IDirect3DDevice9* pDevice, DWORD nColorOp, DWORD nAlphaOp) {
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, nColorOp);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, nAlphaOp);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

void SetAlphaBlend(IDirect3DDevice9* pDevice, BOOL bAlphaTest, DWORD nSourceBlend, DWORD nDestBlend) {
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, bAlphaTest);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_SRCBLEND, nSourceBlend);
    pDevice->SetRenderState(D3DRS_DESTBLEND, nDestBlend);
}

void SetTintedVertexColorStages(IDirect3DDevice9* pDevice) {
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pDevice->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    pDevice->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    pDevice->SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}
