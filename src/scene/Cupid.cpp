#include "scene/Cupid.h"

#include <windows.h>
#include <mmsystem.h>

#include <cmath>

#include "base/SystemClock.h"
#include "host/DeviceStates.h"
#include "scene/CameraSchedule.h"
#include "scene/SceneAngles.h"
#include "scene/SceneRandom.h"
#include "scene/SceneVertex.h"

namespace {

constexpr uint32_t kShotReleaseStep = 66;
const D3DXVECTOR3 kBowReleasePoint(-2.388f, 1.229f, 0.009f);
constexpr uint32_t kGlowVertexA = 1348, kGlowVertexB = 1368;
const D3DXVECTOR3 kPetalCentre(4.0f, 2.5f, -2.0f);
const D3DXVECTOR3 kPetalDrift(1.5f, -1.0f, 0.0f);
const D3DXVECTOR3 kTrailDrift(1.5f, -1.3f, 0.0f);
const D3DXVECTOR3 kHidden(0.0f, -500.0f, 0.0f);

// 0 .. 1000 from one rand() value.
float RandomChoice() { return float(SceneRand()) * RandScale(1000.0f); }

D3DXMATRIX InverseLookAt(const D3DXVECTOR3& vEye, const D3DXVECTOR3& vAt, const D3DXVECTOR3& vUp,
                         const D3DXMATRIX& fallback) {
    D3DXMATRIX look, inverse;
    if (!D3DXMatrixLookAtLH(&look, &vEye, &vAt, &vUp) || !D3DXMatrixInverse(&inverse, nullptr, &look))
        return fallback;
    return inverse;
}

}  // namespace

CCupid::CCupid() {
    D3DXMatrixIdentity(&m_World);
    D3DXMatrixRotationY(&m_ModelTurn, kQuarterTurn);
    D3DXMatrixIdentity(&m_ArrowMatrix);
}

uint32_t CCupid::Load(const char* pszIdle, const char* pszAlert, const char* pszShot,
                      const char* pszTexture, IDirect3DDevice9* pDevice) {
    if (m_Body[kCupidIdle].LoadModel(pszIdle, pszTexture, pDevice, true)) return 1;
    IDirect3DTexture9* pBodyTexture = m_Body[kCupidIdle].m_pTexture;
    if (m_Body[kCupidIdle2].LoadModelSharedTexture("kupidon_idle2.MODEL", pBodyTexture, pDevice, true) ||
        m_Body[kCupidAlert].LoadModelSharedTexture(pszAlert, pBodyTexture, pDevice, true) ||
        m_Body[kCupidShot].LoadModelSharedTexture(pszShot, pBodyTexture, pDevice, true))
        return 1;
    if (m_BowArrow.LoadModel("arrow_link.model", "arrow.tga", pDevice, false) ||
        m_FlyingArrow.LoadModelSharedTexture("arrow.model", m_BowArrow.m_pTexture, pDevice, false))
        return 1;
    PickIdle();
    if (m_Glow.LoadModel("glow.model", "glow.tga", pDevice, false)) return 1;
    m_RosePetals.Create(15, "rose01.tga", pDevice, D3DXVECTOR3(1.0f, 3.0f, 1.0f),
                        ParticleSizes{0.25f, 0.5f, 10.0f}, kHidden, 0.0f);
    m_Chamomile.Create(15, "romashka.tga", pDevice, D3DXVECTOR3(1.0f, 3.0f, 1.0f),
                       ParticleSizes{0.25f, 0.5f, 10.0f}, kHidden, 0.0f);
    m_HeartTrail.Create(40, "heart_prt.tga", pDevice, D3DXVECTOR3(0.5f, 0.5f, 0.5f),
                        ParticleSizes{0.2f, 0.6f, 3.0f}, kHidden, 0.0f);
    RestartIdle();
    m_bLoaded = true;
    return 0;
}

void CCupid::StartPass(int32_t nState, uint32_t nFirstStep) {
    m_nState = nState;
    m_Body[nState].StartAnimation(30, nFirstStep);
    m_Body[nState].StopAtEnd();
}

void CCupid::PickIdle() {
    const float x = RandomChoice();
    const bool bEarlyIdle = m_pEvents && !IsActionPath(m_pEvents->CurrentCamera()) &&
                            m_pEvents->CurrentKey() < 660;
    int32_t nState;
    if (bEarlyIdle)
        nState = x > 600.0f ? kCupidIdle2 : x > 300.0f ? kCupidIdle : kCupidAlert;
    else
        nState = x > 500.0f ? kCupidIdle : kCupidAlert;
    StartPass(nState, 0);
}

void CCupid::RestartIdle() {
    m_Body[kCupidIdle].StopAnimation();
    m_Body[kCupidIdle2].StopAnimation();
    m_Body[kCupidAlert].StopAnimation();
    const float x = RandomChoice();
    StartPass(x > 600.0f ? kCupidIdle2 : x > 300.0f ? kCupidIdle : kCupidAlert, 30);
}

void CCupid::RequestShot() {
    m_bShotRequested = 1;
    m_Body[kCupidIdle].StopAtEnd();
    m_Body[kCupidIdle2].StopAtEnd();
    m_Body[kCupidAlert].StopAtEnd();
}

void CCupid::AimAt(const D3DXVECTOR3& vPoint) {
    m_vPreviousTarget = m_vCurrentTarget;
    m_vNewTarget = vPoint;
    m_nAimStart = timeGetTime() - 10;
    m_bAiming = 1;
}

void CCupid::ReleaseArrow(uint32_t nNow) {
    m_BowArrow.StopAnimation();
    m_bArrowActive = 1;
    m_bArrowFlying = 1;
    D3DXVec3TransformCoord(&m_vArrowStart, &kBowReleasePoint, &m_World);
    m_vArrowTarget = D3DXVECTOR3(m_vNewTarget.x, m_vNewTarget.y + 2.0f, m_vNewTarget.z);
    m_FlyingArrow.m_nTextureFactor = 0xFFFFFFFF;
    m_nLaunchTime = nNow;
    m_HeartTrail.Reset();
    // The previous arrow's fade left the trail transparent: every shot flies with it.
    m_HeartTrail.m_Field.m_fAlphaFactor = 1.0f;
}

void CCupid::UpdateAnimation(uint32_t nNow) {
    if (m_nState == kCupidShot) {
        CMeshModel& shot = m_Body[kCupidShot];
        if (MsSince(m_nShotStart, nNow) > 1000 && shot.IsStopped()) PickIdle();
        if (shot.Step() >= kShotReleaseStep && !m_bShotSoundPlayed) {
            if (m_pEvents) m_pEvents->ShotReleased();
            m_bShotSoundPlayed = 1;
            if (!m_bArrowActive) ReleaseArrow(nNow);
        }
        return;
    }
    if (m_nState < kCupidIdle || m_nState > kCupidAlert || !m_Body[m_nState].IsStopped()) return;
    if (m_bShotRequested) {
        m_bShotRequested = 0;
        m_nState = kCupidShot;
        m_bShotSoundPlayed = 0;
        m_nShotStart = nNow;
        m_Body[kCupidShot].StartAnimation(30, 0);
        m_Body[kCupidShot].StopAtEnd();
        m_BowArrow.StartAnimation(30, 0);
        m_BowArrow.m_nTextureFactor = 0xFFFFFFFF;
    } else {
        PickIdle();
    }
}

bool CCupid::UpdateArrow(uint32_t nNow, float fDt, const D3DXMATRIX& billboard) {
    bool bArrived = false;
    if (m_bArrowFlying) {
        const float t = float(MsSince(m_nLaunchTime, nNow)) * 0.0005f;
        if (t < 1.0f) {
            m_vArrowPosition.x = m_vArrowTarget.x * t + m_vArrowStart.x * (1.0f - t);
            m_vArrowPosition.y = m_vArrowTarget.y * t + m_vArrowStart.y * (1.0f - t);
            m_vArrowPosition.z = m_vArrowTarget.z * t + m_vArrowStart.z * (1.0f - t);
        } else {
            m_vArrowPosition = m_vArrowTarget;
            m_fArrowAlpha = 1.0f;
            m_bArrowFlying = 0;
            bArrived = true;
        }
    } else {
        m_fArrowAlpha -= fDt * 0.8f;
        m_vArrowPosition.y += fDt * 0.5f;
        if (m_fArrowAlpha <= 0.0f) {
            m_bArrowActive = 0;
            m_FlyingArrow.m_nTextureFactor = 0;
            m_BowArrow.m_nTextureFactor = 0;
            m_HeartTrail.m_Field.m_fAlphaFactor = 0.0f;
        } else {
            m_FlyingArrow.m_nTextureFactor = WhiteWithAlpha(m_fArrowAlpha);
            m_HeartTrail.m_Field.m_fAlphaFactor = m_fArrowAlpha;
        }
    }
    // Only a flying arrow turns towards its target. At the hit it sits on the
    // target with no direction left, and while it fades it rises straight above
    // it (a look direction along "up"): it keeps the attitude of its flight.
    if (m_bArrowFlying) m_ArrowMatrix = InverseLookAt(m_vArrowPosition, m_vArrowTarget, m_vUp, m_ArrowMatrix);
    m_ArrowMatrix._41 = m_vArrowPosition.x;
    m_ArrowMatrix._42 = m_vArrowPosition.y;
    m_ArrowMatrix._43 = m_vArrowPosition.z;
    m_HeartTrail.Update(m_vArrowPosition, kTrailDrift, fDt, billboard);
    return bArrived;
}

bool CCupid::Update(const D3DXMATRIX& billboard) { return UpdateAt(timeGetTime(), billboard); }

bool CCupid::UpdateAt(uint32_t nNow, const D3DXMATRIX& billboard) {
    const float fDt = SecondsSince(m_nPreviousTime, nNow);
    m_nPreviousTime = nNow;
    if (m_bAiming) {
        const float t = float(MsSince(m_nAimStart, nNow)) * 0.0005f;
        if (t < 1.0f) {
            const float s = std::sin(t * kQuarterTurn);
            m_vCurrentTarget.x = m_vNewTarget.x * s + m_vPreviousTarget.x * (1.0f - s);
            m_vCurrentTarget.y = m_vNewTarget.y * s + m_vPreviousTarget.y * (1.0f - s);
            m_vCurrentTarget.z = m_vNewTarget.z * s + m_vPreviousTarget.z * (1.0f - s);
        } else {
            m_vCurrentTarget = m_vNewTarget;
            m_bAiming = 0;
        }
    }
    m_Glow.UpdateFrame();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX look = InverseLookAt(m_vPosition, m_vCurrentTarget, m_vUp, identity);
    D3DXMatrixMultiply(&m_World, &m_ModelTurn, &look);
    m_RosePetals.Update(kPetalCentre, kPetalDrift, fDt, billboard);
    m_Chamomile.Update(kPetalCentre, kPetalDrift, fDt, billboard);
    UpdateAnimation(nNow);
    const bool bArrived = m_bArrowActive && UpdateArrow(nNow, fDt, billboard);
    m_BowArrow.UpdateFrame();
    m_FlyingArrow.UpdateFrame();
    for (CMeshModel& body : m_Body) body.UpdateFrame();
    return bArrived;
}

void CCupid::Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& billboard) {
    D3DXVECTOR3 g(0.0f, 0.4f, 0.0f);
    if (m_nState >= kCupidIdle && m_nState <= kCupidShot) {
        CMeshModel& body = m_Body[m_nState];
        body.Draw(m_World, pDevice, true);
        if (m_nState == kCupidShot && !m_bArrowActive) m_BowArrow.Draw(m_World, pDevice, true);
        const D3DXVECTOR3 a = body.GetVertexPosition(kGlowVertexA);
        const D3DXVECTOR3 b = body.GetVertexPosition(kGlowVertexB);
        g = D3DXVECTOR3((a.x + b.x + g.x) * 0.5f, (a.y + b.y + g.y) * 0.5f, (a.z + b.z + g.z) * 0.5f);
    }
    D3DXVECTOR3 vGlow;
    D3DXVec3TransformCoord(&vGlow, &g, &m_World);
    D3DXMATRIX place = billboard, scale, glowWorld;
    place._41 = vGlow.x;
    place._42 = vGlow.y;
    place._43 = vGlow.z;
    D3DXMatrixScaling(&scale, 3.0f, 3.0f, 3.0f);
    D3DXMatrixMultiply(&glowWorld, &scale, &place);

    SetTextureOnlyStages(pDevice);
    SetAlphaBlend(pDevice, FALSE, D3DBLEND_ONE, D3DBLEND_ONE);
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    m_Glow.Draw(glowWorld, pDevice, false);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    SetAlphaBlend(pDevice, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    if (m_bArrowActive) {
        m_FlyingArrow.Draw(m_ArrowMatrix, pDevice, true);
        m_HeartTrail.Render(pDevice, m_BowArrow.m_nTextureFactor);
    }
    m_RosePetals.Render(pDevice, 0xCCFFFFFF);
    m_Chamomile.Render(pDevice, 0xCCFFFFFF);
}

void CCupid::Release() {
    for (CMeshModel& body : m_Body) {
        body.ReleaseResources();
        body.ReleaseMesh();
    }
    for (CMeshModel* pMesh : {&m_BowArrow, &m_FlyingArrow, &m_Glow}) {
        pMesh->ReleaseResources();
        pMesh->ReleaseMesh();
    }
    m_RosePetals.Release();
    m_Chamomile.Release();
    m_HeartTrail.Release();
    m_bLoaded = false;
}
