#pragma once
// The two layouts of ".MODEL" entries: vertex-animated meshes and camera
// paths. Parsing checks every count against the entry's size and every index
// against its table, so a damaged entry fails instead of being trusted.
#include <cstddef>
#include <cstdint>
#include <vector>

struct MeshData {
    uint32_t nFrameCount = 0;         // F >= 1
    uint32_t nVertexCount = 0;        // V positions in every frame
    std::vector<float> aPositions;    // F * V triples, frame f at f * V
    std::vector<float> aTexCoords;    // T pairs
    std::vector<uint16_t> aCorners;   // C pairs: position index, texture-coordinate index
    std::vector<uint16_t> aTriangles; // N triples of corner indices

    uint32_t TexCoordCount() const { return uint32_t(aTexCoords.size() / 2); }
    uint32_t CornerCount() const { return uint32_t(aCorners.size() / 2); }
    uint32_t TriangleCount() const { return uint32_t(aTriangles.size() / 3); }
};

// False for truncated data, no frames, frames of differing position counts,
// or indices beyond V, T or C. Bytes after the last section are ignored.
bool ParseMesh(const uint8_t* pData, size_t nSize, MeshData& out);

// The size the layout gives for these counts.
uint64_t MeshFileSize(uint64_t F, uint64_t V, uint64_t T, uint64_t C, uint64_t N);

// Camera paths are stored divided by this factor.
constexpr float kCameraPathScale = 24.0f;

struct CameraKeys {
    std::vector<float> aEyes;     // K triples, already multiplied by the scale
    std::vector<float> aTargets;  // K triples
    uint32_t KeyCount() const { return uint32_t(aEyes.size() / 3); }
};

// False when the entry is shorter than its key count says.
bool ParseCameraPath(const uint8_t* pData, size_t nSize, CameraKeys& out);
