#pragma once
// Device states shared by the framework's and the application's device set-up.
#include <d3d9.h>

// Samplers 0 to 3: linear filtering, anisotropy 1.
void SetLinearSamplers(IDirect3DDevice9* pDevice);
// White material of power 50, identity world, and the fixed projection whose
// scale is 1/tan(13.5) (radians, about 0.74015).
void SetBaseMaterialAndTransforms(IDirect3DDevice9* pDevice);
