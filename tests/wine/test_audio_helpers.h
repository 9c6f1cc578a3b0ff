#pragma once
// Shared helpers of the audio tests: where the built library and the
// generated sounds are, temporary files, and Ogg surgery for damaged input.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "audio/library/OggCheck.h"

namespace audio_test {

// The folder of the running test program (bin/ of the build tree), which
// also holds cordelune_audio.dll.
inline std::string ProgramDir() {
    char strPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, strPath, MAX_PATH);
    std::string s = strPath;
    return s.substr(0, s.find_last_of("\\/"));
}

inline std::string AudioLibraryPath() { return ProgramDir() + "\\cordelune_audio.dll"; }

inline std::vector<uint8_t> ReadFileBytes(const std::string& strPath) {
    std::vector<uint8_t> data;
    FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (!pFile) return data;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pFile)) > 0) data.insert(data.end(), buffer, buffer + n);
    std::fclose(pFile);
    return data;
}

inline bool WriteFileBytes(const std::string& strPath, const std::vector<uint8_t>& data) {
    FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (!pFile) return false;
    const bool bOk = std::fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return std::fclose(pFile) == 0 && bOk;
}

// A sound the content tools wrote for this build ("music", "shot", "hit").
inline std::vector<uint8_t> GeneratedSound(const char* pszName) {
    return ReadFileBytes(ProgramDir() + "\\..\\content\\" + pszName + ".ogg");
}

inline std::string TempDir() {
    char szDir[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, szDir);
    return szDir;
}

// Names of the files in the temporary directory that start with pszPrefix.
inline std::set<std::string> TempFiles(const char* pszPrefix) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((TempDir() + pszPrefix + "*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do names.insert(data.cFileName);
    while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return names;
}

// A fresh, uniquely named temporary file holding data.
inline std::string TempCopy(const std::vector<uint8_t>& data, const char* pszPrefix) {
    char strPath[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(TempDir().c_str(), pszPrefix, 0, strPath)) return {};
    return WriteFileBytes(strPath, data) ? strPath : std::string();
}

inline bool FileExists(const std::string& strPath) { return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Offsets of the Ogg pages of data.
inline std::vector<size_t> OggPageOffsets(const std::vector<uint8_t>& data) {
    std::vector<size_t> offsets;
    size_t n = 0;
    while (n + 27 <= data.size() && data[n] == 'O' && data[n + 1] == 'g' && data[n + 2] == 'g' && data[n + 3] == 'S') {
        offsets.push_back(n);
        size_t nSize = 27 + data[n + 26];
        if (n + nSize > data.size()) break;
        for (size_t i = 0; i < data[n + 26]; ++i) nSize += data[n + 27 + i];
        n += nSize;
    }
    return offsets;
}

// Recomputes the CRC of the page at nOffset after an edit.
inline void FixOggPageCrc(std::vector<uint8_t>& data, size_t nOffset) {
    size_t nSize = 27 + data[nOffset + 26];
    for (size_t i = 0; i < data[nOffset + 26]; ++i) nSize += data[nOffset + 27 + i];
    for (int i = 0; i < 4; ++i) data[nOffset + 22 + i] = 0;
    const uint32_t nCrc = OggCrc(data.data() + nOffset, nSize);
    for (int i = 0; i < 4; ++i) data[nOffset + 22 + i] = uint8_t(nCrc >> (8 * i));
}

// The same Vorbis stream, declared to be at nRate Hz (the audio is decoded
// as before and then counts as nRate samples a second).
inline std::vector<uint8_t> WithSampleRate(std::vector<uint8_t> data, uint32_t nRate) {
    // First page: 27-byte header, one lacing value, then the identification
    // packet: type, "vorbis", version (4), channels (1), rate (4).
    const size_t nRateAt = 27 + data[26] + 1 + 6 + 4 + 1;
    for (int i = 0; i < 4; ++i) data[nRateAt + i] = uint8_t(nRate >> (8 * i));
    FixOggPageCrc(data, 0);
    return data;
}

}  // namespace audio_test
