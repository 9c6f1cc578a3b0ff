#pragma once
// Packs the archive members into the two RAR 2.0 archives of the saver.
#include <string>
#include <vector>

#include "ImageWriters.h"

namespace assetgen {

struct ArchiveMember {
    std::string name;  // "\" separates folders
    Bytes data;
};

constexpr uint16_t kMediaEntryFlags = 0x80A0;
constexpr uint16_t kDigitEntryFlags = 0x8084;

// Media archive: stored entries, unpack version 20. Digit archive: the folder
// entry "Digits", then the images compressed (method 0x31) and enciphered.
// False with a reason when the writer refuses an entry.
bool PackMediaArchive(const std::vector<ArchiveMember>& members, Bytes& out, std::string& error);
bool PackDigitArchive(const std::vector<ArchiveMember>& members, const std::string& password, Bytes& out,
                      std::string& error);

}  // namespace assetgen
