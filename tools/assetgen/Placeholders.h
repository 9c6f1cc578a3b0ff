#pragma once
#include <string>

namespace assetgen {
// Writes every content file the resource script names, as small stand-ins
// where the real content is not made yet. Returns false on the first failure.
bool WritePlaceholders(const std::string& resDir, const std::string& outDir);
}
