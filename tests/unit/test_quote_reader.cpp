#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "settings/QuoteReader.h"

namespace {

// Writes the text to a temporary file in binary and opens it "rt", as the
// saver does with its resource.
class CQuoteFile {
public:
    explicit CQuoteFile(const std::string& strText) {
        static int s_nCounter = 0;
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("cordelune_quotes_" + std::to_string(rd()) + "_" + std::to_string(++s_nCounter) + ".txt");
        FILE* f = std::fopen(m_path.string().c_str(), "wb");
        if (f) {
            std::fwrite(strText.data(), 1, strText.size(), f);
            std::fclose(f);
        }
        m_pFile = std::fopen(m_path.string().c_str(), "rt");
    }
    ~CQuoteFile() {
        if (m_pFile) std::fclose(m_pFile);
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    FILE* Get() const { return m_pFile; }

private:
    std::filesystem::path m_path;
    FILE* m_pFile = nullptr;
};

// Reads into records guarded by canaries on both sides.
struct Read {
    static constexpr int32_t kGuard = 2;
    std::vector<QuoteRecord> aStore;
    int32_t nCount = 0;
    Read(const std::string& strText, int32_t nMax = kMaxQuotes) : aStore(size_t(nMax + 2 * kGuard)) {
        std::memset(aStore.data(), 0x5A, aStore.size() * sizeof(QuoteRecord));
        CQuoteFile file(strText);
        EXPECT_NE(file.Get(), nullptr);
        nCount = ReadQuotesFromStream(file.Get(), aStore.data() + kGuard, nMax);
        for (int32_t i = 0; i < kGuard; ++i) {
            ExpectUntouched(aStore[size_t(i)]);
            ExpectUntouched(aStore[aStore.size() - 1 - size_t(i)]);
        }
    }
    const QuoteRecord& operator[](int32_t i) const { return aStore[size_t(i + kGuard)]; }
    static void ExpectUntouched(const QuoteRecord& r) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(&r);
        for (size_t i = 0; i < sizeof r; ++i) ASSERT_EQ(p[i], 0x5A) << "written past the records";
    }
};

TEST(QuoteReader, TwoQuotes) {
    const Read r("Love is composed of a single soul & inhabiting two bodies. & Aristotle & %\r\n"
                 "Whatever our souls are made of, & his and mine are the same. & Emily Bronte & %\r\n");
    ASSERT_EQ(r.nCount, 2);
    EXPECT_STREQ(r[0].aszLines[0], " Love is composed of a single soul");
    EXPECT_STREQ(r[0].aszLines[1], " inhabiting two bodies.");
    EXPECT_STREQ(r[0].aszLines[2], " Aristotle");
    EXPECT_STREQ(r[0].aszLines[3], "");
    EXPECT_STREQ(r[0].aszLines[5], "");
    EXPECT_STREQ(r[1].aszLines[2], " Emily Bronte");
}

TEST(QuoteReader, AnyBlanksSeparateAndLinesNeedNotMatchTextLines) {
    const Read r("  first\tword\n\nacross\v lines&\f& second\r\n&\n%");
    ASSERT_EQ(r.nCount, 1);
    EXPECT_STREQ(r[0].aszLines[0], " first word across lines&");  // "lines&" does not begin with "&"
    EXPECT_STREQ(r[0].aszLines[1], " second");
}

TEST(QuoteReader, LineOpeningAmpersandIsSkipped) {
    // "&" opening a line is skipped, so an empty line needs two.
    const Read r("& a & & & b & %");
    ASSERT_EQ(r.nCount, 1);
    EXPECT_STREQ(r[0].aszLines[0], " a");
    EXPECT_STREQ(r[0].aszLines[1], "");
    EXPECT_STREQ(r[0].aszLines[2], " b");
    // Tokens beginning with the marks count, whatever follows them.
    const Read s("one &end two &x %rest three & %%");
    ASSERT_EQ(s.nCount, 2);
    EXPECT_STREQ(s[0].aszLines[0], " one");
    EXPECT_STREQ(s[0].aszLines[1], " two");
    EXPECT_STREQ(s[1].aszLines[0], " three");
}

TEST(QuoteReader, EmptyAndBlankInput) {
    EXPECT_EQ(Read("").nCount, 0);
    EXPECT_EQ(Read(" \r\n\t\n").nCount, 0);
    EXPECT_EQ(ReadQuotesFromStream(nullptr, nullptr, 10), 0);
    QuoteRecord one;
    CQuoteFile file("a & %");
    EXPECT_EQ(ReadQuotesFromStream(file.Get(), &one, 0), 0);
    EXPECT_EQ(ReadQuotesFromStream(file.Get(), nullptr, 4), 0);
}

TEST(QuoteReader, EndOfFileInsideAQuote) {
    // A quote whose "%" is missing keeps its closed lines.
    const Read r("a & % b & c & d");
    ASSERT_EQ(r.nCount, 2);
    EXPECT_STREQ(r[1].aszLines[0], " b");
    EXPECT_STREQ(r[1].aszLines[1], " c");
    EXPECT_STREQ(r[1].aszLines[2], "");  // unclosed "d" dropped
    // Nothing closed: no quote.
    EXPECT_EQ(Read("a & % unclosed words").nCount, 1);
    EXPECT_EQ(Read("a & % &").nCount, 1);
}

TEST(QuoteReader, LongTokenIsCutAndItsRestSkipped) {
    const std::string strToken(1000, 'x');
    const Read r(strToken + " & short & %");
    ASSERT_EQ(r.nCount, 1);
    EXPECT_EQ(std::string(r[0].aszLines[0]), " " + std::string(62, 'x'));
    EXPECT_STREQ(r[0].aszLines[1], " short");  // the rest of the token did not become words
    // A token of exactly 255 and one of 256 characters followed by a mark.
    const Read s(std::string(255, 'y') + " " + std::string(256, 'z') + " & %");
    ASSERT_EQ(s.nCount, 1);
    EXPECT_EQ(std::strlen(s[0].aszLines[0]), 63u);
    // A mark inside the skipped tail of a long token is not a mark.
    const Read t(std::string(300, 'w') + "&tail%more word & %");
    ASSERT_EQ(t.nCount, 1);
    EXPECT_EQ(std::string(t[0].aszLines[0]), " " + std::string(62, 'w'));
    EXPECT_STREQ(t[0].aszLines[1], "");
}

TEST(QuoteReader, LongLinesAreCutAt63) {
    std::string strText;
    for (int i = 0; i < 40; ++i) strText += "word" + std::to_string(i) + " ";
    const Read r(strText + "& next & %");
    ASSERT_EQ(r.nCount, 1);
    const std::string strLine = r[0].aszLines[0];
    EXPECT_EQ(strLine.size(), 63u);
    EXPECT_EQ(strLine.substr(0, 13), " word0 word1 ");
    EXPECT_STREQ(r[0].aszLines[1], " next");
    // Exactly 63 characters fit: a blank and 62.
    const Read s(std::string(62, 'e') + " & %");
    EXPECT_EQ(std::string(s[0].aszLines[0]), " " + std::string(62, 'e'));
}

TEST(QuoteReader, LinesAfterTheSixthAreCut) {
    const Read r("1 & 2 & 3 & 4 & 5 & 6 & 7 & 8 & % next & %");
    ASSERT_EQ(r.nCount, 2);
    EXPECT_STREQ(r[0].aszLines[0], " 1");
    EXPECT_STREQ(r[0].aszLines[5], " 6");
    EXPECT_STREQ(r[1].aszLines[0], " next");
    EXPECT_STREQ(r[1].aszLines[1], "");
}

TEST(QuoteReader, QuotesAfterTheMaximumAreCut) {
    std::string strText;
    for (int i = 0; i < 10; ++i) strText += "q" + std::to_string(i) + " & %\n";
    const Read r(strText, 4);
    ASSERT_EQ(r.nCount, 4);
    EXPECT_STREQ(r[3].aszLines[0], " q3");

    std::string strMany;
    for (int i = 0; i < 1100; ++i) strMany += "quote" + std::to_string(i) + " & author & %\n";
    const Read m(strMany);
    ASSERT_EQ(m.nCount, kMaxQuotes);
    EXPECT_STREQ(m[kMaxQuotes - 1].aszLines[0], " quote1023");
}

TEST(QuoteReader, StartedRecordsAreClearedWhole) {
    // The guard pattern fills the records before the read; lines a quote
    // does not use must come out empty, not hold the old bytes.
    const Read r("one & %");
    ASSERT_EQ(r.nCount, 1);
    const char* p = reinterpret_cast<const char*>(&r[0]) + std::strlen(" one");
    const char* const pEnd = reinterpret_cast<const char*>(&r[0]) + sizeof(QuoteRecord);
    for (; p != pEnd; ++p) ASSERT_EQ(*p, '\0');
}

TEST(QuoteReader, TheRepositoryFile) {
    FILE* f = std::fopen((std::string(CORDELUNE_SOURCE_DIR) + "/res/quotes.txt").c_str(), "rt");
    ASSERT_NE(f, nullptr);
    std::vector<QuoteRecord> records(kMaxQuotes);
    const int32_t nCount = ReadQuotesFromStream(f, records.data(), kMaxQuotes);
    std::fclose(f);
    ASSERT_GT(nCount, 0);
    for (int32_t i = 0; i < nCount; ++i) {
        EXPECT_EQ(records[size_t(i)].aszLines[0][0], ' ') << "quote " << i;
        EXPECT_NE(records[size_t(i)].aszLines[1][0], '\0') << "quote " << i << " has no author";
    }
}

}  // namespace
