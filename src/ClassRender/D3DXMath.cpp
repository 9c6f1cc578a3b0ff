#include "ClassRender/D3DXMath.h"

#include <cmath>
#include <cstddef>

// The Windows side hands these to Direct3D as D3DMATRIX and D3DVECTOR.
static_assert(offsetof(D3DXMATRIX, _21) == 16 && offsetof(D3DXMATRIX, _44) == 60, "row-major 4x4 floats");
static_assert(offsetof(D3DXVECTOR3, z) == 8, "three packed floats");

namespace {

D3DXVECTOR3 Subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

float Length(const D3DXVECTOR3& v) { return std::sqrt(Dot(v, v)); }

D3DXVECTOR3 Scale(const D3DXVECTOR3& v, float s) { return {v.x * s, v.y * s, v.z * s}; }

// Below this the cross product of two unit vectors counts as parallel.
constexpr float kParallelEpsilon = 1e-6f;

}  // namespace

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) pOut->m[r][c] = r == c ? 1.0f : 0.0f;
    return pOut;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
    D3DXMATRIX result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float fSum = 0.0f;
            for (int k = 0; k < 4; ++k) fSum += pM1->m[r][k] * pM2->m[k][c];
            result.m[r][c] = fSum;
        }
    *pOut = result;
    return pOut;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM) {
    // Cofactors from the 2x2 minors of the top and bottom row pairs, in double.
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) a[r][c] = pM->m[r][c];
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (pDeterminant) *pDeterminant = float(det);
    if (det == 0.0 || !std::isfinite(det)) return nullptr;
    const double inv = 1.0 / det;
    const double b[4][4] = {
        {(a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3), (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3),
         (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3), (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3)},
        {(-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1), (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1),
         (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1), (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1)},
        {(a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0), (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0),
         (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0), (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0)},
        {(-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0), (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0),
         (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0), (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0)},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) pOut->m[r][c] = float(b[r][c] * inv);
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
    D3DXMATRIX result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) result.m[r][c] = pM->m[c][r];
    *pOut = result;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float fAngle) {
    const float s = std::sin(fAngle), c = std::cos(fAngle);
    D3DXMatrixIdentity(pOut);
    pOut->_22 = c;
    pOut->_23 = s;
    pOut->_32 = -s;
    pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float fAngle) {
    const float s = std::sin(fAngle), c = std::cos(fAngle);
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c;
    pOut->_13 = -s;
    pOut->_31 = s;
    pOut->_33 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float fAngle) {
    const float s = std::sin(fAngle), c = std::cos(fAngle);
    D3DXMatrixIdentity(pOut);
    pOut->_11 = c;
    pOut->_12 = s;
    pOut->_21 = -s;
    pOut->_22 = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
    D3DXMatrixIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
    D3DXMatrixIdentity(pOut);
    pOut->_11 = sx;
    pOut->_22 = sy;
    pOut->_33 = sz;
    return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
    const D3DXVECTOR3 view = Subtract(*pAt, *pEye);
    const float fDistance = Length(view);
    if (!(fDistance >= 1e-6f)) return nullptr;  // also refuses NaN
    const D3DXVECTOR3 zaxis = Scale(view, 1.0f / fDistance);

    const D3DXVECTOR3 candidates[3] = {pUp ? *pUp : D3DXVECTOR3(0, 1, 0), {0, 1, 0}, {0, 0, 1}};
    D3DXVECTOR3 xaxis(0, 0, 0);
    for (const D3DXVECTOR3& up : candidates) {
        const float fUpLength = Length(up);
        if (!(fUpLength > 0.0f)) continue;
        const D3DXVECTOR3 side = Cross(Scale(up, 1.0f / fUpLength), zaxis);
        const float fSideLength = Length(side);
        if (fSideLength > kParallelEpsilon) {
            xaxis = Scale(side, 1.0f / fSideLength);
            break;
        }
    }
    const D3DXVECTOR3 yaxis = Cross(zaxis, xaxis);

    pOut->_11 = xaxis.x; pOut->_12 = yaxis.x; pOut->_13 = zaxis.x; pOut->_14 = 0.0f;
    pOut->_21 = xaxis.y; pOut->_22 = yaxis.y; pOut->_23 = zaxis.y; pOut->_24 = 0.0f;
    pOut->_31 = xaxis.z; pOut->_32 = yaxis.z; pOut->_33 = zaxis.z; pOut->_34 = 0.0f;
    pOut->_41 = -Dot(xaxis, *pEye);
    pOut->_42 = -Dot(yaxis, *pEye);
    pOut->_43 = -Dot(zaxis, *pEye);
    pOut->_44 = 1.0f;
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fFovY, float fAspect, float fZNear,
                                       float fZFar) {
    const float fYScale = 1.0f / std::tan(fFovY * 0.5f);
    const float fXScale = fYScale / fAspect;
    const float fDepth = fZFar / (fZFar - fZNear);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) pOut->m[r][c] = 0.0f;
    pOut->_11 = fXScale;
    pOut->_22 = fYScale;
    pOut->_33 = fDepth;
    pOut->_34 = 1.0f;
    pOut->_43 = -fZNear * fDepth;
    return pOut;
}

float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) { return Dot(*pV1, *pV2); }

float D3DXVec3Length(const D3DXVECTOR3* pV) { return Length(*pV); }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
    *pOut = Cross(*pV1, *pV2);
    return pOut;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
    const float fLength = Length(*pV);
    *pOut = fLength > 0.0f ? Scale(*pV, 1.0f / fLength) : D3DXVECTOR3(0, 0, 0);
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR3 v = *pV;
    const D3DXMATRIX& m = *pM;
    D3DXVECTOR3 result(v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
                       v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
                       v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43);
    const float w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
    if (w != 0.0f) result = Scale(result, 1.0f / w);
    *pOut = result;
    return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
    const D3DXVECTOR3 v = *pV;
    const D3DXMATRIX& m = *pM;
    *pOut = D3DXVECTOR3(v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
                        v.x * m._13 + v.y * m._23 + v.z * m._33);
    return pOut;
}
