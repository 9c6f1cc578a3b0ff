// The Vorbis decoder behind the Ogg check: the input is an Ogg stream whose
// page checksums are put right before it is loaded, so that mutated headers
// and audio packets reach the decoder instead of failing the CRC. The
// length's parity chooses the mono mix-down.
#include <cstring>
#include <vector>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/SampleDecoder.h"
#include "fuzz_common.h"

namespace {

// Recomputes the CRC of every whole page from the start of the data.
void FixPageCrcs(std::vector<uint8_t>& data) {
    size_t nAt = 0;
    while (nAt + 27 <= data.size() && std::memcmp(&data[nAt], "OggS", 4) == 0) {
        const size_t nSegments = data[nAt + 26];
        if (nAt + 27 + nSegments > data.size()) return;
        size_t nPage = 27 + nSegments;
        for (size_t i = 0; i < nSegments; ++i) nPage += data[nAt + 27 + i];
        if (nAt + nPage > data.size()) return;
        std::memset(&data[nAt + 22], 0, 4);
        const uint32_t nCrc = OggCrc(&data[nAt], nPage);
        for (int i = 0; i < 4; ++i) data[nAt + 22 + i] = uint8_t(nCrc >> (8 * i));
        nAt += nPage;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream(data, data + size);
    FixPageCrcs(stream);
    const uint32_t nFlags = (size & 1) ? bass::kSampleMono : 0;
    DecodedSample sample;
    const uint32_t nResult = DecodeOggSample(stream.data(), stream.size(), nFlags, &sample);
    FUZZ_CHECK(nResult == bass::kOk || nResult == bass::kErrorFileForm || nResult == bass::kErrorFormat ||
               nResult == bass::kErrorMem);
    if (nResult == bass::kOk) {
        FUZZ_CHECK(sample.Frames() > 0 && uint64_t(sample.Frames()) <= kMaxDecodedFrames + 1);
        FUZZ_CHECK(sample.pcm.size() % 2 == 0);
        if (nFlags)
            for (size_t i = 0; i < sample.pcm.size(); i += 2) FUZZ_CHECK(sample.pcm[i] == sample.pcm[i + 1]);
    } else {
        FUZZ_CHECK(sample.pcm.empty());
    }
    return 0;
}
