// The background of every view: sky dome, three drifting cloud layers and the
// sun drawn twice, all without depth testing so that the rest lies in front.
#include <windows.h>
#include <mmsystem.h>

#include "scene/Scene.h"
#include "scene/ScenePhases.h"

namespace {

const D3DMATRIX* AsD3D(const D3DXMATRIX& m) { return reinterpret_cast<const D3DMATRIX*>(&m); }

}  // namespace

void CScene::RenderSky(CCameraPath& path, IDirect3DDevice9* pDevice) {
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.0f, 1.4f, 0.0f);
    m_Sky.Draw(world, pDevice, true);

    // The clouds' u coordinate follows absolute time, -0.014 a second, at
    // any uptime.
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    pDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3);
    D3DXMATRIX scroll;
    D3DXMatrixIdentity(&scroll);
    scroll._31 = CloudScrollOffset(timeGetTime());
    pDevice->SetTransform(D3DTS_TEXTURE0, AsD3D(scroll));
    D3DXMatrixTranslation(&world, 0.0f, -0.2f, 0.0f);
    m_Clouds[2].Draw(world, pDevice, true);
    m_Clouds[1].Draw(world, pDevice, true);
    m_Clouds[0].Draw(world, pDevice, true);
    pDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);

    // The sun sprites stand in world space and face the viewer.
    pDevice->SetTransform(D3DTS_VIEW, AsD3D(path.m_View));
    pDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
    D3DXMATRIX sun;
    if (!D3DXMatrixInverse(&sun, nullptr, &path.m_View)) D3DXMatrixIdentity(&sun);
    sun._41 = 290.0f;
    sun._42 = 40.0f;
    sun._43 = 0.0f;
    m_Sun.Draw(sun, pDevice, true);
    sun._41 = -290.0f;
    m_Sun.Draw(sun, pDevice, true);
    pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
}
