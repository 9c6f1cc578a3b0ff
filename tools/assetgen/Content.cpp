#include "Content.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>

#include "ArrowArt.h"
#include "assets/DigitArchive.h"
#include "CameraPaths.h"
#include "DigitArt.h"
#include "FontAtlas.h"
#include "HostArt.h"
#include "ParticleArt.h"
#include "QuoteText.h"
#include "SkyArt.h"
#include "WorldMeshes.h"
#include "cupid/CupidAssets.h"

namespace assetgen {

const std::vector<std::string>& MediaEntryNames() {
    static const std::vector<std::string> names = {
        "1.tga", "2.tga", "3.tga", "4.tga", "6.tga", "arrow.MODEL", "arrow.tga", "arrow_link.MODEL",
        "camera_action_1.MODEL", "camera_action_2.MODEL", "camera_action_3.MODEL", "camera_action_4.MODEL",
        "camera_action_5.MODEL", "camera_idle_1.MODEL", "camera_idle_10.MODEL", "camera_idle_2.MODEL",
        "camera_idle_3.MODEL", "camera_idle_4.MODEL", "camera_idle_5.MODEL", "camera_idle_6.MODEL",
        "camera_idle_7.MODEL", "camera_idle_8.MODEL", "camera_idle_9.MODEL", "cloud1.MODEL", "cloud2.MODEL",
        "cloud3.MODEL", "font.tga", "glow.MODEL", "glow.tga", "heart.MODEL", "heart.tga", "heart_prt.tga",
        "kupidon_achtung.MODEL", "kupidon_dif.tga", "kupidon_idle.MODEL", "kupidon_idle2.MODEL",
        "kupidon_shot.MODEL", "nebo_gradient.tga", "romashka.tga", "rose01.tga", "rose02.tga", "sky.MODEL",
        "Sky_05.tga", "Sky_16.tga", "Sky_18.tga", "sun_outer.model", "sun_outer.tga",
    };
    return names;
}

const ArchiveMember* FindMember(const std::vector<ArchiveMember>& list, const std::string& name) {
    for (const ArchiveMember& m : list)
        if (m.name == name) return &m;
    return nullptr;
}

namespace {

Bytes Tga(const Image& img) { return EncodeTga(img, true); }

// The cupid's and the heart's entries come from one build of their rig.
bool CupidEntry(const std::string& name, Bytes& out) {
    static const std::map<std::string, Bytes> entries = [] {
        std::map<std::string, Bytes> e;
        const MeshData arrow = BuildArrowMesh();
        cupid::AddCupidEntries(cupid::BuildCupidContent(&arrow), e);
        return e;
    }();
    const auto it = entries.find(name);
    if (it == entries.end()) return false;
    out = it->second;
    return true;
}

// Makes one media entry by name.
bool BuildMediaEntry(const std::string& name, Bytes& out, std::string& error) {
    const std::string base = name.substr(0, name.find('.'));
    const bool model = name.size() > 6 && (name.compare(name.size() - 6, 6, ".MODEL") == 0 ||
                                           name.compare(name.size() - 6, 6, ".model") == 0);
    if (model) {
        if (base.rfind("camera_idle_", 0) == 0) out = EncodeCameraPath(BuildIdlePath(std::stoi(base.substr(12)) - 1));
        else if (base.rfind("camera_action_", 0) == 0) out = EncodeCameraPath(BuildActionPath(std::stoi(base.substr(14)) - 1));
        else if (base == "sky") out = EncodeMesh(BuildSkyMesh());
        else if (base.rfind("cloud", 0) == 0) out = EncodeMesh(BuildCloudMesh(std::stoi(base.substr(5))));
        else if (base == "sun_outer") out = EncodeMesh(BuildSunMesh());
        else if (base == "glow") out = EncodeMesh(BuildGlowMesh());
        else if (base == "arrow") out = EncodeMesh(BuildArrowMesh());
        else if (CupidEntry(name, out)) {
        } else {
            error = "no generator for " + name;
            return false;
        }
        return true;
    }
    if (base == "nebo_gradient") out = Tga(BuildSkyGradient());
    else if (base == "Sky_05") out = Tga(BuildCloudTexture(1));
    else if (base == "Sky_18") out = Tga(BuildCloudTexture(2));
    else if (base == "Sky_16") out = Tga(BuildCloudTexture(3));
    else if (base == "sun_outer") out = Tga(BuildSunTexture());
    else if (base == "glow") out = Tga(BuildGlowTexture());
    else if (base == "arrow") out = Tga(BuildArrowTexture());
    else if (CupidEntry(name, out)) {
    }
    else if (base == "font") {
        Image img;
        if (!BuildFontAtlas(img)) {
            error = "the quote font could not be made";
            return false;
        }
        out = Tga(img);
    } else
        out = Tga(BuildParticle(base));
    return true;
}

bool ReadText(const std::string& path, std::string& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

bool BuildMediaMembers(std::vector<ArchiveMember>& out, std::string& error) {
    out.clear();
    for (const std::string& name : MediaEntryNames()) {
        ArchiveMember m{name, {}};
        if (!BuildMediaEntry(name, m.data, error)) return false;
        out.push_back(std::move(m));
    }
    return true;
}

bool BuildContent(const std::string& resDir, ContentSet& out, std::string& error) {
    out = ContentSet{};
    if (!BuildMediaMembers(out.media, error)) return false;
    for (DigitImage& d : BuildDigitImages()) out.digits.push_back({d.entry, Tga(d.image)});
    if (out.digits.size() != 14) {
        error = "the clock digits could not be made";
        return false;
    }
    Bytes media, digits;
    if (!PackMediaArchive(out.media, media, error) || !PackDigitArchive(out.digits, kDigitArchivePassword, digits, error))
        return false;
    out.files.push_back({"media.rar", std::move(media)});
    out.files.push_back({"digits.rar", std::move(digits)});

    std::string quotes;
    if (!ReadText(resDir + "/quotes.txt", quotes, error)) return false;
    const std::string problem = CheckQuotes(ParseQuotes(quotes));
    if (!problem.empty()) {
        error = "quotes.txt: " + problem;
        return false;
    }
    out.files.push_back({"quotes.txt", ToBytes(quotes)});
    for (const char* name : {"localization.txt", "def_settings.txt"}) {
        std::string text;
        if (!ReadText(resDir + "/" + name, text, error)) return false;
        out.files.push_back({name, ToBytes(text)});
    }

    Image corner, config;
    if (!BuildLoadingCorner(corner) || !BuildConfigBitmap(config)) {
        error = "the captions could not be drawn";
        return false;
    }
    out.files.push_back({"loading_corner.tga", EncodeTga(corner, true)});
    for (const char* name : {"loading_layer1.tga", "loading_layer2.tga", "loading_layer3.tga"})
        out.files.push_back({name, EncodeTga(BuildEmptyLayer(), false)});
    out.files.push_back({"loading_bg.jpg", EncodeJpeg(BuildLoadingBackground(), 92)});
    out.files.push_back({"preview.bmp", EncodeBmp24(BuildPreviewBitmap())});
    out.files.push_back({"config.bmp", EncodeBmp24(config)});
    out.files.push_back({"about.bmp", EncodeBmp24(BuildAboutBitmap())});
    out.files.push_back({"cordelune.ico", EncodeIco(BuildIconImages())});
    return true;
}

bool WriteContent(const ContentSet& content, const std::string& outDir) {
    bool ok = true;
    for (const ArchiveMember& f : content.files) ok = ok && WriteFile(outDir + "/" + f.name, f.data);
    const std::string members = outDir + "/members";
    mkdir(members.c_str(), 0755);
    mkdir((members + "/media").c_str(), 0755);
    mkdir((members + "/Digits").c_str(), 0755);
    for (const ArchiveMember& m : content.media) ok = ok && WriteFile(members + "/media/" + m.name, m.data);
    for (const ArchiveMember& m : content.digits) {
        std::string path = m.name;
        for (char& c : path)
            if (c == '\\') c = '/';
        ok = ok && WriteFile(members + "/" + path, m.data);
    }
    return ok;
}

}  // namespace assetgen
