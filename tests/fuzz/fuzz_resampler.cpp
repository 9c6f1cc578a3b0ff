// The resampler on arbitrary sound and rates: two 16-bit rate codes (which
// reach both sides of the accepted range), then stereo 16-bit frames.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/library/Resampler.h"
#include "audio/library/SampleLimits.h"
#include "fuzz_common.h"

namespace {

uint32_t Rate(const uint8_t* p) {
    static const uint32_t kCommon[] = {8000, 11025, 22050, 44100, 48000, 7999, 48001, 0};
    const uint32_t n = uint32_t(p[0] | p[1] << 8);
    return n < 0x1000 ? kCommon[n % 8] : 4000 + n;  // 4,000 .. 69,535 Hz
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t nIn = Rate(data), nOut = Rate(data + 2);
    const uint32_t nFrames = uint32_t((size - 4) / 4);
    std::vector<int16_t> pcm(size_t(nFrames) * 2);
    if (nFrames) std::memcpy(pcm.data(), data + 4, size_t(nFrames) * 4);
    const std::vector<int16_t> out = ResampleStereo(pcm.data(), nFrames, nIn, nOut);
    if (!nFrames || !SampleRateAccepted(nIn) || !SampleRateAccepted(nOut)) {
        FUZZ_CHECK(out.empty());
        return 0;
    }
    FUZZ_CHECK(out.size() == size_t(ResampledFrames(nFrames, nIn, nOut)) * 2);
    // A constant signal stays constant (the kernel is normalised).
    if (nFrames >= 4) {
        std::vector<int16_t> flat(pcm.size(), pcm[0]);
        for (size_t i = 1; i < flat.size(); i += 2) flat[i] = pcm[1];
        const std::vector<int16_t> still = ResampleStereo(flat.data(), nFrames, nIn, nOut);
        for (size_t i = 0; i < still.size(); i += 2) {
            FUZZ_CHECK(std::abs(still[i] - flat[0]) <= 1);
            FUZZ_CHECK(std::abs(still[i + 1] - flat[1]) <= 1);
        }
    }
    return 0;
}
