// The camera-path loader on arbitrary ".MODEL" bytes, and the key lookups
// the playback makes on what it accepted.
#include "ClassRender/CameraPath.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCameraPath path;
    const uint32_t nResult = path.LoadKeys(data, size);
    if (nResult != 0) {
        FUZZ_CHECK(nResult == 1);
        return 0;
    }
    const uint32_t nKeys = path.KeyCount();
    FUZZ_CHECK(path.m_Keys.aEyes.size() == size_t(nKeys) * 3 && path.m_Keys.aTargets.size() == size_t(nKeys) * 3);
    FUZZ_CHECK(4 + uint64_t(nKeys) * 24 <= size);
    for (uint32_t n : {0u, nKeys / 2, nKeys ? nKeys - 1 : 0u, nKeys, nKeys + 1}) {
        volatile float f = path.Eye(n).x + path.Target(n).z;
        (void)f;
    }
    return 0;
}
