#pragma once
// The whole content of a file, for the tests that read files of the
// repository or the build tree. Empty when the file cannot be read.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string ReadFileText(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& strPath) {
    const std::string strText = ReadFileText(strPath);
    return std::vector<uint8_t>(strText.begin(), strText.end());
}
