#include "assets/TempCopies.h"

#include <windows.h>

#include "assets/Resources.h"
#include "assets/TempCopyRule.h"

namespace {

TempFileReader HandleReader(HANDLE hFile) {
    return [hFile](uint8_t* pBuffer, size_t nMax) -> size_t {
        DWORD nRead = 0;
        if (!ReadFile(hFile, pBuffer, DWORD(nMax), &nRead, nullptr)) return 0;
        return nRead;
    };
}

uint64_t FileSize(HANDLE hFile) {
    LARGE_INTEGER size;
    size.QuadPart = 0;
    return GetFileSizeEx(hFile, &size) ? uint64_t(size.QuadPart) : ~uint64_t(0);
}

// Marks an open file (opened with DELETE access) for deletion at its last
// close, so what is deleted is the file that was checked, not whatever has
// the name by then. Resolved at run time: older systems lack the call and
// delete by name after closing.
using SetFileInformationProc = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

SetFileInformationProc SetFileInformation() {
    static const SetFileInformationProc s_proc = reinterpret_cast<SetFileInformationProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetFileInformationByHandle")));
    return s_proc;
}

bool DeleteCheckedFile(HANDLE hFile, const std::string& strPath) {
    if (SetFileInformationProc pSet = SetFileInformation()) {
        FILE_DISPOSITION_INFO info;
        info.DeleteFile = TRUE;
        const bool bMarked = pSet(hFile, FileDispositionInfo, &info, sizeof info) != 0;
        CloseHandle(hFile);
        return bMarked;
    }
    CloseHandle(hFile);
    return DeleteFileA(strPath.c_str()) != 0;
}

}  // namespace

HeldTempCopy WriteHeldTempCopy(uint16_t nId, const char* pszPrefix) {
    HeldTempCopy copy;
    const std::string strPath = WriteResourceToTempFile(nId, pszPrefix);
    if (strPath.empty()) return copy;
    // The loader opens the file without write sharing, so the handle that
    // wrote it cannot stay open; this one, opened right after, shares only
    // reading, and the check below proves nothing came in between.
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    const ResourceBlob blob = LoadDataResource("MEDIADATA", nId);
    if (hFile == INVALID_HANDLE_VALUE ||
        !FileHoldsResource(FileSize(hFile), HandleReader(hFile), blob.pData, blob.nSize)) {
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
        DeleteFileA(strPath.c_str());
        return copy;
    }
    copy.strPath = strPath;
    copy.hFile = hFile;
    return copy;
}

void ReleaseTempCopy(HeldTempCopy& copy) {
    if (copy.hFile) CloseHandle(static_cast<HANDLE>(copy.hFile));
    copy.hFile = nullptr;
}

int RemoveLeftOverTempCopies(uint16_t nId, const char* pszPrefix) {
    const ResourceBlob blob = LoadDataResource("MEDIADATA", nId);
    if (!blob.pData || blob.nSize == 0) return 0;
    char szDir[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, szDir);
    if (n == 0 || n > MAX_PATH) return 0;
    const std::string strDir = szDir;
    const std::string strPrefix = std::string(pszPrefix).substr(0, 3);
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((strDir + strPrefix + "*.tmp").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return 0;
    int nRemoved = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string strName = data.cFileName;
        const uint64_t nListedSize = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (!IsTempCopyName(strName, strPrefix) || nListedSize != blob.nSize) continue;
        // Nobody may write, rename or delete the file while it is checked.
        const std::string strPath = strDir + strName;
        HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) continue;
        if (IsLeftOverTempCopy(strName, strPrefix, FileSize(hFile), HandleReader(hFile), blob.pData, blob.nSize)) {
            if (DeleteCheckedFile(hFile, strPath)) ++nRemoved;
        } else {
            CloseHandle(hFile);
        }
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return nRemoved;
}
