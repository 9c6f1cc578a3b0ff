// The decompressor on arbitrary packed data: the input (after two bytes of
// unpacked size and one choice byte) becomes the data of a compressed entry
// with valid headers, so that every input reaches the decoder. The choice
// byte selects plain or enciphered, and a second entry continuing a solid
// stream.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/ArchiveReader.h"
#include "assets/Crc32.h"

namespace {

// Appends the low BYTES bytes of X, lowest first.
void PutLe(std::vector<uint8_t>& v, uint32_t x, int bytes) {
    for (int i = 0; i < bytes; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint32_t x) { PutLe(v, x, 2); }
void Put32(std::vector<uint8_t>& v, uint32_t x) { PutLe(v, x, 4); }
void Entry(std::vector<uint8_t>& a, const char* name, uint16_t flags, const uint8_t* p, size_t n, uint32_t unpacked) {
    Put16(a, 0);
    a.push_back(0x74);
    Put16(a, flags);
    Put16(a, uint32_t(32 + std::strlen(name)));
    Put32(a, uint32_t(n));
    Put32(a, unpacked);
    a.push_back(2);
    Put32(a, 0x12345678);
    Put32(a, 0x00210000);
    a.push_back(20);
    a.push_back(0x33);
    Put16(a, uint32_t(std::strlen(name)));
    Put32(a, 0x20);
    a.insert(a.end(), name, name + std::strlen(name));
    a.insert(a.end(), p, p + n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 1 << 20) return 0;
    const uint32_t unpacked = uint32_t(data[0] | (data[1] << 8)) * 4;
    const uint8_t choice = data[2];
    data += 3;
    size -= 3;
    const bool solid = choice & 1, enciphered = choice & 2;
    std::vector<uint8_t> a = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    Put16(a, 0);
    a.push_back(0x73);
    Put16(a, solid ? 0x0008 : 0);
    Put16(a, 13);
    Put16(a, 0);
    Put32(a, 0);
    const uint16_t flags = uint16_t(0x8080 | (enciphered ? 0x0004 : 0));
    const size_t half = solid ? size / 2 : size;
    Entry(a, "a", flags, data, half, unpacked);
    if (solid) Entry(a, "b", uint16_t(flags | 0x0010), data + half, size - half, unpacked);
    const uint8_t end[7] = {0xC4, 0x3D, 0x7B, 0x00, 0x40, 0x07, 0x00};
    a.insert(a.end(), end, end + 7);

    ResourceBlob blob;
    blob.pData = a.data();
    blob.nSize = uint32_t(a.size());
    uint8_t* out = nullptr;
    uint32_t n = 0;
    const int r = ExtractArchiveEntry(&out, &n, solid ? "b" : "a", &blob, enciphered ? "pw" : nullptr);
    if (r == 0 && (out || n)) std::abort();
    std::free(out);
    return 0;
}
