// Which left-over files of the temporary directory the saver may remove as
// its own: GetTempFileNameA's names with our prefix and exactly the bytes of
// the resource, nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/TempCopyRule.h"

namespace {

// Reads a byte vector in pieces of at most nPiece bytes, like a file.
TempFileReader Reader(const std::vector<uint8_t>& bytes, size_t nPiece = 4096) {
    auto nAt = std::make_shared<size_t>(0);
    return [&bytes, nAt, nPiece](uint8_t* p, size_t nMax) {
        const size_t n = std::min({nMax, nPiece, bytes.size() - *nAt});
        if (n) std::memcpy(p, bytes.data() + *nAt, n);
        *nAt += n;
        return n;
    };
}

std::vector<uint8_t> Library() {
    std::vector<uint8_t> v(95288);
    for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(i * 131 + (i >> 9));
    v[0] = 'M', v[1] = 'Z';
    return v;
}

bool LeftOver(const std::string& name, const std::vector<uint8_t>& file, const std::vector<uint8_t>& resource,
              size_t nPiece = 4096) {
    return IsLeftOverTempCopy(name, "bas", file.size(), Reader(file, nPiece), resource.data(), resource.size());
}

TEST(TempCopyRule, NamesMadeByGetTempFileNameWithOurPrefix) {
    for (const char* name : {"bas1A2B.tmp", "bas1a2b.tmp", "basffff.TMP", "BAS0.tmp", "bas7f.tmp", "basbeef.tmp"})
        EXPECT_TRUE(IsTempCopyName(name, "bas")) << name;
    for (const char* name : {"basXXXX.tmp", "bas12345.tmp", "bas.tmp", "bas1A2B.tmp.bak", "bas1A2B.dll",
                             "frf1A2B.tmp", "xbas1A2B.tmp", "bas1A2B", "bas 1A2.tmp", "ba1A2B.tmp", ""})
        EXPECT_FALSE(IsTempCopyName(name, "bas")) << name;
    // GetTempFileNameA uses the prefix's first three characters only.
    EXPECT_TRUE(IsTempCopyName("bas12.tmp", "bass"));
}

TEST(TempCopyRule, OnlyAnExactCopyOfTheResourceIsOurs) {
    const std::vector<uint8_t> resource = Library();
    EXPECT_TRUE(LeftOver("bas3F2A.tmp", resource, resource));
    EXPECT_TRUE(LeftOver("bas3f2a.tmp", resource, resource, 1000));  // read in odd pieces

    // The same size, one byte different anywhere: someone else's file.
    for (size_t at : {size_t(0), size_t(4095), size_t(65536), resource.size() - 1}) {
        std::vector<uint8_t> other = resource;
        other[at] ^= 0x01;
        EXPECT_FALSE(LeftOver("bas3F2A.tmp", other, resource)) << "byte " << at;
    }
    // Shorter, longer or empty.
    EXPECT_FALSE(LeftOver("bas3F2A.tmp", std::vector<uint8_t>(resource.begin(), resource.end() - 1), resource));
    std::vector<uint8_t> longer = resource;
    longer.push_back(0);
    EXPECT_FALSE(LeftOver("bas3F2A.tmp", longer, resource));
    EXPECT_FALSE(LeftOver("bas3F2A.tmp", {}, resource));
    // The right bytes under a name we never make.
    EXPECT_FALSE(LeftOver("basXXXX.tmp", resource, resource));
    EXPECT_FALSE(LeftOver("audio.dll", resource, resource));
}

TEST(TempCopyRule, AFileThatCannotBeReadOrChangesIsKept) {
    const std::vector<uint8_t> resource = Library();
    // Reading fails half way.
    size_t nCalls = 0;
    auto failing = [&](uint8_t* p, size_t nMax) -> size_t {
        if (++nCalls > 1) return 0;
        std::memcpy(p, resource.data(), nMax);
        return nMax;
    };
    EXPECT_FALSE(IsLeftOverTempCopy("bas1.tmp", "bas", resource.size(), failing, resource.data(), resource.size()));
    // The size said one thing, the file holds more by the time it is read.
    std::vector<uint8_t> grown = resource;
    grown.resize(grown.size() + 10, 0);
    EXPECT_FALSE(IsLeftOverTempCopy("bas1.tmp", "bas", resource.size(), Reader(grown), resource.data(),
                                    resource.size()));
    // A reader that claims more than it was asked for is not believed.
    auto lying = [](uint8_t*, size_t nMax) { return nMax + 1; };
    EXPECT_FALSE(IsLeftOverTempCopy("bas1.tmp", "bas", resource.size(), lying, resource.data(), resource.size()));
}

TEST(TempCopyRule, AnEmptyResourceClaimsNothing) {
    // The copy of a missing resource is empty, and so are the files
    // GetTempFileNameA creates for other programs before they write them.
    const std::vector<uint8_t> empty;
    EXPECT_FALSE(IsLeftOverTempCopy("bas1A2B.tmp", "bas", 0, Reader(empty), nullptr, 0));
    const uint8_t one = 0;
    EXPECT_FALSE(IsLeftOverTempCopy("bas1A2B.tmp", "bas", 0, Reader(empty), &one, 0));
    // A fresh copy of a missing resource does hold what the resource holds.
    EXPECT_TRUE(FileHoldsResource(0, Reader(empty), nullptr, 0));
    EXPECT_FALSE(FileHoldsResource(1, Reader(std::vector<uint8_t>(1)), nullptr, 0));
}

}  // namespace
