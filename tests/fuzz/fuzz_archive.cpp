// ExtractArchiveEntry on arbitrary bytes, without a password: every declared
// entry and a missing one are looked up. Results must be consistent.
#include "fuzz_archive_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExtractDeclaredEntries(data, size, nullptr);
    return 0;
}
