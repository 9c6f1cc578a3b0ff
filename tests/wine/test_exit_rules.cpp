// The exit rules of full-screen mode through the window procedure, on the old
// platform where the system's password check comes first: a refused password
// keeps the saver running, an accepted one ends it.
#include <gtest/gtest.h>

#include "host/CommandLine.h"
#include "app/Cordelune.h"

namespace {

int g_nVerifyCalls = 0;
BOOL g_bVerifyAnswer = FALSE;

int g_nEndProcessCalls = 0;
UINT g_nEndProcessCode = 99;

void WINAPI FakeEndProcess(UINT nCode) {
    ++g_nEndProcessCalls;
    g_nEndProcessCode = nCode;
}

BOOL WINAPI FakeVerifyPassword(HWND) {
    ++g_nVerifyCalls;
    return g_bVerifyAnswer;
}

// True when the shutdown posted its quit message (removed from the queue).
bool QuitPosted() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

struct ExitRulesTest : ::testing::Test {
    CCordelune app;
    ExitRulesTest() {
        while (QuitPosted()) {}
        g_nVerifyCalls = 0;
        g_bVerifyAnswer = FALSE;
        app.m_nRunMode = RUNMODE_SAVER;
        app.m_bOldPlatform = 1;
        app.m_pVerifyPassword = FakeVerifyPassword;
        app.m_pEndProcess = FakeEndProcess;
        g_nEndProcessCalls = 0;
        app.m_Settings.ExitOnMouseMove = 1;
    }
    ~ExitRulesTest() override {
        app.m_pVerifyPassword = nullptr;  // never handed to FreeLibrary
        while (QuitPosted()) {}
    }
    LRESULT Send(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return app.HandleMessage(nullptr, uMsg, wParam, lParam);
    }
    // Ten skipped movement messages at (x, y), so that the next one counts.
    void UseUpSkips(int x, int y) {
        for (int i = 0; i < 10; ++i) Send(WM_MOUSEMOVE, 0, At(x, y));
    }
};

TEST_F(ExitRulesTest, RefusedPasswordKeepsRunningUntilAJumpIsAccepted) {
    UseUpSkips(100, 100);
    ASSERT_EQ(g_nVerifyCalls, 0);
    app.m_nFrameParity = 0;
    Send(WM_MOUSEMOVE, 0, At(150, 100));  // a jump of 50 px: the rule fires
    EXPECT_EQ(g_nVerifyCalls, 1);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(app.m_nFrameParity, 1);
    EXPECT_EQ(app.m_nMouseSkip, 0);
    // Small moves after the refusal never ask; the next jump asks again.
    Send(WM_MOUSEMOVE, 0, At(160, 110));
    Send(WM_MOUSEMOVE, 0, At(140, 90));
    EXPECT_EQ(g_nVerifyCalls, 1);
    EXPECT_FALSE(QuitPosted());
    Send(WM_MOUSEMOVE, 0, At(300, 90));
    EXPECT_EQ(g_nVerifyCalls, 2);
    EXPECT_FALSE(QuitPosted());
    g_bVerifyAnswer = TRUE;
    Send(WM_MOUSEMOVE, 0, At(10, 10));
    EXPECT_EQ(g_nVerifyCalls, 3);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ExitRulesTest, KeysAndButtonsAskForThePasswordToo) {
    Send(WM_KEYDOWN, VK_SPACE);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(g_nVerifyCalls, 2);
    EXPECT_FALSE(QuitPosted());
    g_bVerifyAnswer = TRUE;
    Send(WM_RBUTTONDOWN);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(ExitRulesTest, SuspendNoticeIsIgnoredWhileAPasswordCheckIsLoaded) {
    Send(WM_POWERBROADCAST, PBT_APMSUSPEND);
    EXPECT_EQ(g_nVerifyCalls, 0);
    EXPECT_FALSE(QuitPosted());
}

TEST_F(ExitRulesTest, TheEndOfTheSessionShutsDownWithoutAsking) {
    // Asked whether it may end, and told it does not: the run goes on.
    Send(WM_QUERYENDSESSION);
    Send(WM_ENDSESSION, FALSE);
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(g_nEndProcessCalls, 0);
    // The session ends: everything is freed, then the process ends with
    // exit code 0 before the message returns.
    Send(WM_ENDSESSION, TRUE);
    EXPECT_EQ(g_nVerifyCalls, 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(g_nEndProcessCalls, 1);
    EXPECT_EQ(g_nEndProcessCode, 0u);
}

TEST_F(ExitRulesTest, WithoutThePasswordCheckAJumpEndsAtOnce) {
    app.m_bOldPlatform = 0;
    UseUpSkips(400, 300);
    Send(WM_MOUSEMOVE, 0, At(400, 321));  // 21 px
    EXPECT_EQ(g_nVerifyCalls, 0);
    EXPECT_TRUE(QuitPosted());
}

}  // namespace
