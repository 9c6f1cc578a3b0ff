#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/RegistryEncoding.h"

namespace {

QuoteRecord MakeRecord(std::vector<std::string> lines) {
    QuoteRecord r;
    std::memset(&r, 0, sizeof r);
    for (size_t i = 0; i < lines.size() && i < 6; ++i) std::strncpy(r.aszLines[i], lines[i].c_str(), 63);
    return r;
}

TEST(RegistryEncoding, BooleansNeverStoreZero) {
    EXPECT_EQ(EncodeBoolean(1), 2u);
    EXPECT_EQ(EncodeBoolean(0), 1u);
    EXPECT_EQ(EncodeBoolean(5), 1u);  // anything but 1 is written as false
    EXPECT_EQ(EncodeBoolean(-1), 1u);
}

TEST(RegistryEncoding, StoredBooleans) {
    struct Case { uint32_t nStored; int32_t nBefore, nAfter; };
    const Case cases[] = {{2, 0, 1}, {1, 1, 0}, {0, 1, 1}, {0, 0, 0}, {3, 1, 1}, {3, 0, 0},
                          {0xFFFFFFFF, 1, 1}, {2, 1, 1}, {1, 0, 0}};
    for (const Case& c : cases) {
        int32_t nField = c.nBefore;
        ApplyStoredBoolean(c.nStored, nField);
        EXPECT_EQ(nField, c.nAfter) << "stored " << c.nStored << " over " << c.nBefore;
    }
}

TEST(RegistryEncoding, StoredIntegers) {
    int32_t nVolume = 35;
    ApplyStoredInteger(0, nVolume);  // a stored 0 reads back as the default
    EXPECT_EQ(nVolume, 35);
    ApplyStoredInteger(80, nVolume);
    EXPECT_EQ(nVolume, 80);
    ApplyStoredInteger(0xFFFFFFFF, nVolume);
    EXPECT_EQ(nVolume, -1);
}

TEST(RegistryEncoding, StoredVolumeOnlyWithinTheSliderRange) {
    // A volume the slider cannot show (a damaged value) keeps the default,
    // like a stored 0.
    const StoredValue& volume = kReadOrder[6];
    ASSERT_STREQ(volume.pszName, "MusicVolume");
    SaverSettings s;
    int32_t nMode = -1;
    for (uint32_t nBad : {0u, 101u, 1000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        s.MusicVolume = 35;
        ApplyStoredValue(volume, true, nBad, s, nMode);
        EXPECT_EQ(s.MusicVolume, 35) << nBad;
    }
    for (uint32_t nGood : {1u, 47u, 100u}) {
        ApplyStoredValue(volume, true, nGood, s, nMode);
        EXPECT_EQ(s.MusicVolume, int32_t(nGood));
    }
    s.MusicVolume = 250;  // what the write stores is the field, unchecked
    EXPECT_EQ(EncodeStoredValue(volume, s, -1), 250u);
}

TEST(RegistryEncoding, ReadOrder) {
    const char* const read[] = {"ShowFPS", "ShowTime", "TimeModeAMPM", "ExitOnMouseMove", "SFX", "Music",
                                "MusicVolume", "UseDesktopSettings", "Height", "Width", "BitCount",
                                "FSAA", "m_nSelectedMode"};
    for (size_t i = 0; i < kStoredValueCount; ++i) EXPECT_STREQ(kReadOrder[i].pszName, read[i]);
}

TEST(RegistryEncoding, EachValueNamesItsOwnField) {
    // Every field gets a distinct marker; the value of each name must carry
    // the marker of the field of that name.
    SaverSettings s;
    s.ShowFPS = 1;  s.ShowTime = 0;  s.TimeModeAMPM = 1;  s.ExitOnMouseMove = 0;
    s.SFX = 1;  s.Music = 0;  s.UseDesktopSettings = 1;
    s.MusicVolume = 101;  s.Height = 102;  s.Width = 103;  s.BitCount = 104;  s.FSAA = 105;
    const std::vector<std::pair<std::string, uint32_t>> expected = {
        {"ShowFPS", 2}, {"ShowTime", 1}, {"TimeModeAMPM", 2}, {"ExitOnMouseMove", 1}, {"SFX", 2},
        {"Music", 1}, {"m_nSelectedMode", 0xFFFFFFFF}, {"UseDesktopSettings", 2}, {"Height", 102},
        {"Width", 103}, {"BitCount", 104}, {"FSAA", 105}, {"MusicVolume", 101}};
    for (size_t i = 0; i < kStoredValueCount; ++i) {
        EXPECT_EQ(kWriteOrder[i].pszName, expected[i].first);
        EXPECT_EQ(EncodeStoredValue(kWriteOrder[i], s, -1), expected[i].second) << kWriteOrder[i].pszName;
    }
}

TEST(RegistryEncoding, ReadAppliesEveryValue) {
    SaverSettings s;
    s.ShowFPS = 0;  s.ShowTime = 1;  s.MusicVolume = 35;  s.Width = 800;  s.Music = 1;
    int32_t nMode = -1;
    for (const StoredValue& v : kReadOrder) {
        const std::string name = v.pszName;
        if (name == "ShowFPS") ApplyStoredValue(v, true, 2, s, nMode);
        else if (name == "ShowTime") ApplyStoredValue(v, true, 1, s, nMode);
        else if (name == "MusicVolume") ApplyStoredValue(v, true, 0, s, nMode);
        else if (name == "Width") ApplyStoredValue(v, true, 1024, s, nMode);
        else if (name == "m_nSelectedMode") ApplyStoredValue(v, true, 0, s, nMode);
        else ApplyStoredValue(v, false, 1234, s, nMode);  // absent: the garbage is not used
    }
    EXPECT_EQ(s.ShowFPS, 1);
    EXPECT_EQ(s.ShowTime, 0);
    EXPECT_EQ(s.MusicVolume, 35);
    EXPECT_EQ(s.Width, 1024);
    EXPECT_EQ(s.Music, 1);
    EXPECT_EQ(s.Height, 0);
    EXPECT_EQ(nMode, 0);  // a stored 0 is taken
}

TEST(RegistryEncoding, SelectedModeAbsentOrMinusOne) {
    SaverSettings s;
    int32_t nMode = 4;
    ApplyStoredValue(kReadOrder[kStoredValueCount - 1], false, 0, s, nMode);
    EXPECT_EQ(nMode, 4);
    ApplyStoredValue(kReadOrder[kStoredValueCount - 1], true, 0xFFFFFFFF, s, nMode);
    EXPECT_EQ(nMode, -1);
}

TEST(RegistryEncoding, UserLinesEmptyLooksAtLinesOneToFour) {
    EXPECT_TRUE(UserLinesEmpty(MakeRecord({})));
    EXPECT_TRUE(UserLinesEmpty(MakeRecord({"", "", "", "", "line five"})));
    EXPECT_FALSE(UserLinesEmpty(MakeRecord({"", "", "", "author"})));
    EXPECT_FALSE(UserLinesEmpty(MakeRecord({" a"})));
}

TEST(RegistryEncoding, FillFromTheFirstQuotation) {
    const QuoteRecord quotes[2] = {MakeRecord({" one", " two", " three", " four", " five", " six"}),
                                   MakeRecord({" other"})};
    QuoteRecord user = MakeRecord({});
    FillUserLinesIfEmpty(user, quotes, 2);
    EXPECT_STREQ(user.aszLines[0], " one");
    EXPECT_STREQ(user.aszLines[3], " four");
    EXPECT_STREQ(user.aszLines[4], "");  // lines 5 and 6 are not the user's
    EXPECT_STREQ(user.aszLines[5], "");

    QuoteRecord kept = MakeRecord({"", "", "mine"});
    FillUserLinesIfEmpty(kept, quotes, 2);
    EXPECT_STREQ(kept.aszLines[0], "");
    EXPECT_STREQ(kept.aszLines[2], "mine");

    QuoteRecord none = MakeRecord({});
    FillUserLinesIfEmpty(none, quotes, 0);  // no quotation: stays empty
    FillUserLinesIfEmpty(none, nullptr, 5);
    EXPECT_TRUE(UserLinesEmpty(none));
}

TEST(RegistryEncoding, FillCopiesAnUnterminatedQuoteLineSafely) {
    QuoteRecord first;
    std::memset(&first, 'x', sizeof first);  // no NUL anywhere
    QuoteRecord user = MakeRecord({});
    FillUserLinesFromQuote(user, first);
    EXPECT_EQ(std::strlen(user.aszLines[0]), 63u);
    EXPECT_EQ(std::strlen(user.aszLines[3]), 63u);
    EXPECT_STREQ(user.aszLines[4], "");
}

TEST(RegistryEncoding, LineFromStoredData) {
    char line[64];
    std::memset(line, 'z', sizeof line);
    SetLineFromStored(line, "hello\0world", 11);
    EXPECT_STREQ(line, "hello");
    EXPECT_EQ(line[63], '\0');

    SetLineFromStored(line, "abc", 2);  // size ends the text before a NUL
    EXPECT_STREQ(line, "ab");

    const std::string strLong(180, 'q');  // 180 bytes, no NUL: cut at 63
    SetLineFromStored(line, strLong.data(), strLong.size());
    EXPECT_EQ(std::string(line), std::string(63, 'q'));

    SetLineFromStored(line, nullptr, 100);
    EXPECT_STREQ(line, "");
    SetLineFromStored(line, "x", 0);
    EXPECT_STREQ(line, "");

    const std::string strBig(100000, 'g');
    SetLineFromStored(line, strBig.data(), strBig.size());
    EXPECT_EQ(std::strlen(line), 63u);
}

TEST(RegistryEncoding, StoredLineIs180BytesTextNulPadding) {
    char line[64] = " My words";
    char out[180];
    std::memset(out, 'p', sizeof out);
    EncodeStoredLine(line, out);
    EXPECT_STREQ(out, " My words");
    for (size_t i = std::strlen(" My words"); i < sizeof out; ++i) ASSERT_EQ(out[i], '\0') << i;

    char full[64];
    std::memset(full, 'w', sizeof full);  // unterminated
    EncodeStoredLine(full, out);
    EXPECT_EQ(std::string(out), std::string(63, 'w'));

    // Round trip through what the read accepts.
    char back[64];
    SetLineFromStored(back, out, sizeof out);
    EXPECT_EQ(std::string(back), std::string(63, 'w'));
}

}  // namespace
