#pragma once
// Memory-to-memory reader of the saver's RAR 2.0 archives (stored, packed and
// enciphered entries, solid or not).
#include <cstdint>

#include "assets/ResourceBlob.h"

// Finds the entry named pszEntryName in the archive and returns its bytes.
// Names compare without regard to case, and "\", "/" and "_" are the same.
// On success returns 1, *ppOutData is a buffer from malloc (release it with
// free) and *pnOutSize its size. On any failure (no archive, entry missing,
// damaged data, CRC mismatch, wrong or missing password, unsupported version)
// returns 0 with *ppOutData null and *pnOutSize 0. pszPassword may be null or
// empty for none; it is used only for entries marked as enciphered. The
// archive's read offset serves as the cursor and is reset on every call.
// Not reentrant: all state is process-wide.
int ExtractArchiveEntry(uint8_t** ppOutData, uint32_t* pnOutSize, const char* pszEntryName,
                        ResourceBlob* pArchive, const char* pszPassword);
