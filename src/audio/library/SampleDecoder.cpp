#include "audio/library/SampleDecoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/Resampler.h"
#include "audio/library/VorbisFormat.h"
#include "audio/library/VorbisMemory.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

// Frames the stream's last granule promises and the decoder may fall short
// of: none for a well-formed stream; a small margin covers encoders whose
// final granule overstates the last block.
constexpr int64_t kGranuleSlack = 64;

// A decoded sample (nominally -1..1) as 16 bits, rounded to nearest;
// anything beyond the range saturates and NaN is silence.
int16_t ToPcm16(float f) {
    if (!(f == f)) return 0;
    const float fScaled = f * 32768.0f;
    if (fScaled >= 32767.0f) return 32767;
    if (fScaled <= -32768.0f) return -32768;
    return int16_t(std::lrintf(fScaled));
}

struct VorbisCloser {
    stb_vorbis* p;
    ~VorbisCloser() { if (p) stb_vorbis_close(p); }
};

// What the stream declares, checked against the limits before the decoder
// sees any of it.
uint32_t CheckDeclaredFormat(const uint8_t* pData, const OggStreamInfo& info, VorbisFormat* pFormat) {
    if (!ReadVorbisFormat(pData, info.nStreamBytes, pFormat)) return bass::kErrorFileForm;
    if (!SampleChannelsAccepted(pFormat->nChannels) || !SampleRateAccepted(pFormat->nSampleRate))
        return bass::kErrorFormat;
    if (info.nLastGranule <= 0 || !CheckVorbisComments(pData, info.nStreamBytes) ||
        !CheckVorbisCodebooks(pData, info.nStreamBytes))
        return bass::kErrorFileForm;
    if (uint64_t(info.nLastGranule) > MaxSampleFrames(pFormat->nSampleRate)) return bass::kErrorMem;
    return bass::kOk;
}

// Decodes to 16-bit stereo at the source rate, at most the declared length
// (plus the slack): a stream that runs on beyond its last granule is damaged.
uint32_t DecodeStereo(const uint8_t* pData, const OggStreamInfo& info, const VorbisFormat& format,
                      std::vector<int16_t>* pPcm) {
    CVorbisMemoryBudget budget(kMaxDecoderMemory);
    int nError = 0;
    VorbisCloser vorbis{stb_vorbis_open_memory(pData, int(info.nStreamBytes), &nError, nullptr)};
    if (!vorbis.p) return budget.Exceeded() ? bass::kErrorMem : bass::kErrorFileForm;
    const stb_vorbis_info vi = stb_vorbis_get_info(vorbis.p);
    if (uint32_t(vi.channels) != format.nChannels || vi.sample_rate != format.nSampleRate)
        return bass::kErrorFileForm;

    const size_t nMaxFrames = size_t(info.nLastGranule + kGranuleSlack);
    std::vector<int16_t>& pcm = *pPcm;
    // The declared length is only a promise: room for a minute at most
    // before the audio shows up.
    pcm.reserve(size_t(std::min<int64_t>(info.nLastGranule, int64_t(60) * format.nSampleRate)) * 2);
    // The decoder's float output, converted here: its own conversion to
    // 16 bits overflows a signed integer on the wild values damaged audio
    // packets decode to (found by fuzzing).
    const int nChannels = int(format.nChannels);
    float chunk[4096 * 2];
    while (true) {
        const int n = stb_vorbis_get_samples_float_interleaved(vorbis.p, nChannels, chunk, 4096 * nChannels);
        if (n <= 0) break;
        if (pcm.size() / 2 + size_t(n) > nMaxFrames) return bass::kErrorFileForm;
        for (int i = 0; i < n; ++i) {
            const int16_t nLeft = ToPcm16(chunk[i * nChannels]);
            pcm.push_back(nLeft);
            pcm.push_back(nChannels == 2 ? ToPcm16(chunk[i * 2 + 1]) : nLeft);
        }
    }
    if (budget.Exceeded()) return bass::kErrorMem;
    const int64_t nFrames = int64_t(pcm.size() / 2);
    if (nFrames == 0 || nFrames + kGranuleSlack < info.nLastGranule) return bass::kErrorFileForm;
    return bass::kOk;
}

uint32_t DecodeChecked(const uint8_t* pData, const OggStreamInfo& info, DecodedSample* pOut) {
    VorbisFormat format;
    uint32_t nResult = CheckDeclaredFormat(pData, info, &format);
    if (nResult != bass::kOk) return nResult;
    std::vector<int16_t> pcm;
    nResult = DecodeStereo(pData, info, format, &pcm);
    if (nResult != bass::kOk) return nResult;

    pOut->nSourceRate = format.nSampleRate;
    pOut->nSourceChannels = format.nChannels;
    if (format.nSampleRate == bass::kOutputRate) {
        pOut->pcm = std::move(pcm);
    } else {
        pOut->pcm = ResampleStereo(pcm.data(), uint32_t(pcm.size() / 2), format.nSampleRate, bass::kOutputRate);
        if (pOut->pcm.empty()) return bass::kErrorFormat;
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
