#include "PakCommands.h"

#include <cstdio>
#include <cstdlib>
#include <set>

#include "FileIo.h"
#include "RarListing.h"
#include "RarWriter.h"
#include "assets/ArchiveReader.h"
#include "assets/ArchiveWalk.h"

namespace pak {

namespace {

bool LoadArchive(const std::string& strArchive, CInputFile& data, rarwrite::RarListing& listing) {
    std::string strError;
    if (!data.Open(strArchive, strError)) {
        ReportError(strError);
        return false;
    }
    if (data.Size() > 0xFFFFFFFFu) {
        ReportError(strArchive + ": larger than 4 GiB");
        return false;
    }
    if (!rarwrite::ListArchive(data.Data(), data.Size(), listing, strError)) {
        ReportError(strArchive + ": " + strError);
        return false;
    }
    return true;
}

// Why the reader refused an entry, from what the headers say.
std::string ExplainFailure(const rarwrite::RarListing& listing, const std::string& strEntry, bool bPassword) {
    for (const rarwrite::RarListedEntry& e : listing.entries) {
        if (!CompareEntryNames(strEntry.c_str(), e.strName.c_str())) continue;
        if (e.nUnpackVersion < 13 || e.nUnpackVersion > 20) {
            char buf[96];
            std::snprintf(buf, sizeof(buf), "unsupported unpack version %u (this reader handles 13..20)",
                          unsigned(e.nUnpackVersion));
            return strEntry + ": " + buf;
        }
        if (e.IsEncrypted() && !bPassword) return strEntry + ": entry is enciphered; give its password with -p";
        if (e.IsEncrypted()) return strEntry + ": CRC mismatch (wrong password or damaged data)";
        return strEntry + ": CRC mismatch or damaged data";
    }
    return strEntry + ": no such entry";
}

bool Extract(const CInputFile& archive, const std::string& strEntry, const std::string& strPassword,
             uint8_t*& pData, uint32_t& nSize) {
    ResourceBlob blob;
    blob.pData = archive.Data();
    blob.nSize = uint32_t(archive.Size());
    return ExtractArchiveEntry(&pData, &nSize, strEntry.c_str(), &blob,
                               strPassword.empty() ? nullptr : strPassword.c_str()) == 1;
}

std::string BaseName(const std::string& strPath) {
    const size_t n = strPath.find_last_of('/');
    return n == std::string::npos ? strPath : strPath.substr(n + 1);
}

} // namespace

void ReportError(const std::string& strMessage) { std::fprintf(stderr, "cordelune-pak: %s\n", strMessage.c_str()); }

int CommandList(const std::string& strArchive) {
    CInputFile data;
    rarwrite::RarListing listing;
    if (!LoadArchive(strArchive, data, listing)) return 1;
    std::printf("%s%s\n", strArchive.c_str(), listing.IsSolid() ? " (solid)" : "");
    std::printf("%10s %10s %-6s %-6s %-8s %-3s %s\n", "Size", "Packed", "Method", "Flags", "CRC32", "Ver", "Name");
    for (const rarwrite::RarListedEntry& e : listing.entries)
        std::printf("%10u %10u 0x%02X   0x%04X %08X %3u %s%s\n", e.nUnpSize, e.nPackSize, e.nMethod, e.nFlags, e.nCrc,
                    unsigned(e.nUnpackVersion), e.strName.c_str(), e.IsDirectory() ? "\\" : "");
    return 0;
}

int CommandExtract(const std::string& strArchive, const std::string& strEntry, const std::string& strPassword,
                   const std::string& strOutput) {
    CInputFile data;
    rarwrite::RarListing listing;
    if (!LoadArchive(strArchive, data, listing)) return 1;
    for (const rarwrite::RarListedEntry& e : listing.entries)
        if (CompareEntryNames(strEntry.c_str(), e.strName.c_str())) {
            PrepareHeapForLargeBuffer(size_t(e.nUnpSize) + kWindowSize);
            break;
        }
    uint8_t* pOut = nullptr;
    uint32_t nSize = 0;
    if (!Extract(data, strEntry, strPassword, pOut, nSize)) {
        ReportError(ExplainFailure(listing, strEntry, !strPassword.empty()));
        return 1;
    }
    std::string strError;
    bool bOk = true;
    if (strOutput.empty() || strOutput == "-") {
        bOk = std::fwrite(pOut, 1, nSize, stdout) == nSize && std::fflush(stdout) == 0;
        if (!bOk) strError = "cannot write to standard output";
    } else {
        bOk = WriteWholeFile(strOutput, pOut, nSize, strError);
    }
    std::free(pOut);
    if (!bOk) ReportError(strError);
    return bOk ? 0 : 1;
}

int CommandTest(const std::string& strArchive, const std::string& strPassword) {
    CInputFile data;
    rarwrite::RarListing listing;
    if (!LoadArchive(strArchive, data, listing)) return 1;
    int nFailed = 0, nTested = 0;
    for (const rarwrite::RarListedEntry& e : listing.entries) {
        if (e.IsDirectory()) continue;
        ++nTested;
        uint8_t* pOut = nullptr;
        uint32_t nSize = 0;
        if (Extract(data, e.strName, strPassword, pOut, nSize)) {
            std::printf("OK      %s\n", e.strName.c_str());
            std::free(pOut);
        } else {
            std::printf("FAILED  %s\n", e.strName.c_str());
            ReportError(ExplainFailure(listing, e.strName, !strPassword.empty()));
            ++nFailed;
        }
    }
    std::printf("%d of %d entries OK\n", nTested - nFailed, nTested);
    return nFailed ? 1 : 0;
}

int CommandPack(const std::string& strArchive, const std::vector<std::string>& files, const PackOptions& options) {
    rarwrite::CRarWriter writer(options.bSolid);
    std::string strPrefix;
    if (!options.strDirectory.empty()) {
        writer.AddDirectory(options.strDirectory);
        strPrefix = options.strDirectory + "\\";
    }
    std::set<std::string> names;
    for (const std::string& strFile : files) {
        rarwrite::RarEntry e;
        e.strName = strPrefix + BaseName(strFile);
        std::string strError;
        if (!ReadWholeFile(strFile, e.data, strError)) {
            ReportError(strError);
            return 1;
        }
        std::string strKey = e.strName;
        for (char& c : strKey) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c == '/' ? '\\' : c;
        if (!names.insert(strKey).second) {
            ReportError(strFile + ": a second entry named " + e.strName);
            return 1;
        }
        e.nMethod = uint8_t(0x30 + options.nLevel);
        e.audio = options.strAudio == "on"    ? rarwrite::RarAudioMode::On
                : options.strAudio == "off"   ? rarwrite::RarAudioMode::Off
                                              : rarwrite::RarAudioMode::Auto;
        e.strPassword = options.strPassword;
        e.nDosTime = DosTimeOf(strFile);
        writer.Add(std::move(e));
    }
    std::string strError;
    if (!writer.WriteFile(strArchive, strError)) {
        ReportError(strError);
        return 1;
    }
    return 0;
}

} // namespace pak
