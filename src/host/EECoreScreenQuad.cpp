#include "host/EECoreScreenQuad.h"

#include "host/EECore.h"
#include "host/ScreenQuad.h"

IDirect3DVertexBuffer9* CreateScreenQuad(IDirect3DDevice9* pDevice) {
    IDirect3DVertexBuffer9* pBuffer = nullptr;
    if (FAILED(pDevice->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY,
                                           kScreenVertexFvf, D3DPOOL_DEFAULT, &pBuffer, nullptr)) ||
        !pBuffer)
        return nullptr;
    void* pData = nullptr;
    if (FAILED(pBuffer->Lock(0, 0, &pData, 0)) || !pData) {
        pBuffer->Release();
        return nullptr;
    }
    WriteInitialScreenQuad(static_cast<ScreenVertex*>(pData));
    pBuffer->Unlock();
    return pBuffer;
}

void SetQuadStream(IDirect3DDevice9* pDevice, IDirect3DVertexBuffer9* pBuffer) {
    pDevice->SetStreamSource(0, pBuffer, 0, sizeof(ScreenVertex));
}

void DrawQuadStrip(IDirect3DDevice9* pDevice) { pDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2); }

HRESULT CEECore::EE_Core_DrawQuad(IDirect3DVertexBuffer9* pBuffer, D3DCOLOR nColor,
                                  const D3DVIEWPORT9& viewport, float x, float y, float w, float h) {
    void* pData = nullptr;
    if (!pBuffer || FAILED(pBuffer->Lock(0, 0, &pData, 0)) || !pData) return E_FAIL;
    PlaceScreenQuad(static_cast<ScreenVertex*>(pData), nColor, float(viewport.X), float(viewport.Y),
                    float(viewport.Width), float(viewport.Height), x, y, w, h);
    pBuffer->Unlock();
    return S_OK;
}
