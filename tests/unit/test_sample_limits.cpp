// The audio library's limits on what a sound file may be: the format a
// stream declares is checked before the decoder reads anything else of it,
// the decoder's memory has a ceiling, and resampling is bounded the same way.
// The streams are small encoder outputs (tests/fuzz/corpus/ogg) and copies
// of them with crafted headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/library/BassCodes.h"
#include "audio/library/OggCheck.h"
#include "audio/library/Resampler.h"
#include "audio/library/SampleDecoder.h"
#include "audio/library/SampleLimits.h"
#include "audio/library/VorbisFormat.h"
#include "audio/library/VorbisMemory.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadStream(const char* pszName) {
    return ReadFileBytes(std::string(CORDELUNE_SOURCE_DIR) + "/tests/fuzz/corpus/ogg/" + pszName);
}

size_t PageSize(const Bytes& data, size_t nAt) {
    size_t n = 27 + data[nAt + 26];
    for (size_t i = 0; i < data[nAt + 26]; ++i) n += data[nAt + 27 + i];
    return n;
}

std::vector<size_t> PageOffsets(const Bytes& data) {
    std::vector<size_t> offsets;
    for (size_t n = 0; n + 27 <= data.size() && std::memcmp(&data[n], "OggS", 4) == 0; n += PageSize(data, n))
        offsets.push_back(n);
    return offsets;
}

void FixCrc(Bytes& data, size_t nAt) {
    std::memset(&data[nAt + 22], 0, 4);
    const uint32_t nCrc = OggCrc(&data[nAt], PageSize(data, nAt));
    for (int i = 0; i < 4; ++i) data[nAt + 22 + i] = uint8_t(nCrc >> (8 * i));
}

void Put32(Bytes& data, size_t nAt, uint32_t n) {
    for (int i = 0; i < 4; ++i) data[nAt + i] = uint8_t(n >> (8 * i));
}

// Offset of the identification header in the first page.
size_t IdHeader(const Bytes& data) { return 27 + data[26]; }

Bytes WithChannels(Bytes data, uint8_t nChannels) {
    data[IdHeader(data) + 11] = nChannels;
    FixCrc(data, 0);
    return data;
}

Bytes WithRate(Bytes data, uint32_t nRate) {
    Put32(data, IdHeader(data) + 12, nRate);
    FixCrc(data, 0);
    return data;
}

// The last page's granule position: the length the stream declares.
Bytes WithLength(Bytes data, int64_t nFrames) {
    const size_t nLast = PageOffsets(data).back();
    for (int i = 0; i < 8; ++i) data[nLast + 6 + i] = uint8_t(uint64_t(nFrames) >> (8 * i));
    FixCrc(data, nLast);
    return data;
}

int64_t DeclaredLength(const Bytes& data) {
    OggStreamInfo info;
    return CheckOggStream(data.data(), data.size(), &info) ? info.nLastGranule : -1;
}

uint32_t Decode(const Bytes& data, DecodedSample* pOut = nullptr, uint32_t nFlags = 0) {
    DecodedSample sample;
    return DecodeOggSample(data.data(), data.size(), nFlags, pOut ? pOut : &sample);
}

class Streams : public ::testing::Test {
protected:
    void SetUp() override {
        m_Mono8k = ReadStream("mono8k.ogg");
        m_Stereo48k = ReadStream("stereo48k.ogg");
        ASSERT_GT(m_Mono8k.size(), 100u);
        ASSERT_GT(m_Stereo48k.size(), 100u);
        ASSERT_GE(PageOffsets(m_Stereo48k).size(), 3u);
    }
    Bytes m_Mono8k, m_Stereo48k;
};

TEST_F(Streams, TheEdgesOfTheAcceptedRangeDecode) {
    // Mono at 8,000 Hz and stereo at 48,000 Hz, a quarter second each,
    // resampled to the output rate.
    DecodedSample mono, stereo;
    ASSERT_EQ(Decode(m_Mono8k, &mono), bass::kOk);
    EXPECT_EQ(mono.nSourceChannels, 1u);
    EXPECT_EQ(mono.nSourceRate, 8000u);
    EXPECT_EQ(mono.Frames(), ResampledFrames(2000, 8000, bass::kOutputRate));
    for (size_t i = 0; i < mono.pcm.size(); i += 2) ASSERT_EQ(mono.pcm[i], mono.pcm[i + 1]);
    ASSERT_EQ(Decode(m_Stereo48k, &stereo), bass::kOk);
    EXPECT_EQ(stereo.nSourceChannels, 2u);
    EXPECT_EQ(stereo.nSourceRate, 48000u);
    EXPECT_EQ(stereo.Frames(), ResampledFrames(12000, 48000, bass::kOutputRate));
}

TEST_F(Streams, FormatsOutsideTheLimitsFailBeforeDecoding) {
    // Encoder output in formats a saver does not need.
    EXPECT_EQ(Decode(ReadStream("three.ogg")), bass::kErrorFormat);
    EXPECT_EQ(Decode(ReadStream("mono96k.ogg")), bass::kErrorFormat);
    EXPECT_EQ(Decode(ReadStream("mono7k.ogg")), bass::kErrorFormat);
    // Declared rates and channel counts just outside and far outside.
    for (uint32_t nRate : {7999u, 48001u, 96000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(nRate);
        EXPECT_EQ(Decode(WithRate(m_Stereo48k, nRate)), bass::kErrorFormat);
    }
    for (uint8_t nChannels : {3, 8, 255}) {
        SCOPED_TRACE(int(nChannels));
        EXPECT_EQ(Decode(WithChannels(m_Stereo48k, nChannels)), bass::kErrorFormat);
    }
    // No channels or no rate: not a Vorbis header at all.
    EXPECT_EQ(Decode(WithChannels(m_Stereo48k, 0)), bass::kErrorFileForm);
    EXPECT_EQ(Decode(WithRate(m_Stereo48k, 0)), bass::kErrorFileForm);

    // The verdict comes from the identification header alone: with the
    // setup header destroyed as well, the answer is still the format's.
    Bytes broken = WithChannels(m_Stereo48k, 6);
    const size_t nSecond = PageOffsets(broken)[1];
    for (size_t i = nSecond + PageSize(broken, nSecond) - 200; i < nSecond + PageSize(broken, nSecond); ++i)
        broken[i] = 0xFF;
    FixCrc(broken, nSecond);
    EXPECT_EQ(Decode(broken), bass::kErrorFormat);
    EXPECT_EQ(Decode(WithChannels(broken, 2)), bass::kErrorFileForm);
}

TEST_F(Streams, DeclaredRatesWithinTheLimitsAreTaken) {
    // The audio stays the same; only the rate it counts at changes.
    for (uint32_t nRate : {8000u, 11025u, 32000u, 48000u}) {
        SCOPED_TRACE(nRate);
        DecodedSample sample;
        ASSERT_EQ(Decode(WithRate(m_Stereo48k, nRate), &sample), bass::kOk);
        EXPECT_EQ(sample.nSourceRate, nRate);
        EXPECT_EQ(sample.Frames(), ResampledFrames(12000, nRate, bass::kOutputRate));
    }
}

TEST_F(Streams, LongerThanTenMinutesFailsBeforeDecoding) {
    ASSERT_EQ(DeclaredLength(m_Stereo48k), 12000);
    const int64_t nLimit = int64_t(kMaxSampleSeconds) * 48000;
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, nLimit + 1)), bass::kErrorMem);
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, int64_t(1) << 40)), bass::kErrorMem);
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, INT64_MAX)), bass::kErrorMem);
    // Ten minutes exactly passes the check; the audio then falls short of
    // what the stream declares, which is damage.
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, nLimit)), bass::kErrorFileForm);
    // The limit is in seconds: at 8,000 Hz it is fewer frames.
    EXPECT_EQ(Decode(WithLength(m_Mono8k, int64_t(kMaxSampleSeconds) * 8000 + 1)), bass::kErrorMem);
}

TEST_F(Streams, AudioBeyondTheDeclaredLengthFails) {
    // Decoding stops where the last page says the stream ends: a stream
    // whose packets hold more audio is refused rather than decoded on.
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, 3000)), bass::kErrorFileForm);
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, 1)), bass::kErrorFileForm);
    EXPECT_EQ(Decode(WithLength(m_Stereo48k, 0)), bass::kErrorFileForm);
}

// --- a crafted setup header --------------------------------------------------

int BitsFor(uint32_t n) {
    int nBits = 0;
    for (; n; n >>= 1) ++nBits;
    return nBits;
}

// Vorbis packs its headers least significant bit first.
class BitWriter {
public:
    void Put(uint32_t nValue, int nBits) {
        for (int i = 0; i < nBits; ++i, ++m_nBits) {
            if (m_nBits % 8 == 0) m_Bytes.push_back(0);
            if (nValue >> i & 1) m_Bytes.back() |= uint8_t(1 << (m_nBits % 8));
        }
    }
    void PutText(const char* psz) {
        while (*psz) Put(uint8_t(*psz++), 8);
    }
    Bytes m_Bytes;

private:
    size_t m_nBits = 0;
};

// Builds an Ogg stream page by page; packets longer than a page can hold
// continue on the next.
class OggWriter {
public:
    // The packets, on as many pages as their segments need (255 a page). The
    // last of those pages carries nGranule and, when asked, the end flag.
    void AddPackets(const std::vector<Bytes>& packets, int64_t nGranule, bool bLast) {
        Bytes lacing, body;
        for (const Bytes& packet : packets) {
            for (size_t n = packet.size();; n -= 255) {
                lacing.push_back(uint8_t(n < 255 ? n : 255));
                if (n < 255) break;
            }
            body.insert(body.end(), packet.begin(), packet.end());
        }
        size_t nSegment = 0, nBody = 0;
        bool bContinued = false;
        while (nSegment < lacing.size()) {
            const size_t nCount = std::min<size_t>(255, lacing.size() - nSegment);
            size_t nBytes = 0;
            for (size_t i = 0; i < nCount; ++i) nBytes += lacing[nSegment + i];
            const bool bFinal = nSegment + nCount == lacing.size();
            uint8_t nFlags = uint8_t((bContinued ? 0x01 : 0) | (m_nSequence == 0 ? 0x02 : 0) | (bFinal && bLast ? 0x04 : 0));
            Bytes page = {'O', 'g', 'g', 'S', 0, nFlags};
            const int64_t nPageGranule = bFinal ? nGranule : -1;
            for (int i = 0; i < 8; ++i) page.push_back(uint8_t(uint64_t(nPageGranule) >> (8 * i)));
            for (uint32_t n : {0x5EED5EEDu, m_nSequence++, 0u})
                for (int i = 0; i < 4; ++i) page.push_back(uint8_t(n >> (8 * i)));
            page.push_back(uint8_t(nCount));
            page.insert(page.end(), lacing.begin() + long(nSegment), lacing.begin() + long(nSegment + nCount));
            page.insert(page.end(), body.begin() + long(nBody), body.begin() + long(nBody + nBytes));
            FixCrc(page, 0);
            m_Data.insert(m_Data.end(), page.begin(), page.end());
            bContinued = lacing[nSegment + nCount - 1] == 255;
            nSegment += nCount;
            nBody += nBytes;
        }
    }
    Bytes m_Data;

private:
    uint32_t m_nSequence = 0;
};

// A comment header: the vendor text, nCount declared comments of which the
// texts given follow, the framing bit.
Bytes CommentHeader(uint32_t nVendor, uint32_t nCount, const std::vector<std::string>& texts = {}) {
    BitWriter comment;
    comment.Put(3, 8);
    comment.PutText("vorbis");
    comment.Put(nVendor, 32);
    for (uint32_t i = 0; i < nVendor && i < 16; ++i) comment.Put('v', 8);
    comment.Put(nCount, 32);
    for (const std::string& text : texts) {
        comment.Put(uint32_t(text.size()), 32);
        comment.PutText(text.c_str());
    }
    comment.Put(1, 8);
    return comment.m_Bytes;
}

// A stream with the identification header of model and the given comment
// and setup headers.
Bytes StreamWithSetup(const Bytes& model, const Bytes& setup, const Bytes& comment = CommentHeader(0, 0)) {
    const Bytes id(model.begin() + long(IdHeader(model)), model.begin() + long(IdHeader(model)) + 30);
    OggWriter stream;
    stream.AddPackets({id}, 0, false);
    stream.AddPackets({comment, setup}, 0, false);
    stream.AddPackets({Bytes{0}}, 1000, true);
    return stream.m_Data;
}

// The start of a setup header with one codebook of nEntries one-dimensional
// entries.
BitWriter SetupWithCodebook(uint32_t nEntries) {
    BitWriter setup;
    setup.Put(5, 8);
    setup.PutText("vorbis");
    setup.Put(0, 8);          // one codebook
    setup.Put(0x564342, 24);  // its sync pattern
    setup.Put(1, 16);         // dimensions
    setup.Put(nEntries, 24);
    return setup;
}

// Every entry's code length in one run; no lookup table.
Bytes OrderedCodebook(uint32_t nEntries) {
    BitWriter setup = SetupWithCodebook(nEntries);
    setup.Put(1, 1);  // ordered
    setup.Put(0, 5);
    setup.Put(nEntries, 24);
    setup.Put(0, 4);
    setup.Put(0, 32);
    return setup.m_Bytes;
}

TEST_F(Streams, CodebooksBeyondTheLimitFailBeforeDecoding) {
    // 16.7 million entries: a few bytes of header that would have the
    // decoder build tables of hundreds of megabytes.
    const Bytes huge = StreamWithSetup(m_Stereo48k, OrderedCodebook(0xFFFFFF));
    ASSERT_TRUE(CheckOggStream(huge.data(), huge.size(), nullptr));
    EXPECT_FALSE(CheckVorbisCodebooks(huge.data(), huge.size()));
    EXPECT_EQ(Decode(huge), bass::kErrorFileForm);
    // A small one passes the check and fails in the decoder, on the missing
    // rest of the header.
    const Bytes small = StreamWithSetup(m_Stereo48k, OrderedCodebook(16));
    EXPECT_TRUE(CheckVorbisCodebooks(small.data(), small.size()));
    EXPECT_EQ(Decode(small), bass::kErrorFileForm);
    // Code words of 31 bits, which the decoder takes but then overflows on
    // (found by fuzzing), fail in either form of length list; 30 pass.
    auto lengths = [](bool bOrdered, uint32_t nBits) {
        BitWriter setup = SetupWithCodebook(2);
        setup.Put(bOrdered, 1);
        if (bOrdered) {
            setup.Put(nBits - 2, 5);  // one entry of nBits - 1, one of nBits
            setup.Put(1, 2);
            setup.Put(1, 1);
        } else {
            setup.Put(0, 1);  // not sparse
            setup.Put(nBits - 1, 5);
            setup.Put(nBits - 1, 5);
        }
        setup.Put(0, 4);
        setup.Put(0, 32);
        return setup.m_Bytes;
    };
    for (const bool bOrdered : {false, true}) {
        const Bytes longest = StreamWithSetup(m_Stereo48k, lengths(bOrdered, 30));
        EXPECT_TRUE(CheckVorbisCodebooks(longest.data(), longest.size())) << bOrdered;
        const Bytes tooLong = StreamWithSetup(m_Stereo48k, lengths(bOrdered, 31));
        EXPECT_FALSE(CheckVorbisCodebooks(tooLong.data(), tooLong.size())) << bOrdered;
        EXPECT_EQ(Decode(tooLong), bass::kErrorFileForm) << bOrdered;
    }
    // Encoder output passes.
    EXPECT_TRUE(CheckVorbisCodebooks(m_Stereo48k.data(), m_Stereo48k.size()));
    EXPECT_TRUE(CheckVorbisCodebooks(m_Mono8k.data(), m_Mono8k.size()));
}

TEST_F(Streams, ALookupTableTheDecoderCannotSizeFails) {
    // Type 1 lookup, one entry in 40 dimensions: working out the value
    // count, the decoder raises 2 to the 40th and makes an int of it (found
    // by fuzzing). Two dimensions of 9 entries are an ordinary table.
    auto lookup1 = [](uint32_t nEntries, uint32_t nDimensions) {
        BitWriter setup;
        setup.Put(5, 8);
        setup.PutText("vorbis");
        setup.Put(0, 8);
        setup.Put(0x564342, 24);
        setup.Put(nDimensions, 16);
        setup.Put(nEntries, 24);
        setup.Put(1, 1);  // ordered: every entry 1 bit long...
        setup.Put(0, 5);
        setup.Put(nEntries, BitsFor(nEntries));
        setup.Put(1, 4);  // ...with a type 1 lookup
        setup.Put(0, 32);
        setup.Put(0, 32);
        setup.Put(3, 4);  // four bits a value
        setup.Put(0, 1);
        setup.Put(0, 32);
        setup.Put(0, 32);
        return setup.m_Bytes;
    };
    const Bytes bad = StreamWithSetup(m_Stereo48k, lookup1(1, 40));
    EXPECT_FALSE(CheckVorbisCodebooks(bad.data(), bad.size()));
    EXPECT_EQ(Decode(bad), bass::kErrorFileForm);
    const Bytes good = StreamWithSetup(m_Stereo48k, lookup1(9, 2));
    EXPECT_TRUE(CheckVorbisCodebooks(good.data(), good.size()));
}

TEST_F(Streams, AHugeCodebookMeetsTheDecodersMemoryCeiling) {
    // A million entries pass the codebook check; their tables do not fit the
    // decoder's memory.
    const Bytes large = StreamWithSetup(m_Stereo48k, OrderedCodebook(1 << 20));
    ASSERT_TRUE(CheckVorbisCodebooks(large.data(), large.size()));
    // The decoder stops at its ceiling; where the allocator's bookkeeping
    // differs (the Windows runtime) it may refuse the setup as damaged first.
    const uint32_t nError = Decode(large);
    EXPECT_TRUE(nError == bass::kErrorMem || nError == bass::kErrorFileForm) << nError;
    EXPECT_EQ(VorbisLiveBlocks(), 0u);
}

TEST_F(Streams, AHeaderThatStopsTheDecoderHalfWayLeavesNoMemoryBehind) {
    // A sparse codebook of three one-bit codes, one too many for a code
    // tree: the decoder gives up with its scratch lists still allocated
    // (found by fuzzing).
    BitWriter setup = SetupWithCodebook(64);
    setup.Put(0, 1);  // not ordered
    setup.Put(1, 1);  // sparse
    for (int i = 0; i < 64; ++i) {
        setup.Put(i < 3, 1);
        if (i < 3) setup.Put(0, 5);
    }
    setup.Put(0, 4);
    setup.Put(0, 32);
    const Bytes stream = StreamWithSetup(m_Stereo48k, setup.m_Bytes);
    ASSERT_TRUE(CheckVorbisCodebooks(stream.data(), stream.size()));
    ASSERT_EQ(VorbisLiveBlocks(), 0u);
    EXPECT_EQ(Decode(stream), bass::kErrorFileForm);
    EXPECT_EQ(VorbisLiveBlocks(), 0u);
}

TEST_F(Streams, CommentCountsAndLengthsMustFitTheirHeader) {
    // The decoder sizes its comment table from the declared count: with
    // 0x20000001 comments the size wrapped around and the table was
    // overrun; with 50 million it could not be allocated, and the clean-up
    // then read through a null pointer (found by fuzzing).
    const Bytes setup = OrderedCodebook(16);
    for (uint32_t nCount : {0x20000001u, 50000000u, 3u}) {
        const Bytes stream = StreamWithSetup(m_Stereo48k, setup, CommentHeader(0, nCount, {"A=b", "C=d"}));
        EXPECT_FALSE(CheckVorbisComments(stream.data(), stream.size())) << nCount;
        EXPECT_EQ(Decode(stream), bass::kErrorFileForm) << nCount;
    }
    for (uint32_t nVendor : {0x7FFFFFFFu, 0xFFFFFFFFu, 17u}) {
        const Bytes stream = StreamWithSetup(m_Stereo48k, setup, CommentHeader(nVendor, 0));
        EXPECT_FALSE(CheckVorbisComments(stream.data(), stream.size())) << nVendor;
        EXPECT_EQ(Decode(stream), bass::kErrorFileForm) << nVendor;
    }
    // What fits is taken, and encoder output passes.
    const Bytes fits = StreamWithSetup(m_Stereo48k, setup, CommentHeader(16, 2, {"A=b", "C=d"}));
    EXPECT_TRUE(CheckVorbisComments(fits.data(), fits.size()));
    EXPECT_TRUE(CheckVorbisComments(m_Stereo48k.data(), m_Stereo48k.size()));
    EXPECT_TRUE(CheckVorbisComments(m_Mono8k.data(), m_Mono8k.size()));
    // A comment header longer than the limit, spread over pages.
    const std::string big(200000, 'x');
    const Bytes tooLong = StreamWithSetup(m_Stereo48k, setup, CommentHeader(0, 2, {big, big}));
    EXPECT_FALSE(CheckVorbisComments(tooLong.data(), tooLong.size()));
    const Bytes longButFine = StreamWithSetup(m_Stereo48k, setup, CommentHeader(0, 1, {big}));
    EXPECT_TRUE(CheckVorbisComments(longButFine.data(), longButFine.size()));
}

TEST(VorbisMemory, AllocationsBeyondTheCeilingFail) {
    CVorbisMemoryBudget budget(1000);
    void* a = VorbisMalloc(600);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(VorbisMalloc(401), nullptr);
    EXPECT_TRUE(budget.Exceeded());
    void* b = VorbisMalloc(400);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(budget.Used(), 1000u);
    VorbisFree(a);
    EXPECT_EQ(budget.Used(), 400u);
    // A refused realloc keeps the old block.
    std::memset(b, 0x5A, 400);
    EXPECT_EQ(VorbisRealloc(b, 2000), nullptr);
    void* c = VorbisRealloc(b, 500);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(c)[399], 0x5A);
    EXPECT_EQ(budget.Used(), 500u);
    EXPECT_EQ(budget.Peak(), 1000u);
    VorbisFree(c);
    EXPECT_EQ(budget.Used(), 0u);
    EXPECT_EQ(VorbisMalloc(size_t(-1)), nullptr);
}

TEST(VorbisMemory, TheBudgetFreesWhatIsLeftAtItsEnd) {
    const size_t nBefore = VorbisLiveBlocks();
    {
        CVorbisMemoryBudget budget(1 << 20);
        void* a = VorbisMalloc(100);
        VorbisMalloc(200);
        VorbisMalloc(300);
        VorbisFree(a);
        EXPECT_EQ(VorbisLiveBlocks(), nBefore + 2);
        EXPECT_EQ(budget.Used(), 500u);
    }
    EXPECT_EQ(VorbisLiveBlocks(), nBefore);
}

TEST(VorbisFormatHeader, ReadsTheIdentificationHeader) {
    const Bytes data = ReadStream("stereo48k.ogg");
    VorbisFormat format;
    ASSERT_TRUE(ReadVorbisFormat(data.data(), data.size(), &format));
    EXPECT_EQ(format.nChannels, 2u);
    EXPECT_EQ(format.nSampleRate, 48000u);
    EXPECT_LE(format.nShortBlock, format.nLongBlock);
    // Block sizes: the long one shorter than the short one, or beyond 8192.
    const size_t nBlocks = IdHeader(data) + 28;
    for (uint8_t nBlockByte : {uint8_t(0x8B), uint8_t(0xE8), uint8_t(0x55)}) {
        Bytes bad = data;
        bad[nBlocks] = nBlockByte;
        EXPECT_FALSE(ReadVorbisFormat(bad.data(), bad.size(), nullptr)) << int(nBlockByte);
    }
    Bytes noFraming = data;
    noFraming[IdHeader(data) + 29] = 0;
    EXPECT_FALSE(ReadVorbisFormat(noFraming.data(), noFraming.size(), nullptr));
    for (size_t nSize : {size_t(0), size_t(27), IdHeader(data) + 29})
        EXPECT_FALSE(ReadVorbisFormat(data.data(), nSize, nullptr)) << nSize;
}

TEST(ResamplerLimits, RatesAndLengthsOutsideTheLimitsGiveNothing) {
    const std::vector<int16_t> pcm(2 * 8000, 1000);
    EXPECT_EQ(ResampleStereo(pcm.data(), 8000, 8000, 44100).size(), 2u * 44100);
    EXPECT_EQ(ResampleStereo(pcm.data(), 8000, 48000, 8000).size(), 2u * 1334);
    EXPECT_TRUE(ResampleStereo(pcm.data(), 8000, 7999, 44100).empty());
    EXPECT_TRUE(ResampleStereo(pcm.data(), 8000, 48001, 44100).empty());
    EXPECT_TRUE(ResampleStereo(pcm.data(), 8000, 44100, 96000).empty());
    EXPECT_TRUE(ResampleStereo(pcm.data(), 8000, 44100, 0).empty());
    EXPECT_TRUE(ResampleStereo(nullptr, 8000, 8000, 44100).empty());
    // More than ten minutes is refused before a single frame is read (the
    // buffer here is far shorter than the count says).
    EXPECT_TRUE(ResampleStereo(pcm.data(), kMaxSampleSeconds * 8000 + 1, 8000, 44100).empty());
    EXPECT_TRUE(ResampleStereo(pcm.data(), 0xFFFFFFFFu, 48000, 44100).empty());
}

}  // namespace
