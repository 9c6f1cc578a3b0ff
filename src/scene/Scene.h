#pragma once
// CScene: the animated content of the saver. It loads its assets in a fixed
// order, runs the camera schedule, updates and draws every object each frame
// (directly, or through two render targets while two cameras cross-fade),
// and frees everything at shutdown. Objects that did not load are skipped.
#include <d3d9.h>

#include <functional>

#include "ClassRender/CameraPath.h"
#include "ClassRender/MeshModel.h"
#include "ClassRender/RenderTypes.h"
#include "scene/CameraSchedule.h"
#include "scene/Cupid.h"
#include "scene/Heart.h"
#include "scene/ParticleSystem.h"
#include "scene/QuoteOrder.h"
#include "settings/SaverSettings.h"

constexpr int kAmbientCount = 5;

// What the scene takes from the application that runs it. The records stay
// the application's and are read while the scene runs.
struct SceneInputs {
    const SaverSettings* pSettings = nullptr;  // music, effects and volume
    QuoteSource quotes;
    // Drawn over each frame before it is presented (the clock and FPS).
    std::function<void(IDirect3DDevice9*)> drawOverlay;
};

class CScene : public ICameraScheduleHost, public IActorEvents {
public:
    CScene();
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;

    // 0 when everything loaded; 1 after the first camera path or mesh that
    // did not (logged), the objects loaded so far staying loaded.
    int Load(IDirect3DDevice9* pDevice, const SceneInputs& inputs);
    void Frame(IDirect3DDevice9* pDevice);
    void Update(CCameraPath& path);
    void Render(CCameraPath& path, IDirect3DDevice9* pDevice);
    // Safe on a scene that was never loaded, and when repeated.
    void Free();

    uint32_t CreateRenderTargets(IDirect3DDevice9* pDevice);
    // What the scene holds in D3DPOOL_DEFAULT (the cross-fade targets, the
    // saved back buffer, the quote's vertices) goes before a device reset and
    // is made again after it, with the states set along with the targets.
    void ReleaseDefaultPool();
    void RestoreDefaultPool(IDirect3DDevice9* pDevice);
    void Composite(IDirect3DDevice9* pDevice);
    bool CanCrossFade() const;
    // Films with the loaded camera paths from now on, starting with path nFirst.
    void UseCameraPaths(int32_t nFirst);
    bool HasCameraPaths() const { return m_bPathsLoaded; }

    // IActorEvents: the scene as the cupid sees it.
    int32_t CurrentCamera() const override { return m_Schedule.m_nCamera; }
    int32_t CurrentKey() const override;
    void ShotReleased() override;

    CCameraPath m_CameraPaths[kCameraPathCount];
    CMeshModel m_Sky;
    CMeshModel m_Clouds[3];
    CMeshModel m_Sun;
    CCupid m_Cupid;
    CHeart m_Heart;
    CParticleSystem m_Ambient[kAmbientCount];
    CCameraSchedule m_Schedule;  // m_bIdleRearm, m_nCamera, m_bTransition, m_nNextCamera, m_fBlend ...
    IDirect3DTexture9* m_apTargetTexture[2] = {};
    IDirect3DSurface9* m_apTargetSurface[2] = {};
    IDirect3DSurface9* m_pBackBuffer = nullptr;
    CVertexRenderBuffer m_QuadVertices;
    CFaceRenderBuffer m_QuadFaces;
    int m_nMusicSound = -1;
    int m_nShotSound = -1;
    int m_nHitSound = -1;

private:
    // ICameraScheduleHost
    void LaunchHeart(const D3DXVECTOR3& vPosition) override;
    void RequestShot() override;
    void RestartIdle() override;
    void StartPath(int32_t nPath) override;

    int LoadAssets(IDirect3DDevice9* pDevice);
    void LoadAudio();
    bool EffectsOn() const;
    void ArrowArrived();
    void DrawFrameDirect(IDirect3DDevice9* pDevice, CCameraPath* pPath);
    void DrawFrameCrossFade(IDirect3DDevice9* pDevice, CCameraPath& current, CCameraPath& next);
    void RenderSky(CCameraPath& path, IDirect3DDevice9* pDevice);
    void DrawQuad(IDirect3DDevice9* pDevice);
    void ReleaseRenderTargets();
    void LogPresentedFrame(IDirect3DDevice9* pDevice, const CCameraPath* pCurrent);
    uint32_t CreateTargetSurfaces(IDirect3DDevice9* pDevice);
    void ReleaseTargetSurfaces();

    SceneInputs m_Inputs;
    bool m_bPathsLoaded = false;
    uint32_t m_nPreviousUpdate = 0;  // the first elapsed time counts from 0
    uint8_t m_bFadeLogged = 0;       // the fade state the log last reported
};
