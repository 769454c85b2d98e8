// A composed playing frame on the GL backend, checked at a handful of pixels and written as
// render_composed_frame.png into the test's build folder for a person to look at: by its
// full path, since the test run by hand from the project root once left it in the tree.

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include "gl_scene.h"

namespace {

class GlFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string error = scene.Open();
        ASSERT_TRUE(error.empty()) << error;
    }

    void TearDown() override
    {
        scene.Close();
        for (CDropBurst& burst : Drops.bursts) {
            burst = CDropBurst{};
        }
        Creature.leftGripHeld = false;
    }

    Rgba At(const std::vector<std::uint8_t>& rgba, int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * GlScene::kSize + static_cast<std::size_t>(x)) * 4;
        return Rgba{rgba[i], rgba[i + 1], rgba[i + 2], 255};
    }

    static ::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance)
    {
        const int d[3] = {actual.r - expected.r, actual.g - expected.g, actual.b - expected.b};
        for (int c : d) {
            if (c > tolerance || c < -tolerance) {
                return ::testing::AssertionFailure()
                       << "(" << int{actual.r} << ", " << int{actual.g} << ", " << int{actual.b} << ") is not ("
                       << int{expected.r} << ", " << int{expected.g} << ", " << int{expected.b} << ")";
            }
        }
        return ::testing::AssertionSuccess();
    }

    GlScene scene;
};

TEST_F(GlFrame, ComposedPlayingFrame)
{
    ASSERT_TRUE(scene.Stage(ShowcaseMap(), 4, 12));
    scene.DrawFrame();
    scene.Present();
    const std::vector<std::uint8_t> rgba = scene.ReadBack();
    const char* const picture = TARNWICK_TEST_OUTPUT_DIR "/render_composed_frame.png";
    EXPECT_NE(stbi_write_png(picture, GlScene::kSize, GlScene::kSize, 4, rgba.data(), GlScene::kSize * 4), 0);

    int x = 0;
    int y = 0;
    // Sky in the top-left corner: added onto black, blue above all.
    const Rgba sky = At(rgba, 2, 2);
    EXPECT_GT(sky.b, sky.r + 60);
    EXPECT_GT(sky.b, 120);

    // The head, centred 2.5 above the body, drawn last of the creature.
    const Vector4 body = Creature.body->position;
    GlScene::PlaneToPixel(body.x, body.y + 2.5f, x, y);
    EXPECT_TRUE(Near(At(rgba, x, y), GlScene::kFace, 4)) << "head at " << x << ", " << y;

    // The arrow's middle, six above the camera's aim.
    GlScene::PlaneToPixel(Scene.cameraPoint.x, Scene.cameraPoint.y + 6.0f, x, y);
    EXPECT_TRUE(Near(At(rgba, x, y), GlScene::kArrow, 4)) << "arrow at " << x << ", " << y;

    // The digit 1: its upper-right bar runs through (camera x, camera y + 4.5).
    GlScene::PlaneToPixel(Scene.cameraPoint.x, Scene.cameraPoint.y + 4.5f, x, y);
    EXPECT_TRUE(Near(At(rgba, x, y), GlScene::kAntenna, 4)) << "digit at " << x << ", " << y;
    // ... and nothing of a second digit a step to its left.
    GlScene::PlaneToPixel(Scene.cameraPoint.x - 0.75f, Scene.cameraPoint.y + 4.5f, x, y);
    EXPECT_FALSE(Near(At(rgba, x, y), GlScene::kAntenna, 30));

    // Inside the floor, below its grass: brick or mortar.
    const Vector4 floor = CellCentre(66, 74);
    GlScene::PlaneToPixel(floor.x, floor.y, x, y);
    ASSERT_TRUE(x >= 0 && x < GlScene::kSize && y >= 0 && y < GlScene::kSize) << x << ", " << y;
    const Rgba ground = At(rgba, x, y);
    EXPECT_TRUE(Near(ground, GlScene::kBrick, 4) || Near(ground, GlScene::kMortar, 4)) << "floor at " << x << ", " << y;

    // The drop furthest right, clear of the creature: a pale blue square at 0.88 opacity
    // over the sky.
    Vector4 drop = Drops.bursts[0].particles[0].position;
    for (const CDropBurst& burst : Drops.bursts) {
        for (const DropParticle& particle : burst.particles) {
            if (burst.active && particle.position.x > drop.x) {
                drop = particle.position;
            }
        }
    }
    GlScene::PlaneToPixel(drop.x, drop.y, x, y);
    const Rgba water = At(rgba, x, y);
    EXPECT_GT(water.b, 200) << "drop at " << x << ", " << y;
    EXPECT_GT(water.r, 110);
}

TEST_F(GlFrame, BatchStopsAtTheBufferSize)
{
    ClearBatchRestart();
    ResetBatch();
    const Vector4 p{1, 2, 0, 1};
    std::int32_t dropped = 0;
    for (std::int32_t i = 0; i < kBatchVertexCapacity; ++i) {
        dropped += AddVertex(p, 1, 1, 1, 1, 0, 0, -1) ? 1 : 0;
    }
    EXPECT_EQ(dropped, 0);
    EXPECT_EQ(Batch.count, kBatchVertexCapacity);
    EXPECT_TRUE(AddVertex(Vector4{5, 5, 0, 1}, 1, 1, 1, 1, 0, 0, -1));
    EXPECT_TRUE(EndStrip());
    EXPECT_EQ(Batch.count, kBatchVertexCapacity);
    EXPECT_EQ(Batch.closedEnd, kBatchVertexCapacity);
    EXPECT_EQ(Batch.lastPosition.x, 1.0f) << "a dropped vertex is not the last position";
    ResetBatch();
    EXPECT_FALSE(AddVertex(p, 1, 1, 1, 1, 0, 0, -1)) << "an emptied batch takes vertices again";
}

}  // namespace
