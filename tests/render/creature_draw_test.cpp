#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "render_fixture.h"

namespace {

class CreatureDrawing : public RecordedDrawing {
protected:
    void SetUp() override
    {
        RecordedDrawing::SetUp();
        Creature.Reset();
        Creature.Place(Vector4{1, 2, 0, 1});
        Creature.leftGripHeld = false;
        Creature.rightGripHeld = false;
    }

    void TearDown() override
    {
        Creature.leftGripHeld = false;
        Creature.rightGripHeld = false;
        RecordedDrawing::TearDown();
    }

    // The stage-0 picture of every flush, in order.
    std::vector<const void*> Pictures() const
    {
        std::vector<const void*> out;
        for (const GfxCall* c : recorder.Find("IDirect3DDevice9::SetTexture")) {
            out.push_back(c->args[1].p);
        }
        return out;
    }

    // The four corners of the n-th draw, without the strip joints.
    std::vector<Vertex> Corners(std::size_t n) const
    {
        const auto draws = recorder.Find("DrawPrimitive");
        std::vector<Vertex> v = draws.at(n)->vertices;
        const std::size_t first = v.size() == 6 ? 1 : 0;
        return std::vector<Vertex>(v.begin() + static_cast<std::ptrdiff_t>(first),
                                   v.begin() + static_cast<std::ptrdiff_t>(first + 4));
    }
};

TEST_F(CreatureDrawing, DeadCreatureDrawsNothing)
{
    Creature.alive = false;
    Creature.Draw();
    EXPECT_TRUE(recorder.Calls().empty());
    Creature.alive = true;
}

TEST_F(CreatureDrawing, ThirteenQuadsInOrderWithGripDependentFeet)
{
    struct Case {
        bool left, right;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(c.left * 2 + c.right);
        recorder.ClearCalls();
        Creature.leftGripHeld = c.left;
        Creature.rightGripHeld = c.right;
        Creature.Draw();
        const std::vector<const void*> expected = {
            AsObject(c.left ? Gpu.textures[kPicAntenna] : Gpu.textures[kPicKnee]),
            AsObject(c.right ? Gpu.textures[kPicAntenna] : Gpu.textures[kPicKnee]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicLeg]),
            AsObject(Gpu.textures[kPicAntenna]),
            AsObject(Gpu.textures[kPicAntenna]),
            AsObject(Gpu.textures[kPicEye]),
            AsObject(Gpu.textures[kPicEye]),
            AsObject(Gpu.textures[kPicHeadface])};
        EXPECT_EQ(Pictures(), expected);
        ASSERT_EQ(recorder.Count("DrawPrimitive"), 13u);

        const float foot = c.left ? 0.3f : 0.2f;
        const std::vector<Vertex> left = Corners(0);
        const Vector4 at = Creature.leftFoot->position;
        EXPECT_EQ(left[0].x, at.x - foot);
        EXPECT_EQ(left[0].y, at.y + foot);
        EXPECT_EQ(left[3].x, at.x + foot);
        EXPECT_EQ(left[3].y, at.y - foot);
        EXPECT_EQ(left[3].u, 1.0f);
        EXPECT_EQ(left[3].v, 1.0f);
        EXPECT_EQ(left[0].nz, -1.0f);

        // The shin runs from the knee to the body's foot.
        const std::vector<Vertex> shin = Corners(2);
        EXPECT_FLOAT_EQ((shin[2].x + shin[3].x) / 2, Creature.leftFoot->position.x);
        EXPECT_FLOAT_EQ((shin[0].y + shin[1].y) / 2, Creature.leftKnee->position.y);

        // The head: 1.28 square centred 2.5 above the body.
        const std::vector<Vertex> head = Corners(12);
        const Vector4 body = Creature.body->position;
        EXPECT_FLOAT_EQ(head[0].x, body.x - 0.64f);
        EXPECT_FLOAT_EQ(head[0].y, body.y + 2.5f + 0.64f);
        EXPECT_FLOAT_EQ(head[3].y, body.y + 2.5f - 0.64f);
    }
    EXPECT_EQ(Batch.count, 0);
}

TEST_F(CreatureDrawing, BoneCorners)
{
    struct Case {
        Vector4 a, b;
        float w;
        float corners[4][2];
    };
    const Case cases[] = {
        // Vertical: d = (0, 1), n = (0.1, 0).
        {{0, 0, 0, 1}, {0, -2, 0, 1}, 0.1f, {{-0.1f, 0}, {0.1f, 0}, {-0.1f, -2}, {0.1f, -2}}},
        // Coincident ends: d = (0, 1) by fiat, a flat segment 2w long.
        {{3, 4, 0, 1}, {3, 4, 0, 1}, 0.25f, {{2.75f, 4}, {3.25f, 4}, {2.75f, 4}, {3.25f, 4}}},
        // Horizontal, A right of B: d = (1, 0), n = (0, -w).
        {{2, 0, 0, 1}, {0, 0, 0, 1}, 0.5f, {{2, 0.5f}, {2, -0.5f}, {0, 0.5f}, {0, -0.5f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.corners[0][0]);
        recorder.ClearCalls();
        Creature.DrawBone(c.a, c.b, c.w);
        const std::vector<Vertex> v = Corners(0);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(v[i].x, c.corners[i][0]) << i;
            EXPECT_EQ(v[i].y, c.corners[i][1]) << i;
        }
        EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicLeg]));
    }
}

class DropDrawing : public RecordedDrawing {
protected:
    void TearDown() override
    {
        for (CDropBurst& burst : Drops.bursts) {
            burst = CDropBurst{};
        }
        RecordedDrawing::TearDown();
    }
};

TEST_F(DropDrawing, ActiveBurstIsOneBatchOfTwentyFadingSquares)
{
    CDropBurst& burst = Drops.bursts[0];
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u);
    burst.Draw();
    EXPECT_TRUE(recorder.Calls().empty()) << "an inactive burst draws nothing";

    for (int i = 0; i < kDropsPerBurst; ++i) {
        burst.particles[i].position = Vector4{static_cast<float>(i), 1.0f, 3.0f, 1.0f};
    }
    burst.active = true;
    burst.age = 0.01f;
    burst.Draw();
    ASSERT_EQ(recorder.Count("DrawPrimitive"), 1u);
    const auto& v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 5u + 19u * 6u);
    EXPECT_EQ(LastDraw()->Int(2), v.size() - 2);
    // Opacity 0.99: 0.99 x 255 + 0.5 = 252.95 -> 252.
    EXPECT_EQ(v[0].color, 0xFCFFFFFFu);
    const float square[4][4] = {{-0.1f, 0.1f, 0, 0}, {0.1f, 0.1f, 1, 0}, {-0.1f, -0.1f, 0, 1}, {0.1f, -0.1f, 1, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, square[i][0]);
        EXPECT_FLOAT_EQ(v[i].y, 1.0f + square[i][1]);
        EXPECT_EQ(v[i].u, square[i][2]);
        EXPECT_EQ(v[i].v, square[i][3]);
        EXPECT_EQ(v[i].z, 0.0f) << "the drop is flattened onto the level plane";
    }
    EXPECT_EQ(burst.particles[19].position.z, 0.0f);
    EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicGround]));
    EXPECT_EQ(recorder.Find("ID3DXEffect::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicParticleDrop]));

    // Kind 1 takes the knee picture for both.
    recorder.ClearCalls();
    burst.kind = 1;
    burst.Draw();
    EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicKnee]));
    EXPECT_EQ(recorder.Find("ID3DXEffect::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicKnee]));
}

}  // namespace
