#pragma once
// Pictures of the host: loading screen, dialog bitmaps and the icon.
#include <vector>

#include "ImageWriters.h"

namespace assetgen {

Image BuildLoadingBackground();    // 512 x 512, for the JPEG
bool BuildLoadingCorner(Image& out);  // 256 x 128, 32 bits, the product's name
Image BuildPreviewBitmap();        // 155 x 115
bool BuildConfigBitmap(Image& out);   // 190 x 142
Image BuildAboutBitmap();          // 70 x 70
std::vector<Image> BuildIconImages();  // 16, 32, 48 and 256 pixels, 32 bits
// The 2 x 2 stand-in that marks an absent loading-screen layer.
Image BuildEmptyLayer();

}  // namespace assetgen
