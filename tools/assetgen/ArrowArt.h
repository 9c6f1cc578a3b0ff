#pragma once
// The golden arrow: a slim shaft, a heart-shaped head and white fletching.
// Mesh and texture share one layout of the 128 x 128 "arrow.tga".
#include "ImageWriters.h"
#include "MeshFormat.h"

namespace assetgen {

MeshData BuildArrowMesh();  // 1 frame, 39 positions, 51 corners, 74 triangles; tip along +z
Image BuildArrowTexture();  // 24 bits

}  // namespace assetgen
