#pragma once
// The target heart: a rounded, glossy heart that beats once per loop.
#include "../ImageWriters.h"
#include "../MeshFormat.h"

namespace assetgen::cupid {

constexpr int kHeartFrames = 61;
// Fills the 61-frame mesh and its 64 x 64, 24-bit texture.
void BuildHeart(MeshData& mesh, Image& texture);
// Size of the beat at a frame (1 at rest).
float HeartBeatScale(int frame);

}  // namespace assetgen::cupid
