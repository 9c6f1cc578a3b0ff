#pragma once
// "font.tga": the quote font, white script glyphs with a dark rim so the
// quote stays readable over the bright dusk sky.
#include "ImageWriters.h"

namespace assetgen {

// Returns false when the font cannot be loaded.
bool BuildFontAtlas(Image& out);

}  // namespace assetgen
