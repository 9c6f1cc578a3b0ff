// ExtractArchiveEntry on arbitrary bytes with the digit archive's password,
// so that enciphered entries are deciphered and decoded.
#include <cstdlib>

#include "assets/ArchiveReader.h"
#include "fuzz_archive_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    ResourceBlob blob;
    blob.pData = data;
    blob.nSize = uint32_t(size);
    for (const std::string& name : DeclaredEntryNames(data, size)) {
        uint8_t* out = nullptr;
        uint32_t n = 0;
        const int r = ExtractArchiveEntry(&out, &n, name.c_str(), &blob, "MQ P5P ZZ");
        if (r == 0 && (out || n)) std::abort();
        if (r == 1 && !out) std::abort();
        std::free(out);
    }
    return 0;
}
