#pragma once
// The fifteen recorded camera paths: ten idle paths around the cupid and five
// action paths that film the heart's flight, the shot and the quote.
#include <vector>

#include "MeshFormat.h"

namespace assetgen {

// n = 0..9, kIdleKeys keys each.
std::vector<CameraKey> BuildIdlePath(int n);
// n = 0..4 (launch position n), kActionKeys keys each.
std::vector<CameraKey> BuildActionPath(int n);

}  // namespace assetgen
