#include "ClassRender/MediaEntry.h"

#include <cstdlib>

#include "assets/ArchiveReader.h"
#include "assets/Resources.h"
#include "resource.h"

bool ReadArchiveEntry(uint16_t nResourceId, const char* pszName, const char* pszPassword,
                      std::vector<uint8_t>& out) {
    out.clear();
    ResourceBlob archive = LoadMediaResource(nResourceId);
    uint8_t* pData = nullptr;
    uint32_t nSize = 0;
    if (!ExtractArchiveEntry(&pData, &nSize, pszName, &archive, pszPassword)) return false;
    out.assign(pData, pData + nSize);
    std::free(pData);
    return true;
}

bool ReadMediaEntry(const char* pszName, std::vector<uint8_t>& out) {
    return ReadArchiveEntry(IDR_MEDIA_ARCHIVE, pszName, nullptr, out);
}
