#include "FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pak {

bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& data, std::string& strError) {
    struct stat st;
    if (stat(strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        strError = strPath + ": is a directory";
        return false;
    }
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (!f) {
        strError = strPath + ": " + std::strerror(errno);
        return false;
    }
    // One allocation of the file's size (plus a byte to see the end), then
    // reads straight into it; growing only for files that are not regular.
    data.clear();
    const bool bRegular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    data.resize(bRegular ? size_t(st.st_size) + 1 : 65536);
    size_t nHave = 0;
    for (;;) {
        if (nHave == data.size()) data.resize(data.size() * 2);
        const size_t n = std::fread(data.data() + nHave, 1, data.size() - nHave, f);
        if (n == 0) break;
        nHave += n;
    }
    data.resize(nHave);
    const bool bOk = !std::ferror(f);
    std::fclose(f);
    if (!bOk) strError = strPath + ": read error";
    return bOk;
}

CInputFile::~CInputFile() {
    if (m_pMapped) munmap(m_pMapped, m_nMapped);
}

bool CInputFile::Open(const std::string& strPath, std::string& strError) {
    struct stat st;
    if (stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const int fd = open(strPath.c_str(), O_RDONLY);
        if (fd >= 0) {
            void* p = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            close(fd);
            if (p != MAP_FAILED) {
                m_pMapped = static_cast<uint8_t*>(p);
                m_nMapped = size_t(st.st_size);
                return true;
            }
        }
    }
    return ReadWholeFile(strPath, m_data, strError);
}

void PrepareHeapForLargeBuffer(size_t nBytes) {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    constexpr size_t kHuge = size_t(2) << 20;
    if (nBytes < 4 * kHuge) return;
    // Large blocks from the heap rather than mappings of their own, a heap
    // that is not given back, and its next stretch marked for huge pages;
    // the block freed here is what the next large allocation reuses.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
    const size_t nReserve = nBytes + 2 * kHuge;
    char* p = static_cast<char*>(std::malloc(nReserve));
    if (!p) return;
    const uintptr_t nStart = (reinterpret_cast<uintptr_t>(p) + kHuge - 1) & ~uintptr_t(kHuge - 1);
    const uintptr_t nEnd = (reinterpret_cast<uintptr_t>(p) + nReserve) & ~uintptr_t(kHuge - 1);
    if (nEnd > nStart) madvise(reinterpret_cast<void*>(nStart), nEnd - nStart, MADV_HUGEPAGE);
    std::free(p);
#else
    (void)nBytes;
#endif
}

bool WriteWholeFile(const std::string& strPath, const uint8_t* pData, size_t nSize, std::string& strError) {
    std::string strTemp = strPath + ".XXXXXX";
    const int fd = mkstemp(&strTemp[0]);
    if (fd < 0) {
        strError = strPath + ": cannot create: " + std::strerror(errno);
        return false;
    }
    size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = write(fd, pData + nDone, nSize - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            strError = strPath + ": write failed: " + std::strerror(n < 0 ? errno : EIO);
            close(fd);
            unlink(strTemp.c_str());
            return false;
        }
        nDone += size_t(n);
    }
    if (fchmod(fd, 0644) != 0 || close(fd) != 0 || rename(strTemp.c_str(), strPath.c_str()) != 0) {
        strError = strPath + ": cannot finish writing: " + std::strerror(errno);
        unlink(strTemp.c_str());
        return false;
    }
    return true;
}

uint32_t DosTimeOf(const std::string& strPath) {
    struct stat st;
    if (stat(strPath.c_str(), &st) != 0) return 0x00210000;
    struct tm t;
    if (!localtime_r(&st.st_mtime, &t) || t.tm_year < 80 || t.tm_year > 80 + 127) return 0x00210000;
    return uint32_t(t.tm_year - 80) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
           uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
}

} // namespace pak
