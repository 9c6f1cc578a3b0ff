// What the registry read makes of stored data: a text value of any size and
// content becomes a user line, and the thirteen DWORD values (present or
// absent, any number) are applied to the record. The input is cut into the
// pieces: a byte of presence bits per value, four bytes a value, the rest a
// stored text. What the write then stores must read back the same.
#include <cstring>

#include "settings/RegistryEncoding.h"
#include "fuzz_common.h"

namespace {

uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Boolean(int32_t n) { return n == 0 || n == 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The text value: any bytes, any size, NUL or not.
    char line[kQuoteLineSize];
    std::memset(line, 0x5A, sizeof line);
    SetLineFromStored(line, reinterpret_cast<const char*>(data), size);
    const size_t nLength = std::strlen(line);
    FUZZ_CHECK(nLength < kQuoteLineSize);
    FUZZ_CHECK(std::memcmp(line, data, nLength) == 0);
    for (size_t i = nLength; i < kQuoteLineSize; ++i) FUZZ_CHECK(line[i] == 0);
    char stored[kStoredLineSize];
    EncodeStoredLine(line, stored);
    char again[kQuoteLineSize];
    SetLineFromStored(again, stored, sizeof stored);
    FUZZ_CHECK(std::memcmp(line, again, sizeof line) == 0);

    // The DWORD values, over a record of booleans set to 0 or 1.
    if (size < 2 + 4 * kStoredValueCount) return 0;
    SaverSettings settings;
    settings.ShowFPS = settings.ShowTime = settings.Music = 1;
    settings.MusicVolume = 35;
    int32_t nMode = -1;
    const uint16_t nPresent = uint16_t(data[0] | data[1] << 8);
    for (size_t i = 0; i < kStoredValueCount; ++i)
        ApplyStoredValue(kReadOrder[i], (nPresent >> i) & 1, Read32(data + 2 + 4 * i), settings, nMode);
    for (const StoredValue& value : kReadOrder)
        if (value.eKind == StoredKind::Boolean) FUZZ_CHECK(Boolean(settings.*value.pField));

    // Written and read back into a fresh record: the same record.
    SaverSettings back;
    int32_t nModeBack = 12345;
    for (const StoredValue& value : kWriteOrder)
        ApplyStoredValue(value, true, EncodeStoredValue(value, settings, nMode), back, nModeBack);
    FUZZ_CHECK(nModeBack == nMode);
    for (const StoredValue& value : kReadOrder) {
        if (value.eKind == StoredKind::SelectedMode) continue;
        // A stored 0 leaves an integer as it was, here 0 too.
        FUZZ_CHECK(back.*value.pField == settings.*value.pField);
    }
    return 0;
}
