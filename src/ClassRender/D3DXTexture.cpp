#include "ClassRender/D3DXTexture.h"

#include <cstring>

#include "ClassRender/ImageDecode.h"

namespace {

static_assert(kTextureDefault == D3DX_DEFAULT && kTextureNonPow2 == D3DX_DEFAULT_NONPOW2 &&
                  kTextureFromFile == D3DX_FROM_FILE,
              "the image preparation takes the D3DX size values as they are");

D3DFORMAT ChooseFormat(D3DFORMAT nRequested, bool bHasAlpha) {
    switch (nRequested) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
        return nRequested;
    default:
        return bHasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}

void CopyLevel(const ImageRGBA& level, D3DFORMAT nFormat, const D3DLOCKED_RECT& locked) {
    for (uint32_t y = 0; y < level.nHeight; ++y) {
        const uint8_t* pSrc = &level.aPixels[size_t(y) * level.nWidth * 4];
        uint8_t* pRow = static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch);
        for (uint32_t x = 0; x < level.nWidth; ++x, pSrc += 4) {
            if (nFormat == D3DFMT_R5G6B5) {
                const uint16_t v = PackR5G6B5(pSrc);
                std::memcpy(pRow + x * 2, &v, 2);
            } else {
                const uint32_t v = nFormat == D3DFMT_A8R8G8B8 ? PackA8R8G8B8(pSrc) : PackX8R8G8B8(pSrc);
                std::memcpy(pRow + x * 4, &v, 4);
            }
        }
    }
}

}  // namespace

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, const void* pData, UINT nSize,
                                          IDirect3DTexture9** ppTexture) {
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, pData, nSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                               D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                               ppTexture);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, const void* pData,
                                            UINT nSize, UINT nWidth, UINT nHeight, UINT nMipLevels,
                                            DWORD nUsage, D3DFORMAT nFormat, D3DPOOL nPool, DWORD,
                                            DWORD, D3DCOLOR, void*, PALETTEENTRY*,
                                            IDirect3DTexture9** ppTexture) {
    if (!ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (!pDevice || !pData || nSize == 0) return D3DERR_INVALIDCALL;
    TextureImage image;
    if (!BuildTextureImage(static_cast<const uint8_t*>(pData), nSize, nWidth, nHeight, nMipLevels,
                           image) ||
        image.aLevels.empty())
        return D3DERR_INVALIDCALL;  // D3DXERR_INVALIDDATA in D3DX
    const D3DFORMAT nChosen = ChooseFormat(nFormat, image.bHasAlpha);
    IDirect3DTexture9* pTexture = nullptr;
    HRESULT hr = pDevice->CreateTexture(image.aLevels[0].nWidth, image.aLevels[0].nHeight,
                                        UINT(image.aLevels.size()), nUsage, nChosen, nPool,
                                        &pTexture, nullptr);
    if (FAILED(hr) || !pTexture) return FAILED(hr) ? hr : E_FAIL;
    const UINT nTextureLevels = pTexture->GetLevelCount();
    for (UINT i = 0; i < nTextureLevels && i < image.aLevels.size(); ++i) {
        D3DLOCKED_RECT locked;
        if (FAILED(pTexture->LockRect(i, &locked, nullptr, 0)) || !locked.pBits) {
            pTexture->Release();
            return E_FAIL;
        }
        CopyLevel(image.aLevels[i], nChosen, locked);
        pTexture->UnlockRect(i);
    }
    *ppTexture = pTexture;
    return D3D_OK;
}
