#pragma once
// How the settings are stored under HKCU\Software\Brightvane\Cordelune 3D
// Screensaver: booleans as DWORD 2 (true) / 1 (false) so that 0 or an absent
// value is told apart from a stored false; integers raw; the four user text
// lines as 180-byte REG_SZ values. The registry calls themselves are the
// Windows side's; everything here is pure.
#include <cstddef>
#include <cstdint>

#include "settings/QuoteRecord.h"
#include "settings/SaverSettings.h"

constexpr const char kRegistryKeyPath[] = "Software\\Brightvane\\Cordelune 3D Screensaver";
constexpr size_t kStoredLineSize = 180;  // bytes of each m_nCustomLineN value
constexpr int32_t kUserLineCount = 4;    // lines 1..4 of the user's record

// 2 when the field is exactly 1, 1 otherwise (so a stray 5 is stored as false).
uint32_t EncodeBoolean(int32_t nField);
// 2 sets the field, 1 clears it, anything else (0 for absent) leaves it.
void ApplyStoredBoolean(uint32_t nStored, int32_t& nField);
// A non-zero value replaces the field; 0 (absent included) leaves it.
void ApplyStoredInteger(uint32_t nStored, int32_t& nField);
// The volume is an integer of the slider's range: anything outside 1..100
// (0 and absent included) leaves the field.
constexpr int32_t kMinStoredVolume = 1;
constexpr int32_t kMaxStoredVolume = 100;
void ApplyStoredVolume(uint32_t nStored, int32_t& nField);

// True when lines 1..4 all start with NUL.
bool UserLinesEmpty(const QuoteRecord& user);
// Copies lines 1..4 of the first quotation into the user's record.
void FillUserLinesFromQuote(QuoteRecord& user, const QuoteRecord& first);
// Fills lines 1..4 from the first quotation when they are all empty and there
// is a quotation at all; with none the user text stays empty.
void FillUserLinesIfEmpty(QuoteRecord& user, const QuoteRecord* pQuotes, int32_t nQuoteCount);

// The line is the stored text before its first NUL, at most 63 characters;
// the data may be of any size, unterminated or null.
void SetLineFromStored(char (&line)[kQuoteLineSize], const char* pData, size_t nSize);
// The 180 bytes stored for a line: its text (at most 63 characters, even when
// the line lacks its NUL), the NUL, then zero padding.
void EncodeStoredLine(const char (&line)[kQuoteLineSize], char (&out)[kStoredLineSize]);

// The DWORD values. The read and the write walk them in different orders.
enum class StoredKind { Boolean, Integer, Volume, SelectedMode };
struct StoredValue {
    const char* pszName;
    StoredKind eKind;
    int32_t SaverSettings::*pField;  // null for SelectedMode
};

// Read order: the twelve record fields, then "m_nSelectedMode".
constexpr size_t kStoredValueCount = 13;
extern const StoredValue kReadOrder[kStoredValueCount];
// Write order, as the values appear under the key.
extern const StoredValue kWriteOrder[kStoredValueCount];
// "m_nCustomLine1" .. "m_nCustomLine4", read and written after the DWORDs.
extern const char* const kCustomLineNames[kUserLineCount];

// The DWORD the write stores for one value.
uint32_t EncodeStoredValue(const StoredValue& value, const SaverSettings& settings,
                           int32_t nSelectedMode);
// Applies what a read found: bPresent false when the query failed. The
// holding variable of a boolean or integer is cleared before each query, so
// an absent value counts as 0; an absent "m_nSelectedMode" leaves it, any
// stored one (0 and -1 included) is taken.
void ApplyStoredValue(const StoredValue& value, bool bPresent, uint32_t nStored,
                      SaverSettings& settings, int32_t& nSelectedMode);
