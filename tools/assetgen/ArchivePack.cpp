#include "ArchivePack.h"

#include "RarWriter.h"

namespace assetgen {

bool PackMediaArchive(const std::vector<ArchiveMember>& members, Bytes& out, std::string& error) {
    rarwrite::CRarWriter writer;
    for (const ArchiveMember& m : members) {
        rarwrite::RarEntry e;
        e.strName = m.name;
        e.data = m.data;
        e.nMethod = rarwrite::kRarMethodStored;
        e.nFlags = kMediaEntryFlags;
        e.nUnpackVersion = 20;
        writer.Add(std::move(e));
    }
    return writer.Build(out, error);
}

bool PackDigitArchive(const std::vector<ArchiveMember>& members, const std::string& password, Bytes& out,
                      std::string& error) {
    rarwrite::CRarWriter writer;
    writer.AddDirectory("Digits");
    for (const ArchiveMember& m : members) {
        rarwrite::RarEntry e;
        e.strName = m.name;
        e.data = m.data;
        e.nMethod = rarwrite::kRarMethodFastest;
        e.strPassword = password;
        e.nFlags = kDigitEntryFlags;
        e.nUnpackVersion = 20;
        writer.Add(std::move(e));
    }
    return writer.Build(out, error);
}

}  // namespace assetgen
