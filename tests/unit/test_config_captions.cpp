// Which localization key captions which control of the configuration dialog,
// and whether the resource script's template has the controls where the
// dialog's layout puts them.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "settings/Localization.h"
#include "ui/ConfigText.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
    EXPECT_EQ(std::wstring(kConfigTitleKey), L"screensaver_configuration");
    EXPECT_EQ(std::wstring(kAboutTitleKey), L"about");
    EXPECT_EQ(std::wstring(kOkKey), L"ok");
}

TEST(ConfigCaptions, ShippedTableAnswersEveryKey) {
    const std::string data = ReadFile(CORDELUNE_SOURCE_DIR "/res/localization.txt");
    ASSERT_FALSE(data.empty());
    CLocalizationTable table;
    table.Load(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    for (size_t i = 0; i < kConfigCaptionCount; ++i) {
        const std::string key = Narrow(kConfigCaptions[i].pszKey);
        EXPECT_FALSE(table.Localize(key.c_str()).empty()) << key;
    }
    EXPECT_EQ(table.Localize(Narrow(kConfigTitleKey).c_str()), "Cordelune 3D Screensaver Configuration");
    EXPECT_EQ(table.Localize("about") + "...", "About...");
    for (int i = 0; i < CLocalizationTable::kAboutLineCount; ++i)
        EXPECT_LE(table.AboutLine(i).size(), 45u) << "About line " << i + 1 << " is too wide for its label";
}

// --- the template ---------------------------------------------------------------

struct Control {
    std::string kind;
    int x, y, w, h;
};

std::map<std::string, int> ResourceIds() {
    std::map<std::string, int> ids = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    std::istringstream in(ReadFile(CORDELUNE_SOURCE_DIR "/res/resource.h"));
    const std::regex define(R"(^#define\s+(\w+)\s+(-?\d+)\s*$)");
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_match(line, m, define)) ids[m[1]] = std::stoi(m[2]);
    return ids;
}

// The controls of one template, by id (the picture, with no id, by its bitmap).
std::map<int, Control> TemplateControls(const std::string& name) {
    const std::map<std::string, int> ids = ResourceIds();
    const std::string rc = ReadFile(CORDELUNE_SOURCE_DIR "/res/Dialogs.rc");
    const size_t nStart = rc.find(name + " DIALOG");
    const size_t nBegin = rc.find("\nBEGIN", nStart);
    const size_t nEnd = rc.find("\nEND", nBegin);
    EXPECT_NE(nStart, std::string::npos);
    std::istringstream in(rc.substr(nBegin, nEnd - nBegin));
    // KIND ["text",] ID, x, y, w, h   or   CONTROL text|bitmap, ID, "class", style, x, y, w, h
    const std::regex plain(R"re(^\s*(\w+)\s+(?:"[^"]*"\s*,\s*)?(\w+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+).*)re");
    const std::regex control(
        R"re(^\s*CONTROL\s+("[^"]*"|\w+)\s*,\s*(\w+)\s*,\s*"(\w+)"\s*,[^,]*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+).*)re");
    std::map<int, Control> controls;
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        Control c;
        std::string id;
        if (std::regex_match(line, m, control)) {
            c.kind = m[3];
            id = m[2] == "IDC_STATIC" ? m[1].str() : m[2].str();
        } else if (std::regex_match(line, m, plain)) {
            c.kind = m[1];
            id = m[2];
        } else {
            continue;
        }
        c.x = std::stoi(m[m.size() - 4]);
        c.y = std::stoi(m[m.size() - 3]);
        c.w = std::stoi(m[m.size() - 2]);
        c.h = std::stoi(m[m.size() - 1]);
        const auto it = ids.find(id);
        EXPECT_NE(it, ids.end()) << "unknown id " << id;
        if (it != ids.end()) {
            EXPECT_TRUE(controls.emplace(it->second, c).second) << id;
        }
    }
    return controls;
}

TEST(ConfigTemplate, ControlsSitWhereTheLayoutPutsThem) {
    struct Expected {
        int nId;
        const char* pszKind;
        int x, y, w, h;
    };
    const Expected expected[] = {
        {1128, "GROUPBOX", 7, 4, 191, 44},     {1011, "COMBOBOX", 14, 15, 178, 74},
        {1012, "Button", 14, 33, 176, 10},     {1129, "GROUPBOX", 8, 50, 191, 40},
        {1023, "LTEXT", 13, 62, 48, 8},        {1020, "msctls_trackbar32", 68, 61, 128, 13},
        {1021, "AUTOCHECKBOX", 14, 76, 72, 11}, {1022, "AUTOCHECKBOX", 94, 77, 95, 9},
        {1130, "GROUPBOX", 7, 96, 233, 79},    {1131, "LTEXT", 13, 107, 212, 11},
        {1114, "EDITTEXT", 44, 120, 180, 31},  {1132, "LTEXT", 16, 158, 25, 10},
        {1108, "EDITTEXT", 43, 155, 181, 13},  {1136, "GROUPBOX", 245, 96, 96, 79},
        {1044, "AUTOCHECKBOX", 252, 109, 85, 10}, {1043, "AUTOCHECKBOX", 252, 125, 82, 10},
        {1111, "AUTORADIOBUTTON", 263, 136, 72, 10}, {1110, "AUTORADIOBUTTON", 263, 147, 73, 10},
        {1045, "AUTOCHECKBOX", 252, 158, 80, 11}, {1133, "GROUPBOX", 7, 177, 334, 26},
        {1134, "LTEXT", 14, 188, 185, 8},      {434, "Static", 207, 5, 128, 89},
        {1061, "PUSHBUTTON", 214, 185, 59, 13}, {1062, "PUSHBUTTON", 278, 185, 59, 13},
        {1063, "PUSHBUTTON", 12, 235, 91, 14}, {1, "DEFPUSHBUTTON", 214, 235, 59, 14},
        {2, "PUSHBUTTON", 278, 235, 59, 14},
    };
    const std::map<int, Control> controls = TemplateControls("IDD_CONFIG");
    EXPECT_EQ(controls.size(), sizeof expected / sizeof expected[0]);
    for (const Expected& e : expected) {
        const auto it = controls.find(e.nId);
        ASSERT_NE(it, controls.end()) << e.nId;
        const Control& c = it->second;
        EXPECT_EQ(c.kind, e.pszKind) << e.nId;
        EXPECT_EQ(c.x, e.x) << e.nId;
        EXPECT_EQ(c.y, e.y) << e.nId;
        EXPECT_EQ(c.w, e.w) << e.nId;
        EXPECT_EQ(c.h, e.h) << e.nId;
    }
    // Every captioned control is in the template.
    for (size_t i = 0; i < kConfigCaptionCount; ++i)
        EXPECT_EQ(controls.count(kConfigCaptions[i].nId), 1u) << kConfigCaptions[i].nId;
}

TEST(ConfigTemplate, AboutBoxHasSevenLinesOkAndPicture) {
    const std::map<int, Control> controls = TemplateControls("IDD_ABOUT");
    ASSERT_EQ(controls.count(1), 1u);
    EXPECT_EQ(controls.at(1).kind, "DEFPUSHBUTTON");
    EXPECT_EQ(controls.at(1).x, 169);
    EXPECT_EQ(controls.at(1).y, 70);
    ASSERT_EQ(controls.count(437), 1u);
    EXPECT_EQ(controls.at(437).w, 49);
    EXPECT_EQ(controls.at(437).h, 46);
    for (int i = 0; i < 7; ++i) {
        const auto it = controls.find(1127 + i);
        ASSERT_NE(it, controls.end()) << 1127 + i;
        EXPECT_EQ(it->second.kind, "CTEXT");
        EXPECT_EQ(it->second.x, 7);
        EXPECT_EQ(it->second.y, 12 + 11 * i);
        EXPECT_EQ(it->second.w, 156);
        EXPECT_EQ(it->second.h, 8);
    }
}

}  // namespace
