#include "Placeholders.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "ImageWriters.h"

namespace assetgen {
namespace {

// A soft rose-to-gold gradient, so stand-in pictures are not plain black.
Image Gradient(int w, int h, int channels) {
    Image img{w, h, channels, std::vector<uint8_t>(size_t(w) * h * channels)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &img.pixels[(size_t(y) * w + x) * channels];
            const float t = h > 1 ? float(y) / float(h - 1) : 0.f;
            p[0] = uint8_t(120 + 120 * t);
            p[1] = uint8_t(60 + 120 * t);
            p[2] = uint8_t(120 - 60 * t);
            if (channels == 4) p[3] = 255;
        }
    return img;
}

// An archive with no entries: marker block and archive header only.
Bytes EmptyArchive() {
    return {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00,
            0xCF, 0x90, 0x73, 0x00, 0x00, 0x0D, 0x00, 0, 0, 0, 0, 0, 0};
}

bool CopyText(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) { std::fprintf(stderr, "assetgen: cannot read %s\n", from.c_str()); return false; }
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return WriteFile(to, data);
}

}  // namespace

bool WritePlaceholders(const std::string& resDir, const std::string& outDir) {
    auto out = [&](const char* name) { return outDir + "/" + name; };
    bool ok = true;
    ok = ok && WriteFile(out("digits.rar"), EmptyArchive());
    ok = ok && WriteFile(out("media.rar"), EmptyArchive());
    for (const char* n : {"quotes.txt", "localization.txt", "def_settings.txt"})
        ok = ok && CopyText(resDir + "/" + n, out(n));
    const Image tiny = Gradient(2, 2, 4);
    for (const char* n : {"loading_corner.tga", "loading_layer1.tga", "loading_layer2.tga",
                          "loading_layer3.tga"})
        ok = ok && WriteFile(out(n), EncodeTga(tiny, false));
    ok = ok && WriteFile(out("loading_bg.jpg"), EncodeJpeg(Gradient(512, 512, 3), 90));
    ok = ok && WriteFile(out("preview.bmp"), EncodeBmp24(Gradient(155, 115, 3)));
    ok = ok && WriteFile(out("config.bmp"), EncodeBmp24(Gradient(190, 142, 3)));
    ok = ok && WriteFile(out("about.bmp"), EncodeBmp24(Gradient(70, 70, 3)));
    ok = ok && WriteFile(out("cordelune.ico"),
                         EncodeIco({Gradient(16, 16, 4), Gradient(32, 32, 4), Gradient(48, 48, 4)}));
    return ok;
}

}  // namespace assetgen
