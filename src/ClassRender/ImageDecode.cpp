#include "ClassRender/ImageDecode.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

bool Fail(std::string* pstrError, const char* pszText) {
    if (pstrError) *pstrError = pszText ? pszText : "image decoding failed";
    return false;
}

uint32_t ReadU16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t ReadU16BigEndian(const uint8_t* p) { return (uint32_t(p[0]) << 8) | uint32_t(p[1]); }

constexpr size_t kTgaHeaderSize = 18;

// Only uncompressed true-colour TGAs (type 2, no colour map, 24 or 32 bits)
// whose pixel data is all there; stb would read a short file as black pixels.
bool CheckTga(const uint8_t* pData, size_t nSize, bool& bHasAlpha, std::string* pstrError) {
    if (nSize < kTgaHeaderSize) return Fail(pstrError, "not a TGA or JPEG image");
    const uint32_t nIdLength = pData[0];
    const uint32_t nColorMapType = pData[1];
    const uint32_t nImageType = pData[2];
    const uint32_t nWidth = ReadU16(pData + 12);
    const uint32_t nHeight = ReadU16(pData + 14);
    const uint32_t nBits = pData[16];
    if (nColorMapType != 0 || nImageType != 2 || (nBits != 24 && nBits != 32))
        return Fail(pstrError, "unsupported TGA: only uncompressed 24/32-bit true colour");
    if (nWidth == 0 || nHeight == 0 || nWidth > kMaxImageDimension || nHeight > kMaxImageDimension)
        return Fail(pstrError, "TGA size out of range");
    const uint64_t nNeeded = uint64_t(kTgaHeaderSize) + nIdLength + uint64_t(nWidth) * nHeight * (nBits / 8);
    if (nNeeded > nSize) return Fail(pstrError, "TGA pixel data truncated");
    bHasAlpha = nBits == 32;
    return true;
}

bool IsJpeg(const uint8_t* pData, size_t nSize) { return nSize >= 2 && pData[0] == 0xFF && pData[1] == 0xD8; }

// Skips the entropy-coded data of a scan: stuffed FF 00, restart markers and
// fill bytes belong to it; any other marker ends it. False at end of data.
bool SkipScanData(const uint8_t* pData, size_t nSize, size_t& i) {
    while (i < nSize) {
        if (pData[i] != 0xFF) {
            ++i;
            continue;
        }
        if (i + 1 >= nSize) return false;
        const uint8_t nNext = pData[i + 1];
        if (nNext == 0x00 || (nNext >= 0xD0 && nNext <= 0xD7)) i += 2;
        else if (nNext == 0xFF) i += 1;
        else return true;
    }
    return false;
}

// A DHT segment's tables: class 0/1, slot 0..3, at most 256 symbols each and
// all within the segment (stb_image trusts the counts).
bool CheckHuffmanTables(const uint8_t* p, size_t nLength) {
    size_t i = 0;
    while (i < nLength) {
        if (nLength - i < 17) return false;
        if ((p[i] >> 4) > 1 || (p[i] & 15) > 3) return false;
        size_t nSymbols = 0;
        for (size_t k = 1; k <= 16; ++k) nSymbols += p[i + k];
        i += 17;
        if (nSymbols > 256 || nLength - i < nSymbols) return false;
        i += nSymbols;
    }
    return true;
}

// Walks the marker segments from SOI to EOI, so that a cut-off or damaged
// file is refused instead of decoding into grey.
bool CheckJpegStructure(const uint8_t* pData, size_t nSize, std::string* pstrError) {
    size_t i = 2;
    for (;;) {
        if (i >= nSize || pData[i] != 0xFF) return Fail(pstrError, "JPEG truncated or damaged");
        while (i < nSize && pData[i] == 0xFF) ++i;
        if (i >= nSize) return Fail(pstrError, "JPEG truncated");
        const uint8_t nMarker = pData[i++];
        if (nMarker == 0xD9) return true;
        if (nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD7)) continue;
        if (nMarker == 0xD8 || nMarker == 0x00) return Fail(pstrError, "JPEG damaged");
        if (i + 2 > nSize) return Fail(pstrError, "JPEG truncated");
        const size_t nLength = ReadU16BigEndian(pData + i);
        if (nLength < 2 || i + nLength > nSize) return Fail(pstrError, "JPEG truncated or damaged");
        if (nMarker == 0xC4 && !CheckHuffmanTables(pData + i + 2, nLength - 2))
            return Fail(pstrError, "JPEG Huffman table damaged");
        i += nLength;
        if (nMarker == 0xDA && !SkipScanData(pData, nSize, i)) return Fail(pstrError, "JPEG truncated");
    }
}

struct Tap {
    uint32_t nIndex;
    float fWeight;
};

// For each destination index, the source indices and weights along one axis.
std::vector<std::vector<Tap>> AxisWeights(uint32_t nSource, uint32_t nDest) {
    std::vector<std::vector<Tap>> weights(nDest);
    const double scale = double(nSource) / double(nDest);
    const int64_t nLast = int64_t(nSource) - 1;
    auto clampIndex = [nLast](int64_t n) { return uint32_t(std::min<int64_t>(std::max<int64_t>(n, 0), nLast)); };
    for (uint32_t d = 0; d < nDest; ++d) {
        const double center = (d + 0.5) * scale - 0.5;
        std::vector<Tap>& taps = weights[d];
        if (scale <= 1.0) {
            const double base = std::floor(center);
            const float f = float(center - base);
            taps.push_back({clampIndex(int64_t(base)), 1.0f - f});
            taps.push_back({clampIndex(int64_t(base) + 1), f});
            continue;
        }
        const double radius = scale;
        float fTotal = 0.0f;
        for (int64_t s = int64_t(std::ceil(center - radius)); s <= int64_t(std::floor(center + radius)); ++s) {
            const float w = float(1.0 - std::fabs(double(s) - center) / radius);
            if (w <= 0.0f) continue;
            taps.push_back({clampIndex(s), w});
            fTotal += w;
        }
        for (Tap& tap : taps) tap.fWeight /= fTotal;
    }
    return weights;
}

uint8_t ToByte(float f) { return uint8_t(std::min(255.0f, std::max(0.0f, f + 0.5f))); }

}  // namespace

bool DecodeImage(const uint8_t* pData, size_t nSize, DecodedImage& out, std::string* pstrError) {
    out = DecodedImage();
    if (!pData || nSize == 0) return Fail(pstrError, "no image data");
    if (nSize > size_t(INT_MAX)) return Fail(pstrError, "image data too large");
    bool bHasAlpha = false;
    if (IsJpeg(pData, nSize)) {
        if (!CheckJpegStructure(pData, nSize, pstrError)) return false;
    } else if (!CheckTga(pData, nSize, bHasAlpha, pstrError)) {
        return false;
    }
    int nWidth = 0, nHeight = 0, nComponents = 0;
    stbi_uc* pPixels = stbi_load_from_memory(pData, int(nSize), &nWidth, &nHeight, &nComponents, 4);
    if (!pPixels) return Fail(pstrError, stbi_failure_reason());
    if (nWidth <= 0 || nHeight <= 0) {
        stbi_image_free(pPixels);
        return Fail(pstrError, "empty image");
    }
    out.image.nWidth = uint32_t(nWidth);
    out.image.nHeight = uint32_t(nHeight);
    out.image.aPixels.assign(pPixels, pPixels + size_t(nWidth) * size_t(nHeight) * 4);
    out.bHasAlpha = bHasAlpha;
    stbi_image_free(pPixels);
    return true;
}

uint32_t NextPowerOfTwo(uint32_t n) {
    uint32_t nPower = 1;
    while (nPower < n && nPower < 0x80000000u) nPower <<= 1;
    return nPower;
}

ImageRGBA ResizeImage(const ImageRGBA& src, uint32_t nWidth, uint32_t nHeight) {
    ImageRGBA dst;
    if (src.nWidth == 0 || src.nHeight == 0 || nWidth == 0 || nHeight == 0) return dst;
    if (src.nWidth == nWidth && src.nHeight == nHeight) return src;
    dst.nWidth = nWidth;
    dst.nHeight = nHeight;
    dst.aPixels.resize(size_t(nWidth) * nHeight * 4);

    // Rows first into a float buffer (source height x new width), then columns.
    const std::vector<std::vector<Tap>> columns = AxisWeights(src.nWidth, nWidth);
    std::vector<float> rows(size_t(src.nHeight) * nWidth * 4);
    for (uint32_t y = 0; y < src.nHeight; ++y) {
        const uint8_t* pSrcRow = &src.aPixels[size_t(y) * src.nWidth * 4];
        float* pRow = &rows[size_t(y) * nWidth * 4];
        for (uint32_t x = 0; x < nWidth; ++x)
            for (const Tap& tap : columns[x])
                for (int c = 0; c < 4; ++c) pRow[x * 4 + c] += tap.fWeight * pSrcRow[tap.nIndex * 4 + c];
    }
    const std::vector<std::vector<Tap>> lines = AxisWeights(src.nHeight, nHeight);
    std::vector<float> sum(size_t(nWidth) * 4);
    for (uint32_t y = 0; y < nHeight; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Tap& tap : lines[y]) {
            const float* pRow = &rows[size_t(tap.nIndex) * nWidth * 4];
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += tap.fWeight * pRow[i];
        }
        uint8_t* pDst = &dst.aPixels[size_t(y) * nWidth * 4];
        for (size_t i = 0; i < sum.size(); ++i) pDst[i] = ToByte(sum[i]);
    }
    return dst;
}

ImageRGBA HalveImage(const ImageRGBA& src) {
    ImageRGBA dst;
    if (src.nWidth == 0 || src.nHeight == 0) return dst;
    dst.nWidth = std::max(1u, src.nWidth / 2);
    dst.nHeight = std::max(1u, src.nHeight / 2);
    dst.aPixels.resize(size_t(dst.nWidth) * dst.nHeight * 4);
    auto pixel = [&src](uint32_t x, uint32_t y) {
        return &src.aPixels[(size_t(std::min(y, src.nHeight - 1)) * src.nWidth + std::min(x, src.nWidth - 1)) * 4];
    };
    for (uint32_t y = 0; y < dst.nHeight; ++y)
        for (uint32_t x = 0; x < dst.nWidth; ++x) {
            const uint8_t* a = pixel(2 * x, 2 * y);
            const uint8_t* b = pixel(2 * x + 1, 2 * y);
            const uint8_t* c = pixel(2 * x, 2 * y + 1);
            const uint8_t* d = pixel(2 * x + 1, 2 * y + 1);
            uint8_t* pOut = &dst.aPixels[(size_t(y) * dst.nWidth + x) * 4];
            for (int k = 0; k < 4; ++k) pOut[k] = uint8_t((a[k] + b[k] + c[k] + d[k] + 2) / 4);
        }
    return dst;
}

uint32_t FullMipCount(uint32_t nWidth, uint32_t nHeight) {
    uint32_t nLargest = std::max(nWidth, nHeight);
    uint32_t nCount = 1;
    while (nLargest > 1) {
        nLargest /= 2;
        ++nCount;
    }
    return nCount;
}

bool BuildTextureImage(const uint8_t* pData, size_t nSize, uint32_t nWidth, uint32_t nHeight,
                       uint32_t nMipLevels, TextureImage& out, std::string* pstrError) {
    out = TextureImage();
    DecodedImage decoded;
    if (!DecodeImage(pData, nSize, decoded, pstrError)) return false;
    auto targetSize = [](uint32_t nAsked, uint32_t nFile) {
        if (nAsked == 0 || nAsked == kTextureDefault) return NextPowerOfTwo(nFile);
        if (nAsked == kTextureNonPow2 || nAsked == kTextureFromFile) return nFile;
        return nAsked;
    };
    const uint32_t nTargetWidth = targetSize(nWidth, decoded.image.nWidth);
    const uint32_t nTargetHeight = targetSize(nHeight, decoded.image.nHeight);
    if (nTargetWidth > kMaxImageDimension || nTargetHeight > kMaxImageDimension)
        return Fail(pstrError, "texture size out of range");

    const uint32_t nFull = FullMipCount(nTargetWidth, nTargetHeight);
    uint32_t nLevels = nMipLevels;
    if (nMipLevels == 0 || nMipLevels == kTextureDefault || nMipLevels > nFull) nLevels = nFull;
    if (nMipLevels == kTextureFromFile) nLevels = 1;
    out.bHasAlpha = decoded.bHasAlpha;
    out.nSourceWidth = decoded.image.nWidth;
    out.nSourceHeight = decoded.image.nHeight;
    out.aLevels.reserve(nLevels);
    out.aLevels.push_back(ResizeImage(decoded.image, nTargetWidth, nTargetHeight));
    while (out.aLevels.size() < nLevels) out.aLevels.push_back(HalveImage(out.aLevels.back()));
    return true;
}

uint32_t PackA8R8G8B8(const uint8_t* p) {
    return (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

uint32_t PackX8R8G8B8(const uint8_t* p) {
    return 0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

uint16_t PackR5G6B5(const uint8_t* p) {
    return uint16_t(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
}
