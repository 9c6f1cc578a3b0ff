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
