#pragma once
// Meshes of the world around the cupid: sky dome, cloud layers, sun, glow.
#include "MeshFormat.h"

namespace assetgen {

// Adds triangle (a, b, c) wound so that it is seen from the side 'towards'
// points to (Direct3D culls counter-clockwise triangles by default).
void AddFacing(MeshData& m, uint16_t a, uint16_t b, uint16_t c, Vec3 towards);

constexpr float kSkyRadius = 300.f;
constexpr int kSunFrames = 721;

MeshData BuildSkyMesh();            // 1 frame, 122 positions, 240 triangles
// Cloud layers: a cone of kCloudRings rings of kCloudSegments corners each.
constexpr int kCloudRings = 6;
constexpr int kCloudSegments = 96;
MeshData BuildCloudMesh(int layer);  // layer 1..3: 577 positions, 1056 triangles
MeshData BuildSunMesh();            // 721 frames of one turning, breathing quad
MeshData BuildGlowMesh();           // one quad in the xy plane

}  // namespace assetgen
