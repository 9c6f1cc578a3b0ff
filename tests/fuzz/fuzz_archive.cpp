// ExtractArchiveEntry on arbitrary bytes, without a password: every declared
// entry and a missing one are looked up. Results must be consistent.
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
        const int r = ExtractArchiveEntry(&out, &n, name.c_str(), &blob, nullptr);
        if (r == 0 && (out || n)) std::abort(); // failure must come with null and 0
        if (r == 1 && !out) std::abort();
        if (out) {
            volatile uint8_t sink = n ? out[n - 1] : 0; // the whole buffer is ours
            (void)sink;
        }
        std::free(out);
    }
    return 0;
}
