#pragma once
// Textures from images held in memory (uncompressed 24/32-bit TGA, JPEG), in
// the manner of the D3DX utility functions: sizes rounded up to powers of two,
// a full mip chain, the format taken from the image, the managed pool.
#include <d3d9.h>

constexpr UINT D3DX_DEFAULT = UINT(-1);
constexpr UINT D3DX_DEFAULT_NONPOW2 = UINT(-2);
constexpr UINT D3DX_FROM_FILE = UINT(-3);
constexpr D3DFORMAT D3DFMT_FROM_FILE = D3DFORMAT(-3);

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, const void* pData, UINT nSize,
                                          IDirect3DTexture9** ppTexture);

// Width and Height: D3DX_DEFAULT (the image's size rounded up to powers of
// two), D3DX_DEFAULT_NONPOW2 or D3DX_FROM_FILE (the image's own size), or a
// size. MipLevels: 0 or D3DX_DEFAULT for the full chain. Format:
// D3DFMT_UNKNOWN or D3DFMT_FROM_FILE for the image's, or A8R8G8B8, X8R8G8B8,
// R5G6B5. The filters, colour key, source info and palette are accepted for
// the D3DX signature; filtering is always a box filter and no colour key is
// applied.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, const void* pData,
                                            UINT nSize, UINT nWidth, UINT nHeight, UINT nMipLevels,
                                            DWORD nUsage, D3DFORMAT nFormat, D3DPOOL nPool,
                                            DWORD nFilter, DWORD nMipFilter, D3DCOLOR nColorKey,
                                            void* pSrcInfo, PALETTEENTRY* pPalette,
                                            IDirect3DTexture9** ppTexture);
