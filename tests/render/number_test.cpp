#include "render/number_display.h"
#include "render_fixture.h"

namespace {

using Numbers = RecordedDrawing;

TEST_F(Numbers, EachBarHasItsFourCorners)
{
    // X = 1, Y = 2, s = 1: h = 0.5, t = 0.1.
    struct Case {
        std::int32_t bit;
        float corners[4][2];
    };
    const Case cases[] = {
        {1, {{0.5f, 3.1f}, {1.5f, 3.1f}, {0.5f, 2.9f}, {1.5f, 2.9f}}},
        {2, {{0.6f, 3}, {0.6f, 2}, {0.4f, 3}, {0.4f, 2}}},
        {4, {{0.5f, 2.1f}, {1.5f, 2.1f}, {0.5f, 1.9f}, {1.5f, 1.9f}}},
        {8, {{1.6f, 3}, {1.6f, 2}, {1.4f, 3}, {1.4f, 2}}},
        {16, {{0.6f, 2}, {0.6f, 1}, {0.4f, 2}, {0.4f, 1}}},
        {32, {{0.5f, 1.1f}, {1.5f, 1.1f}, {0.5f, 0.9f}, {1.5f, 0.9f}}},
        {64, {{1.6f, 2}, {1.6f, 1}, {1.4f, 2}, {1.4f, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        recorder.ClearCalls();
        ClearBatchRestart();
        ResetBatch();
        DrawSegment(c.bit, 1.0f, 2.0f, 0.5f, 1.0f);
        EXPECT_EQ(Batch.closedEnd, 5);
        DrawBatch(8);
        ASSERT_NE(LastDraw(), nullptr);
        const auto& v = LastDraw()->vertices;
        ASSERT_EQ(v.size(), 5u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(v[i].x, c.corners[i][0]) << i;
            EXPECT_FLOAT_EQ(v[i].y, c.corners[i][1]) << i;
            EXPECT_EQ(v[i].z, 0.5f);
            EXPECT_EQ(v[i].nx, 1.0f);
            EXPECT_EQ(v[i].ny, 1.0f);
            EXPECT_EQ(v[i].nz, 1.0f);
            EXPECT_EQ(v[i].u, 0.0f);
            EXPECT_EQ(v[i].color, 0xFFFFFFFFu);
        }
    }
    // Not a bar: nothing added.
    ResetBatch();
    DrawSegment(3, 0, 0, 0, 1);
    DrawSegment(128, 0, 0, 0, 1);
    EXPECT_EQ(Batch.count, 0);
}

TEST_F(Numbers, DigitsRunRightToLeft)
{
    // 10: the 0 (six bars) a step left of the origin, the 1 (two bars) a step further.
    DrawNumber(10, Vector4{5, 4, 0, 1}, 0.5f);
    ASSERT_NE(LastDraw(), nullptr);
    const auto& v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 5u + 7u * 6u);
    EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicAntenna]));
    // First bar of the 0 is its top: x from 4.25 - 0.25 to 4.25 + 0.25.
    EXPECT_EQ(v[0].x, 4.0f);
    EXPECT_EQ(v[1].x, 4.5f);
    EXPECT_FLOAT_EQ(v[0].y, 4.6f);
    // The 1's upper-right bar (strip 7) lies at x = 3.5 + 0.25 +- 0.1.
    const Vertex& oneBar = v[5 + 5 * 6 + 1];
    EXPECT_FLOAT_EQ(oneBar.x, 3.85f);
    EXPECT_FLOAT_EQ(oneBar.y, 4.5f);

    // The digit 8 lights all seven bars; 0 and below light none.
    recorder.ClearCalls();
    DrawNumber(8, Vector4{0, 0, 0, 1}, 0.5f);
    ASSERT_NE(LastDraw(), nullptr);
    EXPECT_EQ(LastDraw()->vertices.size(), 7u * 6u);
    for (std::int32_t n : {0, -5}) {
        recorder.ClearCalls();
        DrawNumber(n, Vector4{0, 0, 0, 1}, 0.5f);
        EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u) << n;
    }
}

TEST_F(Numbers, Width)
{
    struct Case {
        std::int32_t n;
        float size;
        float width;
    };
    const Case cases[] = {{1, 0.5f, 0.0f},   {10, 0.5f, 0.75f},   {0, 0.5f, -0.75f},
                          {-3, 2.0f, -3.0f}, {12345, 1.0f, 6.0f}, {2147483647, 1.0f, 13.5f}};
    for (const Case& c : cases) {
        EXPECT_EQ(NumberWidth(c.n, c.size), c.width) << c.n;
    }
}

}  // namespace
