#pragma once
// The quotation text: blank-separated tokens; a token starting with "&" ends
// a line, one starting with "%" ends a quote. Every stored line starts with a
// blank and its words are separated by single blanks.
#include <cstdint>
#include <cstdio>

#include "settings/QuoteRecord.h"

// Reads quotations from a text stream into pRecords and returns how many were
// read. Input beyond the records is cut, never written past them: tokens
// after 255 characters, lines after 63 characters, lines after the sixth of a
// quote and quotes after nMaxRecords. Each record that is started is cleared
// whole first. At end of file an unfinished quote counts when at least one of
// its lines was closed by "&"; its unclosed line is dropped.
int32_t ReadQuotesFromStream(FILE* f, QuoteRecord* pRecords, int32_t nMaxRecords);
