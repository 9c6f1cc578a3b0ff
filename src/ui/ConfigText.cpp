#include "ui/ConfigText.h"

#include <cstring>

#include "resource.h"

namespace {

// The end of a box line: the next CR, or n.
size_t LineEnd(const char* pText, size_t nStart, size_t n) {
    size_t i = nStart;
    while (i < n && pText[i] != '\r') ++i;
    return i;
}

}  // namespace

void SetUserLine(char (&line)[kQuoteLineSize], const char* pText, size_t n) {
    size_t nCopy = 0;
    while (nCopy < n && nCopy < size_t(kUserLineChars) && pText[nCopy] != '\0') ++nCopy;
    std::memcpy(line, pText, nCopy);
    std::memset(line + nCopy, 0, sizeof line - nCopy);
}

void SplitUserText(const char* pText, size_t n, QuoteRecord& record) {
    size_t nStart = 0;
    bool bMore = true;
    for (int i = 0; i < kUserTextBoxLines; ++i) {
        if (!bMore) {
            SetUserLine(record.aszLines[i], "", 0);
            continue;
        }
        const size_t nEnd = LineEnd(pText, nStart, n);
        SetUserLine(record.aszLines[i], pText + nStart, nEnd - nStart);
        bMore = nEnd < n;
        // The CR and the character after it (the LF) are skipped.
        nStart = nEnd + 2 < n ? nEnd + 2 : n;
    }
}

std::string JoinUserText(const QuoteRecord& record) {
    std::string text;
    for (int i = 0; i < kUserTextBoxLines; ++i) {
        if (i) text += "\r\n";
        const char* pLine = record.aszLines[i];
        text.append(pLine, strnlen(pLine, kUserLineChars));
    }
    return text;
}

std::string CutUserTextLines(const std::string& text) {
    std::string cut;
    size_t nOnLine = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            cut += c;
            if (i + 1 < text.size() && text[i + 1] == '\n') cut += text[++i];
            nOnLine = 0;
        } else if (nOnLine < size_t(kUserLineChars)) {
            cut += c;
            ++nOnLine;
        }
    }
    return cut;
}

bool UserLineHasRoom(size_t nLineLength, size_t nReplaced) {
    const size_t nKept = nReplaced < nLineLength ? nLineLength - nReplaced : 0;
    return nKept < size_t(kUserLineChars);
}

const ControlCaption kConfigCaptions[] = {
    {IDC_VIDEO_MODE_GROUP, L"video_mode_selection", ""},
    {IDC_USE_DESKTOP, L"use_desktop_settings", ""},
    {IDC_SOUND_GROUP, L"sound_control", ""},
    {IDC_VOLUME_LABEL, L"master_volume:", ""},
    {IDC_ENABLE_MUSIC, L"enable_music", ""},
    {IDC_ENABLE_SFX, L"enable_sfx", ""},
    {IDC_THOUGHTS_GROUP, L"express_your_thoughts_on_love", ""},
    {IDC_ENTER_TEXT_LABEL, L"enter_your_text_here", ""},
    {IDC_AUTHOR_LABEL, L"author", ""},
    {IDC_PRODUCTS_GROUP, L"products", ""},
    {IDC_PRODUCTS_TEXT, L"visit_our_official_web-site_for_more_great_3D_screensavers", ""},
    {IDC_SHOW_FPS, L"show_fps", ""},
    {IDC_SHOW_TIME, L"show_time", ""},
    {IDC_CLOCK_12H, L"12h_style", ""},
    {IDC_CLOCK_24H, L"24h_style", ""},
    {IDC_EXIT_ON_MOUSE, L"exit_on_mouse_move", ""},
    {IDC_VISIT, L"visit...", ""},
    {IDC_ABOUT, L"about", "..."},
    {IDC_RESTORE_DEFAULTS, L"restore_defaults", ""},
    {1 /* IDOK */, L"ok", ""},
    {2 /* IDCANCEL */, L"cancel", ""},
};
const size_t kConfigCaptionCount = sizeof kConfigCaptions / sizeof kConfigCaptions[0];
