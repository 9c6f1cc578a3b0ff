// The quotes, the defaults file and the localization table as the saver's
// own readers take them.
#include <cstdio>
#include <vector>

#include "GlyphTable.h"
#include "settings/QuoteReader.h"
#include "settings/DefaultsFile.h"
#include "settings/Localization.h"
#include "test_assetgen_fixture.h"

namespace {

std::vector<QuoteRecord> ReadQuotes(const assetgen::Bytes& text) {
    std::vector<QuoteRecord> records(kMaxQuotes);
    FILE* f = fmemopen(const_cast<uint8_t*>(text.data()), text.size(), "r");
    EXPECT_NE(f, nullptr);
    if (!f) return {};
    records.resize(size_t(ReadQuotesFromStream(f, records.data(), kMaxQuotes)));
    fclose(f);
    return records;
}

int LineCount(const QuoteRecord& q) {
    int n = 0;
    while (n < kQuoteLines && q.aszLines[n][0]) ++n;
    return n;
}

TEST(AssetgenTexts, SixtyFourQuotesThatTheFontAndTheTextBlockCanShow) {
    const std::vector<QuoteRecord> quotes = ReadQuotes(agtest::File("quotes.txt"));
    ASSERT_EQ(quotes.size(), 64u);
    size_t longest = 0;
    for (size_t i = 0; i < quotes.size(); ++i) {
        SCOPED_TRACE("quote " + std::to_string(i + 1));
        const int lines = LineCount(quotes[i]);
        EXPECT_GE(lines, 2);
        EXPECT_LE(lines, 5);
        for (int l = 0; l < kQuoteLines; ++l) {
            const std::string line = quotes[i].aszLines[l];
            if (l >= lines) {
                EXPECT_TRUE(line.empty()) << "no gaps between lines";
                continue;
            }
            longest = std::max(longest, line.size());
            EXPECT_LE(line.size(), 47u) << line;
            EXPECT_EQ(line[0], ' ');
            EXPECT_NE(line[1], ' ');
            for (char c : line) EXPECT_TRUE(c == ' ' || assetgen::FindGlyph(c)) << "'" << c << "' in " << line;
        }
    }
    EXPECT_GT(longest, 30u);
    // The user's own text starts from the first quote: three lines and the author.
    EXPECT_EQ(LineCount(quotes[0]), 4);
}

const uint8_t* Bytes(const assetgen::Bytes& b) { return b.data(); }

TEST(AssetgenTexts, DefaultsFileHasTheShippedLayoutAndValues) {
    const assetgen::Bytes& file = agtest::File("def_settings.txt");
    const std::string text(file.begin(), file.end());
    // Code page 1251 and CR LF: the first line is the Russian comment.
    const std::string comment = ";\xEE\xE1\xF9\xE8\xE5 \xEF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB \xE2\xF1\xE5\xF5 screensaver'\xEE\xE2\r\n\r\n";
    EXPECT_EQ(text.compare(0, comment.size(), comment), 0);
    const std::string lines[] = {"Music\t\t= true;", "ShowTime\t= true;", "ShowFPS\t\t= false;", "UseDktpSet\t= true;",
                                 "ExitOnMouseMove = false;", "GammControl\t= 100;", "DigClock_24H\t= false;",
                                 "MusicVolume\t= 35;", "SFX\t\t= true;", "MW\t\t= 800;", "MH\t\t= 600;", "MBitCount\t= 32;",
                                 "FSAA\t\t= 0;\t\xED\xE5 \xE8\xF1\xEF\xEE\xEB\xFC\xE7\xF3\xE5\xF2\xF1\xFF"};
    size_t at = comment.size();
    for (const std::string& l : lines) {
        EXPECT_EQ(text.compare(at, l.size() + 2, l + "\r\n"), 0) << l;
        at += l.size() + 2;
    }
    EXPECT_EQ(text.find('\n'), text.find('\r') + 1);
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "every line ends with CR LF";
        }

    DefaultsTable table;
    int reports = 0;
    const DefaultsReport report = [&](const char*, const char*) { ++reports; };
    ParseDefaultsFile(Bytes(file), file.size(), table, report);
    SaverSettings s;
    FillDefaultsRecord(table, s, report);
    EXPECT_EQ(reports, 0);
    // The factory settings, in the record's order: FPS and mouse exit off,
    // clock, music and effects on, volume 35, 800 x 600 x 32, no FSAA,
    // desktop settings, 12-hour clock.
    const std::vector<int32_t> record = {s.ShowFPS, s.ExitOnMouseMove, s.ShowTime,   s.Music,
                                         s.SFX,     s.MusicVolume,     s.Width,      s.Height,
                                         s.BitCount, s.FSAA,           s.UseDesktopSettings, s.TimeModeAMPM};
    EXPECT_EQ(record, (std::vector<int32_t>{0, 0, 1, 1, 1, 35, 800, 600, 32, 0, 1, 1}));
    const std::string site = WebSiteAddress(table, report);
    EXPECT_EQ(site.rfind("http://", 0), 0u);
    EXPECT_NE(site.find("example.com"), std::string::npos);
}

TEST(AssetgenTexts, LocalizationHasEveryCaptionAndTheAboutText) {
    const assetgen::Bytes& file = agtest::File("localization.txt");
    CLocalizationTable t;
    t.Load(Bytes(file), file.size());
    const char* entries[][2] = {
        {"video_mode_selection", "Video Mode"}, {"use_desktop_settings", "Use Desktop Settings"},
        {"sound_control", "Sound Control"}, {"master_volume:", "Volume"}, {"enable_music", "Enable Music"},
        {"enable_sfx", "Enable SFX"}, {"express_your_thoughts_on_love", "Express your thoughts on love"},
        {"enter_your_text_here", "Enter your text here:"}, {"author", "Author"}, {"products", "Products"},
        {"visit_our_official_web-site_for_more_great_3D_screensavers", "Visit our official web-site for more great 3D screensavers"},
        {"Show_FPS", "Show FPS"}, {"Show_time", "Show Time"}, {"24h_style", "24h format"}, {"12h_style", "12h format"},
        {"Exit_on_mouse_move", "Exit on Mouse Move"}, {"visit...", "Visit..."}, {"About", "About"},
        {"restore_defaults", "Restore Defaults"}, {"OK", "OK"}, {"Cancel", "Cancel"},
        {"screensaver_configuration", "Cordelune 3D Screensaver Configuration"},
        {"screensaver_name", "Cordelune 3D Screensaver"}, {"graphics", "Graphics"}, {"gamma_control:", "Gamma Control:"},
        {"Fullscreen_antialiasing", "Fullscreen Antialiasing"}, {"none", "None"}, {"samples", "samples"},
        {"misc_options", "Misc Options"}, {"use_advanced_rendering_of_water", "Use advanced rendering of water"},
    };
    for (const auto& e : entries) EXPECT_EQ(t.Localize(e[0]), e[1]) << e[0];
    EXPECT_EQ(t.AboutLine(0), "Cordelune 3D Screensaver");
    EXPECT_EQ(t.AboutLine(1), "");
    for (int i = 2; i < 7; ++i) EXPECT_FALSE(t.AboutLine(i).empty()) << "About line " << i + 1;
    EXPECT_NE(t.AboutLine(6).find("Copyright"), std::string::npos);
    const std::string text(file.begin(), file.end());
    EXPECT_NE(text.find("\n--------- "), std::string::npos) << "section header lines group the entries";
}

}  // namespace
