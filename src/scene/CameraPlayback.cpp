#include "scene/CameraPlayback.h"

#include "scene/CameraSchedule.h"

void StartPlayback(CCameraPath& path, uint32_t nNow) {
    path.m_bPlaying = true;
    path.m_nStartTime = nNow;
    path.m_nKey = 0;
}

void UpdateView(CCameraPath& path, uint32_t nNow) {
    if (!path.m_bPlaying) return;
    path.m_nKey = CameraKeyAt(path.m_nStartTime, nNow, path.KeyCount(), &path.m_bPlaying);
    const D3DXVECTOR3 vEye = path.Eye(uint32_t(path.m_nKey));
    const D3DXVECTOR3 vTarget = path.Target(uint32_t(path.m_nKey));
    const D3DXVECTOR3 vUp(0.0f, 1.0f, 0.0f);
    // Eye and target on one point give no view; the last one is kept.
    D3DXMatrixLookAtLH(&path.m_View, &vEye, &vTarget, &vUp);
    path.m_SkyView = path.m_View;
    path.m_SkyView._41 = path.m_SkyView._42 = path.m_SkyView._43 = 0.0f;
}

D3DXMATRIX PathBillboard(const CCameraPath& path) {
    D3DXMATRIX billboard;
    if (!D3DXMatrixInverse(&billboard, nullptr, &path.m_View)) D3DXMatrixIdentity(&billboard);
    billboard._41 = billboard._42 = billboard._43 = 0.0f;
    return billboard;
}
