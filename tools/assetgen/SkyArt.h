#pragma once
// The dusk sky: gradient, three cloud layers, the sun and the hand glow.
#include "ImageWriters.h"

namespace assetgen {

// Palette of the dusk gradient at an elevation in degrees (+90 zenith).
struct Color;
Color DuskSky(float elevationDeg);

Image BuildSkyGradient();        // "nebo_gradient.tga", 12 x 256, 24 bits
Image BuildCloudTexture(int layer);  // layer 1..3: "Sky_05", "Sky_18", "Sky_16", 512 x 512, 32 bits
Image BuildSunTexture();         // "sun_outer.tga", 256 x 256, 32 bits
Image BuildGlowTexture();        // "glow.tga", 64 x 64, 24 bits, drawn additively

}  // namespace assetgen
