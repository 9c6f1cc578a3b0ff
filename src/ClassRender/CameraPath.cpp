#include "ClassRender/CameraPath.h"

#include <cmath>
#include <cstring>


void BuildPathProjection(D3DXMATRIX& out) {
    const float fFov = 1.396f, fAspect = 1.1666666f, fNear = 0.1f, fFar = 380.0f;
    const float c = std::cos(fFov / 2) / std::sin(fFov / 2);
    std::memset(&out, 0, sizeof out);
    out._11 = c / fAspect;
    out._22 = c;
    out._33 = fFar / (fFar - fNear);
    out._34 = 1.f;
    out._43 = -fNear * fFar / (fFar - fNear);
}

uint32_t CCameraPath::LoadKeys(const uint8_t* pData, size_t nSize) {
    BuildPathProjection(m_Projection);
    return ParseCameraPath(pData, nSize, m_Keys) ? 0 : 1;
}

D3DXVECTOR3 CCameraPath::Eye(uint32_t nKey) const {
    if (nKey >= KeyCount()) return D3DXVECTOR3(0.f, 0.f, 0.f);
    const float* p = &m_Keys.aEyes[size_t(nKey) * 3];
    return D3DXVECTOR3(p[0], p[1], p[2]);
}

D3DXVECTOR3 CCameraPath::Target(uint32_t nKey) const {
    if (nKey >= KeyCount()) return D3DXVECTOR3(0.f, 0.f, 1.f);
    const float* p = &m_Keys.aTargets[size_t(nKey) * 3];
    return D3DXVECTOR3(p[0], p[1], p[2]);
}
