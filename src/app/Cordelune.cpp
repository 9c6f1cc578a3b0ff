#include <windows.h>
#include "app/Cordelune.h"

#include <mmsystem.h>

#include <cstdlib>

#include "host/DeviceStates.h"
#include "base/Log.h"

CCordelune::CCordelune() = default;

HRESULT CCordelune::Init() {
    LogMessage(LogPath(), "%s\n", "CCordelune::Init()");
    CEECore::Init();
    m_aOverlayColor[0] = 0;
    m_aOverlayColor[1] = 255;
    m_aOverlayColor[2] = 0;
    return S_OK;
}

HRESULT CCordelune::SettingsRead() {
    LogMessage(LogPath(), "%s\n", "CCordelune::SettingsRead()");
    return S_OK;
}

HRESULT CCordelune::EE_Core_InitD3Device(IDirect3DDevice9* pDevice) {
    LogMessage(LogPath(), "%s\n", "CCordelune::EE_Core_InitD3Device()");
    // The framework's states, then textures tinted by the texture factor and
    // alpha blending with the alpha test.
    SetBaseAlphaStates(pDevice);
    SetBaseRasterStates(pDevice);
    SetTextureFactorStages(pDevice, D3DTOP_MODULATE, D3DTOP_MODULATE);
    SetAlphaBlend(pDevice, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    SetLinearSamplers(pDevice);
    SetBaseMaterialAndTransforms(pDevice);
    return S_OK;
}

HRESULT CCordelune::EE_Core_LoadScene(IDirect3DDevice9* pDevice) {
    // The random sequence is never seeded; skipping a time-dependent number of
    // values makes it differ from run to run.
    const unsigned nWarmUp = timeGetTime() % 100;
    for (unsigned i = 0; i < nWarmUp; ++i) std::rand();
    // A scene that loaded only in part still runs; it draws what it has.
    m_Scene.Load(pDevice, MakeSceneInputs());
    return S_OK;
}

SceneInputs CCordelune::MakeSceneInputs() {
    SceneInputs inputs;
    inputs.pSettings = &m_Settings;
    inputs.quotes = QuoteSource{m_Quotes.aRecords, m_Quotes.nCount, &m_UserText};
    inputs.drawOverlay = [this](IDirect3DDevice9* pDevice) { EE_Core_DrawOverlay(pDevice); };
    return inputs;
}

HRESULT CCordelune::EE_Core_FrameMove(IDirect3DDevice9*, float) { return S_OK; }

HRESULT CCordelune::EE_Core_FrameRender(IDirect3DDevice9* pDevice) {
    m_Scene.Frame(pDevice);
    Sleep(16);
    return S_OK;
}

HRESULT CCordelune::EE_Core_FreeScene() {
    m_Scene.Free();
    return S_OK;
}

HRESULT CCordelune::OnDeviceLost() {
    m_Scene.ReleaseDefaultPool();
    return S_OK;
}

HRESULT CCordelune::OnDeviceReset(IDirect3DDevice9* pDevice) {
    m_Scene.RestoreDefaultPool(pDevice);
    return S_OK;
}
