// The archive walk of the reader: markers, headers, names, stored entries,
// the real archives from other tools, and bad input of every kind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/ArchiveWalk.h"
#include "test_archive_support.h"
#include "test_archive_vectors.h"
#include "test_files.h"

using namespace archive_test;

namespace {

std::vector<uint8_t> ReadTestData(const char* name) {
    return ReadFileBytes(std::string(CORDELUNE_TEST_DATA_DIR) + "/" + name);
}

void ExpectFailure(const Extracted& x) {
    EXPECT_EQ(x.result, 0);
    EXPECT_TRUE(x.nullBuffer);
    EXPECT_EQ(x.size, 0u);
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        v[i] = uint8_t(seed >> 16);
    }
    return v;
}

} // namespace

TEST(ArchiveRealFiles, Rar2ArchiverEntryExtractsAsFoo) {
    const std::vector<uint8_t> rar = ReadTestData("rar2-unix-owner.rar");
    ASSERT_FALSE(rar.empty());
    const Extracted x = Extract(rar, "file.txt");
    EXPECT_EQ(x.result, 1);
    EXPECT_EQ(x.data, Bytes("foo\n"));
    EXPECT_EQ(Extract(rar, "FILE.TXT").data, Bytes("foo\n"));
}

TEST(ArchiveRealFiles, Rar3EntryFailsOnItsUnpackVersion) {
    const std::vector<uint8_t> rar = ReadTestData("testfile.rar3.rar");
    ASSERT_FALSE(rar.empty());
    ExpectFailure(Extract(rar, "testfile.txt"));
}

TEST(ArchiveNames, SeparatorsUnderscoreAndCaseCompareEqual) {
    EXPECT_TRUE(CompareEntryNames("digits/DIGIT_0.TGA", "Digits\\digit_0.tga"));
    EXPECT_TRUE(CompareEntryNames("Digits_digit_0.tga", "Digits\\digit_0.tga"));
    EXPECT_FALSE(CompareEntryNames("Digits\\digit_1.tga", "Digits\\digit_0.tga"));
    EXPECT_FALSE(CompareEntryNames("digit_0.tga", "Digits\\digit_0.tga")); // no wildcards, no base-name match
    EXPECT_FALSE(CompareEntryNames("Digits\\digit_0.tg", "Digits\\digit_0.tga"));

    const std::vector<uint8_t> a = Archive({Stored("Digits\\digit_0.tga", Bytes("zero")), Stored("b.tga", Bytes("bee"))});
    EXPECT_EQ(Extract(a, "digits/DIGIT_0.TGA").data, Bytes("zero"));
    EXPECT_EQ(Extract(a, "Digits_digit_0.tga").data, Bytes("zero"));
    EXPECT_EQ(Extract(a, "B.TGA").data, Bytes("bee"));
}

TEST(ArchiveNames, MissingNameFailsAtTheEnd) {
    ExpectFailure(Extract(Archive({Stored("a.tga", Bytes("a"))}), "b.tga"));
    ExpectFailure(Extract(Archive({}), "a.tga"));
}

TEST(ArchiveNames, LongNamesCompareOnTheirFirst259Bytes) {
    const std::string stored(300, 'n');
    const std::vector<uint8_t> a = Archive({Stored(stored, Bytes("long"))});
    EXPECT_EQ(Extract(a, stored.c_str()).data, Bytes("long"));
    EXPECT_EQ(Extract(a, std::string(259, 'n').c_str()).data, Bytes("long"));
    ExpectFailure(Extract(a, std::string(258, 'n').c_str()));
}

TEST(ArchiveStored, ContentAndCrcChecked) {
    const std::vector<uint8_t> data = Pattern(5000, 1);
    EXPECT_EQ(Extract(Archive({Stored("x", data)}), "x").data, data);

    Entry bad = Stored("x", data);
    bad.crc ^= 1;
    ExpectFailure(Extract(Archive({bad}), "x"));

    Entry shortData = Stored("x", data);
    shortData.unpackedSize += 1; // more claimed than the data holds
    ExpectFailure(Extract(Archive({shortData}), "x"));
}

TEST(ArchiveStored, EmptyEntryGivesABufferOfSizeZero) {
    const Extracted x = Extract(Archive({Stored("empty", {})}), "empty");
    EXPECT_EQ(x.result, 1);
    EXPECT_FALSE(x.nullBuffer);
    EXPECT_EQ(x.size, 0u);
}

TEST(ArchiveStored, OneBlobServesManyLookups) {
    const std::vector<uint8_t> a = Archive({Stored("one", Bytes("1")), Stored("two", Bytes("22"))});
    ResourceBlob blob;
    blob.pData = a.data();
    blob.nSize = uint32_t(a.size());
    const std::pair<const char*, uint32_t> lookups[] = {{"two", 2}, {"one", 1}, {"two", 2}};
    for (const auto& [name, size] : lookups) {
        uint8_t* p = nullptr;
        uint32_t n = 0;
        ASSERT_EQ(ExtractArchiveEntry(&p, &n, name, &blob, nullptr), 1) << name;
        EXPECT_EQ(n, size) << name;
        std::free(p);
    }
}

TEST(ArchiveStored, PasswordIgnoredForPlainEntries) {
    const std::vector<uint8_t> a = Archive({Stored("plain", Bytes("as is"))});
    EXPECT_EQ(Extract(a, "plain", "MQ P5P ZZ").data, Bytes("as is"));
}

TEST(ArchiveHeaders, ForeignOrShortBuffersFailAtOnce) {
    ExpectFailure(Extract(nullptr, 0, "x"));
    const uint8_t old[] = {0x52, 0x45, 0x7E, 0x5E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ExpectFailure(Extract(old, sizeof(old), "x"));
    std::vector<uint8_t> a = Archive({Stored("x", Bytes("x"))});
    ExpectFailure(Extract(a.data(), 6, "x"));
    ExpectFailure(Extract(a.data(), 7 + 12, "x")); // archive header cut off
    a[3] = 'R';
    ExpectFailure(Extract(a, "x"));

    ResourceBlob blob; // {null, 0, 0}, as for a missing resource
    uint8_t* p = reinterpret_cast<uint8_t*>(1);
    uint32_t n = 7;
    EXPECT_EQ(ExtractArchiveEntry(&p, &n, "x", &blob, nullptr), 0);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(ExtractArchiveEntry(&p, &n, nullptr, &blob, nullptr), 0);
}

TEST(ArchiveHeaders, ArchiveHeadSizeIsHonoured) {
    EXPECT_EQ(Extract(Archive({Stored("x", Bytes("data"))}, 0, 20), "x").data, Bytes("data"));
    ExpectFailure(Extract(Archive({Stored("x", Bytes("data"))}, 0, 12), "x"));
}

TEST(ArchiveHeaders, DataStartsAfterTheWholeFileHeader) {
    Entry e = Stored("x", Bytes("payload"));
    e.extraHeader = {1, 2, 3, 4, 5, 6, 7, 8}; // e.g. extended times
    EXPECT_EQ(Extract(Archive({e, Stored("y", Bytes("next"))}), "x").data, Bytes("payload"));
    EXPECT_EQ(Extract(Archive({e, Stored("y", Bytes("next"))}), "y").data, Bytes("next"));

    Entry tooShort = Stored("name", Bytes("z"));
    tooShort.headSizeAdjust = -1; // header ends inside its own name
    ExpectFailure(Extract(Archive({tooShort}), "name"));
}

TEST(ArchiveHeaders, DamagedBlockChainsFail) {
    Entry tiny = Stored("x", Bytes("x"));
    tiny.headSizeAdjust = -(32 + 1 - 6); // head size 6
    ExpectFailure(Extract(Archive({tiny, Stored("y", Bytes("y"))}), "y"));

    // Pack size that carries the next block past 4 GiB.
    Entry huge = Stored("x", Bytes("x"));
    std::vector<uint8_t> a = Archive({huge, Stored("y", Bytes("y"))});
    const size_t packField = 20 + 7;
    a[packField] = a[packField + 1] = a[packField + 2] = a[packField + 3] = 0xFF;
    ExpectFailure(Extract(a, "y"));
}

TEST(ArchiveHeaders, ClaimsBeyondTheArchiveEndFail) {
    // Pack and unpacked sizes of almost 4 GiB in a small archive.
    Entry e = Stored("x", Bytes("abc"));
    e.unpackedSize = 0xFFFFFF00u;
    std::vector<uint8_t> a = Archive({e});
    const size_t packField = 20 + 7;
    a[packField] = 0x00;
    a[packField + 1] = a[packField + 2] = a[packField + 3] = 0xFF;
    ExpectFailure(Extract(a, "x"));
    e.method = 0x33;
    ExpectFailure(Extract(Archive({e}), "x"));
}

TEST(ArchiveHeaders, SubBlockEndsTheSearch) {
    // x, a sub-block, y: the search stops at the sub-block.
    const std::vector<uint8_t> sub = {0, 0, 0x77, 0x00, 0x80, 11, 0, 4, 0, 0, 0, 'd', 'a', 't', 'a'};
    const std::vector<uint8_t> one = Archive({Stored("x", Bytes("x"))});
    const std::vector<uint8_t> two = Archive({Stored("x", Bytes("x")), Stored("y", Pattern(40, 4))});
    std::vector<uint8_t> a(one.begin(), one.end() - 7);
    a.insert(a.end(), sub.begin(), sub.end());
    a.insert(a.end(), two.begin() + long(one.size() - 7), two.end());
    EXPECT_EQ(Extract(a, "x").data, Bytes("x"));
    ExpectFailure(Extract(a, "y"));
    EXPECT_EQ(Extract(two, "y").data, Pattern(40, 4));
}

TEST(ArchiveHeaders, EveryTruncationFailsCleanly) {
    const std::vector<uint8_t> a = Archive({Stored("first", Pattern(300, 2)), Stored("last", Pattern(700, 3))});
    for (size_t n = 0; n + 7 < a.size(); ++n) ExpectFailure(Extract(a.data(), n, "last"));
    EXPECT_EQ(Extract(a, "last").data, Pattern(700, 3));
}

TEST(ArchivePassword, BufferHoldsNothingAfterAnyCall) {
    auto cleared = [] {
        for (char c : g_unpackState.szPassword)
            if (c) return false;
        for (uint32_t k : g_unpackState.cipher.aKey)
            if (k) return false;
        return true;
    };
    const Extracted good = Extract(kDigitsArchive, sizeof(kDigitsArchive), "Digits\\digit_0.tga", "MQ P5P ZZ");
    EXPECT_EQ(good.result, 1);
    EXPECT_TRUE(cleared());
    ExpectFailure(Extract(kDigitsArchive, sizeof(kDigitsArchive), "Digits\\digit_0.tga", "wrong"));
    EXPECT_TRUE(cleared());
    ExpectFailure(Extract(kDigitsArchive, 30, "Digits\\digit_0.tga", "MQ P5P ZZ"));
    EXPECT_TRUE(cleared());
}

TEST(ArchiveCrc, StandardCheckValue) {
    EXPECT_EQ(Crc(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc({}), 0u);
}

TEST(ArchiveCrc, SlicedAndSplitChecksumsEqualTheBytewiseOne) {
    // Lengths around the eight-byte steps and around the size from which the
    // buffer is taken in three parts, at odd offsets.
    uint32_t table[256];
    BuildCrc32Table(table);
    Crc32Slices slices;
    BuildCrc32Slices(slices);
    std::vector<uint8_t> data(3 * 4096 * 5 + 40);
    uint32_t x = 12345;
    for (uint8_t& b : data) b = uint8_t((x = x * 1103515245u + 12345u) >> 23);
    for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(8), size_t(9), size_t(4095), size_t(3 * 4096 - 1),
                     size_t(3 * 4096), size_t(3 * 4096 + 1), size_t(3 * 4096 + 23), size_t(40000), data.size() - 3})
        for (size_t offset : {size_t(0), size_t(3)}) {
            const uint8_t* p = data.data() + offset;
            EXPECT_EQ(Crc32OfSliced(slices, p, n), Crc32Of(table, p, n)) << n << " at " << offset;
        }
    std::vector<uint8_t> zeros(50000, 0);
    EXPECT_EQ(Crc32OfSliced(slices, zeros.data(), zeros.size()), Crc32Of(table, zeros.data(), zeros.size()));
}
