// ExtractArchiveEntry on arbitrary bytes with the digit archive's password,
// so that enciphered entries are deciphered and decoded.
#include "assets/DigitArchive.h"
#include "fuzz_archive_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExtractDeclaredEntries(data, size, kDigitArchivePassword);
    return 0;
}
