// The two archives as the saver and an independent reader see them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "assets/DigitArchive.h"
#include "test_assetgen_fixture.h"

namespace {

struct Header {
    int type;
    uint32_t flags, packSize, unpackedSize;
    int version, method;
    std::string name;
};

// Walks the block chain: marker, archive header, then one header per entry.
std::vector<Header> Headers(const assetgen::Bytes& a) {
    std::vector<Header> out;
    static const uint8_t marker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    if (a.size() < 20 || std::memcmp(a.data(), marker, 7) != 0) return out;
    size_t p = 7 + agtest::U16(&a[12]);
    while (p + 7 <= a.size()) {
        const uint8_t* h = &a[p];
        const uint32_t size = agtest::U16(h + 5);
        if (h[2] != 0x74) break;  // the end block
        if (p + 32 > a.size() || size < 32) return {};
        Header e{h[2], agtest::U16(h + 3), agtest::U32(h + 7), agtest::U32(h + 11), h[24], h[25],
                 std::string(reinterpret_cast<const char*>(h + 32), agtest::U16(h + 26))};
        out.push_back(e);
        p += size + ((e.flags & 0x8000) ? e.packSize : 0);
    }
    return out;
}

// Entry sizes of the media archive as the scene's loaders expect them.
const std::map<std::string, uint32_t> kMediaSizes = {
    {"1.tga", 4140}, {"2.tga", 4140}, {"3.tga", 4140}, {"4.tga", 4140}, {"6.tga", 4140},
    {"arrow.MODEL", 1544}, {"arrow.tga", 49196}, {"arrow_link.MODEL", 32600},
    {"camera_action_1.MODEL", 19228}, {"camera_action_2.MODEL", 19228}, {"camera_action_3.MODEL", 19228},
    {"camera_action_4.MODEL", 19228}, {"camera_action_5.MODEL", 19228},
    {"camera_idle_1.MODEL", 24028}, {"camera_idle_2.MODEL", 24028}, {"camera_idle_3.MODEL", 24028},
    {"camera_idle_4.MODEL", 24028}, {"camera_idle_5.MODEL", 24028}, {"camera_idle_6.MODEL", 24028},
    {"camera_idle_7.MODEL", 24028}, {"camera_idle_8.MODEL", 24028}, {"camera_idle_9.MODEL", 24028},
    {"camera_idle_10.MODEL", 24028}, {"cloud1.MODEL", 20204}, {"cloud2.MODEL", 20204}, {"cloud3.MODEL", 20204},
    {"font.tga", 1048620}, {"glow.MODEL", 160}, {"glow.tga", 12332}, {"heart.MODEL", 374868},
    {"heart.tga", 12332}, {"heart_prt.tga", 16428}, {"kupidon_achtung.MODEL", 1083594},
    {"kupidon_dif.tga", 1048620}, {"kupidon_idle.MODEL", 585258}, {"kupidon_idle2.MODEL", 1623458},
    {"kupidon_shot.MODEL", 1602694}, {"nebo_gradient.tga", 9260}, {"romashka.tga", 4140},
    {"rose01.tga", 4140}, {"rose02.tga", 4140}, {"sky.MODEL", 4388}, {"Sky_05.tga", 1048620},
    {"Sky_16.tga", 1048620}, {"Sky_18.tga", 1048620}, {"sun_outer.model", 37600}, {"sun_outer.tga", 262188},
};

TEST(AssetgenArchives, MediaArchiveHoldsEveryEntryStoredWithItsSize) {
    const assetgen::Bytes& media = agtest::File("media.rar");
    // The inventory's size with the cloud layers' finer meshes (20204 bytes
    // each instead of 692).
    EXPECT_EQ(media.size(), 11324806u + 3 * (20204u - 692u));
    EXPECT_EQ(agtest::U16(&media[10]), 0u) << "archive flags: not solid";
    EXPECT_EQ(agtest::U16(&media[12]), 13u);
    const std::vector<Header> h = Headers(media);
    ASSERT_EQ(h.size(), 47u);
    std::map<std::string, int> seen;
    for (const Header& e : h) {
        SCOPED_TRACE(e.name);
        ++seen[e.name];
        ASSERT_EQ(kMediaSizes.count(e.name), 1u) << "unexpected entry (names are exact, case included)";
        EXPECT_EQ(e.unpackedSize, kMediaSizes.at(e.name));
        EXPECT_EQ(e.packSize, e.unpackedSize);
        EXPECT_EQ(e.method, 0x30);
        EXPECT_EQ(e.flags, 0x80A0u);
        EXPECT_EQ(e.version, 20);
    }
    EXPECT_EQ(seen.size(), 47u);
}

TEST(AssetgenArchives, EveryMediaEntryComesBackThroughTheSaversReader) {
    const assetgen::Bytes& media = agtest::File("media.rar");
    for (const assetgen::ArchiveMember& m : agtest::Content().media) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(agtest::Extract(media, m.name.c_str(), nullptr), m.data);
    }
    // The scene asks with its own spelling: lower case, forward slashes.
    EXPECT_EQ(agtest::Extract(media, "sky_05.tga", nullptr).size(), 1048620u);
    EXPECT_EQ(agtest::Extract(media, "kupidon_idle2.model", nullptr).size(), 1623458u);
    EXPECT_TRUE(agtest::Extract(media, "5.tga", nullptr).empty());
}

TEST(AssetgenArchives, DigitArchiveIsAFolderAndFourteenEncipheredImages) {
    const assetgen::Bytes& digits = agtest::File("digits.rar");
    const std::vector<Header> h = Headers(digits);
    ASSERT_EQ(h.size(), 15u);
    EXPECT_EQ(h[0].name, "Digits");
    EXPECT_EQ(h[0].unpackedSize, 0u);
    EXPECT_EQ(h[0].packSize, 0u);
    const char* names[14] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "ddot", "dot", "am", "pm"};
    for (int i = 0; i < 14; ++i) {
        const Header& e = h[size_t(i) + 1];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.name, std::string("Digits\\digit_") + names[i] + ".tga");
        EXPECT_EQ(e.method, 0x31);
        EXPECT_EQ(e.flags, 0x8084u);
        EXPECT_EQ(e.version, 20);
        EXPECT_EQ(e.unpackedSize, 3116u);
        EXPECT_EQ(e.packSize % 16, 0u);
        EXPECT_LT(e.packSize, e.unpackedSize) << "compressed";
        const std::vector<uint8_t> data = agtest::Extract(digits, e.name.c_str(), kDigitArchivePassword);
        EXPECT_EQ(data, agtest::Content().digits[size_t(i)].data);
    }
    // The overlay looks them up with forward slashes too; a wrong or missing
    // password fails on the checksum.
    EXPECT_EQ(agtest::Extract(digits, "digits/DIGIT_0.TGA", "MQ P5P ZZ").size(), 3116u);
    EXPECT_TRUE(agtest::Extract(digits, "Digits\\digit_0.tga", nullptr).empty());
    EXPECT_TRUE(agtest::Extract(digits, "Digits\\digit_0.tga", "MQ P5P ZY").empty());
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AssetgenArchives, UnarExtractsBothArchives) {
    if (std::system("command -v unar >/dev/null 2>&1") != 0) GTEST_SKIP() << "unar is not installed";
    char dir[] = "/tmp/assetgen_unar_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string root = dir;
    ASSERT_TRUE(assetgen::WriteFile(root + "/media.rar", agtest::File("media.rar")));
    ASSERT_TRUE(assetgen::WriteFile(root + "/digits.rar", agtest::File("digits.rar")));
    const std::string cmd = "cd '" + root + "' && unar -q -f -o m media.rar >/dev/null && unar -q -f -o d -p 'MQ P5P ZZ' digits.rar >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (const assetgen::ArchiveMember& m : agtest::Content().media) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(ReadAll(root + "/m/media/" + m.name), m.data);
    }
    for (const assetgen::ArchiveMember& m : agtest::Content().digits) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(ReadAll(root + "/d/Digits/" + m.name.substr(7)), m.data);
    }
    std::system(("rm -rf '" + root + "'").c_str());
}

}  // namespace
