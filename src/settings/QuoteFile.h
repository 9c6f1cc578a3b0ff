#pragma once
// The love quotations embedded in the executable.
#include <cstdint>

#include "settings/QuoteRecord.h"

// Reads the embedded quotations (through a temporary file) into pRecords and
// returns how many were read; 0 when no temporary file can be made.
int32_t ReadEmbeddedQuotes(QuoteRecord* pRecords, int32_t nMaxRecords);
