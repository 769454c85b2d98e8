#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gfx/internal/focus_bands.h"

namespace {

constexpr int kSize = 100;
// The square round the focus and the four bands round it, as a focused draw makes them.
constexpr GfxBand kParts[kGfxMaxBands] = {
    {40, 40, 60, 60}, {0, 0, 40, 100}, {60, 0, 100, 100}, {40, 0, 60, 40}, {40, 60, 60, 100}};

struct Point {
    float x, y, z;
};

// Which parts list each triangle, one letter per part (S, L, R, T, B), in the lists' order.
std::string Listed(const std::vector<Point>& points, const float* matrix, float margin)
{
    GfxBandVertices v{reinterpret_cast<const unsigned char*>(points.data()), sizeof(Point),
                      static_cast<int>(points.size()), matrix, margin};
    GfxBandLists lists;
    EXPECT_TRUE(GfxListBandTriangles(v, kSize, kSize, kParts, kGfxMaxBands, 10, &lists));
    std::string out;
    std::size_t from = 0;
    for (int b = 0; b < kGfxMaxBands; ++b) {
        for (std::size_t i = from; i < lists.ends[b]; i += 3) {
            EXPECT_EQ(lists.indices[i + 1], lists.indices[i] + 1);
            EXPECT_EQ(lists.indices[i + 2], lists.indices[i] + 2);
            out += "SLRTB"[b];
            out += std::to_string((lists.indices[i] - 10) / 3);
        }
        from = lists.ends[b];
    }
    return out;
}

// Clip = (x, y, z, 1) * M, written row by row.
constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr float kHalved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2};  // w = 2
constexpr float kDepthW[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1};  // w = 1 + z

// A small triangle round a point of the view (x rightwards, y upwards, -1..1).
std::vector<Point> Near(float x, float y, float z = 0.0f)
{
    return {{x - 0.02f, y - 0.02f, z}, {x + 0.02f, y - 0.02f, z}, {x, y + 0.02f, z}};
}

std::vector<Point> Join(std::initializer_list<std::vector<Point>> parts)
{
    std::vector<Point> out;
    for (const std::vector<Point>& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

}  // namespace

TEST(FocusBands, EachTriangleIsListedInEveryPartItCanReachInTheListsOrder)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        std::vector<Point> points;
        const float* matrix;
        float margin;
        const char* expected;
    };
    const Case cases[] = {
        // Pixels: x = (vx + 1) * 50, rows from the top = (1 - vy) * 50.
        {"one in each part", Join({Near(0, 0), Near(-0.6f, 0.5f), Near(0.6f, -0.5f), Near(0, 0.6f), Near(0, -0.6f)}),
         kIdentity, 0.0f, "S0L1R2T3B4"},
        {"across the square's right edge", Join({Near(0.2f, 0)}), kIdentity, 0.0f, "S0R0"},
        {"two pixels from the left band, then a margin that reaches it", Join({Near(-0.14f, 0), Near(-0.14f, 0)}),
         kIdentity, 0.0f, "S0S1"},
        {"a margin of 0.05 is 2.5 pixels", Join({Near(-0.14f, 0)}), kIdentity, 0.05f, "S0L0"},
        {"the order kept in a part", Join({Near(-0.8f, 0), Near(0, 0), Near(-0.6f, 0)}), kIdentity, 0.0f, "S1L0L2"},
        {"divided by w", Join({Near(1.2f, 0), Near(-1.2f, 0)}), kHalved, 0.0f, "L1R0"},
        {"behind the camera: everywhere", Join({Near(-0.8f, 0), Near(-0.8f, 0, -2.0f)}), kDepthW, 0.0f, "S1L0L1R1T1B1"},
        {"a margin reaching the camera plane: everywhere", Join({Near(-0.8f, 0, -0.5f)}), kDepthW, 0.6f, "S0L0R0T0B0"},
        {"not a number: everywhere", {{nan, 0, 0}, {0.9f, 0.9f, 0}, {0.9f, 0.8f, 0}}, kIdentity, 0.0f, "S0L0R0T0B0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Listed(c.points, c.matrix, c.margin), c.expected);
    }
}

TEST(FocusBands, VerticesThatAreNotWholeTrianglesAreNotListed)
{
    const std::vector<Point> points = Join({Near(0, 0), {{0, 0, 0}}});
    GfxBandVertices v{reinterpret_cast<const unsigned char*>(points.data()), sizeof(Point), 4, kIdentity, 0.0f};
    GfxBandLists lists;
    lists.indices = {1, 2, 3};
    EXPECT_FALSE(GfxListBandTriangles(v, kSize, kSize, kParts, kGfxMaxBands, 0, &lists));
    EXPECT_TRUE(lists.indices.empty());
    v.count = 3;
    EXPECT_FALSE(GfxListBandTriangles(v, kSize, kSize, kParts, kGfxMaxBands + 1, 0, &lists));
}
