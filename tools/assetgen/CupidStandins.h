#pragma once
// STAND-INS for the cupid, his bow arrow and the target heart, until their
// real models and textures are made. Each has the frame, position, texture
// coordinate, corner and triangle counts the scene expects, so that the
// animations reach their trigger steps and the glow vertices exist, but only
// a simple shape: a rounded doll, a puffy heart, an arrow resting at the bow.
#include "ImageWriters.h"
#include "MeshFormat.h"

namespace assetgen {

MeshData BuildStandinCupid(int frames);  // 1730 positions, 2069 coords, 2069 corners, 3425 triangles
MeshData BuildStandinHeart();            // 61 frames, 494, 617, 540, 984
MeshData BuildStandinBowArrow();         // 67 frames, 39, 39, 51, 74
Image BuildStandinCupidTexture();        // "kupidon_dif.tga", 512 x 512, 32 bits
Image BuildStandinHeartTexture();        // "heart.tga", 64 x 64, 24 bits

}  // namespace assetgen
