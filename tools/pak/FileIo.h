#pragma once
// Whole-file reads and complete-or-nothing writes for the archive tool.
#include <cstdint>
#include <string>
#include <vector>

namespace pak {

bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& data, std::string& strError);

// Writes through a temporary file beside the target and renames it, so that
// a failed write leaves no partial file.
bool WriteWholeFile(const std::string& strPath, const uint8_t* pData, size_t nSize, std::string& strError);

// The file's modification time in the DOS format of archive headers.
uint32_t DosTimeOf(const std::string& strPath);

} // namespace pak
