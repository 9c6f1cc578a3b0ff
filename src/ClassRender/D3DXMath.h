#pragma once
// The D3DX 9 matrix and vector operations the scene uses, with D3DX's names,
// signatures and conventions: single-precision, row vectors (v' = v * M),
// left-handed. D3DXMATRIX has the memory layout of D3DMATRIX, so the Windows
// side can hand it to SetTransform directly.
#include <cstdint>

struct D3DXVECTOR3 {
    float x, y, z;
    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float fx, float fy, float fz) : x(fx), y(fy), z(fz) {}
};

struct D3DXMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
    D3DXMATRIX() = default;
    float& operator()(int nRow, int nColumn) { return m[nRow][nColumn]; }
    float operator()(int nRow, int nColumn) const { return m[nRow][nColumn]; }
};

static_assert(sizeof(D3DXMATRIX) == 64, "D3DXMATRIX must match D3DMATRIX");
static_assert(sizeof(D3DXVECTOR3) == 12, "D3DXVECTOR3 must match D3DVECTOR");

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);
// pOut = pM1 * pM2; pOut may be one of the inputs.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
// Null (pOut untouched) when the matrix is singular; the determinant is
// written to pDeterminant (when given) in any case.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float fAngle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float fAngle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float fAngle);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz);
// View matrix. Null (pOut untouched) when eye and target are less than 1e-6
// apart. An up vector parallel to the view direction (or null, or zero) is
// replaced by world Y, and when that is parallel too by world Z.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
// Projection with depth mapped to 0..1 between zn and zf.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fFovY, float fAspect, float fZNear,
                                       float fZFar);

float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
float D3DXVec3Length(const D3DXVECTOR3* pV);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
// A zero vector stays zero.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV);
// (x, y, z, 1) * M, divided by the resulting w (not divided when w is 0).
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
// (x, y, z, 0) * M: directions, no translation.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
