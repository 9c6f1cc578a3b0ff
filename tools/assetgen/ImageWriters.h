#pragma once
// Small writers for the image containers the resources need.
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Image {
    int nWidth = 0, nHeight = 0, nChannels = 4;  // rows top to bottom
    std::vector<uint8_t> pixels;
};

using Bytes = std::vector<uint8_t>;

bool WriteFile(const std::string& path, const Bytes& data);
// Uncompressed TGA (type 2), bottom-up rows; 32-bit images carry 8 alpha bits.
Bytes EncodeTga(const Image& img, bool footer);
Bytes EncodeJpeg(const Image& img, int quality);
Bytes EncodeBmp24(const Image& img);
// PNG for the preview sheets (never shipped).
Bytes EncodePng(const Image& img);
// An icon group file with one 32-bit DIB image per entry.
Bytes EncodeIco(const std::vector<Image>& images);

}  // namespace assetgen
