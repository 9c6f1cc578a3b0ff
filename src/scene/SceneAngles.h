#pragma once
// The quarter turn the scene's models and particles are turned by, in
// radians: a little short of pi / 2, as the content was made with it.
constexpr float kQuarterTurn = 1.57075f;
