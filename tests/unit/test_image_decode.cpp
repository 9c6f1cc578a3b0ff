#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ClassRender/ImageDecode.h"

namespace {

using Bytes = std::vector<uint8_t>;

// An uncompressed TGA. Pixels are given RGBA, top row first; bTopDown picks
// the stored row order.
Bytes MakeTga(uint32_t w, uint32_t h, const Bytes& rgba, int nBits, bool bTopDown, bool bFooter = false,
              const std::string& strId = "") {
    Bytes tga(18, 0);
    tga[0] = uint8_t(strId.size());
    tga[2] = 2;
    tga[12] = uint8_t(w);
    tga[13] = uint8_t(w >> 8);
    tga[14] = uint8_t(h);
    tga[15] = uint8_t(h >> 8);
    tga[16] = uint8_t(nBits);
    tga[17] = uint8_t((nBits == 32 ? 8 : 0) | (bTopDown ? 0x20 : 0));
    tga.insert(tga.end(), strId.begin(), strId.end());
    for (uint32_t row = 0; row < h; ++row) {
        const uint32_t y = bTopDown ? row : h - 1 - row;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(y * w + x) * 4];
            tga.push_back(p[2]);
            tga.push_back(p[1]);
            tga.push_back(p[0]);
            if (nBits == 32) tga.push_back(p[3]);
        }
    }
    if (bFooter) {
        for (int i = 0; i < 8; ++i) tga.push_back(0);  // no extension area, no developer area
        const char szSignature[] = "TRUEVISION-XFILE.";
        tga.insert(tga.end(), szSignature, szSignature + sizeof szSignature);  // with its NUL
    }
    return tga;
}

// 4 x 2: red, green, blue, white / black, grey, yellow, half-transparent cyan.
const Bytes kPixels = {255, 0, 0, 255,   0, 255, 0, 255, 0, 0, 255, 255,   255, 255, 255, 255,
                       0, 0, 0, 255,     128, 128, 128, 200, 255, 255, 0, 0, 0, 255, 255, 128};

void AppendBytes(void* pContext, void* pData, int nSize) {
    Bytes* pOut = static_cast<Bytes*>(pContext);
    const uint8_t* p = static_cast<const uint8_t*>(pData);
    pOut->insert(pOut->end(), p, p + nSize);
}

// A smooth gradient, 64 x 32, written as a baseline JPEG by stb_image_write.
Bytes MakeJpeg(Bytes* pSource = nullptr) {
    const int w = 64, h = 32;
    Bytes rgb(size_t(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &rgb[size_t((y * w + x) * 3)];
            p[0] = uint8_t(x * 4);
            p[1] = uint8_t(y * 8);
            p[2] = 128;
        }
    Bytes jpeg;
    EXPECT_NE(stbi_write_jpg_to_func(AppendBytes, &jpeg, w, h, 3, rgb.data(), 95), 0);
    if (pSource) *pSource = rgb;
    return jpeg;
}

// A 48 x 32 progressive JPEG (red at the top fading to blue at the bottom),
// made with ImageMagick: "convert -size 48x32 gradient:red-blue -interlace Plane".
const Bytes kProgressiveJpeg = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x06, 0x04, 0x05, 0x06, 0x05, 0x04, 0x06,
    0x06, 0x05, 0x06, 0x07, 0x07, 0x06, 0x08, 0x0A, 0x10, 0x0A, 0x0A, 0x09, 0x09, 0x0A, 0x14, 0x0E,
    0x0F, 0x0C, 0x10, 0x17, 0x14, 0x18, 0x18, 0x17, 0x14, 0x16, 0x16, 0x1A, 0x1D, 0x25, 0x1F, 0x1A,
    0x1B, 0x23, 0x1C, 0x16, 0x16, 0x20, 0x2C, 0x20, 0x23, 0x26, 0x27, 0x29, 0x2A, 0x29, 0x19, 0x1F,
    0x2D, 0x30, 0x2D, 0x28, 0x30, 0x25, 0x28, 0x29, 0x28, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x07, 0x07,
    0x07, 0x0A, 0x08, 0x0A, 0x13, 0x0A, 0x0A, 0x13, 0x28, 0x1A, 0x16, 0x1A, 0x28, 0x28, 0x28, 0x28,
    0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28,
    0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28,
    0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0x28, 0xFF, 0xC2,
    0x00, 0x11, 0x08, 0x00, 0x20, 0x00, 0x30, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xFF, 0xC4, 0x00, 0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x06, 0xFF, 0xC4, 0x00, 0x16, 0x01, 0x01, 0x01,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06,
    0x01, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x10, 0x03, 0x10, 0x00, 0x00, 0x01, 0xCC,
    0xA7, 0x65, 0xA5, 0x09, 0xC5, 0x09, 0xC4, 0xC9, 0xD6, 0x52, 0x74, 0x27, 0x14, 0x27, 0x1F, 0xFF,
    0xC4, 0x00, 0x15, 0x10, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x05, 0x02,
    0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xFF, 0xC4, 0x00, 0x15,
    0x11, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x14, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x03, 0x01, 0x01, 0x3F, 0x01, 0xB1, 0x62, 0xC5,
    0x8B, 0x16, 0x3F, 0xFF, 0xC4, 0x00, 0x15, 0x11, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x14, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x02,
    0x01, 0x01, 0x3F, 0x01, 0x85, 0x0A, 0x14, 0x28, 0x50, 0xBF, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,
    0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x06, 0x3F, 0x02, 0x47, 0xFF, 0xC4, 0x00, 0x14, 0x10,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x40, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x3F, 0x21, 0x40, 0x1F, 0xFF, 0x00, 0xFF,
    0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x10, 0x04,
    0x10, 0x7F, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xC4, 0x00, 0x15, 0x11, 0x01, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x71, 0xFF, 0xDA, 0x00,
    0x08, 0x01, 0x03, 0x01, 0x01, 0x3F, 0x10, 0xB5, 0xAD, 0x6B, 0x5B, 0xFF, 0xC4, 0x00, 0x15, 0x11,
    0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x71, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x02, 0x01, 0x01, 0x3F, 0x10, 0x84, 0x21, 0x08, 0x43,
    0xFF, 0xC4, 0x00, 0x16, 0x10, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x71, 0x30, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01,
    0x3F, 0x10, 0xD3, 0xF0, 0x29, 0x4A, 0x52, 0x94, 0xA5, 0x29, 0x4A, 0x53, 0xFF, 0xD9,
};

bool Decode(const Bytes& data, DecodedImage& out, std::string* pError = nullptr) {
    return DecodeImage(data.data(), data.size(), out, pError);
}

TEST(ImageDecode, Tga24BottomUpAndTopDown) {
    for (bool bTopDown : {false, true}) {
        DecodedImage img;
        ASSERT_TRUE(Decode(MakeTga(4, 2, kPixels, 24, bTopDown), img)) << bTopDown;
        EXPECT_EQ(img.image.nWidth, 4u);
        EXPECT_EQ(img.image.nHeight, 2u);
        EXPECT_FALSE(img.bHasAlpha);
        ASSERT_EQ(img.image.aPixels.size(), 32u);
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(img.image.aPixels[i * 4 + 0], kPixels[i * 4 + 0]) << i;
            EXPECT_EQ(img.image.aPixels[i * 4 + 1], kPixels[i * 4 + 1]) << i;
            EXPECT_EQ(img.image.aPixels[i * 4 + 2], kPixels[i * 4 + 2]) << i;
            EXPECT_EQ(img.image.aPixels[i * 4 + 3], 255) << i;  // opaque without alpha
        }
    }
}

TEST(ImageDecode, Tga32WithAlphaFooterAndIdField) {
    const Bytes variants[] = {MakeTga(4, 2, kPixels, 32, false), MakeTga(4, 2, kPixels, 32, true, true),
                              MakeTga(4, 2, kPixels, 32, false, true, "made by a test")};
    for (const Bytes& tga : variants) {
        DecodedImage img;
        ASSERT_TRUE(Decode(tga, img));
        EXPECT_TRUE(img.bHasAlpha);
        EXPECT_EQ(img.image.aPixels, kPixels);
    }
}

TEST(ImageDecode, BrokenTgasFailCleanly) {
    const Bytes good = MakeTga(4, 2, kPixels, 32, false, true);
    DecodedImage img;
    std::string strError;
    // Every cut before the end of the pixel data.
    for (size_t n = 0; n < 18 + 32; ++n) {
        const Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        EXPECT_FALSE(Decode(cut, img)) << "cut at " << n;
        EXPECT_EQ(img.image.nWidth, 0u);
    }
    Bytes rle = good;
    rle[2] = 10;
    EXPECT_FALSE(Decode(rle, img, &strError));
    EXPECT_FALSE(strError.empty());
    Bytes mapped = good;
    mapped[1] = 1;
    mapped[2] = 1;
    EXPECT_FALSE(Decode(mapped, img));
    Bytes bits16 = good;
    bits16[16] = 16;
    EXPECT_FALSE(Decode(bits16, img));
    Bytes zeroWidth = good;
    zeroWidth[12] = zeroWidth[13] = 0;
    EXPECT_FALSE(Decode(zeroWidth, img));
    Bytes huge = good;  // 60000 x 60000 claimed: refused before any allocation
    huge[12] = huge[14] = 0x60;
    huge[13] = huge[15] = 0xEA;
    EXPECT_FALSE(Decode(huge, img, &strError));
    EXPECT_FALSE(DecodeImage(nullptr, 100, img));
    EXPECT_FALSE(Decode(Bytes{'B', 'M', 0, 0, 0, 0}, img));
}

TEST(ImageDecode, Jpeg) {
    Bytes source;
    const Bytes jpeg = MakeJpeg(&source);
    DecodedImage img;
    std::string strError;
    ASSERT_TRUE(Decode(jpeg, img, &strError)) << strError;
    EXPECT_EQ(img.image.nWidth, 64u);
    EXPECT_EQ(img.image.nHeight, 32u);
    EXPECT_FALSE(img.bHasAlpha);
    int nWorst = 0;
    for (size_t i = 0; i < 64 * 32; ++i) {
        for (int c = 0; c < 3; ++c)
            nWorst = std::max(nWorst, std::abs(int(img.image.aPixels[i * 4 + c]) - int(source[i * 3 + c])));
        ASSERT_EQ(img.image.aPixels[i * 4 + 3], 255);
    }
    EXPECT_LE(nWorst, 12);  // lossy, but the picture is the gradient
    // Bytes after the end marker do not matter.
    Bytes padded = jpeg;
    padded.insert(padded.end(), 100, 0x00);
    EXPECT_TRUE(Decode(padded, img));
}

TEST(ImageDecode, ProgressiveJpeg) {
    DecodedImage img;
    std::string strError;
    ASSERT_TRUE(Decode(kProgressiveJpeg, img, &strError)) << strError;
    ASSERT_EQ(img.image.nWidth, 48u);
    ASSERT_EQ(img.image.nHeight, 32u);
    const uint8_t* pTop = &img.image.aPixels[0];
    const uint8_t* pBottom = &img.image.aPixels[(31 * 48 + 47) * 4];
    EXPECT_NEAR(pTop[0], 250, 8);
    EXPECT_NEAR(pTop[2], 6, 8);
    EXPECT_NEAR(pBottom[0], 3, 8);
    EXPECT_NEAR(pBottom[2], 246, 8);
    for (size_t n = 0; n + 1 < kProgressiveJpeg.size(); n += 7) {
        const Bytes cut(kProgressiveJpeg.begin(), kProgressiveJpeg.begin() + std::ptrdiff_t(n));
        EXPECT_FALSE(Decode(cut, img)) << "cut at " << n;
    }
}

TEST(ImageDecode, ScanWithAnUndefinedHuffmanTableIsRefused) {
    Bytes jpeg = MakeJpeg();
    size_t nSos = 0;
    for (size_t i = 2; i + 1 < jpeg.size() && !nSos; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) nSos = i;
    ASSERT_NE(nSos, 0u);
    jpeg[nSos + 6] = 0x33;  // first component: DC and AC table 3, never defined
    DecodedImage img;
    std::string strError;
    EXPECT_FALSE(Decode(jpeg, img, &strError));
    EXPECT_NE(strError.find("undefined Huffman table"), std::string::npos) << strError;
}

TEST(ImageDecode, TruncatedJpegsFail) {
    const Bytes jpeg = MakeJpeg();
    DecodedImage img;
    for (size_t n = 0; n < jpeg.size(); n += (n < 700 ? 1 : 37)) {
        const Bytes cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(n));
        EXPECT_FALSE(Decode(cut, img)) << "cut at " << n << " of " << jpeg.size();
    }
    const Bytes noEnd(jpeg.begin(), jpeg.end() - 2);
    EXPECT_FALSE(Decode(noEnd, img));
}

TEST(ImageDecode, OversizedHuffmanTableIsRefused) {
    // A table of 300 symbols (a JPEG table holds at most 256) would overrun
    // the decoder's arrays; it must be refused before decoding.
    const Bytes jpeg = MakeJpeg();
    Bytes dht = {0xFF, 0xC4, 0x01, 0x3F, 0x00};
    for (int i = 0; i < 16; ++i) dht.push_back(i == 14 ? 45 : i == 15 ? 255 : 0);
    dht.insert(dht.end(), 300, 0x00);
    Bytes damaged(jpeg.begin(), jpeg.begin() + 2);
    damaged.insert(damaged.end(), dht.begin(), dht.end());
    damaged.insert(damaged.end(), jpeg.begin() + 2, jpeg.end());
    DecodedImage img;
    std::string strError;
    EXPECT_FALSE(Decode(damaged, img, &strError));
    EXPECT_NE(strError.find("Huffman"), std::string::npos) << strError;
    // A table class or slot out of range, and a table running past its segment.
    Bytes badSlot = damaged;
    badSlot[6] = 0x14;
    EXPECT_FALSE(Decode(badSlot, img));
    Bytes shortTable = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x14, 0x00, 2};  // 2 symbols announced...
    shortTable.insert(shortTable.end(), 15, 0x00);
    shortTable.push_back(0x00);  // ...1 in the segment
    shortTable.insert(shortTable.end(), jpeg.begin() + 2, jpeg.end());
    EXPECT_FALSE(Decode(shortTable, img));
}

TEST(ImageDecode, OversizedJpegIsRefused) {
    Bytes jpeg = MakeJpeg();
    size_t nSof = 0;
    for (size_t i = 2; i + 1 < jpeg.size() && !nSof; ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) nSof = i;
    ASSERT_NE(nSof, 0u);
    for (size_t k : {nSof + 5, nSof + 7}) {  // height, then width: 5000
        jpeg[k] = 0x13;
        jpeg[k + 1] = 0x88;
    }
    DecodedImage img;
    EXPECT_FALSE(Decode(jpeg, img));
    EXPECT_TRUE(img.image.aPixels.empty());
}

TEST(ImageDecode, DamagedJpegsNeverMisbehave) {
    const Bytes jpeg = MakeJpeg();
    DecodedImage img;
    std::srand(7);
    int nDecoded = 0;
    for (size_t i = 2; i < jpeg.size(); i += 3) {
        Bytes damaged = jpeg;
        damaged[i] = uint8_t(std::rand());
        if (i + 1 < damaged.size()) damaged[i + 1] ^= 0xFF;
        if (Decode(damaged, img)) {
            ++nDecoded;
            ASSERT_LE(img.image.nWidth, kMaxImageDimension);
            ASSERT_EQ(img.image.aPixels.size(), size_t(img.image.nWidth) * img.image.nHeight * 4);
        } else {
            ASSERT_TRUE(img.image.aPixels.empty());
        }
    }
    EXPECT_GT(nDecoded, 0);  // damage inside the picture data still decodes to something
}

TEST(ImageDecode, PowersOfTwo) {
    EXPECT_EQ(NextPowerOfTwo(0), 1u);
    EXPECT_EQ(NextPowerOfTwo(1), 1u);
    EXPECT_EQ(NextPowerOfTwo(3), 4u);
    EXPECT_EQ(NextPowerOfTwo(512), 512u);
    EXPECT_EQ(NextPowerOfTwo(513), 1024u);
    EXPECT_EQ(NextPowerOfTwo(0xFFFFFFFFu), 0x80000000u);
    EXPECT_EQ(FullMipCount(256, 128), 9u);
    EXPECT_EQ(FullMipCount(1, 1), 1u);
    EXPECT_EQ(FullMipCount(4, 2), 3u);
    EXPECT_EQ(FullMipCount(1, 8), 4u);
}

ImageRGBA Grey(std::vector<uint8_t> values, uint32_t w, uint32_t h) {
    ImageRGBA img;
    img.nWidth = w;
    img.nHeight = h;
    for (uint8_t v : values) img.aPixels.insert(img.aPixels.end(), {v, v, v, 255});
    return img;
}

std::vector<int> RedChannel(const ImageRGBA& img) {
    std::vector<int> values;
    for (size_t i = 0; i < img.aPixels.size(); i += 4) values.push_back(img.aPixels[i]);
    return values;
}

TEST(ImageDecode, ResizeIsFiltered) {
    // Growing: bilinear between pixel centres, edges clamped.
    const ImageRGBA up = ResizeImage(Grey({0, 255}, 2, 1), 4, 1);
    EXPECT_EQ(RedChannel(up), (std::vector<int>{0, 64, 191, 255}));
    // Shrinking: a tent as wide as the step, so every source pixel counts.
    const ImageRGBA down = ResizeImage(Grey({0, 0, 255, 255}, 4, 1), 2, 1);
    EXPECT_EQ(RedChannel(down), (std::vector<int>{32, 223}));
    const ImageRGBA column = ResizeImage(Grey({0, 255}, 1, 2), 1, 4);
    EXPECT_EQ(RedChannel(column), (std::vector<int>{0, 64, 191, 255}));
    // A flat image stays flat at any size, alpha included.
    ImageRGBA flat = Grey(std::vector<uint8_t>(15, 77), 3, 5);
    for (size_t i = 3; i < flat.aPixels.size(); i += 4) flat.aPixels[i] = 90;
    for (auto size : {std::pair<uint32_t, uint32_t>{4, 8}, {1, 1}, {2, 64}, {128, 3}}) {
        const ImageRGBA r = ResizeImage(flat, size.first, size.second);
        ASSERT_EQ(r.aPixels.size(), size_t(size.first) * size.second * 4);
        for (size_t i = 0; i < r.aPixels.size(); ++i) ASSERT_EQ(r.aPixels[i], i % 4 == 3 ? 90 : 77);
    }
    EXPECT_TRUE(ResizeImage(ImageRGBA(), 4, 4).aPixels.empty());
}

TEST(ImageDecode, HalvingIsABoxFilter) {
    const ImageRGBA half = HalveImage(Grey({0, 1, 100, 200, 2, 4, 100, 201}, 4, 2));
    EXPECT_EQ(half.nWidth, 2u);
    EXPECT_EQ(half.nHeight, 1u);
    EXPECT_EQ(RedChannel(half), (std::vector<int>{2, 150}));  // (7+2)/4, (601+2)/4
    const ImageRGBA line = HalveImage(Grey({10, 20}, 1, 2));  // 1 x 2 -> 1 x 1
    EXPECT_EQ(RedChannel(line), (std::vector<int>{15}));
}

TEST(ImageDecode, TextureWithFullMipChain) {
    const Bytes tga = MakeTga(4, 2, kPixels, 32, false);
    TextureImage tex;
    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), 0, 0, 0, tex));
    EXPECT_TRUE(tex.bHasAlpha);
    EXPECT_EQ(tex.nSourceWidth, 4u);
    ASSERT_EQ(tex.aLevels.size(), 3u);
    EXPECT_EQ(tex.aLevels[0].aPixels, kPixels);  // already powers of two: unchanged
    EXPECT_EQ(tex.aLevels[1].nWidth, 2u);
    EXPECT_EQ(tex.aLevels[1].nHeight, 1u);
    EXPECT_EQ(tex.aLevels[2].nWidth, 1u);
    EXPECT_EQ(tex.aLevels[2].nHeight, 1u);
    // Level 1, left pixel: the rounded mean of red, green, black and grey
    // (reds 255, 0, 0, 128; alphas 255, 255, 255, 200).
    const uint8_t* p = tex.aLevels[1].aPixels.data();
    EXPECT_EQ(p[0], 96);
    EXPECT_EQ(p[1], 96);
    EXPECT_EQ(p[3], 241);
}

TEST(ImageDecode, TextureSizes) {
    Bytes rgba;
    for (int i = 0; i < 15; ++i) rgba.insert(rgba.end(), {uint8_t(i * 16), 0, 0, 255});
    const Bytes tga = MakeTga(3, 5, rgba, 24, true);
    TextureImage tex;
    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), kTextureDefault, kTextureDefault, kTextureDefault, tex));
    ASSERT_EQ(tex.aLevels.size(), 4u);  // 4x8, 2x4, 1x2, 1x1
    EXPECT_EQ(tex.aLevels[0].nWidth, 4u);
    EXPECT_EQ(tex.aLevels[0].nHeight, 8u);
    EXPECT_EQ(tex.aLevels[3].nWidth, 1u);
    EXPECT_EQ(tex.aLevels[3].nHeight, 1u);
    EXPECT_FALSE(tex.bHasAlpha);

    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), kTextureNonPow2, kTextureFromFile, 1, tex));
    ASSERT_EQ(tex.aLevels.size(), 1u);
    EXPECT_EQ(tex.aLevels[0].nWidth, 3u);
    EXPECT_EQ(tex.aLevels[0].nHeight, 5u);

    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), 128, 128, 0, tex));
    EXPECT_EQ(tex.aLevels.size(), 8u);
    EXPECT_EQ(tex.aLevels[0].nWidth, 128u);
    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), 16, 16, 99, tex));
    EXPECT_EQ(tex.aLevels.size(), 5u);  // more levels than the chain has: cut
    ASSERT_TRUE(BuildTextureImage(tga.data(), tga.size(), 16, 16, kTextureFromFile, tex));
    EXPECT_EQ(tex.aLevels.size(), 1u);

    EXPECT_FALSE(BuildTextureImage(tga.data(), tga.size(), 100000, 4, 0, tex));
    EXPECT_TRUE(tex.aLevels.empty());
    EXPECT_FALSE(BuildTextureImage(tga.data(), tga.size() - 1, 0, 0, 0, tex));
}

TEST(ImageDecode, PixelPacking) {
    const uint8_t rgba[4] = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(PackA8R8G8B8(rgba), 0x44112233u);
    EXPECT_EQ(PackX8R8G8B8(rgba), 0xFF112233u);
    const uint8_t white[4] = {255, 255, 255, 0}, red[4] = {255, 0, 0, 255}, green[4] = {0, 255, 0, 255},
                  blue[4] = {0, 0, 255, 255};
    EXPECT_EQ(PackR5G6B5(white), 0xFFFF);
    EXPECT_EQ(PackR5G6B5(red), 0xF800);
    EXPECT_EQ(PackR5G6B5(green), 0x07E0);
    EXPECT_EQ(PackR5G6B5(blue), 0x001F);
}

}  // namespace
