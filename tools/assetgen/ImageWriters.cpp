#include "ImageWriters.h"

#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace assetgen {

bool WriteFile(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

static void Put16(Bytes& b, uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
static void Put32(Bytes& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }

Bytes EncodeTga(const Image& img, bool footer) {
    Bytes b;
    const bool alpha = img.nChannels == 4;
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                uint8_t(img.nWidth), uint8_t(img.nWidth >> 8),
                                uint8_t(img.nHeight), uint8_t(img.nHeight >> 8),
                                uint8_t(alpha ? 32 : 24), uint8_t(alpha ? 0x08 : 0x00)};
    b.assign(header, header + 18);
    for (int y = img.nHeight - 1; y >= 0; --y) {
        const uint8_t* row = &img.pixels[size_t(y) * img.nWidth * img.nChannels];
        for (int x = 0; x < img.nWidth; ++x) {
            const uint8_t* p = row + x * img.nChannels;
            b.push_back(p[2]); b.push_back(p[1]); b.push_back(p[0]);
            if (alpha) b.push_back(p[3]);
        }
    }
    if (footer) {
        Put32(b, 0); Put32(b, 0);
        const char sig[] = "TRUEVISION-XFILE.";
        b.insert(b.end(), sig, sig + sizeof sig);  // includes the final NUL
    }
    return b;
}

static void AppendToBytes(void* ctx, void* data, int size) {
    auto* b = static_cast<Bytes*>(ctx);
    auto* p = static_cast<uint8_t*>(data);
    b->insert(b->end(), p, p + size);
}

Bytes EncodeJpeg(const Image& img, int quality) {
    Bytes b;
    stbi_write_jpg_to_func(AppendToBytes, &b, img.nWidth, img.nHeight, img.nChannels,
                           img.pixels.data(), quality);
    return b;
}

Bytes EncodePng(const Image& img) {
    Bytes b;
    stbi_write_png_to_func(AppendToBytes, &b, img.nWidth, img.nHeight, img.nChannels, img.pixels.data(),
                           img.nWidth * img.nChannels);
    return b;
}

Bytes EncodeBmp24(const Image& img) {
    const int stride = (img.nWidth * 3 + 3) & ~3;
    const uint32_t dataSize = uint32_t(stride) * img.nHeight;
    Bytes b;
    b.push_back('B'); b.push_back('M');
    Put32(b, 54 + dataSize); Put32(b, 0); Put32(b, 54);
    Put32(b, 40); Put32(b, img.nWidth); Put32(b, img.nHeight); Put16(b, 1); Put16(b, 24);
    Put32(b, 0); Put32(b, dataSize); Put32(b, 2835); Put32(b, 2835); Put32(b, 0); Put32(b, 0);
    for (int y = img.nHeight - 1; y >= 0; --y) {
        for (int x = 0; x < img.nWidth; ++x) {
            const uint8_t* p = &img.pixels[(size_t(y) * img.nWidth + x) * img.nChannels];
            b.push_back(p[2]); b.push_back(p[1]); b.push_back(p[0]);
        }
        for (int pad = img.nWidth * 3; pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

Bytes EncodeIco(const std::vector<Image>& images) {
    std::vector<Bytes> dibs;
    for (const Image& img : images) {
        Bytes d;
        const int maskStride = ((img.nWidth + 31) / 32) * 4;
        Put32(d, 40); Put32(d, img.nWidth); Put32(d, img.nHeight * 2); Put16(d, 1); Put16(d, 32);
        Put32(d, 0); Put32(d, 0); Put32(d, 0); Put32(d, 0); Put32(d, 0); Put32(d, 0);
        for (int y = img.nHeight - 1; y >= 0; --y)
            for (int x = 0; x < img.nWidth; ++x) {
                const uint8_t* p = &img.pixels[(size_t(y) * img.nWidth + x) * 4];
                d.push_back(p[2]); d.push_back(p[1]); d.push_back(p[0]); d.push_back(p[3]);
            }
        d.insert(d.end(), size_t(maskStride) * img.nHeight, 0);  // alpha does the masking
        dibs.push_back(std::move(d));
    }
    Bytes b;
    Put16(b, 0); Put16(b, 1); Put16(b, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.push_back(uint8_t(images[i].nWidth >= 256 ? 0 : images[i].nWidth));
        b.push_back(uint8_t(images[i].nHeight >= 256 ? 0 : images[i].nHeight));
        b.push_back(0); b.push_back(0); Put16(b, 1); Put16(b, 32);
        Put32(b, uint32_t(dibs[i].size())); Put32(b, offset);
        offset += uint32_t(dibs[i].size());
    }
    for (const Bytes& d : dibs) b.insert(b.end(), d.begin(), d.end());
    return b;
}

}  // namespace assetgen
