#pragma once
// The clock and FPS overlay glyphs: bright figures with soft edges on a
// transparent dark ground (a darkening pass and an additive pass draw them).
#include <string>
#include <vector>

#include "ImageWriters.h"

namespace assetgen {

constexpr int kDigitWidth = 24;
constexpr int kDigitHeight = 32;

struct DigitImage {
    std::string entry;  // archive entry name, "Digits\digit_0.tga" ...
    Image image;
};

// The 14 images in overlay order: 0-9, colon, dot, am, pm. Empty on failure.
std::vector<DigitImage> BuildDigitImages();

}  // namespace assetgen
