// The helpers of the control kinds: decimal names and applying a function
// to a run of elements.
#include "framework/controls/IMControlUtil.h"

#include <gtest/gtest.h>

#include <vector>

TEST(IntToWString, PlainDecimalText)
{
    EXPECT_EQ(IntToWString(103), L"103");
    EXPECT_EQ(IntToWString(0), L"0");
    EXPECT_EQ(IntToWString(4294967295u), L"4294967295");
}

namespace {

struct Glyph {
    int colour = 0;
    bool Recolour(int from, int to)
    {
        if (colour != from)
            return false;
        colour = to;
        return true;
    }
};

} // namespace

TEST(ApplyToAll, VisitsEveryElementAndReportsAnyTrue)
{
    std::vector<int> seen;
    const std::vector<int> values{1, 2, 3, 4};
    const auto even = [&seen](int v, int, int, int, int, int, int, int, int) {
        seen.push_back(v);
        return v % 2 == 0;
    };
    EXPECT_TRUE(ApplyToAll(values.begin(), values.end(), even, 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(seen, values); // not stopped by the first true

    const std::vector<int> odd{1, 3};
    EXPECT_FALSE(ApplyToAll(odd.begin(), odd.end(), even, 0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(ApplyToAll(odd.end(), odd.end(), even, 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(ApplyToAll, PassesTheArgumentsInOrderAndCallsMembers)
{
    std::vector<int> got;
    const std::vector<int> one{7};
    ApplyToAll(
        one.begin(), one.end(),
        [&got](int e, int a, int b, int c, int d, int f, int g, int h, int i) {
            got = {e, a, b, c, d, f, g, h, i};
            return false;
        },
        1, 2, 3, 4, 5, 6, 7, 8);
    EXPECT_EQ(got, (std::vector<int>{7, 1, 2, 3, 4, 5, 6, 7, 8}));

    std::vector<Glyph> glyphs(3);
    glyphs[1].colour = 5;
    std::vector<Glyph*> run{&glyphs[0], &glyphs[1], &glyphs[2]};
    EXPECT_TRUE(ApplyToAll(run.begin(), run.end(), &Glyph::Recolour, 0, 9));
    EXPECT_EQ(glyphs[0].colour, 9);
    EXPECT_EQ(glyphs[1].colour, 5);
    EXPECT_EQ(glyphs[2].colour, 9);
}
