// Which localization key captions which control of the configuration dialog.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "settings/Localization.h"
#include "ui/ConfigText.h"
#include "test_files.h"

namespace {


std::string Narrow(const wchar_t* psz) {
    std::string s;
    for (; *psz; ++psz) s.push_back(char(*psz));
    return s;
}

std::map<int, std::string> CaptionMap() {
    std::map<int, std::string> keys;
    for (size_t i = 0; i < kConfigCaptionCount; ++i) {
        const ControlCaption& c = kConfigCaptions[i];
        EXPECT_TRUE(keys.emplace(c.nId, Narrow(c.pszKey) + "|" + c.pszSuffix).second) << "twice: " << c.nId;
    }
    return keys;
}

TEST(ConfigCaptions, EveryControlHasItsKey) {
    const std::map<int, std::string> expected = {
        {1128, "video_mode_selection|"},
        {1012, "use_desktop_settings|"},
        {1129, "sound_control|"},
        {1023, "master_volume:|"},
        {1021, "enable_music|"},
        {1022, "enable_sfx|"},
        {1130, "express_your_thoughts_on_love|"},
        {1131, "enter_your_text_here|"},
        {1132, "author|"},
        {1133, "products|"},
        {1134, "visit_our_official_web-site_for_more_great_3D_screensavers|"},
        {1044, "show_fps|"},
        {1043, "show_time|"},
        {1111, "12h_style|"},
        {1110, "24h_style|"},
        {1045, "exit_on_mouse_move|"},
        {1061, "visit...|"},
        {1062, "about|..."},
        {1063, "restore_defaults|"},
        {1, "ok|"},
        {2, "cancel|"},
    };
    const std::map<int, std::string> actual = CaptionMap();
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actual.count(1136), 0u);  // "Misc Options" keeps the template caption
}

TEST(ConfigCaptions, ShippedTableAnswersEveryKey) {
    const std::string data = ReadFileText(CORDELUNE_SOURCE_DIR "/res/localization.txt");
    ASSERT_FALSE(data.empty());
    CLocalizationTable table;
    table.Load(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    for (size_t i = 0; i < kConfigCaptionCount; ++i) {
        const std::string key = Narrow(kConfigCaptions[i].pszKey);
        EXPECT_FALSE(table.Localize(key.c_str()).empty()) << key;
    }
    EXPECT_EQ(table.Localize(Narrow(kConfigTitleKey).c_str()), "Cordelune 3D Screensaver Configuration");
    EXPECT_EQ(table.Localize(Narrow(kAboutTitleKey).c_str()), "About");
    EXPECT_EQ(table.Localize(Narrow(kOkKey).c_str()), "OK");
    for (int i = 0; i < CLocalizationTable::kAboutLineCount; ++i)
        EXPECT_LE(table.AboutLine(i).size(), 45u) << "About line " << i + 1 << " is too wide for its label";
}

}  // namespace
