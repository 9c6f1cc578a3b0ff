#pragma once
// Everything the saver carries, made in memory: the members of both archives
// and the files the resource script embeds.
#include <string>
#include <vector>

#include "ArchivePack.h"

namespace assetgen {

struct ContentSet {
    std::vector<ArchiveMember> media;   // the media archive's 47 entries, in archive order
    std::vector<ArchiveMember> digits;  // the 14 digit images, "Digits\digit_0.tga" ...
    std::vector<ArchiveMember> files;   // output files: "media.rar", "quotes.txt", ...
};

// The media archive's entry names, in archive order.
const std::vector<std::string>& MediaEntryNames();

// Builds the media members only (no fonts needed except for "font.tga").
bool BuildMediaMembers(std::vector<ArchiveMember>& out, std::string& error);
bool BuildContent(const std::string& resDir, ContentSet& out, std::string& error);
// Writes the output files, and the archive members below "members/" for
// anyone who wants to look at them without unpacking.
bool WriteContent(const ContentSet& content, const std::string& outDir);

const ArchiveMember* FindMember(const std::vector<ArchiveMember>& list, const std::string& name);

}  // namespace assetgen
