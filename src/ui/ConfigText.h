#pragma once
// The portable side of the configuration and About dialogs: how the text box
// maps onto the user's record, and which localization key captions which
// control.
#include <cstddef>
#include <string>

#include "settings/QuoteRecord.h"

constexpr int kUserLineChars = kQuoteLineSize - 1;  // 63 characters a line
constexpr int kUserTextBoxLines = 3;                // lines 1..3 are typed in the box
constexpr int kAuthorLine = 3;                      // line 4 is the author
constexpr int kAuthorChars = 40;                    // the author box holds this many
constexpr int kDialogTextBuffer = 250;              // WM_GETTEXT buffer, NUL included
// Three full lines and the two CR LF between them.
constexpr int kUserTextBoxChars = kUserTextBoxLines * kUserLineChars + 2 * 2;

// Copies the text (stopping at n or a NUL) into a line, cut at 63 characters.
void SetUserLine(char (&line)[kQuoteLineSize], const char* pText, size_t n);

// Splits the text box into lines 1..3: each line ends at a CR, which is
// skipped with the character after it; a fourth line is dropped. Lines longer
// than 63 characters are cut.
void SplitUserText(const char* pText, size_t n, QuoteRecord& record);

// What the text box shows: line 1, CR LF, line 2, CR LF, line 3.
std::string JoinUserText(const QuoteRecord& record);

// The box text with every line cut to 63 characters (line breaks kept), so
// that pasted text shows what will be kept.
std::string CutUserTextLines(const std::string& text);

// True when a character typed on a line of nLineLength characters, replacing
// nReplaced of them, keeps the line within 63 characters.
bool UserLineHasRoom(size_t nLineLength, size_t nReplaced);

// The caption of one control: the localization key and a fixed suffix.
struct ControlCaption {
    int nId;
    const wchar_t* pszKey;
    const char* pszSuffix;
};

// Every captioned control of the configuration dialog. The "Misc Options"
// group is not listed: it keeps its template caption.
extern const ControlCaption kConfigCaptions[];
extern const size_t kConfigCaptionCount;

constexpr const wchar_t kConfigTitleKey[] = L"screensaver_configuration";
constexpr const wchar_t kAboutTitleKey[] = L"about";
constexpr const wchar_t kOkKey[] = L"ok";
