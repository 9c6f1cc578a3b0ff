#include "RarWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "Rar20Encoder.h"
#include "assets/Cipher20.h"
#include "assets/Crc32.h"

namespace rarwrite {

namespace {

const uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint8_t kHeadArchive = 0x73;
constexpr uint8_t kHeadFile = 0x74;
constexpr uint8_t kHeadEnd = 0x7B;
constexpr uint16_t kArchiveSolid = 0x0008;
constexpr uint16_t kAllowedFlags = 0x80F4;
constexpr size_t kMaxName = 259;

struct CrcTable {
    uint32_t a[256];
    CrcTable() { BuildCrc32Table(a); }
};
const CrcTable& Crc() {
    static const CrcTable table;
    return table;
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// Sets the head CRC of the header that starts at nStart and runs to the end.
void SealHeader(std::vector<uint8_t>& v, size_t nStart) {
    const uint32_t nCrc = Crc32Of(Crc().a, v.data() + nStart + 2, v.size() - nStart - 2) & 0xFFFF;
    v[nStart] = uint8_t(nCrc);
    v[nStart + 1] = uint8_t(nCrc >> 8);
}

std::string StoredName(const std::string& s) {
    std::string n = s;
    for (char& c : n)
        if (c == '/') c = '\\';
    return n;
}

bool IsCompressed(const RarEntry& e) { return !e.bDirectory && e.nMethod != kRarMethodStored && !e.data.empty(); }

struct Prepared {
    const RarEntry* pEntry;
    bool bContinues = false;        // continues the solid stream
    std::vector<uint8_t> packed;
    uint16_t nFlags = 0;
};

uint16_t DefaultFlags(const RarEntry& e, bool bContinues) {
    if (e.bDirectory) return kRarFlagHasData | kRarFlagDirectory;
    uint16_t f = kRarFlagHasData | kRarFlagDict1M;
    if (!e.strPassword.empty()) f |= kRarFlagEncrypted;
    if (bContinues) f |= kRarFlagSolid;
    return f;
}

bool CheckEntry(const RarEntry& e, std::string& strError) {
    const std::string strName = StoredName(e.strName);
    auto fail = [&](const std::string& why) {
        strError = "entry \"" + e.strName + "\": " + why;
        return false;
    };
    if (strName.empty()) return fail("empty name");
    if (strName.size() > kMaxName) return fail("name longer than 259 bytes");
    if (strName.find('\0') != std::string::npos) return fail("name contains a NUL byte");
    if (e.nMethod < 0x30 || e.nMethod > 0x35) return fail("method must be 0x30..0x35");
    if (e.nUnpackVersion < 13 || e.nUnpackVersion > 20) return fail("unpack version must be 13..20");
    const bool bPlainStored = e.bDirectory || e.nMethod == kRarMethodStored;
    if (e.nUnpackVersion != 20 && (!bPlainStored || !e.strPassword.empty()))
        return fail("compressed and enciphered entries need unpack version 20");
    if (e.bDirectory && !e.data.empty()) return fail("a directory holds no data");
    if (e.bDirectory && !e.strPassword.empty()) return fail("a directory is not enciphered");
    if (e.data.size() > 0xFFFFFFF0u) return fail("larger than 4 GiB");
    if (e.nAttributes > 0xFFFFFFFFLL) return fail("attributes do not fit 32 bits");
    return true;
}

bool CheckFlags(const RarEntry& e, bool bContinues, uint16_t& nFlags, std::string& strError) {
    nFlags = DefaultFlags(e, bContinues);
    if (e.nFlags < 0) return true;
    auto fail = [&](const std::string& why) {
        char buf[16];
        std::snprintf(buf, sizeof(buf), "0x%04X", unsigned(e.nFlags));
        strError = "entry \"" + e.strName + "\": flags " + buf + " " + why;
        return false;
    };
    const int f = e.nFlags;
    if (f > 0xFFFF || (f & ~kAllowedFlags)) return fail("hold bits the writer cannot honour (allowed: 0x80F4)");
    if (!(f & kRarFlagHasData)) return fail("lack 0x8000");
    if (bool(f & kRarFlagEncrypted) != !e.strPassword.empty())
        return fail(e.strPassword.empty() ? "mark an entry without password as enciphered"
                                          : "lack 0x0004 for an enciphered entry");
    if (bool(f & kRarFlagSolid) != bContinues)
        return fail(bContinues ? "lack 0x0010 for an entry that continues the solid stream"
                               : "set 0x0010 on an entry that does not continue a solid stream");
    if (((f & kRarFlagDirectory) == kRarFlagDirectory) != e.bDirectory)
        return fail(e.bDirectory ? "lack the directory bits 0x00E0" : "mark a file as a directory");
    nFlags = uint16_t(f);
    return true;
}

void Encipher(std::vector<uint8_t>& data, const std::string& strPassword) {
    data.resize((data.size() + kCipherBlockSize - 1) / kCipherBlockSize * kCipherBlockSize, 0);
    Rar20Cipher cipher;
    PrepareCipherKeys(cipher, strPassword.c_str(), Crc().a);
    for (size_t i = 0; i < data.size(); i += kCipherBlockSize) EncipherBlock(cipher, data.data() + i);
    ClearCipher(cipher);
}

EncodeOptions OptionsFor(const RarEntry& e) {
    EncodeOptions o;
    o.nLevel = e.nMethod - 0x30;
    o.audio = e.audio == RarAudioMode::On ? AudioChoice::On
            : e.audio == RarAudioMode::Off ? AudioChoice::Off
                                           : AudioChoice::Auto;
    return o;
}

void AppendEntry(std::vector<uint8_t>& out, const Prepared& p) {
    const RarEntry& e = *p.pEntry;
    const std::string strName = StoredName(e.strName);
    const size_t nStart = out.size();
    Put16(out, 0);
    out.push_back(kHeadFile);
    Put16(out, p.nFlags);
    Put16(out, uint32_t(32 + strName.size()));
    Put32(out, uint32_t(p.packed.size()));
    Put32(out, uint32_t(e.data.size()));
    out.push_back(e.nHostOs);
    Put32(out, Crc32Of(Crc().a, e.data.data(), e.data.size()));
    Put32(out, e.nDosTime);
    out.push_back(e.nUnpackVersion);
    out.push_back(e.bDirectory ? kRarMethodStored : e.nMethod);
    Put16(out, uint32_t(strName.size()));
    Put32(out, e.nAttributes >= 0 ? uint32_t(e.nAttributes) : e.bDirectory ? 0x10u : 0x20u);
    out.insert(out.end(), strName.begin(), strName.end());
    SealHeader(out, nStart);
    out.insert(out.end(), p.packed.begin(), p.packed.end());
}

// The key under which the saver's reader finds a name: "\", "/" and "_"
// alike, letters without case.
std::string LookupKey(const std::string& strName) {
    std::string k = strName.substr(0, kMaxName);
    for (char& c : k) {
        if (c == '\\' || c == '/') c = '_';
        else if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return k;
}

} // namespace

void CRarWriter::AddDirectory(const std::string& strName) {
    RarEntry e;
    e.strName = strName;
    e.bDirectory = true;
    e.nMethod = kRarMethodStored;
    m_entries.push_back(std::move(e));
}

bool CRarWriter::Build(std::vector<uint8_t>& archive, std::string& strError) const {
    std::set<std::string> keys;
    for (const RarEntry& e : m_entries) {
        if (!CheckEntry(e, strError)) return false;
        if (!keys.insert(LookupKey(e.strName)).second) {
            strError = "entry \"" + e.strName + "\": another entry has a name the reader cannot tell from it";
            return false;
        }
    }

    // Entry order: in a solid archive the stream's entries come last.
    std::vector<Prepared> order;
    for (const RarEntry& e : m_entries)
        if (!m_bSolid || !IsCompressed(e)) order.push_back(Prepared{&e, false, {}, 0});
    const size_t nFirstStream = order.size();
    if (m_bSolid)
        for (const RarEntry& e : m_entries)
            if (IsCompressed(e)) order.push_back(Prepared{&e, false, {}, 0});

    for (size_t i = 0; i < order.size(); ++i) {
        order[i].bContinues = m_bSolid && i > nFirstStream;
        if (!CheckFlags(*order[i].pEntry, order[i].bContinues, order[i].nFlags, strError)) return false;
    }

    if (m_bSolid && order.size() > nFirstStream) {
        std::vector<uint8_t> stream;
        for (size_t i = nFirstStream; i < order.size(); ++i)
            stream.insert(stream.end(), order[i].pEntry->data.begin(), order[i].pEntry->data.end());
        CRar20Encoder encoder(stream.data(), stream.size());
        size_t nPos = 0;
        for (size_t i = nFirstStream; i < order.size(); ++i) {
            const RarEntry& e = *order[i].pEntry;
            order[i].packed = encoder.EncodeEntry(nPos, nPos + e.data.size(), OptionsFor(e), !e.strPassword.empty());
            nPos += e.data.size();
        }
    }
    for (size_t i = 0; i < order.size(); ++i) {
        Prepared& p = order[i];
        const RarEntry& e = *p.pEntry;
        if (e.bDirectory) continue;
        if (i < nFirstStream) {
            if (e.nMethod == kRarMethodStored) {
                p.packed = e.data;
            } else if (!e.data.empty()) {
                CRar20Encoder encoder(e.data.data(), e.data.size());
                p.packed = encoder.EncodeEntry(0, e.data.size(), OptionsFor(e), !e.strPassword.empty());
            }
        }
        if (!e.strPassword.empty() && !p.packed.empty()) Encipher(p.packed, e.strPassword);
        if (p.packed.size() > 0xFFFFFFFFu) {
            strError = "entry \"" + e.strName + "\": packed data larger than 4 GiB";
            return false;
        }
    }

    archive.assign(kMarker, kMarker + sizeof(kMarker));
    Put16(archive, 0);
    archive.push_back(kHeadArchive);
    Put16(archive, m_bSolid ? kArchiveSolid : 0);
    Put16(archive, 13);
    Put16(archive, 0);
    Put32(archive, 0);
    SealHeader(archive, 7);
    for (const Prepared& p : order) AppendEntry(archive, p);
    const size_t nEnd = archive.size();
    Put16(archive, 0);
    archive.push_back(kHeadEnd);
    Put16(archive, 0x4000);
    Put16(archive, 7);
    SealHeader(archive, nEnd);
    return true;
}

bool CRarWriter::WriteFile(const std::string& strPath, std::string& strError) const {
    std::vector<uint8_t> archive;
    if (!Build(archive, strError)) return false;
    std::string strTemp = strPath + ".XXXXXX";
    std::vector<char> name(strTemp.begin(), strTemp.end());
    name.push_back(0);
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        strError = strPath + ": cannot create: " + std::strerror(errno);
        return false;
    }
    size_t nDone = 0;
    while (nDone < archive.size()) {
        const ssize_t n = write(fd, archive.data() + nDone, archive.size() - nDone);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            strError = strPath + ": write failed: " + std::strerror(n < 0 ? errno : EIO);
            close(fd);
            unlink(name.data());
            return false;
        }
        nDone += size_t(n);
    }
    if (fchmod(fd, 0644) != 0 || close(fd) != 0 || rename(name.data(), strPath.c_str()) != 0) {
        strError = strPath + ": cannot finish writing: " + std::strerror(errno);
        unlink(name.data());
        return false;
    }
    return true;
}

} // namespace rarwrite
