#pragma once
// CTextBlock: a grid of characters drawn in 3D with the bitmap font, one
// quad per cell, coloured per cell and tinted as a whole. The layout is
// CTextLayout; this class owns the buffers and the font texture.
#include <d3d9.h>

#include "ClassRender/RenderTypes.h"
#include "ClassRender/D3DXMath.h"
#include "scene/TextLayout.h"

class CTextBlock {
public:
    CTextBlock();
    CTextBlock(const CTextBlock&) = delete;
    CTextBlock& operator=(const CTextBlock&) = delete;

    // 0 on success, 1 when the grid, its buffers or the font could not be
    // made (the texture loader logs its line). Only a complete block is drawn.
    uint32_t Create(int32_t nColumns, int32_t nRows, const char* pszTexture, float fGlyphScale,
                    float fLineScale, IDirect3DDevice9* pDevice);
    void Release();

    void Clear() { m_Layout.Clear(); }
    void SetRow(int32_t nStart, int32_t nRow, D3DCOLOR nColor, const char* pszText, float fOffset) {
        m_Layout.SetRow(nStart, nRow, nColor, pszText, fOffset);
    }
    void SetRowCentred(int32_t nRow, D3DCOLOR nColor, const char* pszText) {
        m_Layout.SetRowCentred(nRow, nColor, pszText);
    }
    static float Measure(const char* pszText) { return CTextLayout::Measure(pszText); }
    // Rewrites the vertices when the text changed.
    void Rebuild();
    // The dynamic vertices live in D3DPOOL_DEFAULT: released before a device
    // reset, made again and refilled after it.
    void ReleaseDeviceBuffer() { m_VertexBuffer.Release(); }
    void RestoreDeviceBuffer(IDirect3DDevice9* pDevice);
    // Draws the block with world = text turn x matrix.
    void Render(IDirect3DDevice9* pDevice, const D3DXMATRIX& matrix);

    bool IsLoaded() const { return m_bLoaded; }

    CTextLayout m_Layout;
    D3DXMATRIX m_TextTurn;
    D3DCOLOR m_nTint = 0xFFFFFFFF;
    IDirect3DTexture9* m_pTexture = nullptr;
    CFaceRenderBuffer m_FaceBuffer;
    CVertexRenderBuffer m_VertexBuffer;

private:
    bool m_bLoaded = false;
};
