#include "platform/gfx/internal/present.h"

#include <gtest/gtest.h>

namespace {

TEST(Letterbox, ThePictureKeepsItsProportionCentredWithBars)
{
    const struct {
        int dw, dh, pw, ph;
        GfxViewRect expected;
    } cases[] = {
        {640, 480, 640, 480, {0, 0, 640, 480}},        // made for this window: no bars
        {1920, 1080, 640, 480, {240, 0, 1440, 1080}},  // wide display: bars left and right
        {1280, 1024, 640, 480, {0, 32, 1280, 960}},    // 5:4: bars top and bottom
        {1080, 1920, 640, 480, {0, 555, 1080, 810}},   // turned display
        {1366, 768, 640, 480, {171, 0, 1024, 768}},    // odd margin: the spare pixel goes right
        {641, 480, 640, 480, {0, 0, 640, 480}},        // one pixel to spare: it goes right
        {3, 1, 640, 480, {1, 0, 1, 1}},                // tiny, still one pixel wide
        {1920, 1080, 1920, 1080, {0, 0, 1920, 1080}},  // tools' windows: their own size
        {800, 600, 0, 0, {0, 0, 800, 600}},            // proportion unknown: fill
        {0, 600, 640, 480, {0, 0, 0, 600}},
    };
    for (const auto& c : cases) {
        const GfxViewRect r = GfxLetterbox(c.dw, c.dh, c.pw, c.ph);
        SCOPED_TRACE(::testing::Message() << c.dw << "x" << c.dh << " for " << c.pw << "x" << c.ph);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.width, c.expected.width);
        EXPECT_EQ(r.height, c.expected.height);
    }
}

}  // namespace
