#include <gtest/gtest.h>

#include <cstdint>

#include "shell/stick_shaping.h"

namespace {

struct RampCase {
    std::int32_t frame;  // 1-based frame of holding the stick
    float expectedY;
};

// Full upward deflection: 2 for 50 frames, 3.36 on the 51st, 6 from the 150th on.
TEST(StickShaping, UpwardRampFollowsTheFrameCount)
{
    const RampCase cases[] = {{1, 2.0f}, {50, 2.0f}, {51, 3.36f}, {149, 5.97333336f}, {150, 6.0f}, {400, 6.0f}};
    std::int32_t ramp = 0;
    std::int32_t frame = 0;
    for (const RampCase& c : cases) {
        Vector4 v{};
        while (frame < c.frame) {
            v = ShapeStick(0, -1000, false, StickSide::Left, ramp);
            ++frame;
        }
        EXPECT_FLOAT_EQ(v.y, c.expectedY) << "frame " << c.frame;
        EXPECT_EQ(v.w, 1.0f);
    }
    EXPECT_EQ(ramp, 150);
}

TEST(StickShaping, RampStartsOnlyPastAQuarterOfTheTravel)
{
    std::int32_t ramp = 7;
    ShapeStick(0, -250, false, StickSide::Left, ramp);
    EXPECT_EQ(ramp, 0);
    ShapeStick(0, -251, false, StickSide::Left, ramp);
    EXPECT_EQ(ramp, 1);
}

struct OutwardCase {
    StickSide side;
    std::int32_t rawX;
    float expectedX;  // after 150 ramp frames with the stick also held up
};

TEST(StickShaping, OnlyTheOutwardSideIsBoosted)
{
    const OutwardCase cases[] = {
        {StickSide::Left, -500, -1.5f},
        {StickSide::Left, 500, 1.0f},
        {StickSide::Right, 500, 1.5f},
        {StickSide::Right, -500, -1.0f},
    };
    for (const OutwardCase& c : cases) {
        std::int32_t ramp = 149;
        const Vector4 v = ShapeStick(c.rawX, -1000, false, c.side, ramp);
        EXPECT_FLOAT_EQ(v.x, c.expectedX) << c.rawX;
    }
}

TEST(StickShaping, FastButtonTriplesUpFillsTheRampAndZeroesW)
{
    std::int32_t ramp = 0;
    const Vector4 v = ShapeStick(-400, -300, true, StickSide::Left, ramp);
    EXPECT_FLOAT_EQ(v.y, 1.8f);
    EXPECT_FLOAT_EQ(v.x, -1.2f);
    EXPECT_EQ(v.w, 0.0f);
    EXPECT_EQ(ramp, 150);

    // Pulled down with the button: no tripling, and the ramp that the plain rule cleared stays 0.
    ramp = 90;
    const Vector4 down = ShapeStick(0, 400, true, StickSide::Right, ramp);
    EXPECT_FLOAT_EQ(down.y, -0.8f);
    EXPECT_EQ(ramp, 0);
}

TEST(StickShaping, CentredStickGivesTheRestVector)
{
    std::int32_t ramp = 0;
    const Vector4 v = ShapeStick(0, 0, false, StickSide::Right, ramp);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(v.w, 1.0f);
}

}  // namespace
