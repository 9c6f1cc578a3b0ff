#pragma once
// The code tables at the start of a packed block.
#include <cstdint>

#include "assets/UnpackState.h"

bool ReadCodeTables(UnpackState& s);
