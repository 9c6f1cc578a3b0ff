#include "scene/Scene.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>

#include "assets/Resources.h"
#include "audio/SoundSystem.h"
#include "base/Log.h"
#include "base/SystemClock.h"
#include "host/DeviceStates.h"
#include "scene/CameraPlayback.h"
#include "scene/SceneRandom.h"

namespace {

const char* const kPathEntries[kCameraPathCount] = {
    "camera_idle_1.model",   "camera_idle_2.model",   "camera_idle_3.model",
    "camera_idle_4.model",   "camera_idle_5.model",   "camera_idle_6.model",
    "camera_idle_7.model",   "camera_idle_8.model",   "camera_idle_9.model",
    "camera_idle_10.model",  "camera_action_1.model", "camera_action_2.model",
    "camera_action_3.model", "camera_action_4.model", "camera_action_5.model",
};
const char* const kCloudMeshes[3] = {"cloud1.model", "cloud2.model", "cloud3.model"};
const char* const kCloudTextures[3] = {"sky_05.tga", "sky_18.tga", "sky_16.tga"};
const char* const kAmbientTextures[kAmbientCount] = {"1.tga", "2.tga", "3.tga", "4.tga", "6.tga"};

constexpr uint16_t kMusicResource = 463;
constexpr uint16_t kShotResource = 462;
constexpr uint16_t kHitResource = 461;

void LogLine(const char* pszText) { LogMessage(LogPath(), "%s\n", pszText); }

void LogLoadError(const char* pszEntry) {
    char szLine[128];
    std::snprintf(szLine, sizeof szLine, "error load '%s'", pszEntry);
    LogLine(szLine);
}

// A sound resource as a sample, or -1 when it is missing or empty.
int LoadSound(uint16_t nResource) {
    const ResourceBlob blob = LoadMediaResource(nResource);
    if (!blob.pData || blob.nSize == 0) return -1;
    return TheSoundSystem().SoundLoadSample(blob.pData, blob.nSize, 0);
}

void SetSceneBlendStates(IDirect3DDevice9* pDevice) {
    SetTextureOnlyStages(pDevice);
    SetAlphaBlend(pDevice, FALSE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
}

void ReleaseMeshModel(CMeshModel& mesh) {
    mesh.ReleaseResources();
    mesh.ReleaseMesh();
}

}  // namespace

CScene::CScene() = default;

int CScene::Load(IDirect3DDevice9* pDevice, const SceneInputs& inputs) {
    m_Inputs = inputs;
    m_Schedule.m_bIdleRearm = 1;
    m_Cupid.Attach(this);
    CreateRenderTargets(pDevice);
    if (LoadAssets(pDevice)) return 1;
    LoadAudio();
    return 0;
}

int CScene::LoadAssets(IDirect3DDevice9* pDevice) {
    for (int i = 0; i < kCameraPathCount; ++i) {
        if (m_CameraPaths[i].LoadCameraPath(kPathEntries[i])) {
            LogLoadError(kPathEntries[i]);
            return 1;
        }
    }
    UseCameraPaths(CameraChoice(SceneRand()) % kIdlePathCount);

    if (m_Sky.LoadModel("sky.model", "nebo_gradient.tga", pDevice, false)) {
        LogLoadError("sky.model");
        return 1;
    }
    for (int i = 0; i < 3; ++i) {
        if (m_Clouds[i].LoadModel(kCloudMeshes[i], kCloudTextures[i], pDevice, false)) {
            LogLoadError(kCloudMeshes[i]);
            return 1;
        }
    }
    if (m_Sun.LoadModel("sun_outer.model", "sun_outer.tga", pDevice, false)) {
        LogLoadError("sun_outer.model");
        return 1;
    }
    m_Sun.StartAnimation(60, 0);
    if (m_Cupid.Load("kupidon_idle.model", "kupidon_achtung.model", "kupidon_shot.model",
                     "kupidon_dif.tga", pDevice)) {
        LogLine("error load kupidon");
        return 1;
    }
    if (m_Heart.Load("heart.model", "heart.tga", pDevice, m_Inputs.quotes)) {
        LogLine("error load heart");
        return 1;
    }
    for (int i = 0; i < kAmbientCount; ++i)
        m_Ambient[i].Create(160, kAmbientTextures[i], pDevice, D3DXVECTOR3(60.0f, 40.0f, 60.0f),
                            ParticleSizes{0.2f, 0.4f, 6.0f}, D3DXVECTOR3(0.0f, -500.0f, 0.0f), 200.0f);
    return 0;
}

void CScene::LoadAudio() {
    if (!m_Inputs.pSettings) return;
    const SaverSettings& settings = *m_Inputs.pSettings;
    if (!settings.Music && !settings.SFX) return;
    SoundSystem& sound = TheSoundSystem();
    sound.SoundInit(GetDesktopWindow());
    int32_t nVolume = settings.MusicVolume;
    nVolume = nVolume < 0 ? 0 : nVolume > 100 ? 100 : nVolume;
    sound.SoundSetVolume(uint8_t(nVolume));
    if (settings.Music) {
        m_nMusicSound = LoadSound(kMusicResource);
        if (m_nMusicSound >= 0) sound.SoundPlay(m_nMusicSound, true);
    }
    if (settings.SFX) {
        m_nShotSound = LoadSound(kShotResource);
        m_nHitSound = LoadSound(kHitResource);
    }
}

void CScene::Free() {
    ReleaseMeshModel(m_Sky);
    ReleaseMeshModel(m_Sun);
    for (CMeshModel& cloud : m_Clouds) ReleaseMeshModel(cloud);
    m_Cupid.Release();
    m_Heart.Release();
    for (CParticleSystem& ambient : m_Ambient) ambient.Release();
    for (CCameraPath& path : m_CameraPaths) {
        path.m_Keys = CameraKeys();
        path.m_bPlaying = false;
    }
    m_bPathsLoaded = false;
    ReleaseRenderTargets();
    TheSoundSystem().SoundShutdown();
    m_nMusicSound = m_nShotSound = m_nHitSound = -1;
}

void CScene::UseCameraPaths(int32_t nFirst) {
    m_bPathsLoaded = true;
    m_bFadeLogged = 0;
    m_Schedule.Begin(nFirst);
    StartPath(nFirst);
}

int32_t CScene::CurrentKey() const { return m_CameraPaths[m_Schedule.m_nCamera].m_nKey; }

bool CScene::EffectsOn() const { return m_Inputs.pSettings && m_Inputs.pSettings->SFX; }

void CScene::ShotReleased() {
    LogMessage(LogPath(), "shot\t%u\n", unsigned(timeGetTime()));
    if (EffectsOn() && m_nShotSound >= 0) TheSoundSystem().SoundPlay(m_nShotSound, false);
}

void CScene::ArrowArrived() {
    if (EffectsOn() && m_nHitSound >= 0) TheSoundSystem().SoundPlay(m_nHitSound, false);
    m_Heart.OnHit();
}

// --- the camera schedule's events --------------------------------------------

void CScene::LaunchHeart(const D3DXVECTOR3& vPosition) {
    LogMessage(LogPath(), "heart launched\t%u\n", unsigned(timeGetTime()));
    if (m_Heart.IsLoaded()) m_Heart.Launch(vPosition);
}

void CScene::RequestShot() {
    if (m_Cupid.IsLoaded()) m_Cupid.RequestShot();
}

void CScene::RestartIdle() {
    if (m_Cupid.IsLoaded()) m_Cupid.RestartIdle();
}

void CScene::StartPath(int32_t nPath) {
    const uint32_t nNow = timeGetTime();
    LogMessage(LogPath(), "camera\t%d\t%u\n", int(nPath), unsigned(nNow));
    StartPlayback(m_CameraPaths[nPath], nNow);
    // The view of key 0 at once: a path faded in on this frame is drawn before
    // the next round of view updates.
    UpdateView(m_CameraPaths[nPath], nNow);
}

// --- the frame ----------------------------------------------------------------

void CScene::Frame(IDirect3DDevice9* pDevice) {
    CCameraPath* pCurrent = nullptr;
    if (m_bPathsLoaded) {
        const uint32_t nNow = timeGetTime();
        for (CCameraPath& path : m_CameraPaths) UpdateView(path, nNow);
        CCameraPath& path = m_CameraPaths[m_Schedule.m_nCamera];
        m_Schedule.Step(path.m_nKey, path.KeyCount(), *this);
        pCurrent = &m_CameraPaths[m_Schedule.m_nCamera];
        if (m_Schedule.m_bTransition != m_bFadeLogged) {
            m_bFadeLogged = m_Schedule.m_bTransition;
            LogMessage(LogPath(), "%s\t%u\n", m_bFadeLogged ? "cross-fade" : "cross-fade end",
                       unsigned(timeGetTime()));
        }
    }
    // Without render targets a cross-fade is a hard cut at the switch key.
    if (pCurrent && m_Schedule.m_bTransition && CanCrossFade())
        DrawFrameCrossFade(pDevice, *pCurrent, m_CameraPaths[m_Schedule.m_nNextCamera]);
    else
        DrawFrameDirect(pDevice, pCurrent);
    SetSceneBlendStates(pDevice);
    if (m_Inputs.drawOverlay) m_Inputs.drawOverlay(pDevice);
    pDevice->EndScene();
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    LogPresentedFrame(pDevice, pCurrent);
}

void CScene::DrawFrameDirect(IDirect3DDevice9* pDevice, CCameraPath* pPath) {
    if (pPath) Update(*pPath);
    if (m_pBackBuffer) pDevice->SetRenderTarget(0, m_pBackBuffer);
    // Magenta shows wherever the sky is missing; with no camera there is
    // no scene at all and the screen stays black.
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, pPath ? 0xFFFF00FF : 0xFF000000,
                   1.0f, 0);
    pDevice->BeginScene();
    if (pPath) Render(*pPath, pDevice);
}

void CScene::DrawFrameCrossFade(IDirect3DDevice9* pDevice, CCameraPath& current, CCameraPath& next) {
    Update(current);
    pDevice->SetRenderTarget(0, m_apTargetSurface[0]);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    pDevice->BeginScene();
    Render(current, pDevice);
    pDevice->EndScene();
    Update(next);
    pDevice->SetRenderTarget(0, m_apTargetSurface[1]);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    pDevice->BeginScene();
    Render(next, pDevice);
    pDevice->EndScene();
    pDevice->SetRenderTarget(0, m_pBackBuffer);
    pDevice->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    pDevice->BeginScene();
    Composite(pDevice);
}

void CScene::Update(CCameraPath& path) {
    const uint32_t nNow = timeGetTime();
    const float fDt = SecondsSince(m_nPreviousUpdate, nNow);
    m_nPreviousUpdate = nNow;
    const D3DXMATRIX billboard = PathBillboard(path);
    // The heart's update may ask the cupid to aim at it; the cupid's may
    // report that his arrow arrived, which hits the heart.
    if (m_Heart.IsLoaded()) {
        const CHeart::Aim aim = m_Heart.Update(billboard);
        if (aim.bAim) m_Cupid.AimAt(aim.vAt);
    }
    for (CMeshModel& cloud : m_Clouds) cloud.UpdateFrame();
    m_Sky.UpdateFrame();
    if (m_Cupid.IsLoaded() && m_Cupid.Update(billboard)) ArrowArrived();
    m_Sun.UpdateFrame();
    const D3DXVECTOR3 vEye = path.Eye(uint32_t(path.m_nKey));
    for (CParticleSystem& ambient : m_Ambient)
        ambient.Update(vEye, D3DXVECTOR3(0.0f, -1.1f, 0.0f), fDt, billboard);
}

void CScene::Render(CCameraPath& path, IDirect3DDevice9* pDevice) {
    pDevice->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&path.m_Projection));
    pDevice->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&path.m_SkyView));
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 2);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    RenderSky(path, pDevice);  // leaves depth testing on
    if (m_Heart.IsLoaded()) {
        D3DXMATRIX viewInverse;
        if (!D3DXMatrixInverse(&viewInverse, nullptr, &path.m_View)) D3DXMatrixIdentity(&viewInverse);
        m_Heart.Render(pDevice, viewInverse);
    }
    if (m_Cupid.IsLoaded()) m_Cupid.Render(pDevice, PathBillboard(path));
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    for (CParticleSystem& ambient : m_Ambient) ambient.Render(pDevice, 0xFFFFFFFF);
}
