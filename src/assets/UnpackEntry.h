#pragma once
// Entry decoding: the LZ and audio loops over the window.
#include <cstdint>

#include "assets/UnpackState.h"

// Returns false when the packed data ran out before the entry was complete.
bool UnpackEntry(UnpackState& s, bool bContinueSolid);
void ResetDecoder(UnpackState& s);
void FlushWindow(UnpackState& s);
