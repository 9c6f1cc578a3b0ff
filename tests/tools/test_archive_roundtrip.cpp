// Archives of our writer, read back by the saver's reader and by the
// independent reader unar, over a generated corpus and every way of packing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "RarListing.h"
#include "RarWriter.h"
#include "assets/ArchiveReader.h"

using rarwrite::CRarWriter;
using rarwrite::RarAudioMode;
using rarwrite::RarEntry;

namespace {

using Bytes = std::vector<uint8_t>;

struct File {
    std::string name;
    Bytes data;
};

Bytes Text(size_t n, uint32_t seed) {
    static const char* words[] = {"love",  "heart", "arrow",  "sky",    "cloud", "the",   "a",    "of",
                                  "and",   "sun",   "petal",  "rose",   "night", "quiet", "warm", "light",
                                  "cupid", "dusk",  "shines", "drifts", "over",  "under", "soft", "golden"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        // Zipf-like: low indices far more often.
        const size_t w = size_t(std::pow(double(rng() % 10000) / 10000.0, 2.5) * 24);
        const std::string s = words[w < 24 ? w : 23];
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(rng() % 11 == 0 ? '\n' : rng() % 7 == 0 ? ',' : ' ');
    }
    out.resize(n);
    return out;
}

Bytes Binary(size_t nRecords, uint32_t seed) {
    // A mesh-like table: float positions, normals and 16-bit indices.
    std::mt19937 rng(seed);
    Bytes out;
    for (size_t i = 0; i < nRecords; ++i) {
        float v[6] = {std::sin(i * 0.01f) * 10, std::cos(i * 0.013f) * 10, float(i % 97), 0, 1, 0};
        const uint8_t* p = reinterpret_cast<const uint8_t*>(v);
        out.insert(out.end(), p, p + sizeof(v));
        const uint16_t idx = uint16_t(i + rng() % 3);
        out.push_back(uint8_t(idx));
        out.push_back(uint8_t(idx >> 8));
    }
    return out;
}

Bytes Image(int w, int h, uint32_t seed) {
    // A 32-bit TGA with gradients, a few shapes and noise.
    std::mt19937 rng(seed);
    Bytes out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 32, 8};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool disc = (x - w / 2) * (x - w / 2) + (y - h / 3) * (y - h / 3) < w * w / 16;
            out.push_back(uint8_t(disc ? 240 : x * 255 / w));
            out.push_back(uint8_t(disc ? 80 : y * 255 / h));
            out.push_back(uint8_t(128 + rng() % 8));
            out.push_back(255);
        }
    return out;
}

Bytes Pcm8(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 0.02);
    Bytes out;
    for (size_t i = 0; i < n; ++i) {
        const double t = i / 22050.0;
        const double v = 0.5 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 347 * t) + noise(rng);
        out.push_back(uint8_t(int(128 + std::max(-1.0, std::min(1.0, v)) * 120)));
    }
    return out;
}

Bytes Pcm16Stereo(size_t nFrames, uint32_t seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 0.005);
    Bytes out;
    for (size_t i = 0; i < nFrames; ++i) {
        const double t = i / 44100.0;
        const double l = 0.4 * std::sin(2 * M_PI * 440 * t) * std::exp(-std::fmod(t, 0.5) * 3) + noise(rng);
        const double r = 0.3 * std::sin(2 * M_PI * 330 * t + 1) + 0.1 * std::sin(2 * M_PI * 990 * t) + noise(rng);
        for (double v : {l, r}) {
            const int16_t s = int16_t(std::max(-1.0, std::min(1.0, v)) * 32000);
            out.push_back(uint8_t(s));
            out.push_back(uint8_t(uint16_t(s) >> 8));
        }
    }
    return out;
}

Bytes Random(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out) b = uint8_t(rng());
    return out;
}

const std::vector<File>& Corpus() {
    static const std::vector<File> corpus = [] {
        std::vector<File> c;
        c.push_back({"text.txt", Text(200000, 1)});
        c.push_back({"mesh.bin", Binary(6000, 2)});
        c.push_back({"Textures\\sky.tga", Image(256, 160, 3)});
        c.push_back({"pcm8.raw", Pcm8(60000, 4)});
        c.push_back({"pcm16.raw", Pcm16Stereo(60000, 5)});
        c.push_back({"noise.bin", Random(40000, 6)});
        c.push_back({"empty.txt", {}});
        c.push_back({"tiny.txt", {'f', 'o', 'o', '\n'}});
        // Above 1 MiB with repeats far apart, so that matches reach across
        // the window and the decoder's window wraps.
        Bytes big = Text(400000, 7);
        const Bytes bin = Binary(12000, 8);
        big.insert(big.end(), bin.begin(), bin.end());
        const Bytes again(big.begin(), big.begin() + 500000);
        big.insert(big.end(), again.begin(), again.end());
        const Bytes tail = Random(100000, 9);
        big.insert(big.end(), tail.begin(), tail.end());
        c.push_back({"big.dat", big});
        return c;
    }();
    return corpus;
}

std::string TempDir() {
    char tmpl[] = "/tmp/cordelune-archive-XXXXXX";
    const char* d = mkdtemp(tmpl);
    return d ? d : "";
}

void RemoveTree(const std::string& path) {
    if (path.size() > 5) std::system(("rm -rf '" + path + "'").c_str());
}

bool ReadFile(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

bool Extract(const Bytes& archive, const std::string& name, const char* password, Bytes& out) {
    ResourceBlob blob;
    blob.pData = archive.data();
    blob.nSize = uint32_t(archive.size());
    uint8_t* p = nullptr;
    uint32_t n = 0;
    const int r = ExtractArchiveEntry(&p, &n, name.c_str(), &blob, password);
    out.assign(p, p + n);
    std::free(p);
    return r == 1;
}

// unar's exit status for the archive extracted into dir.
int RunUnar(const std::string& archive, const std::string& dir, const char* password) {
    std::string cmd = "unar -q -D -o '" + dir + "' ";
    if (password) cmd += std::string("-p '") + password + "' ";
    cmd += "'" + archive + "' </dev/null >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string UnixPath(std::string name) {
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

struct Config {
    const char* label;
    uint8_t method;
    RarAudioMode audio;
    bool solid;
    const char* password;
};

void PrintTo(const Config& c, std::ostream* os) { *os << c.label; }

Bytes Build(const Config& c, const std::vector<File>& files) {
    CRarWriter writer(c.solid);
    writer.AddDirectory("Textures");
    for (const File& f : files) {
        RarEntry e;
        e.strName = f.name;
        e.data = f.data;
        e.nMethod = c.method;
        e.audio = c.audio;
        if (c.password) e.strPassword = c.password;
        writer.Add(std::move(e));
    }
    Bytes archive;
    std::string error;
    EXPECT_TRUE(writer.Build(archive, error)) << error;
    return archive;
}

class ArchiveRoundTrip : public ::testing::TestWithParam<Config> {};

} // namespace

TEST(ArchiveRoundTripSetup, UnarIsInstalled) {
    ASSERT_EQ(std::system("command -v unar >/dev/null 2>&1"), 0) << "unar (Debian package unar) is needed";
}

TEST_P(ArchiveRoundTrip, BothReadersGiveBackEveryByte) {
    const Config& c = GetParam();
    const Bytes archive = Build(c, Corpus());

    // Headers: every head CRC right, flags as documented.
    rarwrite::RarListing listing;
    std::string error;
    ASSERT_TRUE(rarwrite::ListArchive(archive.data(), archive.size(), listing, error)) << error;
    ASSERT_EQ(listing.entries.size(), Corpus().size() + 1);
    EXPECT_EQ(listing.IsSolid(), c.solid);
    for (const rarwrite::RarListedEntry& e : listing.entries) {
        EXPECT_TRUE(e.bHeadCrcOk) << e.strName;
        EXPECT_EQ(e.IsEncrypted(), c.password && !e.IsDirectory()) << e.strName;
        if (e.IsEncrypted()) {
            EXPECT_EQ(e.nPackSize % 16, 0u) << e.strName;
        }
    }

    for (const File& f : Corpus()) {
        Bytes out;
        EXPECT_TRUE(Extract(archive, f.name, c.password, out)) << f.name;
        EXPECT_TRUE(out == f.data) << f.name;
    }

    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    const std::string path = dir + "/test.rar";
    FILE* fp = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(fp);
    std::fwrite(archive.data(), 1, archive.size(), fp);
    std::fclose(fp);
    EXPECT_EQ(RunUnar(path, dir + "/out", c.password), 0);
    for (const File& f : Corpus()) {
        Bytes out;
        EXPECT_TRUE(ReadFile(dir + "/out/" + UnixPath(f.name), out)) << f.name;
        EXPECT_TRUE(out == f.data) << "unar: " << f.name;
    }

    if (c.password) {
        // A wrong password fails the CRC check in both readers.
        for (const File& f : Corpus()) {
            if (f.data.empty()) continue;
            Bytes out;
            EXPECT_FALSE(Extract(archive, f.name, "not the password", out)) << f.name;
            EXPECT_FALSE(Extract(archive, f.name, nullptr, out)) << f.name;
        }
        RemoveTree(dir + "/out");
        EXPECT_NE(RunUnar(path, dir + "/out", "not the password"), 0);
        for (const File& f : Corpus()) {
            Bytes out;
            if (!f.data.empty() && ReadFile(dir + "/out/" + UnixPath(f.name), out)) {
                EXPECT_FALSE(out == f.data) << "unar accepted a wrong password for " << f.name;
            }
        }
    }
    RemoveTree(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ArchiveRoundTrip,
    ::testing::Values(Config{"stored", 0x30, RarAudioMode::Auto, false, nullptr},
                      Config{"m1", 0x31, RarAudioMode::Auto, false, nullptr},
                      Config{"m2", 0x32, RarAudioMode::Auto, false, nullptr},
                      Config{"m3", 0x33, RarAudioMode::Auto, false, nullptr},
                      Config{"m4", 0x34, RarAudioMode::Auto, false, nullptr},
                      Config{"m5", 0x35, RarAudioMode::Auto, false, nullptr},
                      Config{"audio_on", 0x33, RarAudioMode::On, false, nullptr},
                      Config{"audio_off", 0x33, RarAudioMode::Off, false, nullptr},
                      Config{"solid_m3", 0x33, RarAudioMode::Auto, true, nullptr},
                      Config{"solid_m5_audio_on", 0x35, RarAudioMode::On, true, nullptr},
                      Config{"enciphered_m3", 0x33, RarAudioMode::Auto, false, "MQ P5P ZZ"},
                      Config{"enciphered_stored", 0x30, RarAudioMode::Auto, false, "secret"},
                      Config{"enciphered_solid_m5", 0x35, RarAudioMode::Auto, true, "a longer password, 32 bytes long"}),
    [](const ::testing::TestParamInfo<Config>& i) { return std::string(i.param.label); });

TEST(ArchiveWriter, AutoPicksAudioModeForPcm) {
    auto packed = [](RarAudioMode mode, const Bytes& data) {
        CRarWriter w;
        RarEntry e;
        e.strName = "pcm";
        e.data = data;
        e.audio = mode;
        w.Add(e);
        Bytes a;
        std::string error;
        EXPECT_TRUE(w.Build(a, error));
        rarwrite::RarListing l;
        EXPECT_TRUE(rarwrite::ListArchive(a.data(), a.size(), l, error));
        return l.entries.at(0).nPackSize;
    };
    for (const Bytes& pcm : {Pcm8(60000, 4), Pcm16Stereo(60000, 5)}) {
        const uint32_t nAuto = packed(RarAudioMode::Auto, pcm);
        const uint32_t nOff = packed(RarAudioMode::Off, pcm);
        EXPECT_LT(nAuto, nOff * 0.85) << "auto " << nAuto << " plain " << nOff;
        EXPECT_LE(nAuto, packed(RarAudioMode::On, pcm) + 64);
    }
    // And plain LZ for text, where audio mode loses.
    const Bytes text = Text(100000, 11);
    EXPECT_LT(packed(RarAudioMode::Auto, text), packed(RarAudioMode::On, text) * 0.8);
}

TEST(ArchiveWriter, ContentFlagsAreWrittenAsGiven) {
    // The saver's two archives: stored media entries with 0x80A0, and
    // compressed, enciphered digit images with 0x8084 under a folder entry.
    CRarWriter media;
    RarEntry m;
    m.strName = "camera_idle_1.MODEL";
    m.data = Binary(1000, 12);
    m.nMethod = 0x30;
    m.nFlags = 0x80A0;
    media.Add(m);
    CRarWriter digits;
    digits.AddDirectory("Digits");
    RarEntry d;
    d.strName = "Digits\\digit_0.tga";
    d.data = Image(12, 16, 13);
    d.nMethod = 0x31;
    d.strPassword = "MQ P5P ZZ";
    d.nFlags = 0x8084;
    digits.Add(d);
    for (const auto& [writer, name, pw, flags] :
         {std::tuple<CRarWriter*, const char*, const char*, uint16_t>{&media, "camera_idle_1.MODEL", nullptr, 0x80A0},
          {&digits, "Digits\\digit_0.tga", "MQ P5P ZZ", 0x8084}}) {
        Bytes a, out;
        std::string error;
        ASSERT_TRUE(writer->Build(a, error)) << error;
        rarwrite::RarListing l;
        ASSERT_TRUE(rarwrite::ListArchive(a.data(), a.size(), l, error));
        EXPECT_EQ(l.entries.back().nFlags, flags);
        EXPECT_EQ(l.entries.back().nUnpackVersion, 20);
        EXPECT_TRUE(Extract(a, name, pw, out));
        EXPECT_TRUE(out == writer->Entries().back().data);
    }
}

TEST(ArchiveWriter, InconsistentEntriesAreRefused) {
    auto refused = [](RarEntry e, bool solid = false) {
        CRarWriter w(solid);
        w.Add(e);
        RarEntry second = e;
        second.strName += "2";
        if (solid) w.Add(second);
        Bytes a;
        std::string error;
        const bool ok = w.Build(a, error);
        return !ok && !error.empty();
    };
    RarEntry e;
    e.strName = "x";
    e.data = {1, 2, 3};
    RarEntry flags = e;
    flags.nFlags = 0x8084; // enciphered bit without a password
    EXPECT_TRUE(refused(flags));
    flags.nFlags = 0x0080; // no 0x8000
    EXPECT_TRUE(refused(flags));
    flags.nFlags = 0x9080; // a bit the header cannot honour
    EXPECT_TRUE(refused(flags));
    flags.nFlags = 0x8080; // a continued solid entry must say so
    EXPECT_TRUE(refused(flags, true));
    RarEntry method = e;
    method.nMethod = 0x36;
    EXPECT_TRUE(refused(method));
    RarEntry version = e;
    version.nUnpackVersion = 15; // compressed data is always the 2.0 method
    EXPECT_TRUE(refused(version));
    RarEntry name = e;
    name.strName = std::string(260, 'n');
    EXPECT_TRUE(refused(name));
    name.strName.clear();
    EXPECT_TRUE(refused(name));
    RarEntry ok = e;
    ok.nFlags = 0x8080;
    EXPECT_FALSE(refused(ok));

    // Names the saver's reader cannot tell apart.
    CRarWriter twins;
    RarEntry a = e, b = e;
    a.strName = "Dir\\a_b.tga";
    b.strName = "dir/A/B.TGA";
    twins.Add(a);
    twins.Add(b);
    Bytes archive;
    std::string error;
    EXPECT_FALSE(twins.Build(archive, error));
    EXPECT_NE(error.find("cannot tell"), std::string::npos) << error;
}

TEST(ArchiveListing, HeadCrcMatchesAnotherArchiver) {
    Bytes rar;
    ASSERT_TRUE(ReadFile(std::string(CORDELUNE_TEST_DATA_DIR) + "/rar2-unix-owner.rar", rar));
    rarwrite::RarListing l;
    std::string error;
    ASSERT_TRUE(rarwrite::ListArchive(rar.data(), rar.size(), l, error)) << error;
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0].strName, "file.txt");
    EXPECT_EQ(l.entries[0].nCrc, 0x7e3265a8u);
    EXPECT_TRUE(l.entries[0].bHeadCrcOk);
}
