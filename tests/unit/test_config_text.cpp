// The configuration dialog's text box and the user's record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/ConfigText.h"

namespace {

QuoteRecord Filled(char c) {
    QuoteRecord record;
    std::memset(&record, c, sizeof record);
    return record;
}

QuoteRecord Split(const std::string& text, QuoteRecord record = Filled('x')) {
    SplitUserText(text.data(), text.size(), record);
    return record;
}

std::string Line(const QuoteRecord& record, int i) { return record.aszLines[i]; }

TEST(ConfigTextSplit, LinesEndAtCarriageReturns) {
    QuoteRecord r = Split("A\r\nB");
    EXPECT_EQ(Line(r, 0), "A");
    EXPECT_EQ(Line(r, 1), "B");
    EXPECT_EQ(Line(r, 2), "");

    r = Split("one\r\ntwo\r\nthree\r\nfour");  // a fourth line is dropped
    EXPECT_EQ(Line(r, 0), "one");
    EXPECT_EQ(Line(r, 1), "two");
    EXPECT_EQ(Line(r, 2), "three");

    r = Split("only");
    EXPECT_EQ(Line(r, 0), "only");
    EXPECT_EQ(Line(r, 1), "");
    EXPECT_EQ(Line(r, 2), "");

    r = Split("");
    EXPECT_EQ(Line(r, 0), "");
    EXPECT_EQ(Line(r, 2), "");
}

TEST(ConfigTextSplit, LeavesAuthorAndSpareLinesAlone) {
    const QuoteRecord r = Split("A\r\nB\r\nC");
    for (int i = 3; i < kQuoteLines; ++i)
        EXPECT_EQ(std::string(r.aszLines[i], kQuoteLineSize), std::string(kQuoteLineSize, 'x')) << i;
}

TEST(ConfigTextSplit, SkipsTheCharacterAfterEachReturn) {
    // Whatever follows the CR is taken for its LF.
    QuoteRecord r = Split("A\rXB\rYC");
    EXPECT_EQ(Line(r, 0), "A");
    EXPECT_EQ(Line(r, 1), "B");
    EXPECT_EQ(Line(r, 2), "C");
    // A CR at the very end, or CR LF at the end, gives empty following lines.
    r = Split("A\r");
    EXPECT_EQ(Line(r, 0), "A");
    EXPECT_EQ(Line(r, 1), "");
    r = Split("A\r\n");
    EXPECT_EQ(Line(r, 1), "");
    r = Split("\r\n\r\nC");
    EXPECT_EQ(Line(r, 0), "");
    EXPECT_EQ(Line(r, 1), "");
    EXPECT_EQ(Line(r, 2), "C");
    // An LF alone belongs to the line.
    r = Split("A\nB");
    EXPECT_EQ(Line(r, 0), "A\nB");
}

TEST(ConfigTextSplit, CutsLongLinesAtSixtyThree) {
    const std::string sLong(100, 'a');
    const std::string s63(63, 'a');
    const QuoteRecord r = Split(sLong + "\r\n" + std::string(64, 'b') + "\r\n" + s63);
    EXPECT_EQ(Line(r, 0), s63);
    EXPECT_EQ(Line(r, 1), std::string(63, 'b'));
    EXPECT_EQ(Line(r, 2), s63);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.aszLines[i][63], '\0');
    // The rest of each 64-byte line is cleared, and the next line is untouched.
    EXPECT_EQ(Line(Split("ab\r\ncd"), 0), "ab");
    EXPECT_EQ(Split("ab").aszLines[0][5], '\0');
}

TEST(ConfigTextSplit, StopsAtTheLengthGiven) {
    const char text[] = "AB\r\nCD";
    QuoteRecord r = Filled('x');
    SplitUserText(text, 3, r);  // "AB\r"
    EXPECT_EQ(Line(r, 0), "AB");
    EXPECT_EQ(Line(r, 1), "");
    SplitUserText(text, 5, r);
    EXPECT_EQ(Line(r, 1), "C");
}

TEST(ConfigTextLine, CutsAndTerminates) {
    char line[kQuoteLineSize];
    std::memset(line, 'x', sizeof line);
    SetUserLine(line, "Author", 6);
    EXPECT_STREQ(line, "Author");
    EXPECT_EQ(line[kQuoteLineSize - 1], '\0');

    const std::string s249(249, 'q');  // what the author box can hand back at most
    SetUserLine(line, s249.data(), s249.size());
    EXPECT_EQ(std::string(line), std::string(63, 'q'));

    SetUserLine(line, "ab\0cd", 5);  // a NUL ends the text
    EXPECT_STREQ(line, "ab");
    SetUserLine(line, "", 0);
    EXPECT_STREQ(line, "");
}

TEST(ConfigTextJoin, ShowsThreeLinesWithCrLf) {
    QuoteRecord r = {};
    std::strcpy(r.aszLines[0], "one");
    std::strcpy(r.aszLines[1], "two");
    std::strcpy(r.aszLines[2], "three");
    std::strcpy(r.aszLines[3], "author");
    EXPECT_EQ(JoinUserText(r), "one\r\ntwo\r\nthree");
    std::memset(r.aszLines[1], 0, kQuoteLineSize);
    EXPECT_EQ(JoinUserText(r), "one\r\n\r\nthree");
    // What the box shows splits back into the same lines.
    const QuoteRecord back = Split(JoinUserText(r));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Line(back, i), Line(r, i));
    // A line without its NUL shows 63 characters, not the next line.
    std::memset(r.aszLines[0], 'z', kQuoteLineSize);
    EXPECT_EQ(JoinUserText(r).substr(0, 65), std::string(63, 'z') + "\r\n");
}

TEST(ConfigTextCut, CutsEveryLineAndKeepsBreaks) {
    const std::string s63(63, 'a');
    EXPECT_EQ(CutUserTextLines(s63 + "bcd\r\nshort\r\n" + std::string(70, 'c')),
              s63 + "\r\nshort\r\n" + std::string(63, 'c'));
    EXPECT_EQ(CutUserTextLines("a\r\nb"), "a\r\nb");
    EXPECT_EQ(CutUserTextLines(""), "");
    // A lone CR starts a new line as the split sees it.
    EXPECT_EQ(CutUserTextLines(std::string(64, 'x') + "\r" + std::string(64, 'y')),
              std::string(63, 'x') + "\r" + std::string(63, 'y'));
}

TEST(ConfigTextRoom, SixtyThreeCharactersALine) {
    EXPECT_TRUE(UserLineHasRoom(0, 0));
    EXPECT_TRUE(UserLineHasRoom(62, 0));
    EXPECT_FALSE(UserLineHasRoom(63, 0));
    EXPECT_TRUE(UserLineHasRoom(63, 1));  // typing over a selected character
    EXPECT_FALSE(UserLineHasRoom(80, 10));
    EXPECT_TRUE(UserLineHasRoom(5, 9));   // a selection reaching past the line
}

}  // namespace
