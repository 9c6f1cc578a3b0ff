// The decompressor and cipher: hand-made bit streams for the edge cases of
// the method, and archives checked against an independent reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "assets/UnpackAudio.h"
#include "assets/DecodeTable.h"
#include "test_archive_support.h"
#include "test_archive_vectors.h"

using namespace archive_test;

namespace {

constexpr int kLz = kMainSymbols + kDistanceSymbols + kRepeatSymbols;

// A complete LZ table set: literals 9 bits, 256 and 257 5 bits, the 28 match
// symbols 6 bits; distance slots 0..31 6 bits and 32..47 5 bits; repeat
// slots 0..3 4 bits and the rest 5 bits. 269 has no code.
std::vector<uint8_t> FullLzLengths() {
    std::vector<uint8_t> l(kLz, 0);
    for (int s = 0; s < 256; ++s) l[s] = 9;
    l[256] = l[257] = 5;
    for (int s = 270; s < 298; ++s) l[s] = 6;
    for (int d = 0; d < 48; ++d) l[298 + d] = d < 32 ? 6 : 5;
    for (int r = 0; r < 28; ++r) l[346 + r] = r < 4 ? 4 : 5;
    return l;
}

// Sixteen 4-bit codes: the given symbols (15 literals and one more).
std::vector<uint8_t> SixteenSymbols(const char* literals, int other) {
    std::vector<uint8_t> l(kLz, 0);
    for (const char* p = literals; *p; ++p) l[uint8_t(*p)] = 4;
    l[other] = 4;
    return l;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) b = uint8_t(rng());
    return v;
}

void CopyMatch(std::vector<uint8_t>& out, uint32_t distance, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
}

// The same byte by byte through the 1 MiB window, which starts as zeros: a
// match may reach back before the first byte of the entry.
void CopyWindowMatch(std::vector<uint8_t>& out, uint32_t distance, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i) out.push_back(out.size() >= distance ? out[out.size() - distance] : 0);
}

// The main-table symbol and extra bits of a normal match of length slot 0..27
// with extra value e, and of a distance.
void PutNormalMatch(BitSink& s, const Code& main, const Code& dist, uint32_t slot, uint32_t extra, uint32_t distance) {
    static const uint8_t lbits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
    main.Put(s, 270 + slot);
    s.Put(extra, lbits[slot]);
    // Distance slots: find the one whose range holds distance - 1.
    static const uint32_t dbase[48] = {0,      1,      2,      3,      4,      6,      8,      12,     16,     24,
                                       32,     48,     64,     96,     128,    192,    256,    384,    512,    768,
                                       1024,   1536,   2048,   3072,   4096,   6144,   8192,   12288,  16384,  24576,
                                       32768,  49152,  65536,  98304,  131072, 196608, 262144, 327680, 393216, 458752,
                                       524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
    static const uint8_t dbits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                      7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                      15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
    int d = 47;
    while (dbase[d] > distance - 1) --d;
    dist.Put(s, uint32_t(d));
    s.Put(distance - 1 - dbase[d], dbits[d]);
}

struct LzStream {
    std::vector<uint8_t> lengths = FullLzLengths();
    Code main{std::vector<uint8_t>(lengths.begin(), lengths.begin() + 298)};
    Code dist{std::vector<uint8_t>(lengths.begin() + 298, lengths.begin() + 346)};
    Code rep{std::vector<uint8_t>(lengths.begin() + 346, lengths.end())};
    BitSink bits;
    std::vector<uint8_t> content;
    LzStream() { PutTables(bits, lengths, false, 1, false); }
    void Literals(const std::vector<uint8_t>& data) {
        for (uint8_t b : data) main.Put(bits, b);
        content.insert(content.end(), data.begin(), data.end());
    }
    // A normal match of the given length (3 + the distance bonus up to 260)
    // and distance, and the bytes it makes.
    void Match(uint32_t length, uint32_t distance) {
        static const uint8_t lbits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
        static const uint8_t lbase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                          24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
        const uint32_t coded = length - 3 - (distance >= 0x2000) - (distance >= 0x40000);
        uint32_t slot = 27;
        while (lbase[slot] > coded) --slot;
        ASSERT_LT(coded - lbase[slot], 1u << lbits[slot]) << length;
        PutNormalMatch(bits, main, dist, slot, coded - lbase[slot], distance);
        CopyWindowMatch(content, distance, length);
    }
    // Symbol 257 (the last distance again) with repeat slot 0: length 2
    // below distance 0x101.
    void RepeatLastDistance(uint32_t distance) {
        main.Put(bits, 257);
        rep.Put(bits, 0);
        CopyWindowMatch(content, distance, 2 + (distance >= 0x101) + (distance >= 0x2000) + (distance >= 0x40000));
    }
};

} // namespace

TEST(ArchiveDecoder, LiteralOnlyBlockDecodesToItsLiterals) {
    const char* lit = "abcdefghijklmno";
    const Code code(SixteenSymbols(lit, 'p'));
    BitSink s;
    PutTables(s, code.lengths, false, 1, false);
    const std::vector<uint8_t> text = Bytes("hello pop; a big ham jam, deep fog");
    std::vector<uint8_t> content;
    for (uint8_t c : text)
        if (code.lengths[c]) {
            code.Put(s, c);
            content.push_back(c);
        }
    const std::vector<uint8_t> a = Archive({Packed("t", s.Finish(), content)});
    EXPECT_EQ(Extract(a, "t").data, content);
}

TEST(ArchiveDecoder, TableChangesAreAddedModulo16OnlyWhenMarked) {
    const Code t1(SixteenSymbols("abcdefghijklmno", 269));
    const Code t2(SixteenSymbols("ABCDEFGHIJKLMNO", 269));
    const Code t3(SixteenSymbols("0123456789+-*/=", 269));
    BitSink s;
    std::vector<uint8_t> content;
    auto put = [&](const Code& c, const char* text) {
        for (const char* p = text; *p; ++p) {
            c.Put(s, uint8_t(*p));
            content.push_back(uint8_t(*p));
        }
    };
    PutTables(s, t1.lengths, false, 1, false);
    put(t1, "hello");
    t1.Put(s, 269);
    PutTables(s, t2.lengths, false, 1, true, &t1.lengths); // changes against t1
    put(t2, "HELLO");
    t2.Put(s, 269);
    PutTables(s, t3.lengths, false, 1, false); // plain again
    put(t3, "1+2=3");
    const std::vector<uint8_t> a = Archive({Packed("t", s.Finish(), content)});
    EXPECT_EQ(Extract(a, "t").data, Bytes("helloHELLO1+2=3"));
}

TEST(ArchiveDecoder, RepeatOfTheLastMatchRightAfterTheTablesProducesNothing) {
    const Code c(SixteenSymbols("abcdefghijklmno", 256));
    BitSink s;
    PutTables(s, c.lengths, false, 1, false);
    c.Put(s, 256);
    for (char ch : std::string("abc")) c.Put(s, uint8_t(ch));
    EXPECT_EQ(Extract(Archive({Packed("t", s.Finish(), Bytes("abc"))}), "t").data, Bytes("abc"));
}

TEST(ArchiveDecoder, LongDistancesLengthenMatches) {
    // Normal matches: +1 from distance 0x2000, +2 from 0x40000; the repeat
    // code adds one more from 0x101.
    LzStream z;
    z.Literals(RandomBytes(0x40000 + 16, 5));
    const uint32_t cases[][2] = {{0x1FFF, 3}, {0x2000, 4}, {0x3FFFF, 4}, {0x40000, 5}};
    for (const auto& c : cases) {
        PutNormalMatch(z.bits, z.main, z.dist, 0, 0, c[0]); // slot 0: base length 3
        CopyMatch(z.content, c[0], c[1]);
    }
    for (uint32_t d : {0x100u, 0x101u}) {
        PutNormalMatch(z.bits, z.main, z.dist, 0, 0, d); // length 3 below 0x2000
        CopyMatch(z.content, d, 3);
        z.main.Put(z.bits, 257); // the last distance again
        z.rep.Put(z.bits, 0);    // repeat slot 0: base length 2
        CopyMatch(z.content, d, d >= 0x101 ? 3 : 2);
    }
    const std::vector<uint8_t> a = Archive({Packed("t", z.bits.Finish(), z.content)});
    const Extracted x = Extract(a, "t");
    EXPECT_EQ(x.result, 1);
    EXPECT_EQ(x.data, z.content);
}

TEST(ArchiveDecoder, OutputLargerThanTheWindowWrapsAndFlushes) {
    LzStream z;
    z.Literals(RandomBytes(700000, 6));
    // Longest matches (slot 27 + 31 extra + 2) far back, then repeats of them,
    // so that both the copy source and the destination cross the window end.
    PutNormalMatch(z.bits, z.main, z.dist, 27, 31, 600001);
    CopyMatch(z.content, 600001, 260);
    while (z.content.size() < 1600000) {
        z.main.Put(z.bits, 256);
        CopyMatch(z.content, 600001, 260);
    }
    z.Literals(RandomBytes(77, 7));
    const Extracted x = Extract(Archive({Packed("big", z.bits.Finish(), z.content)}), "big");
    EXPECT_EQ(x.result, 1);
    ASSERT_EQ(x.data.size(), z.content.size());
    EXPECT_TRUE(x.data == z.content);
}

TEST(ArchiveDecoder, NearbyAndOverlappingMatchesRepeatTheirBytes) {
    // Every distance up to 40 and lengths on both sides of the 4, 8 and 16
    // byte steps of the copy; a source that overlaps what it makes repeats it.
    // After each, a match of the whole window's distance gives back the old
    // bytes from its end on (still zeros this early), which shows any byte
    // written past the end.
    LzStream z;
    z.Literals(RandomBytes(300, 11));
    for (uint32_t d = 1; d <= 40; ++d) {
        for (uint32_t length : {3u, 4u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 258u}) {
            z.Match(length, d);
            z.Match(20, 0x100000);
            z.Literals(RandomBytes(40, d + length));
        }
        z.Match(3, d);
        z.RepeatLastDistance(d); // two bytes
        z.Match(20, 0x100000);
    }
    for (uint32_t d : {100u, 1000u, 0x1FFFu}) z.Match(258, d);
    const Extracted x = Extract(Archive({Packed("t", z.bits.Finish(), z.content)}), "t");
    EXPECT_EQ(x.result, 1);
    EXPECT_TRUE(x.data == z.content);
}

TEST(ArchiveDecoder, MatchesReachingBeforeTheEntryReadTheZeroedWindow) {
    LzStream z;
    z.Literals(RandomBytes(50, 12));
    z.Match(100, 1000);      // wholly before the first byte
    z.Match(40, 170);        // partly
    z.Match(5, 0x100000);    // the byte about to be overwritten itself
    z.Match(260, 0xFFFFF);
    z.Literals(RandomBytes(10, 13));
    const std::vector<uint8_t> packed = z.bits.Finish();
    const Extracted x = Extract(Archive({Packed("t", packed, z.content)}), "t");
    EXPECT_EQ(x.result, 1);
    EXPECT_TRUE(x.data == z.content);
    // In a solid archive an entry that starts a new stream reads zeros there
    // too, not what the entry decoded before it left in the window.
    LzStream before;
    before.Literals(RandomBytes(3000, 15));
    const std::vector<Entry> entries = {Packed("a", before.bits.Finish(), before.content), Packed("t", packed, z.content)};
    const Extracted y = Extract(Archive(entries, kArchiveFlagSolid), "t");
    EXPECT_EQ(y.result, 1);
    EXPECT_TRUE(y.data == z.content);
}

TEST(ArchiveDecoder, FarMatchesReadAheadInTheWrappedWindow) {
    // Past the first MiB, distances near the window size read bytes just
    // ahead of the one being made: old bytes, some of which the same match
    // overwrites later, and none of which it may touch early.
    LzStream z;
    z.Literals(RandomBytes(0x100000 + 5000, 14));
    for (uint32_t d : {0x100000u, 0xFFFFFu, 0xFFFFCu, 0xFFFF1u, 0xFFFF0u, 0xFFFEFu, 0xFFED4u, 0x80000u})
        for (uint32_t length : {5u, 8u, 16u, 17u, 100u, 260u}) {
            z.Match(length, d);
            z.Literals(RandomBytes(3, d ^ length));
        }
    // A match from behind, then at once one that reads the old bytes just
    // past its end.
    for (uint32_t d : {0x1000u, 0x80000u, 0xFFED4u})
        for (uint32_t length : {9u, 17u, 33u, 100u, 258u})
            for (uint32_t ahead : {1u, 4u, 15u}) {
                z.Match(length, d);
                z.Match(8, 0x100000 - ahead);
            }
    const Extracted x = Extract(Archive({Packed("t", z.bits.Finish(), z.content)}), "t");
    EXPECT_EQ(x.result, 1);
    ASSERT_EQ(x.data.size(), z.content.size());
    EXPECT_TRUE(x.data == z.content);
}

TEST(ArchiveDecoder, MatchesCloseToTheWindowEnd) {
    // Short matches whose destination or source ends just before the end of
    // the window, or right at it, where a copy may not reach past the end
    // (sanitizer builds see any access beyond it).
    LzStream z;
    z.Literals(RandomBytes(0x100000 - 50, 15));
    for (uint32_t length : {5u, 20u, 12u, 3u, 10u, 7u}) z.Match(length, 300); // ends at the window end, then past it
    z.Literals(RandomBytes(100, 16));
    for (uint32_t back : {20u, 32u, 31u, 17u, 3u}) {
        // A source that starts back bytes before the window end.
        const uint32_t position = uint32_t(z.content.size() % 0x100000);
        z.Match(17, position + back);
        z.Literals(RandomBytes(5, back));
    }
    const Extracted x = Extract(Archive({Packed("t", z.bits.Finish(), z.content)}), "t");
    EXPECT_EQ(x.result, 1);
    ASSERT_EQ(x.data.size(), z.content.size());
    EXPECT_TRUE(x.data == z.content);
}

TEST(ArchiveDecoder, TruncatedOrOverclaimedStreamsFailAndStop) {
    LzStream z;
    z.Literals(RandomBytes(3000, 8));
    const std::vector<uint8_t> packed = z.bits.Finish();
    for (size_t n : {size_t(0), size_t(1), size_t(10), packed.size() / 2, packed.size() - 1}) {
        Entry e = Packed("t", std::vector<uint8_t>(packed.begin(), packed.begin() + long(n)), z.content);
        const Extracted x = Extract(Archive({e}), "t");
        EXPECT_EQ(x.result, 0) << n;
        EXPECT_TRUE(x.nullBuffer) << n;
    }
    Entry claim = Packed("t", packed, z.content);
    claim.unpackedSize = 0xFFFFFFF0u; // far more than the data can make
    EXPECT_EQ(Extract(Archive({claim}), "t").result, 0);
    claim.unpackedSize = uint32_t(z.content.size() + 1);
    EXPECT_EQ(Extract(Archive({claim}), "t").result, 0);
    EXPECT_EQ(Extract(Archive({Packed("t", packed, z.content)}), "t").data, z.content);
}

TEST(ArchiveDecoder, StreamsEndingNearARefillDecodeFully) {
    // The input buffer holds 8192 bytes and refills 8160 at a time; streams
    // that end just around those points must still be read to their end.
    for (size_t target : {size_t(8170), size_t(8192), size_t(8200), size_t(8192 + 8160 - 5), size_t(8192 + 8160 + 3)}) {
        LzStream z;
        const std::vector<uint8_t> pool = RandomBytes(20000, 10);
        size_t i = 0;
        while (z.bits.bytes.size() < target) z.Literals({pool[i++]});
        const Extracted x = Extract(Archive({Packed("t", z.bits.Finish(), z.content)}), "t");
        EXPECT_EQ(x.result, 1) << target;
        EXPECT_TRUE(x.data == z.content) << target;
    }
}

TEST(ArchiveDecoder, QuickTableAgreesWithTheFullComparison) {
    std::mt19937 rng(9);
    for (int t = 0; t < 60; ++t) {
        // Random lengths make complete, incomplete and over-full codes alike.
        const int n = t % 3 == 0 ? 298 : t % 3 == 1 ? 48 : 19;
        std::vector<uint8_t> lengths(static_cast<size_t>(n));
        for (uint8_t& l : lengths) l = uint8_t(rng() % 3 == 0 ? 0 : rng() % (t < 30 ? 16 : 11));
        DecodeTable table;
        BuildDecodeTable(lengths.data(), n, table);
        for (uint32_t v = 0; v < 65536; ++v) {
            const uint8_t in[4] = {uint8_t(v >> 8), uint8_t(v), 0, 0};
            BitCursor c;
            const uint32_t fast = DecodeSymbol(table, in, c);
            int len = 0;
            const uint32_t slow = DecodeSymbolSlow(table, v & 0xFFFE, len);
            ASSERT_EQ(fast, slow) << "table " << t << " v " << v;
            ASSERT_EQ(c.nPos * 8 + c.nBit, len) << "table " << t << " v " << v;
            ASSERT_LT(fast, uint32_t(n));
            // The main loop's decode from the top of a 64-bit word, whatever
            // follows the 16 bits.
            uint32_t wordLen = 0;
            const uint64_t word = (uint64_t(v) << 48) | (uint64_t(rng()) << 16) | (rng() & 0xFFFF);
            ASSERT_EQ(DecodeSymbolFrom(table, word, wordLen), slow) << "table " << t << " v " << v;
            ASSERT_EQ(int(wordLen), len) << "table " << t << " v " << v;
        }
    }
}

TEST(ArchiveDecoder, AudioModeWithTwoChannels) {
    // Packed data begins with the table header: audio, not kept, 2 channels.
    const uint8_t* data = kStereoArchive + 20 + 32 + 11;
    EXPECT_EQ(data[0] >> 4, 0x9);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 300; ++i) {
        expected.push_back(uint8_t(int(128 + 100 * std::sin(i / 9.0))));
        expected.push_back(uint8_t(int(128 + 60 * std::sin(i / 4.0 + 1))));
    }
    EXPECT_EQ(Extract(kStereoArchive, sizeof(kStereoArchive), "stereo8.raw").data, expected);
}

namespace {

// The audio predictor as the method states it, one byte at a time with its
// deltas and error sums kept as such.
struct PlainAudioChannel {
    int32_t K[5] = {}, D[4] = {}, nLastDelta = 0;
    uint32_t aDif[11] = {}, nByteCount = 0;
    uint8_t nLastByte = 0;
};

uint8_t PlainAudioByte(PlainAudioChannel& v, int32_t& nChannelDelta, uint32_t nDelta) {
    ++v.nByteCount;
    v.D[3] = v.D[2];
    v.D[2] = v.D[1];
    v.D[1] = v.nLastDelta - v.D[0];
    v.D[0] = v.nLastDelta;
    const int32_t predicted = ((8 * v.nLastByte + v.K[0] * v.D[0] + v.K[1] * v.D[1] + v.K[2] * v.D[2] +
                                v.K[3] * v.D[3] + v.K[4] * nChannelDelta) >> 3) & 0xFF;
    const uint8_t ch = uint8_t(predicted - int32_t(nDelta));
    const int32_t I = int32_t(int8_t(uint8_t(nDelta))) * 8;
    const int32_t terms[5] = {v.D[0], v.D[1], v.D[2], v.D[3], nChannelDelta};
    v.aDif[0] += uint32_t(std::abs(I));
    for (int i = 0; i < 5; ++i) {
        v.aDif[2 * i + 1] += uint32_t(std::abs(I - terms[i]));
        v.aDif[2 * i + 2] += uint32_t(std::abs(I + terms[i]));
    }
    nChannelDelta = v.nLastDelta = int8_t(uint8_t(ch - v.nLastByte));
    v.nLastByte = ch;
    if ((v.nByteCount & 0x1F) == 0) {
        int m = 0;
        for (int i = 1; i < 11; ++i)
            if (v.aDif[i] < v.aDif[m]) m = i;
        std::fill(std::begin(v.aDif), std::end(v.aDif), 0u);
        // Sum 2w - 1 lowers weight w, sum 2w raises it, within -17..16.
        const int32_t step = (m & 1) ? -1 : 1;
        int32_t* k = m ? &v.K[(m - 1) / 2] : nullptr;
        if (k && (step < 0 ? *k >= -16 : *k < 16)) *k += step;
    }
    return ch;
}

} // namespace

TEST(ArchiveDecoder, AudioPredictorFollowsTheMethodOverManyPeriods) {
    // Smooth waves (whose best weights run to the limits of -17 and 16),
    // noise, and the extremes of the deltas, interleaved over 1 to 4
    // channels; the weights and every byte must match the plain form.
    std::mt19937 rng(21);
    for (int nChannels = 1; nChannels <= 4; ++nChannels) {
        AudioChannel channels[4];
        PlainAudioChannel plain[4];
        int32_t cd = 0, plainCd = 0;
        int32_t kMin = 0, kMax = 0;
        for (int i = 0; i < 200000; ++i) {
            const int c = i % nChannels;
            uint32_t delta;
            const int phase = (i / 20000) % 4;
            if (phase == 0) delta = uint32_t(int(3 * std::sin(i / 50.0)) & 0xFF);
            else if (phase == 1) delta = rng() & 0xFF;
            else if (phase == 2) delta = (rng() & 1) ? 0x80 : 0x7F;
            else delta = uint32_t((rng() % 5) - 2) & 0xFF;
            const bool bEnds = AudioPeriodEnds(channels[c]);
            const uint8_t got = DecodeAudioByte(channels[c], cd, delta);
            if (bEnds) AdaptAudioWeights(channels[c]);
            ASSERT_EQ(got, PlainAudioByte(plain[c], plainCd, delta)) << nChannels << " channels, byte " << i;
            ASSERT_EQ(cd, plainCd);
            const AudioChannel& a = channels[c];
            const int32_t k[5] = {a.K1, a.K2, a.K3, a.K4, a.K5};
            for (int j = 0; j < 5; ++j) {
                ASSERT_EQ(k[j], plain[c].K[j]) << nChannels << " channels, byte " << i << ", K" << j + 1;
                kMin = std::min(kMin, k[j]);
                kMax = std::max(kMax, k[j]);
            }
        }
        // The partial sums of an unfinished period agree as well.
        for (int c = 0; c < nChannels; ++c) {
            uint32_t dif[11];
            AudioErrorSums(channels[c], channels[c].nByteCount & 31, dif);
            for (int j = 0; j < 11; ++j) EXPECT_EQ(dif[j], plain[c].aDif[j]) << c << " " << j;
        }
        EXPECT_EQ(kMin, -17) << nChannels;
        EXPECT_EQ(kMax, 16) << nChannels;
    }
}

TEST(ArchiveDecoder, SolidEntryNeedsTheOneBefore) {
    const std::string fox = "The quick brown fox jumps over the lazy dog. ";
    const std::string first = fox + fox + fox + "A first entry of a solid stream.\n";
    const std::string second = "The second entry refers back: " + (fox + fox).substr(0, 60) + " and ends here.\n";
    EXPECT_EQ(Extract(kSolidArchive, sizeof(kSolidArchive), "second.txt").data, Bytes(second));
    EXPECT_EQ(Extract(kSolidArchive, sizeof(kSolidArchive), "first.txt").data, Bytes(first));
    std::vector<uint8_t> damaged(kSolidArchive, kSolidArchive + sizeof(kSolidArchive));
    damaged[20 + 41 + 30] ^= 0x10; // inside the first entry's packed data
    EXPECT_EQ(Extract(damaged, "second.txt").result, 0);
}

TEST(ArchiveCipher, EncipheredEntriesNeedTheirPassword) {
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 32, 8};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tga.insert(tga.end(), {uint8_t(x * 30), uint8_t(y * 30), uint8_t(x * y), 255});
    const uint8_t* a = kDigitsArchive;
    const size_t n = sizeof(kDigitsArchive);
    EXPECT_EQ(Extract(a, n, "Digits\\digit_0.tga", "MQ P5P ZZ").data, tga);
    EXPECT_EQ(Extract(a, n, "digits/digit_0.tga", "MQ P5P ZZ").data, tga);
    EXPECT_EQ(Extract(a, n, "Digits\\digit_0.tga", "MQ P5P ZY").result, 0);
    EXPECT_EQ(Extract(a, n, "Digits\\digit_0.tga", "").result, 0);
    EXPECT_EQ(Extract(a, n, "Digits\\digit_0.tga", nullptr).result, 0);
    const Extracted dir = Extract(a, n, "Digits", nullptr);
    EXPECT_EQ(dir.result, 1);
    EXPECT_EQ(dir.size, 0u);
}

TEST(ArchiveCipher, StoredEnciphered21BytesUseTwoBlocks) {
    uint32_t crc[256];
    BuildCrc32Table(crc);
    const std::vector<uint8_t> content = Bytes("twenty-one bytes here");
    std::vector<uint8_t> packed = content;
    packed.resize(32, 0);
    Rar20Cipher cipher;
    PrepareCipherKeys(cipher, "pw", crc);
    EncipherBlock(cipher, packed.data());
    EncipherBlock(cipher, packed.data() + 16);
    Entry e = Stored("s", content);
    e.packed = packed;
    e.flags = 0x8004;
    const std::vector<uint8_t> a = Archive({e});
    EXPECT_EQ(Extract(a, "s", "pw").data, content);
    EXPECT_EQ(Extract(a, "s", "px").result, 0);
}

TEST(ArchiveCipher, KeysFollowTheCipherText) {
    uint32_t crc[256];
    BuildCrc32Table(crc);
    Rar20Cipher enc, dec;
    PrepareCipherKeys(enc, "MQ P5P ZZ", crc);
    PrepareCipherKeys(dec, "MQ P5P ZZ", crc);
    uint8_t blocks[48] = {};
    for (int i = 0; i < 48; i += 16) EncipherBlock(enc, blocks + i);
    // Equal plain blocks give different cipher blocks: the keys move on.
    EXPECT_NE(std::memcmp(blocks, blocks + 16, 16), 0);
    EXPECT_NE(std::memcmp(blocks + 16, blocks + 32, 16), 0);
    for (int i = 0; i < 48; i += 16) DecipherBlock(dec, blocks + i);
    for (uint8_t b : blocks) EXPECT_EQ(b, 0);
    // The substitution table stays a permutation of 0..255.
    bool seen[256] = {};
    for (uint8_t v : enc.aSubst) seen[v] = true;
    for (bool s : seen) EXPECT_TRUE(s);
}
