#pragma once
// The two .MODEL layouts: vertex-animated meshes and camera paths.
#include <cstdint>
#include <string>
#include <vector>

#include "ImageWriters.h"
#include "Vec.h"

namespace assetgen {

struct MeshCorner {
    uint16_t nPosition = 0, nTexCoord = 0;
};

struct MeshTriangle {
    uint16_t a = 0, b = 0, c = 0;  // corner indices
};

struct MeshData {
    std::vector<std::vector<Vec3>> frames;  // every frame holds the same count
    std::vector<Vec2> texCoords;
    std::vector<MeshCorner> corners;
    std::vector<MeshTriangle> triangles;

    size_t VertexCount() const { return frames.empty() ? 0 : frames[0].size(); }
    // Appends a position to every frame (all frames must exist already).
    uint16_t AddPosition(Vec3 p);
    uint16_t AddCorner(uint16_t position, Vec2 uv);
    void AddTriangle(uint16_t a, uint16_t b, uint16_t c) { triangles.push_back({a, b, c}); }
    // Both windings, for thin sheets seen from either side.
    void AddTwoSided(uint16_t a, uint16_t b, uint16_t c) {
        AddTriangle(a, b, c);
        AddTriangle(a, c, b);
    }
};

// 4 + F(4 + 12V) + 4 + 8T + 4 + 4C + 4 + 6N bytes.
size_t RAMeshFileSize(size_t frames, size_t vertices, size_t texCoords, size_t corners, size_t triangles);
Bytes EncodeMesh(const MeshData& mesh);
// Reads a mesh back; false when the data is short or inconsistent.
bool DecodeMesh(const Bytes& data, MeshData& mesh);

struct CameraKey {
    Vec3 eye, target;  // world units
};

// Keys stored with every coordinate divided by 24 (the loader multiplies back).
Bytes EncodeCameraPath(const std::vector<CameraKey>& keys);
bool DecodeCameraPath(const Bytes& data, std::vector<CameraKey>& keys);

}  // namespace assetgen
