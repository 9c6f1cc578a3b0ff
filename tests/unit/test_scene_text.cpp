#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/SceneRandom.h"
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "scene/QuoteOrder.h"
#include "scene/TextLayout.h"

namespace {

CTextLayout SceneLayout() {
    CTextLayout layout;
    EXPECT_TRUE(layout.Create(62, 6, 18.0f, 118.0f));
    return layout;
}

}  // namespace

TEST(SceneText, GlyphTable) {
    const Glyph a = LookupGlyph('A');
    EXPECT_FLOAT_EQ(a.uL, 0.0009765625f);
    EXPECT_FLOAT_EQ(a.vT, 0.0009765625f);
    EXPECT_FLOAT_EQ(a.uW, 0.09765625f);
    EXPECT_FLOAT_EQ(a.vH, 0.123046875f);
    EXPECT_FLOAT_EQ(a.fAdvance, 41.0f / 512);
    const Glyph n = LookupGlyph('n');  // row 3, column 9, 24 px
    EXPECT_FLOAT_EQ(n.uL, 9 * 0.099609375f + 0.0009765625f);
    EXPECT_FLOAT_EQ(n.vT, 3 * 0.125f + 0.0009765625f);
    EXPECT_FLOAT_EQ(n.fAdvance, 24.0f / 512);
    EXPECT_FLOAT_EQ(LookupGlyph('M').fAdvance, 51.0f / 512);
    EXPECT_FLOAT_EQ(LookupGlyph('.').fAdvance, 6.0f / 512);
    const Glyph q = LookupGlyph('"');
    EXPECT_FLOAT_EQ(q.uL, 0.0009765625f);
    EXPECT_FLOAT_EQ(q.vT, 7 * 0.125f + 0.0009765625f);
    const Glyph gt = LookupGlyph('>');
    EXPECT_FLOAT_EQ(gt.uL, 8 * 0.099609375f + 0.0009765625f);
    // The blank, characters outside the font and codes above 127 use cell (9, 7).
    for (char c : {' ', '#', '_', '`', '[', '{', '~', char(0xE9), char(1)}) {
        const Glyph g = LookupGlyph(c);
        EXPECT_FLOAT_EQ(g.uL, 9 * 0.099609375f + 0.0009765625f) << int(c);
        EXPECT_FLOAT_EQ(g.vT, 7 * 0.125f + 0.0009765625f) << int(c);
        EXPECT_FLOAT_EQ(g.fAdvance, 25.0f / 512) << int(c);
    }
    const Glyph nul = LookupGlyph('\0');
    EXPECT_EQ(nul.fAdvance, 0.0f);
    EXPECT_EQ(nul.uW, 0.0f);
}

TEST(SceneText, LayoutOfTheQuoteBlock) {
    CTextLayout layout = SceneLayout();
    ASSERT_EQ(layout.CellCount(), 372u);
    const char* pszLine = " Love is";
    layout.SetRowCentred(0, 0xFFFFFFFF, pszLine);
    const float fWidth = CTextLayout::Measure(pszLine);
    EXPECT_FLOAT_EQ(fWidth, (25.0f + 33 + 19 + 24 + 22 + 25 + 18 + 18) / 512);
    EXPECT_FLOAT_EQ(layout.RowOffset(0), -0.5f * fWidth);
    layout.SetRowCentred(5, 0x80FFFFFF, " A");
    std::vector<ColorTexVertex> v(4 * layout.CellCount());
    ASSERT_TRUE(layout.Rebuild(v.data()));
    EXPECT_FALSE(layout.Rebuild(v.data())) << "nothing changed";

    const float fRowHeight = 118.0f / 62;
    // Row 0 spans 3 to 4 sixty-seconds of 118 above the centre line.
    EXPECT_FLOAT_EQ(v[0].y, 4.0f / 62 * 118);
    EXPECT_FLOAT_EQ(v[3].y, 3.0f / 62 * 118);
    EXPECT_NEAR(v[0].y - v[3].y, fRowHeight, 1e-4);
    // The row starts at its offset times the glyph scale; the box is 1.7578125 wide.
    EXPECT_FLOAT_EQ(v[0].x, -0.5f * fWidth * 18.0f);
    EXPECT_FLOAT_EQ(v[1].x - v[0].x, 1.7578125f);
    EXPECT_EQ(v[2].x, v[1].x);
    EXPECT_EQ(v[3].x, v[0].x);
    // The next cell advances by the blank's 25 pixels times 18 / 512.
    EXPECT_FLOAT_EQ(v[4].x - v[0].x, 25.0f / 512 * 18.0f);
    EXPECT_EQ(v[0].nColor, 0xFFFFFFFFu);
    // Glyph texture box of 'L' (row 1, column 1).
    EXPECT_FLOAT_EQ(v[4].u, 0.099609375f + 0.0009765625f);
    EXPECT_FLOAT_EQ(v[4].v, 0.125f + 0.0009765625f);
    EXPECT_FLOAT_EQ(v[6].u, 0.099609375f + 0.0009765625f + 0.09765625f);
    EXPECT_FLOAT_EQ(v[6].v, 0.125f + 0.0009765625f + 0.123046875f);
    // Row 5 lies 5 row heights lower, with its own colour and centring.
    const size_t n5 = 4 * 5 * 62;
    EXPECT_NEAR(v[0].y - v[n5].y, 5 * fRowHeight, 1e-4);
    EXPECT_FLOAT_EQ(v[n5 + 3].y, -2.0f / 62 * 118);
    EXPECT_EQ(v[n5].nColor, 0x80FFFFFFu);
    EXPECT_FLOAT_EQ(v[n5].x, -0.5f * (25.0f + 41) / 512 * 18.0f);
    // Empty cells are degenerate quads with no colour.
    EXPECT_EQ(v[4 * 8 + 0].nColor, 0u);
    EXPECT_FLOAT_EQ(v[4 * 8].u, 0.0f);
}

TEST(SceneText, RowsAreCutAtTheLastColumn) {
    CTextLayout layout = SceneLayout();
    const std::string strLong(70, 'x');
    layout.SetRow(0, 2, 0xFFFFFFFF, strLong.c_str(), 0.0f);
    EXPECT_EQ(layout.CharAt(61, 2), 'x');
    EXPECT_EQ(layout.CharAt(0, 3), 0) << "no spill into the next row";
    layout.SetRow(60, 1, 0x11223344, "abc", 0.0f);
    EXPECT_EQ(layout.CharAt(60, 1), 'a');
    EXPECT_EQ(layout.CharAt(61, 1), 'b');
    EXPECT_EQ(layout.CharAt(0, 2), 'x');
    EXPECT_EQ(layout.ColorAt(61, 1), 0x11223344u);
    layout.SetRow(-2, 4, 0xFFFFFFFF, "abc", 0.0f);
    EXPECT_EQ(layout.CharAt(0, 4), 'c');
    layout.SetRow(0, 6, 0xFFFFFFFF, "out of the grid", 0.0f);
    layout.SetRow(0, -1, 0xFFFFFFFF, "out of the grid", 0.0f);
    layout.SetRowCentred(3, 0xFFFFFFFF, nullptr);
    EXPECT_EQ(layout.CharAt(0, 3), 0);
    layout.Clear();
    EXPECT_EQ(layout.CharAt(61, 2), 0);
    EXPECT_EQ(layout.ColorAt(61, 1), 0u);
    EXPECT_TRUE(layout.IsDirty());
    EXPECT_FALSE(CTextLayout().Create(0, 6, 18, 118));
    EXPECT_FALSE(CTextLayout().Create(62, 101, 18, 118));
}

TEST(SceneQuotes, FirstTheUserThenEveryQuoteOnce) {
    std::vector<QuoteRecord> records(5);
    for (int i = 0; i < 5; ++i) std::snprintf(records[i].aszLines[0], kQuoteLineSize, " quote %d", i);
    QuoteRecord user{};
    std::strcpy(user.aszLines[0], " mine");
    std::srand(21);
    CQuoteOrder order;
    order.ShuffleQuotes(5);
    std::set<int> seen;
    for (int i = 0; i < 5; ++i) seen.insert(order.m_anOrder[i]);
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(&order.NextQuote(records.data(), 5, user), &user);
    std::set<const QuoteRecord*> shown;
    for (int i = 0; i < 5; ++i) shown.insert(&order.NextQuote(records.data(), 5, user));
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown.count(&user), 0u);
    // After all of them the order is shuffled again.
    EXPECT_EQ(order.m_nPosition, 5);
    const QuoteRecord* pNext = &order.NextQuote(records.data(), 5, user);
    EXPECT_EQ(order.m_nPosition, 1);
    EXPECT_GE(pNext, records.data());
    EXPECT_LT(pNext, records.data() + 5);
}

TEST(SceneQuotes, NoQuotesShowTheUsersLinesAgain) {
    QuoteRecord user{};
    CQuoteOrder order;
    order.ShuffleQuotes(0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(&order.NextQuote(nullptr, 0, user), &user);
    QuoteRecord one{};
    CQuoteOrder single;
    single.ShuffleQuotes(1);
    EXPECT_EQ(&single.NextQuote(&one, 1, user), &user);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(&single.NextQuote(&one, 1, user), &one);
    // A count beyond the table is held to it.
    CQuoteOrder big;
    big.ShuffleQuotes(5000);
    std::set<int> seen(big.m_anOrder, big.m_anOrder + kMaxQuotes);
    EXPECT_EQ(seen.size(), size_t(kMaxQuotes));
}
