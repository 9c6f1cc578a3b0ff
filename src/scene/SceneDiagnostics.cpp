// Diagnostic log lines of a presented frame, for the benchmarks and the
// end-to-end tests: the blend weight of each cross-fade frame, and where the
// heart stands on the screen while it (or its quote) is visible. One line a
// frame, written only when the log is on.
#include <windows.h>
#include <mmsystem.h>

#include "base/Log.h"
#include "scene/Scene.h"

namespace {

// The screen pixel of a world point seen through the path's camera; false
// when the point is behind the camera.
bool ProjectToScreen(const CCameraPath& path, const D3DXVECTOR3& vWorld, const D3DVIEWPORT9& viewport,
                     float& fX, float& fY) {
    D3DXVECTOR3 vView;
    D3DXVec3TransformCoord(&vView, &vWorld, &path.m_View);
    if (vView.z <= 0.0f) return false;
    D3DXVECTOR3 vClip;
    D3DXVec3TransformCoord(&vClip, &vView, &path.m_Projection);
    fX = float(viewport.X) + (vClip.x + 1.0f) * 0.5f * float(viewport.Width);
    fY = float(viewport.Y) + (1.0f - vClip.y) * 0.5f * float(viewport.Height);
    return true;
}

}  // namespace

void CScene::LogPresentedFrame(IDirect3DDevice9* pDevice, const CCameraPath* pCurrent) {
    const char* pszLog = LogPath();
    if (!pszLog || !*pszLog || !pCurrent) return;
    const unsigned nNow = unsigned(timeGetTime());
    if (m_Schedule.m_bTransition && CanCrossFade()) {
        LogMessage(pszLog, "fade frame\t%u\t%.3f\n", nNow, double(m_Schedule.m_fBlend));
        return;
    }
    if (!m_Heart.IsLoaded() || m_Heart.m_nState == kHeartAbsent) return;
    D3DVIEWPORT9 viewport{};
    if (FAILED(pDevice->GetViewport(&viewport))) return;
    const D3DXVECTOR3 vHeart(m_Heart.m_World._41, m_Heart.m_World._42, m_Heart.m_World._43);
    float fX = 0.0f, fY = 0.0f;
    // Every such frame is logged, so that the lines also count the frames;
    // a heart behind the camera has no screen position.
    if (!ProjectToScreen(*pCurrent, vHeart, viewport, fX, fY)) fX = fY = -99999.0f;
    LogMessage(pszLog, "heart at\t%u\t%d\t%d\t%d\n", nNow, int(fX), int(fY), int(m_Heart.m_nState));
}
