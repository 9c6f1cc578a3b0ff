#pragma once
// Images held in memory (uncompressed 24/32-bit TGA, JPEG) decoded into RGBA8
// and prepared the way texture creation needs them: power-of-two size by a
// filtered resize unless a size is asked for, and a box-filtered mip chain.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// RGBA8, 4 bytes a pixel, rows from top to bottom.
struct ImageRGBA {
    uint32_t nWidth = 0;
    uint32_t nHeight = 0;
    std::vector<uint8_t> aPixels;
};

struct DecodedImage {
    ImageRGBA image;
    bool bHasAlpha = false;  // the source carried an alpha channel (32-bit TGA)
};

// Largest width or height accepted from a file.
constexpr uint32_t kMaxImageDimension = 4096;

// Decodes a TGA (type 2, 24 or 32 bits, TGA 2.0 footer or not) or a baseline
// or progressive JPEG. Damaged, truncated or other images fail; pstrError
// (when given) then says why.
bool DecodeImage(const uint8_t* pData, size_t nSize, DecodedImage& out, std::string* pstrError = nullptr);

// Smallest power of two >= n (1 for 0), up to 2^31.
uint32_t NextPowerOfTwo(uint32_t n);

// Filtered resize: bilinear where a dimension grows, an area-weighted tent
// filter where it shrinks, so that no source row or column is skipped.
ImageRGBA ResizeImage(const ImageRGBA& src, uint32_t nWidth, uint32_t nHeight);

// The next mip level: half the size (at least 1), each pixel the rounded mean
// of its 2x2 (or 2x1) source block.
ImageRGBA HalveImage(const ImageRGBA& src);

// Number of levels of the full chain down to 1x1.
uint32_t FullMipCount(uint32_t nWidth, uint32_t nHeight);

// Sizes and level counts take the D3DX values, so callers can pass them on:
// 0 or kTextureDefault: the file's size rounded up to powers of two, the
// full mip chain; kTextureNonPow2 or kTextureFromFile: the file's own size
// (as levels: the one level a TGA or JPEG holds); anything else: that size,
// that many levels (cut to the full chain).
constexpr uint32_t kTextureDefault = 0xFFFFFFFFu;   // D3DX_DEFAULT
constexpr uint32_t kTextureNonPow2 = 0xFFFFFFFEu;   // D3DX_DEFAULT_NONPOW2
constexpr uint32_t kTextureFromFile = 0xFFFFFFFDu;  // D3DX_FROM_FILE

struct TextureImage {
    bool bHasAlpha = false;
    uint32_t nSourceWidth = 0;
    uint32_t nSourceHeight = 0;
    std::vector<ImageRGBA> aLevels;  // level 0 first
};

// Decodes the image, sizes it and builds its mip levels.
bool BuildTextureImage(const uint8_t* pData, size_t nSize, uint32_t nWidth, uint32_t nHeight,
                       uint32_t nMipLevels, TextureImage& out, std::string* pstrError = nullptr);

// One RGBA8 pixel packed for a locked texture: D3DFMT_A8R8G8B8 / X8R8G8B8
// (0xAARRGGBB; X8 sets alpha to 0xFF) and D3DFMT_R5G6B5.
uint32_t PackA8R8G8B8(const uint8_t* pRGBA);
uint32_t PackX8R8G8B8(const uint8_t* pRGBA);
uint16_t PackR5G6B5(const uint8_t* pRGBA);
