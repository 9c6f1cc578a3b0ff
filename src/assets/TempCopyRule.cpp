#include "assets/TempCopyRule.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool IsHexDigit(char c) {
    c = Lower(c);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool SameText(const std::string& a, size_t nAt, const std::string& b) {
    if (a.size() < nAt + b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i)
        if (Lower(a[nAt + i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

bool IsTempCopyName(const std::string& strName, const std::string& strPrefix) {
    const std::string prefix = strPrefix.substr(0, 3);
    const std::string ext = ".tmp";
    if (!SameText(strName, 0, prefix)) return false;
    if (strName.size() < prefix.size() + 1 + ext.size()) return false;
    const size_t nDigits = strName.size() - prefix.size() - ext.size();
    if (nDigits > 4 || !SameText(strName, strName.size() - ext.size(), ext)) return false;
    for (size_t i = 0; i < nDigits; ++i)
        if (!IsHexDigit(strName[prefix.size() + i])) return false;
    return true;
}

bool FileHoldsResource(uint64_t nFileSize, const TempFileReader& read, const uint8_t* pResource,
                       size_t nResourceSize) {
    if (nFileSize != nResourceSize || (!pResource && nResourceSize)) return false;
    std::vector<uint8_t> buffer(64 * 1024);
    size_t nDone = 0;
    while (nDone < nResourceSize) {
        const size_t nWant = std::min(buffer.size(), nResourceSize - nDone);
        const size_t nGot = read(buffer.data(), nWant);
        if (nGot == 0 || nGot > nWant) return false;
        if (std::memcmp(buffer.data(), pResource + nDone, nGot) != 0) return false;
        nDone += nGot;
    }
    // The file must end where the resource ends (it may have grown since its
    // size was taken).
    uint8_t extra = 0;
    return read(&extra, 1) == 0;
}

bool IsLeftOverTempCopy(const std::string& strName, const std::string& strPrefix, uint64_t nFileSize,
                        const TempFileReader& read, const uint8_t* pResource, size_t nResourceSize) {
    return pResource && nResourceSize && IsTempCopyName(strName, strPrefix) &&
           FileHoldsResource(nFileSize, read, pResource, nResourceSize);
}
