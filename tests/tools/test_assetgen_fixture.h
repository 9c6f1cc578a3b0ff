#pragma once
// The generated content, made once per test process, and small readers the
// content tests share.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Content.h"
#include "assets/ArchiveReader.h"

namespace agtest {

inline const assetgen::ContentSet& Content() {
    static const assetgen::ContentSet content = [] {
        assetgen::ContentSet c;
        std::string error;
        if (!assetgen::BuildContent(CORDELUNE_SOURCE_DIR "/res", c, error)) ADD_FAILURE() << error;
        return c;
    }();
    return content;
}

inline const assetgen::Bytes& File(const std::string& name) {
    static const assetgen::Bytes none;
    const assetgen::ArchiveMember* m = assetgen::FindMember(Content().files, name);
    return m ? m->data : none;
}

// One entry through the saver's own archive reader; empty when it fails.
inline std::vector<uint8_t> Extract(const assetgen::Bytes& archive, const char* name, const char* password) {
    ResourceBlob blob{archive.data(), uint32_t(archive.size()), 0};
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!ExtractArchiveEntry(&data, &size, name, &blob, password)) return {};
    std::vector<uint8_t> out(data, data + size);
    free(data);
    return out;
}

inline uint32_t U16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }
inline uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

struct TgaInfo {
    int type = -1, width = 0, height = 0, bits = 0, descriptor = -1;
    bool footer = false;
};

inline TgaInfo ReadTga(const std::vector<uint8_t>& b) {
    TgaInfo t;
    if (b.size() < 18) return t;
    t.type = b[2];
    t.width = int(U16(&b[12]));
    t.height = int(U16(&b[14]));
    t.bits = b[16];
    t.descriptor = b[17];
    static const char sig[] = "TRUEVISION-XFILE.";
    t.footer = b.size() >= 26 && std::memcmp(&b[b.size() - 18], sig, 18) == 0;
    return t;
}

// Alpha of pixel (x, y), y counted from the top, of an uncompressed 32-bit TGA
// stored bottom-up.
inline int TgaAlpha(const std::vector<uint8_t>& b, int x, int y) {
    const TgaInfo t = ReadTga(b);
    return b[18 + (size_t(t.height - 1 - y) * t.width + x) * 4 + 3];
}

}  // namespace agtest
