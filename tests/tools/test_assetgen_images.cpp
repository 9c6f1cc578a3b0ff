// Every image the saver carries: containers, sizes, depths and the layout
// rules the drawing code relies on; and that two runs give the same bytes.
#include <cmath>
#include <map>

#include "GlyphTable.h"
#include "test_assetgen_fixture.h"

namespace {

struct Texture {
    const char* name;
    int w, h, bits;
};

const Texture kTextures[] = {
    {"1.tga", 32, 32, 32}, {"2.tga", 32, 32, 32}, {"3.tga", 32, 32, 32}, {"4.tga", 32, 32, 32},
    {"6.tga", 32, 32, 32}, {"romashka.tga", 32, 32, 32}, {"rose01.tga", 32, 32, 32}, {"rose02.tga", 32, 32, 32},
    {"arrow.tga", 128, 128, 24}, {"glow.tga", 64, 64, 24}, {"heart.tga", 64, 64, 24}, {"heart_prt.tga", 64, 64, 32},
    {"nebo_gradient.tga", 12, 256, 24}, {"sun_outer.tga", 256, 256, 32}, {"Sky_05.tga", 512, 512, 32},
    {"Sky_16.tga", 512, 512, 32}, {"Sky_18.tga", 512, 512, 32}, {"kupidon_dif.tga", 512, 512, 32},
    {"font.tga", 512, 512, 32},
};

const assetgen::Bytes& Media(const char* name) {
    static const assetgen::Bytes none;
    const assetgen::ArchiveMember* m = assetgen::FindMember(agtest::Content().media, name);
    return m ? m->data : none;
}

TEST(AssetgenImages, TexturesAreTrueColourTgasWithTheFooter) {
    for (const Texture& t : kTextures) {
        SCOPED_TRACE(t.name);
        const std::vector<uint8_t>& b = Media(t.name);
        const agtest::TgaInfo i = agtest::ReadTga(b);
        EXPECT_EQ(i.type, 2);
        EXPECT_EQ(i.width, t.w);
        EXPECT_EQ(i.height, t.h);
        EXPECT_EQ(i.bits, t.bits);
        EXPECT_EQ(i.descriptor, t.bits == 32 ? 0x08 : 0x00);
        EXPECT_TRUE(i.footer);
        EXPECT_EQ(b.size(), 18u + size_t(t.w) * t.h * t.bits / 8 + 26);
    }
}

TEST(AssetgenImages, SpritesFadeOutBeforeTheirEdges) {
    // Particles, the sun and the trail heart are quads: nothing may show at the border.
    for (const char* name : {"1.tga", "2.tga", "3.tga", "4.tga", "6.tga", "romashka.tga", "rose01.tga",
                             "rose02.tga", "heart_prt.tga", "sun_outer.tga"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t>& b = Media(name);
        const int n = agtest::ReadTga(b).width;
        int border = 0, inside = 0;
        for (int i = 0; i < n; ++i) {
            border = std::max({border, agtest::TgaAlpha(b, i, 0), agtest::TgaAlpha(b, i, n - 1), agtest::TgaAlpha(b, 0, i),
                               agtest::TgaAlpha(b, n - 1, i)});
            inside = std::max(inside, agtest::TgaAlpha(b, i, n / 2));
        }
        EXPECT_LE(border, 40);
        EXPECT_GE(inside, 100);
    }
    // The additive glow is black at its border (black adds nothing).
    const std::vector<uint8_t>& g = Media("glow.tga");
    for (int i = 0; i < 64; ++i) EXPECT_LE(g[18 + size_t(i) * 3], 8) << "bottom row";
    EXPECT_GE(g[18 + (32 * 64 + 32) * 3], 200);
}

TEST(AssetgenImages, SunRaysRepeatEveryThirtyDegrees) {
    // The sun's frames turn it by one ray period per loop, so the picture must
    // look the same turned by 30 degrees.
    const std::vector<uint8_t>& b = Media("sun_outer.tga");
    auto alpha = [&](float r, float a) {
        const int x = int(std::lround(128 + r * std::cos(a))), y = int(std::lround(128 + r * std::sin(a)));
        return agtest::TgaAlpha(b, x, y);
    };
    double diff = 0, total = 0;
    for (float r = 20; r < 120; r += 7)
        for (float a = 0; a < 6.283f; a += 0.05f) {
            diff += std::abs(alpha(r, a) - alpha(r, a + 3.14159265f / 6));
            total += alpha(r, a);
        }
    EXPECT_LT(diff, total * 0.08);
}

TEST(AssetgenImages, FontGlyphsSitInTheirCellsWithinTheirAdvance) {
    const std::vector<uint8_t>& b = Media("font.tga");
    for (const assetgen::GlyphCell& g : assetgen::kGlyphTable) {
        SCOPED_TRACE(std::string(1, g.ch));
        const int x0 = g.nColumn * 51, y0 = g.nRow * 64;
        int ink = 0, left = 99, right = -1;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 51; ++x) {
                const int a = agtest::TgaAlpha(b, x0 + x, y0 + y);
                if (a == 0) continue;
                // Inside the 50 x 63 box the text block samples, never beyond the advance.
                EXPECT_LT(x, std::min(g.nAdvance, 50)) << "column " << x;
                EXPECT_GE(y, 1);
                EXPECT_LT(y, 63);
                if (a > 128) {
                    ++ink;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        EXPECT_GT(ink, 4) << "every glyph of the table has ink";
        EXPECT_LE(left, 4) << "glyphs start at the cell's left edge";
        EXPECT_GE(right, g.nAdvance / 3) << "and fill their advance";
    }
    // The default cell (blank and every character outside the table) is empty.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 51; ++x) ASSERT_EQ(agtest::TgaAlpha(b, 9 * 51 + x, 7 * 64 + y), 0);
    // White ink: the opaque strokes are white. Around them a dark rim, strong
    // enough to set them off against the bright sky: about as many dark, mostly
    // opaque pixels as there are white ones (a faint halo had 2 %).
    size_t white = 0, dark = 0;
    for (size_t i = 18; i + 4 <= 18 + 512 * 512 * 4; i += 4) {
        if (b[i + 3] == 255) {
            ASSERT_TRUE(b[i] >= 235 && b[i + 1] >= 235 && b[i + 2] >= 235) << "pixel " << (i - 18) / 4;
            ++white;
        }
        if (b[i + 3] >= 128 && 0.114 * b[i] + 0.587 * b[i + 1] + 0.299 * b[i + 2] <= 110) ++dark;  // stored B, G, R
    }
    EXPECT_GT(dark, white * 4 / 10) << dark << " dark rim pixels, " << white << " white ink pixels";
}

TEST(AssetgenImages, ClockDigitsAreBrightGlyphsOnATransparentDarkGround) {
    ASSERT_EQ(agtest::Content().digits.size(), 14u);
    for (const assetgen::ArchiveMember& d : agtest::Content().digits) {
        SCOPED_TRACE(d.name);
        const agtest::TgaInfo i = agtest::ReadTga(d.data);
        EXPECT_EQ(d.data.size(), 3116u);
        EXPECT_EQ(i.bits, 32);
        EXPECT_EQ(i.descriptor, 0x08);
        EXPECT_TRUE(i.footer);
        int bright = 0;
        for (int y = 0; y < i.height; ++y)
            for (int x = 0; x < i.width; ++x) {
                const uint8_t* p = &d.data[18 + (size_t(i.height - 1 - y) * i.width + x) * 4];
                if (p[3] == 0) {
                    EXPECT_EQ(p[0] + p[1] + p[2], 0) << "the ground is black where transparent";
                }
                bright += p[3] > 200 && p[0] + p[1] + p[2] > 600;
            }
        EXPECT_GT(bright, 3);
        EXPECT_EQ(agtest::TgaAlpha(d.data, 0, 0), 0);
    }
}

int BmpWidth(const assetgen::Bytes& b) { return int(agtest::U32(&b[18])); }
int BmpHeight(const assetgen::Bytes& b) { return int(agtest::U32(&b[22])); }

TEST(AssetgenImages, HostPicturesHaveTheirSizesAndFormats) {
    const assetgen::Bytes& corner = agtest::File("loading_corner.tga");
    EXPECT_EQ(corner.size(), 131116u);
    const agtest::TgaInfo c = agtest::ReadTga(corner);
    EXPECT_EQ(c.width, 256);
    EXPECT_EQ(c.height, 128);
    EXPECT_EQ(c.bits, 32);
    EXPECT_EQ(c.descriptor, 0x08);
    for (const char* n : {"loading_layer1.tga", "loading_layer2.tga", "loading_layer3.tga"}) {
        EXPECT_EQ(agtest::File(n).size(), 34u) << n << ": a 2 x 2 placeholder, so the layer is not drawn";
        EXPECT_EQ(agtest::ReadTga(agtest::File(n)).width, 2);
    }
    const assetgen::Bytes& jpg = agtest::File("loading_bg.jpg");
    ASSERT_GT(jpg.size(), 1024u);
    EXPECT_EQ(jpg[0], 0xFF);
    EXPECT_EQ(jpg[1], 0xD8);
    // The frame header: 512 x 512.
    size_t sof = 2;
    while (sof + 9 < jpg.size() && !(jpg[sof] == 0xFF && jpg[sof + 1] == 0xC0)) sof += 2 + (jpg[sof + 2] << 8 | jpg[sof + 3]);
    ASSERT_LT(sof + 9, jpg.size());
    EXPECT_EQ(jpg[sof + 5] << 8 | jpg[sof + 6], 512);
    EXPECT_EQ(jpg[sof + 7] << 8 | jpg[sof + 8], 512);
    const std::map<std::string, std::pair<int, int>> bitmaps = {
        {"preview.bmp", {155, 115}}, {"config.bmp", {190, 142}}, {"about.bmp", {70, 70}}};
    for (const auto& [name, size] : bitmaps) {
        SCOPED_TRACE(name);
        const assetgen::Bytes& b = agtest::File(name);
        ASSERT_GT(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(BmpWidth(b), size.first);
        EXPECT_EQ(BmpHeight(b), size.second);
        EXPECT_EQ(agtest::U16(&b[28]), 24u);
        EXPECT_EQ(b.size(), 54u + size_t((size.first * 3 + 3) & ~3) * size.second);
    }
    const assetgen::Bytes& ico = agtest::File("cordelune.ico");
    ASSERT_GT(ico.size(), 6u);
    EXPECT_EQ(agtest::U16(&ico[2]), 1u);
    ASSERT_EQ(agtest::U16(&ico[4]), 4u);
    const int sizes[4] = {16, 32, 48, 0};  // 0 stands for 256
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ico[6 + i * 16], sizes[i]);
        EXPECT_EQ(agtest::U16(&ico[6 + i * 16 + 6]), 32u);
        EXPECT_LE(agtest::U32(&ico[6 + i * 16 + 12]) + agtest::U32(&ico[6 + i * 16 + 8]), ico.size());
    }
}

TEST(AssetgenImages, TwoRunsGiveIdenticalBytes) {
    assetgen::ContentSet again;
    std::string error;
    ASSERT_TRUE(assetgen::BuildContent(CORDELUNE_SOURCE_DIR "/res", again, error)) << error;
    const assetgen::ContentSet& first = agtest::Content();
    ASSERT_EQ(again.files.size(), first.files.size());
    for (size_t i = 0; i < first.files.size(); ++i) {
        EXPECT_EQ(again.files[i].name, first.files[i].name);
        EXPECT_TRUE(again.files[i].data == first.files[i].data) << first.files[i].name;
    }
    EXPECT_EQ(first.files.size(), 14u);
}

}  // namespace
