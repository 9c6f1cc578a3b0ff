#include "audio/library/SampleDecoder.h"

#include <climits>
#include <new>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/Resampler.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

// Frames the stream's last granule promises and the decoder may fall short
// of: none for a well-formed stream; a small margin covers encoders whose
// final granule overstates the last block.
constexpr int64_t kGranuleSlack = 64;

struct VorbisCloser {
    stb_vorbis* p;
    ~VorbisCloser() { if (p) stb_vorbis_close(p); }
};

uint32_t DecodeChecked(const uint8_t* pData, const OggStreamInfo& info, DecodedSample* pOut) {
    int nError = 0;
    VorbisCloser vorbis{stb_vorbis_open_memory(pData, int(info.nStreamBytes), &nError, nullptr)};
    if (!vorbis.p) return bass::kErrorFileForm;
    const stb_vorbis_info vi = stb_vorbis_get_info(vorbis.p);
    if (vi.channels < 1 || vi.sample_rate < 1000 || vi.sample_rate > 384000) return bass::kErrorFileForm;
    const uint64_t nMaxFrames = uint64_t(kMaxSampleSeconds) * vi.sample_rate;
    if (info.nLastGranule > int64_t(nMaxFrames)) return bass::kErrorMem;

    std::vector<int16_t> pcm;
    pcm.reserve(size_t(info.nLastGranule) * 2);
    short chunk[4096 * 2];
    while (true) {
        const int n = stb_vorbis_get_samples_short_interleaved(vorbis.p, 2, chunk, 4096 * 2);
        if (n <= 0) break;
        if (pcm.size() / 2 + size_t(n) > nMaxFrames) return bass::kErrorMem;
        pcm.insert(pcm.end(), chunk, chunk + size_t(n) * 2);
    }
    const int64_t nFrames = int64_t(pcm.size() / 2);
    if (nFrames == 0 || nFrames + kGranuleSlack < info.nLastGranule) return bass::kErrorFileForm;

    pOut->nSourceRate = vi.sample_rate;
    pOut->nSourceChannels = uint32_t(vi.channels);
    if (vi.sample_rate == int(bass::kOutputRate)) {
        pOut->pcm = std::move(pcm);
    } else {
        pOut->pcm = ResampleStereo(pcm.data(), uint32_t(nFrames), vi.sample_rate, bass::kOutputRate);
    }
    return bass::kOk;
}

void MixToMono(std::vector<int16_t>* pPcm) {
    for (size_t i = 0; i + 1 < pPcm->size(); i += 2) {
        const int16_t v = int16_t(((*pPcm)[i] + (*pPcm)[i + 1]) / 2);
        (*pPcm)[i] = (*pPcm)[i + 1] = v;
    }
}

}  // namespace

uint32_t DecodeOggSample(const uint8_t* pData, size_t nSize, uint32_t nFlags, DecodedSample* pOut) {
    OggStreamInfo info;
    if (!pOut || nSize > size_t(INT_MAX) || !CheckOggStream(pData, nSize, &info)) return bass::kErrorFileForm;
    DecodedSample sample;
    uint32_t nResult;
    try {
        nResult = DecodeChecked(pData, info, &sample);
    } catch (const std::bad_alloc&) {
        return bass::kErrorMem;
    }
    if (nResult != bass::kOk) return nResult;
    if (nFlags & bass::kSampleMono) MixToMono(&sample.pcm);
    *pOut = std::move(sample);
    return bass::kOk;
}
