// Time arithmetic at long uptimes: elapsed times and the scene's absolute-time
// phases just below and across the 2^32 ms wrap of the system counter, and
// after 10, 25 and 49 days, where a float of the counter keeps only 64, 256
// and 512 ms steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "ClassRender/MeshAnimation.h"
#include "base/SystemClock.h"
#include "scene/CameraSchedule.h"
#include "scene/ScenePhases.h"

namespace {

constexpr uint32_t kDayMs = 86400000u;

struct Uptime {
    const char* pszName;
    uint32_t nStart;
};

// Starting points; runs of up to a minute from "below wrap" cross 2^32.
const Uptime kUptimes[] = {
    {"fresh boot", 5000u},
    {"10 days", 10 * kDayMs},
    {"25 days", 25 * kDayMs},
    {"49 days", 49 * kDayMs},
    {"just below 2^32", 0xFFFFFFFFu - 20000u},
    {"last ms before the wrap", 0xFFFFFFFFu},
};

constexpr double kTwoPi = 6.283185307179586476925;

// Exact references: 0.000014 = 14 / 10^6, and 0.002 and 0.03 radians a ms
// are t / 500 and 3t / 100, taken in extended precision.
double ExactCloudPhase(uint32_t t) { return double(uint64_t(t) * 14u % 1000000u) / 1e6; }
double ExactAngle(uint32_t t, long double dPerMs) {
    return double(std::fmod((long double)t * dPerMs, (long double)kTwoPi));
}

// The difference of two angles folded into (-pi, pi].
double AngleStep(double a, double b) {
    double d = b - a;
    while (d > kTwoPi / 2) d -= kTwoPi;
    while (d <= -kTwoPi / 2) d += kTwoPi;
    return d;
}

}  // namespace

TEST(SystemClock, ElapsedTimesAcrossTheWrapAndAtLongUptimes) {
    for (const Uptime& u : kUptimes) {
        SCOPED_TRACE(u.pszName);
        for (uint32_t d : {0u, 1u, 33u, 999u, 1000u, 14001u, 60000u}) {
            const uint32_t nNow = u.nStart + d;  // wraps past 0 near the end
            EXPECT_EQ(MsSince(u.nStart, nNow), d);
            EXPECT_FLOAT_EQ(SecondsSince(u.nStart, nNow), float(d) * 0.001f);
        }
    }
    // Across the wrap the later time is the smaller number.
    EXPECT_EQ(MsSince(0xFFFFFFF6u, 5u), 15u);
    EXPECT_FLOAT_EQ(SecondsSince(0xFFFFFC18u, 1000u), 2.0f);
}

TEST(SystemClock, CameraKeysAndMeshStepsAcrossTheWrapAndAtLongUptimes) {
    for (const Uptime& u : kUptimes) {
        SCOPED_TRACE(u.pszName);
        bool bPlaying = true;
        EXPECT_EQ(CameraKeyAt(u.nStart, u.nStart + 32, 801, &bPlaying), 0);
        EXPECT_EQ(CameraKeyAt(u.nStart, u.nStart + 33 * 500 + 5, 801, &bPlaying), 500);
        EXPECT_TRUE(bPlaying);
        EXPECT_EQ(CameraKeyAt(u.nStart, u.nStart + 33 * 801, 801, &bPlaying), 800);
        EXPECT_FALSE(bPlaying);

        MeshPlayback play;
        StartAnimation(play, 30, 0, u.nStart);
        AdvanceStep(play, 10, u.nStart + 30);
        EXPECT_EQ(play.nStep, 0u);
        AdvanceStep(play, 10, u.nStart + 31);
        EXPECT_EQ(play.nStep, 1u);
        AdvanceStep(play, 10, u.nStart + 61);
        EXPECT_EQ(play.nStep, 1u);
        AdvanceStep(play, 10, u.nStart + 62);
        EXPECT_EQ(play.nStep, 2u);
    }
}

TEST(SystemClock, PhasesMatchTheProductOnAFreshBoot) {
    // The picture of the plain float product: same cloud offset up to whole
    // texture repeats, same rotations.
    for (uint32_t t : {0u, 1u, 1234u, 60000u, 600000u, 3600000u}) {
        SCOPED_TRACE(t);
        const double dCloud = -(double(float(t) * 0.000014f));
        const double dDiff = double(CloudScrollOffset(t)) - dCloud;
        EXPECT_NEAR(dDiff, std::round(dDiff), 1e-4);
        const double dSpin = double(float(t) * 0.002f), dOrbit = double(float(t) * 0.03f);
        EXPECT_NEAR(std::sin(HeartSpinAngle(t)), std::sin(dSpin), 2e-3);
        EXPECT_NEAR(std::cos(HeartSpinAngle(t)), std::cos(dSpin), 2e-3);
        EXPECT_NEAR(std::sin(PetalOrbitAngle(t)), std::sin(dOrbit), 2e-2);
        EXPECT_NEAR(std::cos(PetalOrbitAngle(t)), std::cos(dOrbit), 2e-2);
    }
}

TEST(SystemClock, PhasesStayExactAndSmoothAtAnyUptime) {
    for (const Uptime& u : kUptimes) {
        SCOPED_TRACE(u.pszName);
        for (uint32_t k = 0; k < 200; ++k) {
            const uint32_t t = u.nStart + k * 7;
            if (t < u.nStart) break;  // the wrap is looked at below
            const float fCloud = CloudScrollOffset(t);
            EXPECT_LE(fCloud, 0.0f);
            EXPECT_GE(fCloud, -1.0f);
            EXPECT_NEAR(double(fCloud), -ExactCloudPhase(t), 2e-7);
            EXPECT_NEAR(AngleStep(ExactAngle(t, 0.002L), HeartSpinAngle(t)), 0.0, 1e-6);
            EXPECT_NEAR(AngleStep(ExactAngle(t, 0.03L), PetalOrbitAngle(t)), 0.0, 1e-6);
            EXPECT_GE(HeartSpinAngle(t), 0.0f);
            EXPECT_LE(HeartSpinAngle(t), float(kTwoPi));
            // From one millisecond to the next each motion moves by its rate,
            // not by nothing or by a 64 ms jump.
            if (t == 0xFFFFFFFFu) continue;
            double dStep = double(CloudScrollOffset(t + 1)) - double(fCloud);
            if (dStep > 0.5) dStep -= 1.0;  // the offset came round to 0
            EXPECT_NEAR(dStep, -0.000014, 2e-7);
            EXPECT_NEAR(AngleStep(HeartSpinAngle(t), HeartSpinAngle(t + 1)), 0.002, 1e-6);
            EXPECT_NEAR(AngleStep(PetalOrbitAngle(t), PetalOrbitAngle(t + 1)), 0.03, 1e-6);
        }
    }
}

TEST(SystemClock, PhasesAtTheWrapStartAgainFromZero) {
    // The counter itself jumps back to 0: the phases follow it there, once in
    // 49.7 days, and are exact on both sides.
    const uint32_t nLast = 0xFFFFFFFFu;
    EXPECT_NEAR(double(CloudScrollOffset(nLast)), -ExactCloudPhase(nLast), 2e-7);
    EXPECT_NEAR(AngleStep(ExactAngle(nLast, 0.002L), HeartSpinAngle(nLast)), 0.0, 1e-6);
    EXPECT_NEAR(AngleStep(ExactAngle(nLast, 0.03L), PetalOrbitAngle(nLast)), 0.0, 1e-6);
    EXPECT_EQ(CloudScrollOffset(0), 0.0f);
    EXPECT_EQ(HeartSpinAngle(0), 0.0f);
    EXPECT_EQ(PetalOrbitAngle(0), 0.0f);
    EXPECT_NEAR(AngleStep(HeartSpinAngle(0), HeartSpinAngle(1)), 0.002, 1e-7);
}

TEST(SystemClock, ClockPhaseReducesToItsPeriod) {
    EXPECT_DOUBLE_EQ(ClockPhase(2500, 0.001, 1.0), 0.5);
    EXPECT_DOUBLE_EQ(ClockPhase(0xFFFFFFFFu, 1.0, 1000.0), 295.0);  // 4294967295 mod 1000
    EXPECT_DOUBLE_EQ(ClockPhase(7, 0.0, 1.0), 0.0);
    EXPECT_NEAR(ClockPhase(49 * kDayMs, 0.002, kTwoPi), ExactAngle(49 * kDayMs, 0.002L), 1e-9);
}
