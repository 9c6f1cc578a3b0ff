#include "assets/Resources.h"

#include <windows.h>

ResourceBlob LoadDataResource(const char* pszType, uint16_t nId) {
    ResourceBlob blob;
    HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(nId), pszType);
    if (!hRes) return blob;
    HGLOBAL hData = LoadResource(hModule, hRes);
    if (!hData) return blob;
    blob.nSize = SizeofResource(hModule, hRes);
    blob.pData = static_cast<const uint8_t*>(LockResource(hData));
    if (!blob.pData) blob.nSize = 0;
    return blob;
}

ResourceBlob LoadMediaResource(uint16_t nId) { return LoadDataResource("MediaData", nId); }

std::string WriteResourceToTempFile(uint16_t nId, const char* pszPrefix) {
    const ResourceBlob blob = LoadDataResource("MEDIADATA", nId);
    char szDir[MAX_PATH + 1] = {};
    char szPath[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, szDir);
    if (n == 0 || n > MAX_PATH) return std::string();
    if (!GetTempFileNameA(szDir, pszPrefix, 0, szPath)) return std::string();
    HANDLE hFile = CreateFileA(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        DeleteFileA(szPath);
        return std::string();
    }
    DWORD nWritten = 0;
    BOOL bOk = blob.nSize == 0 || WriteFile(hFile, blob.pData, blob.nSize, &nWritten, nullptr);
    CloseHandle(hFile);
    if (!bOk || nWritten != blob.nSize) {
        DeleteFileA(szPath);
        return std::string();
    }
    return szPath;
}
