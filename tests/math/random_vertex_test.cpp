#include <algorithm>
#include <cmath>
#include <cstddef>

#include <gtest/gtest.h>

#include "math/random.h"
#include "math/vertex.h"

namespace {

TEST(Random, StreamMatchesTheFixedRecurrence)
{
    const auto saved = GetRandState();
    SetRandState(1);
    // state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF.
    EXPECT_EQ(Rand(), 41);
    EXPECT_EQ(Rand(), 18467);
    EXPECT_EQ(Rand(), 6334);
    EXPECT_EQ(Rand(), 26500);
    EXPECT_EQ(GetRandState(), 3884216597u);
    SetRandState(saved);
}

TEST(Random, StaysInRangeAndRestores)
{
    SetRandState(0xDEADBEEFu);
    int lowest = kRandMax;
    int highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = Rand();
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, kRandMax);

    SetRandState(77);
    const int first = Rand();
    SetRandState(77);
    EXPECT_EQ(Rand(), first);
}

TEST(Vertex, ColourConversion)
{
    EXPECT_EQ(ColorFromFloats(1, 1, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(ColorFromFloats(0, 0, 0, 1), 0xFF000000u);
    // Alpha on top, then red, green, blue.
    EXPECT_EQ(ColorFromFloats(1, 0, 0, 0), 0x00FF0000u);
    EXPECT_EQ(ColorFromFloats(0, 0, 1, 0), 0x000000FFu);
    // Clamping both ways.
    EXPECT_EQ(ColorFromFloats(2.5f, -3.0f, 0, 7), 0xFFFF0000u);
    // Integer part of value * 255 + 0.5: 0.5 -> 128, 0.1 -> 26, 0.001 -> 0.
    EXPECT_EQ(ColorChannelToByte(0.5f), 128u);
    EXPECT_EQ(ColorChannelToByte(0.1f), 26u);
    EXPECT_EQ(ColorChannelToByte(0.001f), 0u);
    EXPECT_EQ(ColorChannelToByte(0.998f), 254u);
    EXPECT_EQ(ColorChannelToByte(NAN), 0u);
}

TEST(Vertex, LayoutIsTheFixedFormat)
{
    EXPECT_EQ(offsetof(Vertex, nx), 12u);
    EXPECT_EQ(offsetof(Vertex, color), 24u);
    EXPECT_EQ(offsetof(Vertex, u), 28u);
    EXPECT_EQ(offsetof(Vertex, v), 32u);
    EXPECT_EQ(kVertexFvf, 0x152u);
}

}  // namespace
