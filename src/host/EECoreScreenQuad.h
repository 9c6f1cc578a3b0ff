#pragma once
// The screen quad on the device: one dynamic vertex buffer of four
// pre-transformed vertices that the loading screen and the overlay place
// anew for every picture they draw (CEECore::EE_Core_DrawQuad).
#include <d3d9.h>

// A buffer holding the initial quad, or null when the device gives none.
IDirect3DVertexBuffer9* CreateScreenQuad(IDirect3DDevice9* pDevice);
void SetQuadStream(IDirect3DDevice9* pDevice, IDirect3DVertexBuffer9* pBuffer);
// Draws the quad of the stream set last as its two triangles.
void DrawQuadStrip(IDirect3DDevice9* pDevice);
