#include "scene/ScenePhases.h"

#include "base/SystemClock.h"

namespace {
constexpr double kCloudScrollPerMs = 0.000014;
constexpr double kHeartSpinPerMs = 0.002;
constexpr double kPetalOrbitPerMs = 0.03;
}  // namespace

float CloudScrollOffset(uint32_t nNow) { return -float(ClockPhase(nNow, kCloudScrollPerMs, 1.0)); }

float HeartSpinAngle(uint32_t nNow) { return float(ClockPhase(nNow, kHeartSpinPerMs, kClockTwoPi)); }

float PetalOrbitAngle(uint32_t nNow) { return float(ClockPhase(nNow, kPetalOrbitPerMs, kClockTwoPi)); }
