#pragma once
// CCordelune: the application class. It fills in the framework's virtual
// operations that bring the 3D scene in.
#include "host/EECore.h"
#include "scene/Scene.h"

class CCordelune : public CEECore {
public:
    CCordelune();

    HRESULT Init() override;
    HRESULT SettingsRead() override;
    HRESULT EE_Core_InitD3Device(IDirect3DDevice9* pDevice) override;
    HRESULT EE_Core_LoadScene(IDirect3DDevice9* pDevice) override;
    HRESULT EE_Core_FrameMove(IDirect3DDevice9* pDevice, float fElapsedMs) override;
    HRESULT EE_Core_FrameRender(IDirect3DDevice9* pDevice) override;
    HRESULT EE_Core_FreeScene() override;
    HRESULT OnDeviceLost() override;
    HRESULT OnDeviceReset(IDirect3DDevice9* pDevice) override;

    // What the scene reads from the application: settings, quotes, overlay.
    SceneInputs MakeSceneInputs();

    CScene m_Scene;
};
