#include <gtest/gtest.h>

#include "host/CommandLine.h"

namespace {

void ExpectMode(const char* pszLine, int32_t nMode, uintptr_t nWindow) {
    const CommandLine cl = ParseCommandLine(pszLine);
    EXPECT_EQ(cl.nRunMode, nMode) << "line: [" << (pszLine ? pszLine : "(null)") << "]";
    EXPECT_EQ(cl.nWindow, nWindow) << "line: [" << (pszLine ? pszLine : "(null)") << "]";
}

TEST(CommandLine, NoSwitchIsConfiguration) {
    ExpectMode(nullptr, RUNMODE_CONFIG, 0);
    ExpectMode("", RUNMODE_CONFIG, 0);
    ExpectMode("saver.scr", RUNMODE_CONFIG, 0);
    ExpectMode("saver.scr ", RUNMODE_CONFIG, 0);
    ExpectMode("\"C:\\Program Files\\saver.scr\"", RUNMODE_CONFIG, 0);
    ExpectMode("\"C:\\Program Files\\saver.scr\" ", RUNMODE_CONFIG, 0);
    ExpectMode("saver.scr foo bar", RUNMODE_CONFIG, 0);
    ExpectMode("\"unterminated /s", RUNMODE_CONFIG, 0);  // the quote runs to the end
}

TEST(CommandLine, SaverLetters) {
    ExpectMode("saver.scr /S", RUNMODE_SAVER, 0);
    ExpectMode("saver.scr -s", RUNMODE_SAVER, 0);
    ExpectMode("saver.scr /x", RUNMODE_SAVER, 0);
    ExpectMode("saver.scr /", RUNMODE_SAVER, 0);  // the NUL counts as any other letter
    ExpectMode("saver.scr -", RUNMODE_SAVER, 0);
    ExpectMode("saver.scr /s 1234", RUNMODE_SAVER, 0);  // no number read for /s
}

TEST(CommandLine, ConfigurationWithOwner) {
    ExpectMode("saver.scr /c:657", RUNMODE_CONFIG, 657);
    ExpectMode("saver.scr /c:1234", RUNMODE_CONFIG, 1234);
    ExpectMode("saver.scr /C 1234", RUNMODE_CONFIG, 1234);
    ExpectMode("saver.scr /c", RUNMODE_CONFIG, 0);
    ExpectMode("saver.scr /c:", RUNMODE_CONFIG, 0);
    ExpectMode("saver.scr /c:abc", RUNMODE_CONFIG, 0);
}

TEST(CommandLine, PreviewAndPasswordReadTheWindow) {
    ExpectMode("saver.scr /p 1234", RUNMODE_PREVIEW, 1234);
    ExpectMode("saver.scr /p 3344", RUNMODE_PREVIEW, 3344);
    ExpectMode("saver.scr /P3344", RUNMODE_PREVIEW, 3344);
    ExpectMode("saver.scr /p:1234", RUNMODE_PREVIEW, 1234);
    ExpectMode("saver.scr -P1234", RUNMODE_PREVIEW, 1234);
    ExpectMode("saver.scr /p -1234", RUNMODE_PREVIEW, 1234);  // the minus is skipped like any non-digit
    ExpectMode("saver.scr /p 12x34", RUNMODE_PREVIEW, 12);
    ExpectMode("saver.scr /p", RUNMODE_PREVIEW, 0);
    ExpectMode("saver.scr /a 99", RUNMODE_PASSWORD, 99);
    ExpectMode("saver.scr /A:99", RUNMODE_PASSWORD, 99);
    ExpectMode("saver.scr /a", RUNMODE_PASSWORD, 0);
}

TEST(CommandLine, TestWindowReadsNothingElse) {
    ExpectMode("saver.scr /t", RUNMODE_TEST, 0);
    ExpectMode("saver.scr -T 55", RUNMODE_TEST, 0);
}

TEST(CommandLine, ProgramNameIsSkippedWhole) {
    // Quoted path with spaces and switch-like characters inside.
    ExpectMode("\"C:\\My Savers\\cordelune -x\\saver.scr\" /p 42", RUNMODE_PREVIEW, 42);
    ExpectMode("\"C:\\a/b\\saver.scr\" /t", RUNMODE_TEST, 0);
    ExpectMode("\"C:\\My Savers\\saver.scr\"/s", RUNMODE_SAVER, 0);
    // A "-" in an unquoted program name comes before the first space.
    ExpectMode("C:\\savers\\cor-de-lune.scr /p 7", RUNMODE_PREVIEW, 7);
    ExpectMode("C:\\savers\\cor-de-lune.scr", RUNMODE_CONFIG, 0);
    ExpectMode("C:/savers/saver.scr", RUNMODE_CONFIG, 0);
}

TEST(CommandLine, FirstSwitchAnywhereAfterTheName) {
    ExpectMode("saver.scr foo /t", RUNMODE_TEST, 0);
    ExpectMode("saver.scr foo /t /s", RUNMODE_TEST, 0);
    ExpectMode("saver.scr /s /t", RUNMODE_SAVER, 0);
    ExpectMode("saver.scr word-p 5", RUNMODE_PREVIEW, 5);  // the "-" inside a word counts
    ExpectMode("saver.scr  /p 8", RUNMODE_PREVIEW, 8);
}

}  // namespace
