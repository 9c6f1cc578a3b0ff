#pragma once
// CRC-32 of ISO-HDLC (zip, PNG): reflected, polynomial 0xEDB88320. The archive
// format uses it for content checksums, header checksums and the cipher.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kCrc32Polynomial = 0xEDB88320u;

// Fills the 256-entry lookup table.
void BuildCrc32Table(uint32_t* pTable);

// Runs nLength bytes through the CRC register. A content checksum starts at
// 0xFFFFFFFF and is complemented at the end.
uint32_t Crc32Update(const uint32_t* pTable, uint32_t nCrc, const uint8_t* pData, size_t nLength);

// The finished checksum of a whole buffer (start value and complement applied).
uint32_t Crc32Of(const uint32_t* pTable, const uint8_t* pData, size_t nLength);

// Eight tables for the same checksum taken eight bytes at a time, for long
// buffers: aSlices[0] is the table above, aSlices[k] the CRC of a byte
// followed by k zero bytes. Long buffers are taken as three parts at once.
struct Crc32Slices {
    uint32_t aSlices[8][256];
};
void BuildCrc32Slices(Crc32Slices& slices);
// Crc32Update and Crc32Of with the eight tables.
uint32_t Crc32UpdateSliced(const Crc32Slices& slices, uint32_t nCrc, const uint8_t* pData, size_t nLength);
uint32_t Crc32OfSliced(const Crc32Slices& slices, const uint8_t* pData, size_t nLength);
