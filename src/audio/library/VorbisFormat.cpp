#include "audio/library/VorbisFormat.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kPageHeader = 27;
constexpr size_t kHeaderPacket = 30;

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool ReadVorbisFormat(const uint8_t* pData, size_t nSize, VorbisFormat* pOut) {
    if (!pData || nSize < kPageHeader || std::memcmp(pData, "OggS", 4) != 0) return false;
    const size_t nSegments = pData[26];
    // The header is a packet of its own: the first lacing value is its whole
    // length.
    if (nSegments < 1 || nSize < kPageHeader + nSegments + kHeaderPacket) return false;
    if (pData[kPageHeader] != kHeaderPacket) return false;
    const uint8_t* p = pData + kPageHeader + nSegments;
    if (p[0] != 1 || std::memcmp(p + 1, "vorbis", 6) != 0 || ReadLe32(p + 7) != 0) return false;
    VorbisFormat format;
    format.nChannels = p[11];
    format.nSampleRate = ReadLe32(p + 12);
    const uint32_t nShortExp = p[28] & 0x0F, nLongExp = p[28] >> 4;
    if (format.nChannels == 0 || format.nSampleRate == 0 || (p[29] & 1) == 0) return false;
    if (nShortExp < 6 || nLongExp > 13 || nShortExp > nLongExp) return false;
    format.nShortBlock = 1u << nShortExp;
    format.nLongBlock = 1u << nLongExp;
    if (pOut) *pOut = format;
    return true;
}

namespace {

// The header packets after the first page, in segment order: the comment
// header starts on the second page and the setup header follows it.
class CPacketReader {
public:
    CPacketReader(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {
        // Past the first page, which holds the identification header alone.
        m_nPage = kPageHeader + pData[26];
        for (size_t i = 0; i < pData[26]; ++i) m_nPage += pData[kPageHeader + i];
    }

    // The next packet, at most nMax bytes; false when the data ends first.
    bool Next(size_t nMax, std::vector<uint8_t>* pOut) {
        pOut->clear();
        for (;;) {
            if (m_nSegment == m_nSegments && !NextPage()) return false;
            const size_t nLacing = m_pData[m_nPage + kPageHeader + m_nSegment++];
            if (m_nBody + nLacing > m_nSize || pOut->size() + nLacing > nMax) return false;
            pOut->insert(pOut->end(), m_pData + m_nBody, m_pData + m_nBody + nLacing);
            m_nBody += nLacing;
            if (nLacing < 255) return true;
        }
    }

private:
    bool NextPage() {
        if (m_bStarted) m_nPage = m_nBody;
        m_bStarted = true;
        if (m_nPage + kPageHeader > m_nSize || std::memcmp(m_pData + m_nPage, "OggS", 4) != 0) return false;
        m_nSegments = m_pData[m_nPage + 26];
        m_nSegment = 0;
        m_nBody = m_nPage + kPageHeader + m_nSegments;
        return m_nBody <= m_nSize;
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPage = 0;
    size_t m_nSegments = 0;
    size_t m_nSegment = 0;
    size_t m_nBody = 0;
    bool m_bStarted = false;
};

// Reads the packet's bits least significant first, as Vorbis packs them.
class CBitReader {
public:
    explicit CBitReader(const std::vector<uint8_t>& packet) : m_Packet(packet) {}
    // False once the packet has run out.
    bool Read(int nBits, uint32_t* pValue) {
        uint32_t nValue = 0;
        for (int i = 0; i < nBits; ++i, ++m_nBit) {
            if (m_nBit / 8 >= m_Packet.size()) return false;
            nValue |= uint32_t((m_Packet[m_nBit / 8] >> (m_nBit % 8)) & 1) << i;
        }
        *pValue = nValue;
        return true;
    }
    bool Skip(uint64_t nBits) {
        if (nBits > uint64_t(m_Packet.size()) * 8 - m_nBit) return false;
        m_nBit += size_t(nBits);
        return true;
    }

private:
    const std::vector<uint8_t>& m_Packet;
    size_t m_nBit = 0;
};

int BitsFor(uint32_t n) {
    int nBits = 0;
    while (n) {
        ++nBits;
        n >>= 1;
    }
    return nBits;
}

// The value count of a type 1 lookup table: the largest r with r to the
// power of nDimensions at most nEntries. Zero when the decoder's own
// working-out would overflow (it raises r + 1 to that power in float and
// takes the integer part).
uint64_t Lookup1Values(uint32_t nEntries, uint32_t nDimensions) {
    if (nEntries == 0 || nDimensions == 0) return 0;
    auto power = [nDimensions](uint64_t r) {  // r^d, saturating above 2^32
        if (r <= 1) return r;
        uint64_t n = 1;
        for (uint32_t i = 0; i < nDimensions && n <= (uint64_t(1) << 32); ++i) n *= r;
        return n;
    };
    uint64_t r = uint64_t(std::pow(double(nEntries), 1.0 / nDimensions));
    while (power(r + 1) <= nEntries) ++r;
    while (r > 1 && power(r) > nEntries) --r;
    // The decoder's estimate may be one above, and it then looks at r + 1.
    return power(r + 2) <= uint64_t(INT32_MAX) ? r : 0;
}

bool CheckCodebook(CBitReader& bits) {
    uint32_t nSync = 0, nDimensions = 0, nEntries = 0, nOrdered = 0;
    if (!bits.Read(24, &nSync) || nSync != 0x564342 || !bits.Read(16, &nDimensions) || !bits.Read(24, &nEntries) ||
        !bits.Read(1, &nOrdered))
        return false;
    if ((nDimensions == 0 && nEntries != 0) || uint64_t(nEntries) * nDimensions > kMaxCodebookValues) return false;
    uint32_t n = 0;
    if (nOrdered) {
        uint32_t nLength = 0;
        if (!bits.Read(5, &nLength)) return false;
        for (uint32_t nEntry = 0; nEntry < nEntries; ++nLength) {
            if (!bits.Read(BitsFor(nEntries - nEntry), &n) || nLength + 1 > kMaxCodewordBits ||
                n > nEntries - nEntry)
                return false;
            nEntry += n;
        }
    } else {
        uint32_t nSparse = 0;
        if (!bits.Read(1, &nSparse)) return false;
        for (uint32_t nEntry = 0; nEntry < nEntries; ++nEntry) {
            uint32_t nPresent = 1;
            if (nSparse && !bits.Read(1, &nPresent)) return false;
            if (nPresent && (!bits.Read(5, &n) || n + 1 > kMaxCodewordBits)) return false;
        }
    }
    uint32_t nLookup = 0;
    if (!bits.Read(4, &nLookup) || nLookup > 2) return false;
    if (nLookup == 0) return true;
    uint32_t nValueBits = 0;
    if (!bits.Skip(64) || !bits.Read(4, &nValueBits) || !bits.Skip(1)) return false;
    const uint64_t nValues = nLookup == 1 ? Lookup1Values(nEntries, nDimensions) : uint64_t(nEntries) * nDimensions;
    return nValues > 0 && bits.Skip(nValues * (nValueBits + 1));
}

// Reads a 32-bit length at *pAt that must fit in what follows it.
bool TakeLength(const std::vector<uint8_t>& packet, size_t* pAt, size_t nUnit, uint32_t* pLength) {
    if (packet.size() - *pAt < 4) return false;
    *pLength = ReadLe32(packet.data() + *pAt);
    *pAt += 4;
    return *pLength <= (packet.size() - *pAt) / nUnit;
}

}  // namespace

bool CheckVorbisComments(const uint8_t* pData, size_t nSize) {
    if (!pData || nSize < kPageHeader || nSize < kPageHeader + pData[26]) return false;
    CPacketReader packets(pData, nSize);
    std::vector<uint8_t> packet;
    if (!packets.Next(kMaxVorbisCommentBytes, &packet)) return false;
    if (packet.size() < 7 || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0) return false;
    size_t nAt = 7;
    uint32_t nLength = 0, nComments = 0;
    if (!TakeLength(packet, &nAt, 1, &nLength)) return false;
    nAt += nLength;
    // Each comment takes at least its four-byte length.
    if (!TakeLength(packet, &nAt, 4, &nComments)) return false;
    for (uint32_t i = 0; i < nComments; ++i) {
        if (!TakeLength(packet, &nAt, 1, &nLength)) return false;
        nAt += nLength;
    }
    return nAt < packet.size() && (packet[nAt] & 1) != 0;
}

bool CheckVorbisCodebooks(const uint8_t* pData, size_t nSize) {
    if (!pData || nSize < kPageHeader || nSize < kPageHeader + pData[26]) return false;
    CPacketReader packets(pData, nSize);
    std::vector<uint8_t> packet;
    if (!packets.Next(kMaxVorbisCommentBytes, &packet) || !packets.Next(kMaxVorbisSetupBytes, &packet)) return false;
    if (packet.size() < 7 || packet[0] != 5 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0) return false;
    CBitReader bits(packet);
    uint32_t nCount = 0;
    if (!bits.Skip(56) || !bits.Read(8, &nCount)) return false;
    for (uint32_t i = 0; i <= nCount; ++i)
        if (!CheckCodebook(bits)) return false;
    return true;
}
