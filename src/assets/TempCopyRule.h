#pragma once
// Which files of the temporary directory are copies of one of our resources
// that an earlier run left behind (it was killed, or a scanner held the file
// when it tried to delete it). Only provably own copies qualify: named the
// way GetTempFileNameA names our copies and holding exactly the resource's
// bytes; anything else in the directory belongs to someone else.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// GetTempFileNameA's names: the prefix (its first three characters), one to
// four hexadecimal digits and ".tmp"; letters in any case.
bool IsTempCopyName(const std::string& strName, const std::string& strPrefix);

// Hands out the next bytes of a file into pBuffer (at most nMax) and returns
// how many; 0 at the end or when reading fails.
using TempFileReader = std::function<size_t(uint8_t* pBuffer, size_t nMax)>;

// True when the file holds exactly the resource's bytes: its size equals the
// resource's and every byte read equals the resource's, through the end.
bool FileHoldsResource(uint64_t nFileSize, const TempFileReader& read, const uint8_t* pResource,
                       size_t nResourceSize);

// True when the file is a left-over copy of the resource: its name fits and
// it holds exactly the resource's bytes. An empty resource claims no file.
bool IsLeftOverTempCopy(const std::string& strName, const std::string& strPrefix, uint64_t nFileSize,
                        const TempFileReader& read, const uint8_t* pResource, size_t nResourceSize);
