#pragma once
// CCameraPath: one recorded camera path, a ".MODEL" entry of eye and look-at
// keys 33 ms apart, with the projection it is filmed with.
#include <cstdint>

#include "ClassRender/D3DXMath.h"
#include "ClassRender/ModelFile.h"

// The path projection: vertical field of view 1.396 rad, aspect 7/6, near
// 0.1, far 380, left-handed. The aspect is fixed; it does not follow the display.
void BuildPathProjection(D3DXMATRIX& out);

class CCameraPath {
public:
    // 0 on success; 1 with "error model" logged when the entry is missing or
    // damaged. The projection is built in either case.
    uint32_t LoadCameraPath(const char* pszEntry);
    // Loads keys from entry bytes (the archive-free half of the loader).
    uint32_t LoadKeys(const uint8_t* pData, size_t nSize);

    uint32_t KeyCount() const { return m_Keys.KeyCount(); }
    D3DXVECTOR3 Eye(uint32_t nKey) const;
    D3DXVECTOR3 Target(uint32_t nKey) const;

    CameraKeys m_Keys;  // eyes and targets, multiplied by 24
    D3DXMATRIX m_Projection;
    D3DXMATRIX m_View;
    D3DXMATRIX m_SkyView;
    bool m_bPlaying = false;
    uint32_t m_nStartTime = 0;
    int32_t m_nKey = 0;
};
