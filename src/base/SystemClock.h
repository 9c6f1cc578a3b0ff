#pragma once
// Arithmetic on the system's millisecond counter (timeGetTime). The counter
// starts at boot and wraps to 0 after 2^32 ms, about 49.7 days, so elapsed
// times are unsigned differences, right across the wrap. A periodic motion
// takes its phase from the whole 32-bit value in double precision, reduced
// to one period: a float of the counter keeps only 64 ms steps after ten
// days of uptime and 256 ms after 25, and motion drawn from it steps.
#include <cstdint>

constexpr double kClockTwoPi = 6.283185307179586;

// Milliseconds from nStart to nNow, correct across the wrap for times less
// than 2^32 ms apart.
constexpr uint32_t MsSince(uint32_t nStart, uint32_t nNow) { return nNow - nStart; }

// The same in seconds.
float SecondsSince(uint32_t nStart, uint32_t nNow);

// nNow * dPerMs reduced to [0, dPeriod): the phase of a motion that advances
// dPerMs (not negative) a millisecond and repeats every dPeriod.
double ClockPhase(uint32_t nNow, double dPerMs, double dPeriod);
