#pragma once
// Writer of RAR 2.0 archives, for the build-time tools (never linked into the
// saver). The archives it makes are read by the saver's ExtractArchiveEntry
// and by independent readers such as unar.
//
// Usage:
//     rarwrite::CRarWriter writer;                 // or CRarWriter(true) for solid
//     writer.AddDirectory("Digits");
//     rarwrite::RarEntry e;
//     e.strName = "Digits\\digit_0.tga";           // "\" separates folders
//     e.data = bytes;
//     e.nMethod = 0x31;
//     e.strPassword = "secret";
//     e.nFlags = 0x8084;                           // optional exact flags word
//     writer.Add(e);
//     std::string error;
//     if (!writer.WriteFile("digits.rar", error)) ... // or Build(vector, error)
//
// Archive layout: the 7-byte marker, the archive header (flags 0, or 0x0008
// for solid), one 32-byte header plus name per entry with its packed data,
// and the end block. Head CRCs are the low 16 bits of the CRC-32 of each
// header from its third byte on; every file entry carries the CRC-32 of its
// content.
#include <cstdint>
#include <string>
#include <vector>

namespace rarwrite {

// Multimedia (audio) mode: a per-byte predictor with 1 to 4 interleaved
// channels, for PCM sound and similar sampled data.
enum class RarAudioMode {
    Auto, // per block, whichever of audio and plain LZ codes smaller
    On,   // every block in audio mode (best channel count per block)
    Off,  // plain LZ only
};

constexpr uint8_t kRarMethodStored = 0x30;
constexpr uint8_t kRarMethodFastest = 0x31;
constexpr uint8_t kRarMethodNormal = 0x33; // the default
constexpr uint8_t kRarMethodBest = 0x35;

// Entry flags of the format.
constexpr uint16_t kRarFlagEncrypted = 0x0004;
constexpr uint16_t kRarFlagSolid = 0x0010;     // continues the solid stream
constexpr uint16_t kRarFlagDict1M = 0x0080;    // dictionary-size bits: 1 MiB
constexpr uint16_t kRarFlagDirectory = 0x00E0; // all three dictionary bits
constexpr uint16_t kRarFlagHasData = 0x8000;   // pack size field present

// 1980-01-01 00:00:00 in the DOS date and time format.
constexpr uint32_t kRarDefaultDosTime = 0x00210000;

struct RarEntry {
    // Stored name: "\" (or "/", which is written as "\") between folder
    // names, at most 259 bytes (the saver's reader compares no more).
    std::string strName;
    std::vector<uint8_t> data;
    bool bDirectory = false;          // a folder entry: no data, stored
    uint8_t nMethod = kRarMethodNormal; // 0x30 stored, 0x31 (fastest) .. 0x35 (best)
    RarAudioMode audio = RarAudioMode::Auto;
    // Non-empty: the entry's packed data is enciphered (RAR 2.0 cipher) and
    // the entry carries flag 0x0004. At most 255 bytes count.
    std::string strPassword;
    // The exact entry flags word, or -1 for the writer's own:
    // 0x8000 | 0x0080 | 0x0004 if enciphered | 0x0010 if it continues a solid
    // stream, and 0x80E0 for a directory. An exact word must agree with the
    // entry (0x8000 set; 0x0004 iff a password is given; 0x0010 iff the entry
    // continues a solid stream; bits 0x00E0 all set iff a directory) and may
    // hold no other bits than 0x80F4; otherwise Build fails with a message.
    // The saver's content uses 0x80A0 (media archive) and 0x8084 (digits).
    int nFlags = -1;
    uint8_t nUnpackVersion = 20;      // 13..20; the saver reads only these
    uint32_t nDosTime = kRarDefaultDosTime;
    uint8_t nHostOs = 2;              // 0 MS-DOS, 2 Win32, 3 Unix
    int64_t nAttributes = -1;         // -1: 0x20 for files, 0x10 for folders
};

class CRarWriter {
public:
    // A solid archive codes all compressed entries as one stream, each later
    // entry continuing the decoder state of the one before. Entries that are
    // not part of that stream (folders, empty files, stored entries) are
    // written ahead of it, in their given order; the compressed entries follow
    // in theirs. A non-solid archive keeps the given order.
    explicit CRarWriter(bool bSolid = false) : m_bSolid(bSolid) {}

    void Add(const RarEntry& entry) { m_entries.push_back(entry); }
    void Add(RarEntry&& entry) { m_entries.push_back(std::move(entry)); }
    void AddDirectory(const std::string& strName);

    // The whole archive. False with a one-line reason in strError when an
    // entry is invalid (name, method, flags, version, size) or when two
    // names are the same to the saver's reader ("\", "/" and "_" alike,
    // letters without case).
    bool Build(std::vector<uint8_t>& archive, std::string& strError) const;

    // Builds and writes the archive; the file appears only when complete
    // (written to a temporary file beside it, then renamed).
    bool WriteFile(const std::string& strPath, std::string& strError) const;

    const std::vector<RarEntry>& Entries() const { return m_entries; }

private:
    bool m_bSolid;
    std::vector<RarEntry> m_entries;
};

} // namespace rarwrite
