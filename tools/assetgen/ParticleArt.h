#pragma once
// Particle sprites: sparkles, tiny hearts and petals (32 x 32, 32 bits) and
// the glowing heart of the arrow's trail (64 x 64).
#include <string>

#include "ImageWriters.h"

namespace assetgen {

// name: "1", "2", "3", "4", "6", "rose01", "rose02", "romashka", "heart_prt".
Image BuildParticle(const std::string& name);

}  // namespace assetgen
