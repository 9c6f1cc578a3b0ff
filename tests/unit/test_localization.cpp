#include <gtest/gtest.h>

#include <string>

#include "settings/Localization.h"
#include "test_files.h"

namespace {

CLocalizationTable Load(const std::string& strData) {
    CLocalizationTable table;
    table.Load(reinterpret_cast<const uint8_t*>(strData.data()), strData.size());
    return table;
}

const char kSample[] =
    "--------- \xd0\x9d\xd0\xb0\xd0\xb4\xd0\xbf\xd0\xb8\xd1\x81\xd0\xb8 ---------\n"
    "\n"
    "#Show_FPS#\n"
    "Show FPS\n"
    "#about_window_text#\n"
    "Cordelune 3D Screensaver%%Line three%Line four%Line five%Line six%Line seven\n"
    "#about#\n"
    "About\n"
    "#caf\xc3\xa9#\n"
    "Gr\xc3\xbc\xc3\x9f dich\n"
    "#last_key#";

TEST(Localization, KeysMatchWithoutCase) {
    const CLocalizationTable t = Load(kSample);
    EXPECT_EQ(t.Localize("show_fps"), "Show FPS");
    EXPECT_EQ(t.Localize("SHOW_FPS"), "Show FPS");
    EXPECT_EQ(t.Localize(u"Show_Fps"), "Show FPS");
    EXPECT_EQ(t.Localize("show_fp"), "");   // a prefix of a key is no match...
    EXPECT_EQ(t.Localize("show_fpsx"), ""); // ...and neither is a longer key
    EXPECT_EQ(t.Localize("missing"), "");
    EXPECT_EQ(t.Localize(static_cast<const char*>(nullptr)), "");
}

TEST(Localization, PrefixKeyMatchesOnlyItsOwnLine) {
    const CLocalizationTable t = Load(kSample);
    EXPECT_EQ(t.Localize("about"), "About");
    EXPECT_EQ(t.Localize("about_window_text").substr(0, 26), "Cordelune 3D Screensaver%%");
}

TEST(Localization, KeyOnTheLastLineHasNoText) {
    const CLocalizationTable t = Load(kSample);
    EXPECT_EQ(t.Line(t.LineCount() - 1), u"#last_key#");
    EXPECT_EQ(t.Localize("last_key"), "");
    // With a final LF the key is still the last line.
    const CLocalizationTable u = Load("#a#\nText\n#b#\n");
    EXPECT_EQ(u.LineCount(), 3u);
    EXPECT_EQ(u.Localize("a"), "Text");
    EXPECT_EQ(u.Localize("b"), "");
}

TEST(Localization, TextsAreNarrowedToLatin1) {
    const CLocalizationTable t = Load(kSample);
    EXPECT_EQ(t.Localize("caf\xe9"), "Gr\xfc\xdf dich");  // U+00FC -> 0xFC, U+00DF -> 0xDF
    EXPECT_EQ(t.Localize(u"CAF\u00e9"), "Gr\xfc\xdf dich");  // only A-Z fold
    // Cyrillic keeps the low byte of each code unit.
    EXPECT_EQ(NarrowToLatin1(u"\u041d\u00fc"), std::string("\x1d\xfc"));
    EXPECT_EQ(t.Line(0).substr(10, 2), u"\u041d\u0430");
}

TEST(Localization, ThreeByteSequences) {
    const CLocalizationTable t = Load("#k#\n\xe2\x82\xac\xe2\x80\x94\n");
    ASSERT_EQ(t.LineCount(), 2u);
    EXPECT_EQ(t.Line(1), u"\u20ac\u2014");
    EXPECT_EQ(t.Localize("k"), "\xac\x14");
}

TEST(Localization, ByteOrderMarkAndCarriageReturns) {
    const CLocalizationTable plain = Load("#ok#\nOK\n#cancel#\nCancel\n");
    const CLocalizationTable bom = Load("\xef\xbb\xbf#ok#\r\nOK\r\n#cancel#\r\nCancel\r\n");
    ASSERT_EQ(plain.LineCount(), bom.LineCount());
    for (size_t i = 0; i < plain.LineCount(); ++i) EXPECT_EQ(plain.Line(i), bom.Line(i));
    EXPECT_EQ(bom.Localize("ok"), "OK");
    EXPECT_EQ(bom.Localize("cancel"), "Cancel");
    // NUL bytes and CRs anywhere are dropped.
    const std::string strNul("#o\0k#\nO\rK\n", 10);
    EXPECT_EQ(Load(strNul).Localize("ok"), "OK");
}

TEST(Localization, KeyLinesFoldButTextLinesKeepCase) {
    const CLocalizationTable t = Load("#MiXeD#\nMiXeD Text\n");
    EXPECT_EQ(t.Line(0), u"#mixed#");
    EXPECT_EQ(t.Line(1), u"MiXeD Text");
}

TEST(Localization, AboutLinesSplitAtPercent) {
    const CLocalizationTable t = Load(kSample);
    EXPECT_EQ(t.AboutLine(0), "Cordelune 3D Screensaver");
    EXPECT_EQ(t.AboutLine(1), "");
    EXPECT_EQ(t.AboutLine(2), "Line three");
    EXPECT_EQ(t.AboutLine(5), "Line six");
    EXPECT_EQ(t.AboutLine(6), "Line seven");
    EXPECT_EQ(t.AboutLine(7), "");
    EXPECT_EQ(t.AboutLine(-1), "");
}

TEST(Localization, AboutTextWithExtraOrFewPercents) {
    const CLocalizationTable many = Load("#about_window_text#\n1%2%3%4%5%6%7%8%9\n");
    EXPECT_EQ(many.AboutLine(5), "6");
    EXPECT_EQ(many.AboutLine(6), "7%8%9");
    const CLocalizationTable few = Load("#about_window_text#\nonly%two\n");
    EXPECT_EQ(few.AboutLine(0), "only");
    EXPECT_EQ(few.AboutLine(1), "two");
    EXPECT_EQ(few.AboutLine(2), "");
    // Only a real "%" separates: U+0425 narrows to the same byte but stays in its line.
    const CLocalizationTable cyr = Load("#about_window_text#\nA\xd0\xa5" "B%C\n");
    EXPECT_EQ(cyr.AboutLine(0), "A%B");
    EXPECT_EQ(cyr.AboutLine(1), "C");
    // Reloading replaces the old About text.
    CLocalizationTable t = Load("#about_window_text#\nA%B\n");
    t.Load(reinterpret_cast<const uint8_t*>("x"), 1);
    EXPECT_EQ(t.AboutLine(0), "");
    EXPECT_EQ(t.LineCount(), 1u);
}

TEST(Localization, InvalidAndTruncatedBytesAreSkipped) {
    // A stray continuation byte, a 4-byte lead, a lead without its
    // continuation: each skipped alone, the ASCII after them kept.
    const CLocalizationTable t = Load("#k#\nA\x80" "B\xf0\x9f\x98\x80" "C\xc3" "D\xe2\x82" "E\xff\n");
    EXPECT_EQ(t.Localize("k"), "ABCDE");
    // A lead byte must not swallow the line end after it.
    const CLocalizationTable u = Load("#a#\nx\xc3\n#b#\ny\n");
    EXPECT_EQ(u.Localize("a"), "x");
    EXPECT_EQ(u.Localize("b"), "y");
    // Sequences cut short by the end of the data: read nothing past it.
    for (const char* psz : {"\xc3", "\xe2", "\xe2\x82", "\xef\xbb", "\xef"}) {
        const std::string strData = std::string("#k#\nok") + psz;
        std::vector<uint8_t> exact(strData.begin(), strData.end());  // no terminator behind
        CLocalizationTable v;
        v.Load(exact.data(), exact.size());
        EXPECT_EQ(v.Localize("k"), "ok");
    }
    CLocalizationTable empty;
    empty.Load(nullptr, 5);
    EXPECT_EQ(empty.LineCount(), 0u);
    EXPECT_EQ(empty.Localize("k"), "");
}

TEST(Localization, LinesAfterTheTwoHundredthAreIgnored) {
    std::string strData;
    for (int i = 0; i < 99; ++i) strData += "#k" + std::to_string(i) + "#\nv" + std::to_string(i) + "\n";
    strData += "#k99#\nv99\n#late#\nlate\n";
    const CLocalizationTable t = Load(strData);
    EXPECT_EQ(t.LineCount(), CLocalizationTable::kMaxLines);
    EXPECT_EQ(t.Localize("k0"), "v0");
    EXPECT_EQ(t.Localize("k99"), "v99");
    EXPECT_EQ(t.Localize("late"), "");
}

TEST(Localization, TheRepositoryFile) {
    const std::string strData = ReadFileText(std::string(CORDELUNE_SOURCE_DIR) + "/res/localization.txt");
    ASSERT_FALSE(strData.empty());
    const CLocalizationTable t = Load(strData);
    EXPECT_LE(t.LineCount(), CLocalizationTable::kMaxLines);
    EXPECT_EQ(t.Localize("show_fps"), "Show FPS");
    EXPECT_EQ(t.Localize("visit..."), "Visit...");
    EXPECT_EQ(t.Localize("master_volume:"), "Volume");
    EXPECT_EQ(t.Localize("about"), "About");
    EXPECT_EQ(t.Localize("screensaver_configuration"), "Cordelune 3D Screensaver Configuration");
    EXPECT_EQ(t.AboutLine(0), "Cordelune 3D Screensaver");
    EXPECT_EQ(t.AboutLine(1), "");
    EXPECT_FALSE(t.AboutLine(2).empty());
}

}  // namespace
