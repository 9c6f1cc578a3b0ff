#pragma once
// Whole-file reads and complete-or-nothing writes for the archive tool.
#include <cstdint>
#include <string>
#include <vector>

namespace pak {

bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& data, std::string& strError);

// A whole file for reading: mapped where it can be (no copy, no zeroing of
// a buffer first), read into memory otherwise (pipes, empty files).
class CInputFile {
public:
    CInputFile() = default;
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;
    ~CInputFile();
    bool Open(const std::string& strPath, std::string& strError);
    const uint8_t* Data() const { return m_pMapped ? m_pMapped : m_data.data(); }
    size_t Size() const { return m_pMapped ? m_nMapped : m_data.size(); }

private:
    uint8_t* m_pMapped = nullptr;
    size_t m_nMapped = 0;
    std::vector<uint8_t> m_data;
};

// Lets allocations of up to nBytes that follow come from heap memory that is
// faulted in as 2 MiB pages where the system offers them: an output of tens
// of megabytes otherwise costs one page fault per 4 KiB. Call it once,
// before the large allocation; it changes how this process's heap behaves.
void PrepareHeapForLargeBuffer(size_t nBytes);

// Writes through a temporary file beside the target and renames it, so that
// a failed write leaves no partial file.
bool WriteWholeFile(const std::string& strPath, const uint8_t* pData, size_t nSize, std::string& strError);

// The file's modification time in the DOS format of archive headers.
uint32_t DosTimeOf(const std::string& strPath);

} // namespace pak
