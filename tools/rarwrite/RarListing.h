#pragma once
// Reads the block headers of a RAR archive (any version) for listing and
// diagnostics; it decodes no entry data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rarwrite {

struct RarListedEntry {
    std::string strName;
    uint16_t nFlags = 0;
    uint32_t nPackSize = 0;
    uint32_t nUnpSize = 0;
    uint8_t nHostOs = 0;
    uint32_t nCrc = 0;
    uint32_t nDosTime = 0;
    uint8_t nUnpackVersion = 0;
    uint8_t nMethod = 0;
    uint32_t nAttributes = 0;
    bool bHeadCrcOk = false; // the stored head CRC matches the header bytes

    bool IsDirectory() const { return (nFlags & 0x00E0) == 0x00E0; }
    bool IsEncrypted() const { return (nFlags & 0x0004) != 0; }
    bool ContinuesSolid() const { return (nFlags & 0x0010) != 0; }
};

struct RarListing {
    uint16_t nArchiveFlags = 0;
    std::vector<RarListedEntry> entries;
    bool IsSolid() const { return (nArchiveFlags & 0x0008) != 0; }
};

// False with a one-line reason when the bytes are no RAR archive or a header
// is damaged or cut off.
bool ListArchive(const uint8_t* pData, size_t nSize, RarListing& listing, std::string& strError);

} // namespace rarwrite
