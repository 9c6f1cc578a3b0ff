#pragma once
// One entry of an archive resource, copied out into a vector.
#include <cstdint>
#include <vector>

// Entry of the media archive (MEDIADATA 454), no password. False when the
// archive or the entry cannot be read.
bool ReadMediaEntry(const char* pszName, std::vector<uint8_t>& out);
// Entry of any archive resource, with an optional password.
bool ReadArchiveEntry(uint16_t nResourceId, const char* pszName, const char* pszPassword,
                      std::vector<uint8_t>& out);
