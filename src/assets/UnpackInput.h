#pragma once
// Packed input: deciphered reads of the entry's packed data into the
// input buffer, and the copy of a stored entry.
#include <cstdint>

#include "assets/UnpackState.h"

// pDest must hold count rounded up to 16.
uint32_t ReadPacked(UnpackState& s, uint8_t* pDest, uint32_t nCount);
void RefillInput(UnpackState& s, bool bFirst);
bool CopyStoredEntry(UnpackState& s);
