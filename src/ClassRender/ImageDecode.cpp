#include "ClassRender/ImageDecode.h"

#include <stb_image.h>

#include <algorithm>
#include <memory>
#include <new>
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

// What the decoder is handed must hold together: stb_image 2.27 trusts the
// Huffman counts and decodes with tables that were never defined, so both
// are checked here, along with the marker structure from SOI to EOI (a
// cut-off file is refused instead of decoding into grey).
class CJpegChecker {
public:
    CJpegChecker(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    const char* Check() {
        size_t i = 2;
        for (;;) {
            if (i >= m_nSize || m_pData[i] != 0xFF) return "JPEG truncated or damaged";
            while (i < m_nSize && m_pData[i] == 0xFF) ++i;
            if (i >= m_nSize) return "JPEG truncated";
            const uint8_t nMarker = m_pData[i++];
            if (nMarker == 0xD9) return m_bScanSeen ? nullptr : "JPEG without picture data";
            if (nMarker == 0x01 || (nMarker >= 0xD0 && nMarker <= 0xD7)) continue;
            if (nMarker == 0xD8 || nMarker == 0x00) return "JPEG damaged";
            if (i + 2 > m_nSize) return "JPEG truncated";
            const size_t nLength = ReadU16BigEndian(m_pData + i);
            if (nLength < 2 || i + nLength > m_nSize) return "JPEG truncated or damaged";
            if (const char* pszError = CheckSegment(nMarker, m_pData + i + 2, nLength - 2)) return pszError;
            i += nLength;
            if (nMarker == 0xDA && !SkipScanData(i)) return "JPEG truncated";
        }
    }

private:
    const char* CheckSegment(uint8_t nMarker, const uint8_t* p, size_t nLength) {
        if (nMarker == 0xC4) return CheckHuffmanTables(p, nLength) ? nullptr : "JPEG Huffman table damaged";
        if (nMarker == 0xC0 || nMarker == 0xC1 || nMarker == 0xC2) return CheckFrame(nMarker, p, nLength);
        if (nMarker >= 0xC3 && nMarker <= 0xCF && nMarker != 0xC8 && nMarker != 0xCC)
            return "unsupported JPEG coding (lossless or arithmetic)";
        if (nMarker == 0xDA) return CheckScan(p, nLength);
        return nullptr;
    }

    // Tables: class 0/1, slot 0..3, at most 256 symbols, all within the segment.
    bool CheckHuffmanTables(const uint8_t* p, size_t nLength) {
        size_t i = 0;
        while (i < nLength) {
            if (nLength - i < 17) return false;
            const uint32_t nClass = p[i] >> 4, nSlot = p[i] & 15;
            if (nClass > 1 || nSlot > 3) return false;
            size_t nSymbols = 0;
            for (size_t k = 1; k <= 16; ++k) nSymbols += p[i + k];
            i += 17;
            if (nSymbols > 256 || nLength - i < nSymbols) return false;
            i += nSymbols;
            (nClass == 0 ? m_abDcDefined : m_abAcDefined)[nSlot] = true;
        }
        return true;
    }

    const char* CheckFrame(uint8_t nMarker, const uint8_t* p, size_t nLength) {
        if (m_bFrameSeen) return "JPEG with more than one frame";
        m_bFrameSeen = true;
        m_bProgressive = nMarker == 0xC2;
        if (nLength < 6 || nLength != 6 + size_t(p[5]) * 3) return "JPEG frame header damaged";
        return nullptr;
    }

    // Every Huffman table a scan decodes with must have been defined before it.
    const char* CheckScan(const uint8_t* p, size_t nLength) {
        if (!m_bFrameSeen) return "JPEG scan before its frame header";
        if (nLength < 1) return "JPEG scan header damaged";
        const size_t nComponents = p[0];
        if (nComponents < 1 || nComponents > 4 || nLength != 4 + nComponents * 2) return "JPEG scan header damaged";
        const uint8_t nSpectralStart = p[1 + nComponents * 2];
        const bool bUsesDc = !m_bProgressive || nSpectralStart == 0;
        const bool bUsesAc = !m_bProgressive || nSpectralStart != 0;
        for (size_t c = 0; c < nComponents; ++c) {
            const uint32_t nDc = p[2 + c * 2] >> 4, nAc = p[2 + c * 2] & 15;
            if (nDc > 3 || nAc > 3) return "JPEG scan header damaged";
            if ((bUsesDc && !m_abDcDefined[nDc]) || (bUsesAc && !m_abAcDefined[nAc]))
                return "JPEG scan uses an undefined Huffman table";
        }
        m_bScanSeen = true;
        return nullptr;
    }

    // Skips the entropy-coded data of a scan: stuffed FF 00, restart markers
    // and fill bytes belong to it; any other marker ends it.
    bool SkipScanData(size_t& i) const {
        while (i < m_nSize) {
            if (m_pData[i] != 0xFF) {
                ++i;
                continue;
            }
            if (i + 1 >= m_nSize) return false;
            const uint8_t nNext = m_pData[i + 1];
            if (nNext == 0x00 || (nNext >= 0xD0 && nNext <= 0xD7)) i += 2;
            else if (nNext == 0xFF) i += 1;
            else return true;
        }
        return false;
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    bool m_abDcDefined[4] = {};
    bool m_abAcDefined[4] = {};
    bool m_bFrameSeen = false;
    bool m_bProgressive = false;
    bool m_bScanSeen = false;
};

bool CheckJpegStructure(const uint8_t* pData, size_t nSize, std::string* pstrError) {
    const char* pszError = CJpegChecker(pData, nSize).Check();
    return pszError ? Fail(pstrError, pszError) : true;
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

bool DecodeInto(const uint8_t* pData, size_t nSize, DecodedImage& out, std::string* pstrError) {
    if (!pData || nSize == 0) return Fail(pstrError, "no image data");
    if (nSize > size_t(INT_MAX)) return Fail(pstrError, "image data too large");
    bool bHasAlpha = false;
    if (IsJpeg(pData, nSize)) {
        if (!CheckJpegStructure(pData, nSize, pstrError)) return false;
    } else if (!CheckTga(pData, nSize, bHasAlpha, pstrError)) {
        return false;
    }
    int nWidth = 0, nHeight = 0, nComponents = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(pData, int(nSize), &nWidth, &nHeight, &nComponents, 4), stbi_image_free);
    if (!pixels) return Fail(pstrError, stbi_failure_reason());
    if (nWidth <= 0 || nHeight <= 0) return Fail(pstrError, "empty image");
    out.image.aPixels.assign(pixels.get(), pixels.get() + size_t(nWidth) * size_t(nHeight) * 4);
    out.image.nWidth = uint32_t(nWidth);
    out.image.nHeight = uint32_t(nHeight);
    out.bHasAlpha = bHasAlpha;
    return true;
}

}  // namespace

// A damaged header can still ask for a large picture: running out of memory
// is one more clean failure.
bool DecodeImage(const uint8_t* pData, size_t nSize, DecodedImage& out, std::string* pstrError) {
    out = DecodedImage();
    try {
        return DecodeInto(pData, nSize, out, pstrError);
    } catch (const std::bad_alloc&) {
        out = DecodedImage();
        return Fail(pstrError, "out of memory");
    }
}

uint32_t NextPowerOfTwo(uint32_t n) {
    uint32_t nPower = 1;
    while (nPower < n && nPower < 0x80000000u) nPower <<= 1;
    return nPower;
}

// Columns first, one output row at a time, so that only a single row of
// intermediate values is held whatever the image size.
ImageRGBA ResizeImage(const ImageRGBA& src, uint32_t nWidth, uint32_t nHeight) {
    ImageRGBA dst;
    if (src.nWidth == 0 || src.nHeight == 0 || nWidth == 0 || nHeight == 0) return dst;
    if (src.nWidth == nWidth && src.nHeight == nHeight) return src;
    dst.nWidth = nWidth;
    dst.nHeight = nHeight;
    dst.aPixels.resize(size_t(nWidth) * nHeight * 4);

    const std::vector<std::vector<Tap>> lines = AxisWeights(src.nHeight, nHeight);
    const std::vector<std::vector<Tap>> columns = AxisWeights(src.nWidth, nWidth);
    const size_t nSrcRow = size_t(src.nWidth) * 4;
    std::vector<float> row(nSrcRow);
    for (uint32_t y = 0; y < nHeight; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (const Tap& tap : lines[y]) {
            const uint8_t* pSrc = &src.aPixels[tap.nIndex * nSrcRow];
            for (size_t i = 0; i < nSrcRow; ++i) row[i] += tap.fWeight * float(pSrc[i]);
        }
        uint8_t* pDst = &dst.aPixels[size_t(y) * nWidth * 4];
        for (uint32_t x = 0; x < nWidth; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (const Tap& tap : columns[x])
                for (int c = 0; c < 4; ++c) sum[c] += tap.fWeight * row[size_t(tap.nIndex) * 4 + c];
            for (int c = 0; c < 4; ++c) pDst[x * 4 + c] = ToByte(sum[c]);
        }
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

namespace {

bool BuildInto(const uint8_t* pData, size_t nSize, uint32_t nWidth, uint32_t nHeight, uint32_t nMipLevels,
               TextureImage& out, std::string* pstrError) {
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

}  // namespace

bool BuildTextureImage(const uint8_t* pData, size_t nSize, uint32_t nWidth, uint32_t nHeight,
                       uint32_t nMipLevels, TextureImage& out, std::string* pstrError) {
    out = TextureImage();
    try {
        return BuildInto(pData, nSize, nWidth, nHeight, nMipLevels, out, pstrError);
    } catch (const std::bad_alloc&) {
        out = TextureImage();
        return Fail(pstrError, "out of memory");
    }
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
