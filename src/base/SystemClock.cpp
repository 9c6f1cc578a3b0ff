#include "base/SystemClock.h"

#include <cmath>

float SecondsSince(uint32_t nStart, uint32_t nNow) { return float(MsSince(nStart, nNow)) * 0.001f; }

double ClockPhase(uint32_t nNow, double dPerMs, double dPeriod) {
    // The product is exact to about 1e-11 of a unit for any 32-bit time.
    return std::fmod(double(nNow) * dPerMs, dPeriod);
}
