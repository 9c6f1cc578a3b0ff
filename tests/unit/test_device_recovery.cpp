// The frame's decisions about a lost device: when to reset, how often a
// failing reset is tried again, when a full-screen run without a picture
// ends; on a fresh boot, at long uptimes and across the counter's wrap.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/DeviceRecovery.h"

namespace {

constexpr uint32_t kDayMs = 86400000u;

// Start times; the last ones run across 2^32 within the tests' minute.
const uint32_t kStarts[] = {5000u, 10 * kDayMs, 25 * kDayMs, 49 * kDayMs, 0xFFFFFFFFu - 4000u,
                            0xFFFFFFFFu};

using S = DeviceState;
using Step = DeviceStep;

}  // namespace

TEST(DeviceRecovery, ReadyDrawsAndNotResetResetsAtOnce) {
    for (uint32_t t0 : kStarts) {
        SCOPED_TRACE(t0);
        CDeviceRecovery r;
        r.Begin(t0);
        EXPECT_EQ(r.Next(S::Ready, t0 + 20, true), Step::Draw);
        EXPECT_FALSE(r.IsLost());
        EXPECT_EQ(r.Next(S::Lost, t0 + 40, true), Step::Wait);
        EXPECT_TRUE(r.IsLost());
        EXPECT_EQ(r.Next(S::Lost, t0 + 2000, true), Step::Wait);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 2020, true), Step::Reset);
        // The reset worked: the device draws again, nothing lost any more.
        EXPECT_EQ(r.Next(S::Ready, t0 + 2020, true), Step::Draw);
        EXPECT_FALSE(r.IsLost());
        // A second loss gets its reset at once too.
        EXPECT_EQ(r.Next(S::NotReset, t0 + 2500, true), Step::Reset);
    }
}

TEST(DeviceRecovery, FailingResetIsTriedAtMostOnceASecond) {
    for (uint32_t t0 : kStarts) {
        SCOPED_TRACE(t0);
        CDeviceRecovery r;
        r.Begin(t0);
        int nResets = 0;
        uint32_t nLastReset = 0;
        // Frames every 20 ms for eight seconds, the device never resettable.
        for (uint32_t ms = 20; ms <= 8000; ms += 20) {
            const Step step = r.Next(S::NotReset, t0 + ms, false);
            ASSERT_NE(step, Step::Draw);
            ASSERT_NE(step, Step::EndRun) << "the test window never ends by itself";
            if (step == Step::Reset) {
                if (nResets) {
                    EXPECT_GE(ms - nLastReset, kResetRetryMs);
                }
                nLastReset = ms;
                ++nResets;
            }
        }
        EXPECT_EQ(nResets, 8);  // at 20, 1020, ..., 7020 ms
        EXPECT_EQ(nLastReset, 7020u);
        // Just short of a second after the last attempt: not yet.
        EXPECT_EQ(r.Next(S::NotReset, t0 + 8019, false), Step::Wait);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 8020, false), Step::Reset);
    }
}

TEST(DeviceRecovery, FullScreenRunEndsAfterTenSecondsWithoutAPicture) {
    for (uint32_t t0 : kStarts) {
        SCOPED_TRACE(t0);
        CDeviceRecovery r;
        r.Begin(t0);
        EXPECT_EQ(r.Next(S::Ready, t0 + 1000, true), Step::Draw);  // the last picture
        EXPECT_EQ(r.Next(S::Lost, t0 + 1020, true), Step::Wait);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 5000, true), Step::Reset);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 6000, true), Step::Reset);
        EXPECT_EQ(r.Next(S::Lost, t0 + 10999, true), Step::Wait);
        EXPECT_EQ(r.Next(S::Lost, t0 + 11000, true), Step::EndRun);
        // Should the run go on (a refused password), ten more seconds.
        EXPECT_EQ(r.Next(S::Lost, t0 + 11020, true), Step::Wait);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 20999, true), Step::Reset);
        EXPECT_EQ(r.Next(S::NotReset, t0 + 21000, true), Step::EndRun);

        // The same loss in the test window waits as long as it lasts.
        CDeviceRecovery w;
        w.Begin(t0);
        EXPECT_EQ(w.Next(S::Lost, t0 + 60000, false), Step::Wait);
        EXPECT_EQ(w.Next(S::NotReset, t0 + 60000, false), Step::Reset);
    }
}

TEST(DeviceRecovery, TenSecondsCountFromTheLastPicture) {
    for (uint32_t t0 : kStarts) {
        SCOPED_TRACE(t0);
        CDeviceRecovery r;
        r.Begin(t0);  // the loading screen is the picture until the first frame
        EXPECT_EQ(r.Next(S::Lost, t0 + 9999, true), Step::Wait);
        EXPECT_EQ(r.Next(S::Lost, t0 + 10000, true), Step::EndRun);

        // Pictures now and then keep the run going however long it lasts.
        CDeviceRecovery k;
        k.Begin(t0);
        for (uint32_t ms = 0; ms < 60000; ms += 9000) {
            EXPECT_EQ(k.Next(S::Lost, t0 + ms + 8999, true), Step::Wait);
            EXPECT_EQ(k.Next(S::Ready, t0 + ms + 9000, true), Step::Draw);
        }
    }
}
