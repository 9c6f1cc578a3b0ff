#pragma once
// CMeshModel: a vertex-animated mesh from a ".MODEL" entry of the media
// archive. It refills its vertex buffer when the animation step changes.
#include <d3d9.h>

#include "ClassRender/D3DXMath.h"
#include "ClassRender/MeshAnimation.h"
#include "ClassRender/RenderTypes.h"

class CMeshModel {
public:
    CMeshModel() = default;
    CMeshModel(const CMeshModel&) = delete;
    CMeshModel& operator=(const CMeshModel&) = delete;

    uint32_t LoadModelMesh(const char* pszEntry, IDirect3DDevice9* pDevice);
    uint32_t LoadModel(const char* pszMesh, const char* pszTexture, IDirect3DDevice9* pDevice,
                       bool bInterpolate);
    uint32_t LoadModelSharedTexture(const char* pszMesh, IDirect3DTexture9* pTexture,
                                    IDirect3DDevice9* pDevice, bool bInterpolate);

    void StartAnimation(uint32_t nStepInterval, uint32_t nFirstStep);
    void StopAnimation();
    void StopAtEnd();
    bool IsStopped() const { return !m_Playback.bPlaying; }
    HRESULT UpdateFrame();
    void Draw(const D3DXMATRIX& world, IDirect3DDevice9* pDevice, bool bApplyStates);
    D3DXVECTOR3 GetVertexPosition(uint32_t nVertex) const;

    void ReleaseResources();  // both buffers, and the texture unless shared
    void ReleaseMesh();       // the mesh data and both buffers

    bool IsLoaded() const { return m_Mesh.nFrameCount > 0; }
    uint32_t FrameCount() const { return m_Mesh.nFrameCount; }
    uint32_t StepCount() const { return ::StepCount(m_Playback, m_Mesh.nFrameCount); }
    uint32_t Step() const { return m_Playback.nStep; }

    MeshData m_Mesh;  // frames, texture coordinates, corners, triangles
    MeshPlayback m_Playback;
    CVertexRenderBuffer m_VertexBuffer;
    CFaceRenderBuffer m_FaceBuffer;
    bool m_bSharedTexture = false;
    IDirect3DTexture9* m_pTexture = nullptr;
    D3DCOLOR m_nTextureFactor = 0xFFFFFFFF;

private:
    uint32_t LoadMesh(const char* pszMesh, IDirect3DDevice9* pDevice, bool bInterpolate);
};
