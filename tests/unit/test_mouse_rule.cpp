#include <gtest/gtest.h>

#include "host/MouseRule.h"

namespace {

uint32_t Pos(int x, int y) { return uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16); }

struct MouseRuleTest : ::testing::Test {
    int32_t nSkip = 10;
    MouseTrack track;
    bool Move(int x, int y) { return MouseMoveEndsSaver(nSkip, track, Pos(x, y)); }
};

TEST_F(MouseRuleTest, FirstTenMessagesNeverEndTheSaver) {
    for (int i = 0; i < 10; ++i) EXPECT_FALSE(Move(i % 2 ? 500 : 0, i % 2 ? 500 : 0)) << i;
    EXPECT_EQ(nSkip, 0);
    // The eleventh message is judged against the tenth position (500, 500).
    EXPECT_TRUE(Move(0, 0));
}

TEST_F(MouseRuleTest, ExactlyTwentyPixelsDoesNotEndTwentyOneDoes) {
    for (int i = 0; i < 10; ++i) Move(100, 100);
    EXPECT_FALSE(Move(120, 100));
    EXPECT_FALSE(Move(120, 80));
    EXPECT_FALSE(Move(100, 80));
    EXPECT_FALSE(Move(100, 100));
    EXPECT_TRUE(Move(121, 100));
    EXPECT_TRUE(Move(121, 79));
    EXPECT_TRUE(Move(100, 79));
}

TEST_F(MouseRuleTest, SlowDriftNeverEndsTheSaver) {
    for (int i = 0; i < 10; ++i) Move(0, 0);
    for (int x = 0; x < 1000; x += 20) EXPECT_FALSE(Move(x, x / 2)) << x;
    EXPECT_LT(nSkip, -40);  // the counter keeps decreasing
}

TEST_F(MouseRuleTest, YIsSignedAndXUnsigned) {
    nSkip = 0;  // as after a refused password
    // x = 0xFFFF reads as 65535, not -1; y = 0xFFFF reads as -1.
    EXPECT_TRUE(Move(0xFFFF, 0));
    EXPECT_EQ(track.nLastX, 65535);
    nSkip = 0;
    track = MouseTrack();
    EXPECT_FALSE(Move(0, 0xFFFF));
    EXPECT_EQ(track.nLastY, -1);
}

TEST_F(MouseRuleTest, RefusedPasswordReArmsAtOnce) {
    for (int i = 0; i < 12; ++i) Move(10, 10);
    nSkip = 0;  // the exit request's answer to a refused password
    EXPECT_TRUE(Move(40, 10));
}

}  // namespace
