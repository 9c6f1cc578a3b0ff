#pragma once
// PNG sheets for looking at the content without Windows: every texture,
// software renders of the meshes and of scenes seen by the camera paths,
// every camera path from above, and the host's pictures.
#include <string>

#include "Content.h"

namespace assetgen {

bool WritePreview(const ContentSet& content, const std::string& dir);

}  // namespace assetgen
