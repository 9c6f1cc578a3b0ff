// The audio library's loading path on arbitrary bytes as they arrive: the
// Ogg structure check, the identification header and the decoder behind
// them. Damaged pages mostly stop at the check; fuzz_vorbis gets past it.
#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/SampleDecoder.h"
#include "audio/library/VorbisFormat.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OggStreamInfo info;
    const bool bIntact = CheckOggStream(data, size, &info);
    if (bIntact) FUZZ_CHECK(info.nPages >= 1 && info.nStreamBytes <= size);
    VorbisFormat format;
    (void)ReadVorbisFormat(data, size, &format);
    DecodedSample sample;
    const uint32_t nResult = DecodeOggSample(data, size, 0, &sample);
    if (!bIntact) FUZZ_CHECK(nResult == bass::kErrorFileForm);
    if (nResult == bass::kOk) {
        FUZZ_CHECK(sample.Frames() > 0 && uint64_t(sample.Frames()) <= kMaxDecodedFrames + 1);
        FUZZ_CHECK(SampleChannelsAccepted(sample.nSourceChannels) && SampleRateAccepted(sample.nSourceRate));
    }
    return 0;
}
