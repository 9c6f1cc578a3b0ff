#pragma once
// Helpers of the archive reader tests: an MSB-first bit writer, canonical
// codes for chosen code lengths, and a builder of archive headers, so that
// the tests can put exact byte sequences in front of the reader.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/ArchiveReader.h"
#include "assets/Crc32.h"

namespace archive_test {

inline uint32_t Crc(const std::vector<uint8_t>& data) {
    uint32_t table[256];
    BuildCrc32Table(table);
    return Crc32Of(table, data.data(), data.size());
}

class BitSink {
public:
    void Put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            m_acc = uint8_t((m_acc << 1) | ((value >> i) & 1));
            if (++m_n == 8) {
                bytes.push_back(m_acc);
                m_n = 0;
                m_acc = 0;
            }
        }
    }
    std::vector<uint8_t> Finish() {
        while (m_n) Put(0, 1);
        return bytes;
    }
    std::vector<uint8_t> bytes;

private:
    uint8_t m_acc = 0;
    int m_n = 0;
};

// Canonical code of one table: codes in order of length, then symbol.
struct Code {
    std::vector<uint8_t> lengths;
    std::vector<uint32_t> codes;
    explicit Code(const std::vector<uint8_t>& l) : lengths(l), codes(l.size(), 0) {
        uint32_t count[17] = {}, next[17] = {};
        for (uint8_t x : l) ++count[x];
        count[0] = 0;
        uint32_t c = 0;
        for (int n = 1; n <= 16; ++n) next[n] = c = (c + count[n - 1]) << 1;
        for (size_t i = 0; i < l.size(); ++i)
            if (l[i]) codes[i] = next[l[i]]++;
    }
    void Put(BitSink& out, uint32_t symbol) const { out.Put(codes[symbol], lengths[symbol]); }
};

// Writes a table block with every length sent as a plain value (no runs):
// the bit-length symbols 0..15 all have 4-bit codes, 16..18 are unused.
inline void PutTables(BitSink& out, const std::vector<uint8_t>& lengths, bool bAudio, int nChannels,
                      bool bKeepPrevious, const std::vector<uint8_t>* pPrevious = nullptr) {
    out.Put(bAudio, 1);
    out.Put(bKeepPrevious, 1);
    if (bAudio) out.Put(uint32_t(nChannels - 1), 2);
    std::vector<uint8_t> bitLengths(19, 4);
    bitLengths[16] = bitLengths[17] = bitLengths[18] = 0;
    for (uint8_t l : bitLengths) out.Put(l, 4);
    const Code code(bitLengths);
    for (size_t i = 0; i < lengths.size(); ++i) {
        const uint8_t base = pPrevious ? (*pPrevious)[i] : 0;
        code.Put(out, uint32_t((lengths[i] - base) & 0xF));
    }
}

struct Entry {
    std::string name;
    std::vector<uint8_t> packed;
    uint32_t unpackedSize = 0;
    uint32_t crc = 0;
    uint16_t flags = 0x8000;
    uint8_t version = 20;
    uint8_t method = 0x30;
    std::vector<uint8_t> extraHeader; // bytes after the name inside the header
    int headSizeAdjust = 0;           // added to the head size field
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

inline Entry Stored(const std::string& name, const std::vector<uint8_t>& data) {
    Entry e;
    e.name = name;
    e.packed = data;
    e.unpackedSize = uint32_t(data.size());
    e.crc = Crc(data);
    return e;
}

inline Entry Packed(const std::string& name, const std::vector<uint8_t>& packed, const std::vector<uint8_t>& content,
                    uint8_t method = 0x33) {
    Entry e;
    e.name = name;
    e.packed = packed;
    e.unpackedSize = uint32_t(content.size());
    e.crc = Crc(content);
    e.method = method;
    return e;
}

inline std::vector<uint8_t> FileHeader(const Entry& e) {
    std::vector<uint8_t> h;
    Put16(h, 0);
    h.push_back(0x74);
    Put16(h, e.flags);
    Put16(h, uint32_t(int(32 + e.name.size() + e.extraHeader.size()) + e.headSizeAdjust));
    Put32(h, uint32_t(e.packed.size()));
    Put32(h, e.unpackedSize);
    h.push_back(2);
    Put32(h, e.crc);
    Put32(h, 0x00210000);
    h.push_back(e.version);
    h.push_back(e.method);
    Put16(h, uint32_t(e.name.size()));
    Put32(h, 0x20);
    h.insert(h.end(), e.name.begin(), e.name.end());
    h.insert(h.end(), e.extraHeader.begin(), e.extraHeader.end());
    return h;
}

inline std::vector<uint8_t> Archive(const std::vector<Entry>& entries, uint16_t archiveFlags = 0,
                                    uint16_t archiveHeadSize = 13) {
    std::vector<uint8_t> a = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    Put16(a, 0);
    a.push_back(0x73);
    Put16(a, archiveFlags);
    Put16(a, archiveHeadSize);
    Put16(a, 0);
    Put32(a, 0);
    for (int i = 13; i < archiveHeadSize; ++i) a.push_back(0);
    for (const Entry& e : entries) {
        const std::vector<uint8_t> h = FileHeader(e);
        a.insert(a.end(), h.begin(), h.end());
        a.insert(a.end(), e.packed.begin(), e.packed.end());
    }
    const uint8_t end[7] = {0xC4, 0x3D, 0x7B, 0x00, 0x40, 0x07, 0x00};
    a.insert(a.end(), end, end + 7);
    return a;
}

// One call of the reader; keeps the result and frees the buffer.
struct Extracted {
    int result = -1;
    bool nullBuffer = false;
    std::vector<uint8_t> data;
    uint32_t size = 0xFFFFFFFF;
};

inline Extracted Extract(const uint8_t* pData, size_t nSize, const char* name, const char* password = nullptr) {
    ResourceBlob blob;
    blob.pData = pData;
    blob.nSize = uint32_t(nSize);
    blob.nReadOffset = 12345; // the reader starts from 0 whatever the cursor says
    uint8_t* out = reinterpret_cast<uint8_t*>(1);
    Extracted x;
    x.result = ExtractArchiveEntry(&out, &x.size, name, &blob, password);
    x.nullBuffer = out == nullptr;
    if (out) {
        x.data.assign(out, out + x.size);
        std::free(out);
    }
    return x;
}

inline Extracted Extract(const std::vector<uint8_t>& archive, const char* name, const char* password = nullptr) {
    return Extract(archive.data(), archive.size(), name, password);
}

inline std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

} // namespace archive_test
