#pragma once
// CCupid: the character of the scene. He plays random idle passes, turns to
// follow the rising heart, and when asked shoots it: the arrow leaves the bow
// at step 66 of the shot and reaches its target in exactly two seconds.
#include <d3d9.h>

#include "ClassRender/MeshModel.h"
#include "scene/ActorEvents.h"
#include "scene/ParticleSystem.h"

enum CupidState : int32_t {
    kCupidIdle = 0,
    kCupidIdle2 = 1,
    kCupidAlert = 2,
    kCupidShot = 3,
};

class CCupid {
public:
    CCupid();
    CCupid(const CCupid&) = delete;
    CCupid& operator=(const CCupid&) = delete;

    // The scene gives the current camera path and plays the shot.
    void Attach(IActorEvents* pEvents) { m_pEvents = pEvents; }
    uint32_t Load(const char* pszIdle, const char* pszAlert, const char* pszShot,
                  const char* pszTexture, IDirect3DDevice9* pDevice);
    void AimAt(const D3DXVECTOR3& vPoint);
    void RequestShot();
    void RestartIdle();
    void PickIdle();
    // True when the flying arrow reached its target on this update (once a shot).
    bool Update(const D3DXMATRIX& billboard);
    // The update at the system time nNow (Update passes timeGetTime).
    bool UpdateAt(uint32_t nNow, const D3DXMATRIX& billboard);
    void Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& billboard);
    void Release();

    bool IsLoaded() const { return m_bLoaded; }

    D3DXMATRIX m_World;
    D3DXMATRIX m_ModelTurn;
    CMeshModel m_Body[4];  // idle, second idle, alert, shot: indexed by the state
    CMeshModel m_BowArrow;
    CMeshModel m_FlyingArrow;
    D3DXVECTOR3 m_vPosition{1.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vUp{0.0f, 1.0f, 0.0f};
    uint8_t m_bAiming = 0;
    uint32_t m_nAimStart = 0;
    D3DXVECTOR3 m_vPreviousTarget{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vNewTarget{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vCurrentTarget{-2.0f, 0.0f, 0.0f};
    int32_t m_nState = kCupidIdle2;
    uint8_t m_bShotRequested = 0;
    uint32_t m_nShotStart = 0;
    CParticleSystem m_RosePetals;
    CParticleSystem m_Chamomile;
    CParticleSystem m_HeartTrail;
    uint8_t m_bShotSoundPlayed = 0;
    uint8_t m_bArrowActive = 0;
    uint8_t m_bArrowFlying = 0;
    D3DXVECTOR3 m_vArrowPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vArrowStart{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vArrowTarget{0.0f, 0.0f, 0.0f};
    uint32_t m_nLaunchTime = 0;
    D3DXMATRIX m_ArrowMatrix;
    float m_fArrowAlpha = 1.0f;
    CMeshModel m_Glow;

private:
    void StartPass(int32_t nState, uint32_t nFirstStep);
    void UpdateAnimation(uint32_t nNow);
    void ReleaseArrow(uint32_t nNow);
    bool UpdateArrow(uint32_t nNow, float fDt, const D3DXMATRIX& billboard);

    IActorEvents* m_pEvents = nullptr;
    uint32_t m_nPreviousTime = 0;  // the first elapsed time counts from 0
    bool m_bLoaded = false;
};
