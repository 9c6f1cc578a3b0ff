#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "settings/DefaultsFile.h"
#include "test_files.h"

namespace {

struct Message {
    std::string strText, strCaption;
};

// Parses the text and records every message shown.
struct Parsed {
    DefaultsTable table;
    std::vector<Message> aMessages;
    DefaultsReport report = [this](const char* pszText, const char* pszCaption) {
        aMessages.push_back({pszText, pszCaption});
    };
    explicit Parsed(const std::string& strText) {
        ParseDefaultsFile(reinterpret_cast<const uint8_t*>(strText.data()), strText.size(), table, report);
    }
    int32_t Int(const char* pszKey) { return EE_Core_GetDefaultInt(table, pszKey, report); }
    std::string Text(const char* pszKey) { return EE_Core_GetDefault(table, pszKey, report); }
};

// CP1251 Cyrillic letters to UTF-8, enough to read the message constants.
std::string Cp1251ToUtf8(const char* psz) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(psz); *p; ++p) {
        if (*p < 0x80) {
            out.push_back(char(*p));
            continue;
        }
        EXPECT_GE(*p, 0xC0) << "unexpected CP1251 byte";
        const unsigned cp = 0x410 + (*p - 0xC0u);
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
    return out;
}


// The shipped file's shape: comment, empty line, one key per line, CR LF.
const char kShipped[] =
    ";\xee\xe1\xf9\xe8\xe5 \xef\xe0\xf0\xe0\xec\xe5\xf2\xf0\xfb \xe2\xf1\xe5\xf5 screensaver'\xee\xe2\r\n"
    "\r\n"
    "Music\t\t= true;\r\n"
    "ShowTime\t= true;\r\n"
    "ShowFPS\t\t= false;\r\n"
    "UseDktpSet\t= true;\r\n"
    "ExitOnMouseMove = false;\r\n"
    "GammControl\t= 100;\r\n"
    "DigClock_24H\t= false;\r\n"
    "MusicVolume\t= 35;\r\n"
    "SFX\t\t= true;\r\n"
    "MW\t\t= 800;\r\n"
    "MH\t\t= 600;\r\n"
    "MBitCount\t= 32;\r\n"
    "FSAA\t\t= 0;\t\xed\xe5 \xe8\xf1\xef\xee\xeb\xfc\xe7\xf3\xe5\xf2\xf1\xff\r\n"
    "\r\n"
    ";------------------------------------------------\r\n"
    "main_web_site_url = http://www.Example.com/Cordelune/\r\n";

TEST(DefaultsFile, MessageTextsAreCp1251) {
    EXPECT_EQ(Cp1251ToUtf8(kDefaultsBadFormatText), "неправильный формат файла def_settings.txt");
    EXPECT_EQ(Cp1251ToUtf8(kDefaultsMissingKeyText), "Не найден параметр в файле def_settings.txt");
}

TEST(DefaultsFile, ShippedLayoutFillsTheRecord) {
    Parsed p(kShipped);
    EXPECT_EQ(p.table.Count(), 14u);  // 13 settings and the address; comments add nothing
    SaverSettings s;
    FillDefaultsRecord(p.table, s, p.report);
    EXPECT_TRUE(p.aMessages.empty());
    EXPECT_EQ(s.ShowFPS, 0);
    EXPECT_EQ(s.ExitOnMouseMove, 0);
    EXPECT_EQ(s.ShowTime, 1);
    EXPECT_EQ(s.Music, 1);
    EXPECT_EQ(s.SFX, 1);
    EXPECT_EQ(s.MusicVolume, 35);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 600);
    EXPECT_EQ(s.BitCount, 32);
    EXPECT_EQ(s.FSAA, 0);
    EXPECT_EQ(s.UseDesktopSettings, 1);
    EXPECT_EQ(s.TimeModeAMPM, 1);  // DigClock_24H false
    EXPECT_EQ(WebSiteAddress(p.table, p.report), "http://www.example.com/cordelune/");
    EXPECT_EQ(p.Int("GammControl"), 100);  // stored although nothing reads it
    EXPECT_TRUE(p.aMessages.empty());
}

TEST(DefaultsFile, TheRepositoryFileParsesWithoutMessages) {
    const std::string strFile = ReadFileText(std::string(CORDELUNE_SOURCE_DIR) + "/res/def_settings.txt");
    ASSERT_FALSE(strFile.empty());
    Parsed p(strFile);
    SaverSettings s;
    FillDefaultsRecord(p.table, s, p.report);
    EXPECT_TRUE(p.aMessages.empty());
    EXPECT_EQ(s.Music, 1);
    EXPECT_EQ(s.MusicVolume, 35);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.TimeModeAMPM, 1);
    EXPECT_FALSE(WebSiteAddress(p.table, p.report).empty());
}

TEST(DefaultsFile, CleaningRemovesBlanksAndNonAscii) {
    Parsed p("music = TRUE ;\r\n"
             "MW = 8 00;\r\n"
             "MusicVolume = 42; louder 77\r\n"
             "Key\xe9Name = v\xe0lue;\r\n");
    EXPECT_EQ(p.Int("Music"), 1);
    EXPECT_EQ(p.Int("MW"), 800);
    EXPECT_EQ(p.Int("musicvolume"), 42);
    EXPECT_EQ(p.Text("KeyName"), "vlue");
    EXPECT_TRUE(p.aMessages.empty());
}

TEST(DefaultsFile, CommentAndBlankLinesAddNothing) {
    Parsed p("; comment = not a pair\r\n \t \r\n\r\n;\r\n\x01\x02\r\n");
    EXPECT_EQ(p.table.Count(), 0u);
    EXPECT_TRUE(p.aMessages.empty());
}

TEST(DefaultsFile, LineEndings) {
    // CR LF and a lone CR end a line; a lone LF is a byte of the line, which
    // the cleaning removes, so "C=3;\nD=4;" is one line holding C.
    Parsed p("A=1;\r\nB=2;\rC=3;\nD=4;");
    ASSERT_EQ(p.table.Count(), 3u);
    EXPECT_EQ(p.Int("A"), 1);
    EXPECT_EQ(p.Int("B"), 2);
    EXPECT_EQ(p.Int("C"), 3);
    EXPECT_TRUE(p.aMessages.empty());
    Parsed lf("Music=\ntrue;");
    EXPECT_EQ(lf.Int("Music"), 1);
    // CR CR LF: the second CR ends an empty line.
    Parsed q("A=1\r\r\nB=2");
    EXPECT_EQ(q.table.Count(), 2u);
}

TEST(DefaultsFile, LineWithoutEqualsIsReportedAndKept) {
    Parsed p("Music = true;\r\nbroken line;\r\nSFX = false;\r\n");
    ASSERT_EQ(p.aMessages.size(), 1u);
    EXPECT_EQ(Cp1251ToUtf8(p.aMessages[0].strText.c_str()), "неправильный формат файла def_settings.txt");
    EXPECT_EQ(p.aMessages[0].strCaption, "");
    ASSERT_EQ(p.table.Count(), 3u);
    EXPECT_EQ(p.table.Pair(1).strKey, "brokenline");
    EXPECT_EQ(p.table.Pair(1).strValue, "brokenline");
    EXPECT_EQ(p.Int("SFX"), 0);  // parsing went on
}

TEST(DefaultsFile, KeyAndValueSplitAtTheFirstEquals) {
    Parsed p("url = http://x.org/?a=b;\r\nEmpty=;\r\n=Anonymous;\r\n");
    EXPECT_EQ(p.Text("url"), "http://x.org/?a=b");
    EXPECT_EQ(p.Text("empty"), "");
    EXPECT_EQ(p.Text(""), "anonymous");
    EXPECT_TRUE(p.aMessages.empty());
}

TEST(DefaultsFile, LookupIsCaseInsensitiveAndFirstMatchWins) {
    Parsed p("ShowFPS = True;\r\nSHOWFPS = false;\r\n");
    EXPECT_EQ(p.Int("showfps"), 1);
    EXPECT_EQ(p.Text("SHOWfps"), "true");
}

TEST(DefaultsFile, MissingKeyIsReportedWithTheFoldedKeyAsCaption) {
    Parsed p("Music = true;\r\n");
    EXPECT_EQ(p.Text("NoSuchKey"), "");
    EXPECT_EQ(p.Int("Other"), 0);
    ASSERT_EQ(p.aMessages.size(), 2u);
    EXPECT_EQ(Cp1251ToUtf8(p.aMessages[0].strText.c_str()), "Не найден параметр в файле def_settings.txt");
    EXPECT_EQ(p.aMessages[0].strCaption, "nosuchkey");
    EXPECT_EQ(p.aMessages[1].strCaption, "other");
    // An empty report callback is allowed.
    EXPECT_EQ(EE_Core_GetDefaultInt(p.table, "absent", DefaultsReport()), 0);
}

TEST(DefaultsFile, IntegerConversion) {
    Parsed p("a=-12;\r\nb=+7x;\r\nc=abc;\r\nd=99999999999;\r\ne=-99999999999;\r\nf=-;\r\ng=falsely;\r\n");
    EXPECT_EQ(p.Int("a"), -12);
    EXPECT_EQ(p.Int("b"), 7);
    EXPECT_EQ(p.Int("c"), 0);
    EXPECT_EQ(p.Int("d"), INT32_MAX);
    EXPECT_EQ(p.Int("e"), INT32_MIN);
    EXPECT_EQ(p.Int("f"), 0);
    EXPECT_EQ(p.Int("g"), 0);
}

TEST(DefaultsFile, MissingKeysAreReportedInLookupOrder) {
    Parsed p("Music = true;\r\n");
    SaverSettings s;
    s.ShowTime = 5;
    FillDefaultsRecord(p.table, s, p.report);
    const std::vector<std::string> expected = {"digclock_24h", "exitonmousemove", "fsaa", "mbitcount",
                                               "mh", "mw", "sfx", "musicvolume", "showfps",
                                               "showtime", "usedktpset"};
    ASSERT_EQ(p.aMessages.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(p.aMessages[i].strCaption, expected[i]);
    EXPECT_EQ(s.Music, 1);
    EXPECT_EQ(s.ShowTime, 0);
    EXPECT_EQ(s.TimeModeAMPM, 1);  // a missing DigClock_24H reads 0, inverted
}

TEST(DefaultsFile, DigClockIsInverted) {
    Parsed p("DigClock_24H = TRUE;\r\n");
    SaverSettings s;
    FillDefaultsRecord(p.table, s, DefaultsReport());
    EXPECT_EQ(s.TimeModeAMPM, 0);
}

TEST(DefaultsFile, PairsBeyondTheHundredthAreDropped) {
    std::string strText;
    for (int i = 0; i < 105; ++i) strText += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    Parsed p(strText);
    EXPECT_EQ(p.table.Count(), DefaultsTable::kMaxPairs);
    EXPECT_EQ(p.table.DroppedCount(), 5u);
    EXPECT_EQ(p.Int("k99"), 99);
    EXPECT_TRUE(p.aMessages.empty());
    EXPECT_EQ(p.Int("k100"), 0);
    EXPECT_EQ(p.aMessages.size(), 1u);
}

TEST(DefaultsFile, NullAndEmptyData) {
    DefaultsTable table;
    ParseDefaultsFile(nullptr, 10, table, DefaultsReport());
    ParseDefaultsFile(reinterpret_cast<const uint8_t*>(""), 0, table, DefaultsReport());
    EXPECT_EQ(table.Count(), 0u);
    // A NUL inside the data is a removed byte, not an end.
    const char data[] = "A=1\0\0;\r\nB=2";
    ParseDefaultsFile(reinterpret_cast<const uint8_t*>(data), sizeof data - 1, table, DefaultsReport());
    EXPECT_EQ(EE_Core_GetDefaultInt(table, "B", DefaultsReport()), 2);
    EXPECT_EQ(EE_Core_GetDefaultInt(table, "A", DefaultsReport()), 1);
}

}  // namespace
