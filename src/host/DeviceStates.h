#pragma once
// Device states shared by the framework's and the application's device set-up
// and by the scene's drawing.
#include <d3d9.h>

// Samplers 0 to 3: linear filtering, anisotropy 1.
void SetLinearSamplers(IDirect3DDevice9* pDevice);
// White material of power 50, identity world, and the fixed projection whose
// scale is 1/tan(13.5) (radians, about 0.74015).
void SetBaseMaterialAndTransforms(IDirect3DDevice9* pDevice);

// The first states of every device set-up: source alpha blended over one,
// alpha test passing at 2 and above.
void SetBaseAlphaStates(IDirect3DDevice9* pDevice);
// Dithering and depth test on, fixed-function lighting off.
void SetBaseRasterStates(IDirect3DDevice9* pDevice);

// Stage 0 passes the texture's colour and alpha; stage 1 is off.
void SetTextureOnlyStages(IDirect3DDevice9* pDevice);
// Stage 0 combines the texture (argument 1) with the texture factor
// (argument 2), colour by nColorOp and alpha by nAlphaOp; stage 1 is off.
void SetTextureFactorStages(IDirect3DDevice9* pDevice, DWORD nColorOp, DWORD nAlphaOp);
// Alpha blending on with the given factors, the alpha test on or off.
void SetAlphaBlend(IDirect3DDevice9* pDevice, BOOL bAlphaTest, DWORD nSourceBlend, DWORD nDestBlend);
// A textured batch tinted by the texture factor and coloured per vertex
// (stages 0 and 1 modulate; stage 2 is off).
void SetTintedVertexColorStages(IDirect3DDevice9* pDevice);
