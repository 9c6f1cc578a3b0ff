#pragma once
// Shared by the archive fuzz targets: names of file entries an input
// declares, so that entries (and a missing one) get looked up, and the
// lookups themselves with the checks of their results.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/ArchiveReader.h"

inline std::vector<std::string> DeclaredEntryNames(const uint8_t* data, size_t size) {
    std::vector<std::string> names;
    if (size < 20) return names;
    size_t pos = 7 + size_t(data[12] | (data[13] << 8));
    for (int n = 0; n < 8 && pos + 32 <= size; ++n) {
        const uint8_t* b = data + pos;
        const size_t head = size_t(b[5] | (b[6] << 8));
        const size_t nameSize = size_t(b[26] | (b[27] << 8));
        if (head < 7) break;
        if (b[2] == 0x74 && pos + 32 + nameSize <= size)
            names.emplace_back(reinterpret_cast<const char*>(b + 32), nameSize < 259 ? nameSize : 259);
        size_t next = pos + head;
        if (b[4] & 0x80) next += size_t(b[7]) | (size_t(b[8]) << 8) | (size_t(b[9]) << 16) | (size_t(b[10]) << 24);
        if (next <= pos) break;
        pos = next;
    }
    // Names with a NUL inside cannot be asked for; the reader would stop there.
    for (std::string& s : names) s = s.c_str();
    // The first and the last entry (which in a solid archive decodes all
    // before it) and a missing one; every call allocates a fresh window.
    if (names.size() > 2) names.erase(names.begin() + 1, names.end() - 1);
    names.push_back("no such entry");
    return names;
}

// Looks up every declared entry and a missing one with PASSWORD (or none).
// A failure must come with null and 0, a success with a buffer whose every
// byte is ours.
inline void ExtractDeclaredEntries(const uint8_t* data, size_t size, const char* password) {
    if (size > 0xFFFFFFFFu) return;
    ResourceBlob blob;
    blob.pData = data;
    blob.nSize = uint32_t(size);
    for (const std::string& name : DeclaredEntryNames(data, size)) {
        uint8_t* out = nullptr;
        uint32_t n = 0;
        const int r = ExtractArchiveEntry(&out, &n, name.c_str(), &blob, password);
        if (r == 0 && (out || n)) std::abort();
        if (r == 1 && !out) std::abort();
        if (out) {
            volatile uint8_t sink = n ? out[n - 1] : 0;
            (void)sink;
        }
        std::free(out);
    }
}
