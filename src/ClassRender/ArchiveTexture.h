#pragma once
// Textures of the scene, from image entries of the media archive.
#include <d3d9.h>

#include <cstdint>

// 0 on success; 1 with "error load texture" (entry missing) or "error create
// texture" (image not decodable) logged, and a null texture.
uint32_t CreateArchiveTexture(const char* pszEntry, IDirect3DDevice9* pDevice,
                              IDirect3DTexture9** ppTexture);
