#pragma once
// Walking the archive's blocks: the marker, block and file headers, and the
// comparison of entry names.
#include <cstdint>

#include "assets/UnpackState.h"

// Reads n bytes at the archive's cursor, all or nothing; returns n or 0.
uint32_t ReadArchiveBytes(UnpackState& s, void* pDest, uint32_t n);
bool CheckArchiveMarker(UnpackState& s);
uint32_t ReadBlockHeader(UnpackState& s, bool bArchiveHeader);
int FindNextFileHeader(UnpackState& s);
// Names compare without regard to case, and '\\' and '/' as '_'.
bool CompareEntryNames(const char* pszRequested, const char* pszStored);
