#pragma once
// The scene's motions that follow the absolute system time rather than the
// time between frames: the clouds' texture drift, the heart's spin and the
// orbit of its petals. Each is a phase of the millisecond counter reduced to
// its period, so the picture is the same as from the plain product on a
// freshly booted machine and as smooth after weeks of uptime.
#include <cstdint>

// The clouds' u translation: -0.014 a second, taken modulo 1 (the cloud
// textures repeat, so a whole unit is no change), between -1 and 0.
float CloudScrollOffset(uint32_t nNow);

// The heart's turn about the vertical axis: 2 radians a second, between
// 0 and 2 pi.
float HeartSpinAngle(uint32_t nNow);

// The angle of the point the heart's petals circle: 30 radians a second,
// between 0 and 2 pi.
float PetalOrbitAngle(uint32_t nNow);
