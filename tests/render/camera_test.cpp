#include <cmath>
#include <cstring>
#include <map>

#include "creature/creature.h"
#include "render/camera.h"
#include "render/screen_pictures.h"
#include "render_fixture.h"
#include "world/world.h"

namespace {

class Camera : public RecordedDrawing {
protected:
    void SetUp() override
    {
        RecordedDrawing::SetUp();
        Scene.Reset();
        Creature.Reset();
    }

    // Stands the creature so that the camera's target (two above the body) is (x, y).
    static void Target(float x, float y) { Creature.Place(Vector4{x, y - 2.0f, 0, 1}); }
};

TEST_F(Camera, EasesHalfwayAndClampsToThePlayArea)
{
    Target(10, 0);
    const float expected[] = {5.0f, 7.5f, 8.75f};
    for (float x : expected) {
        UpdateCamera();
        EXPECT_EQ(Scene.cameraPoint.x, x);
        EXPECT_EQ(Scene.cameraPoint.y, 0.0f);
        EXPECT_EQ(Scene.cameraPoint.z, -8.0f);
        EXPECT_EQ(Scene.cameraPoint.w, 1.0f);
    }

    struct Case {
        float x, y, cx, cy;
    };
    const Case far[] = {{31, -41, 22, -21.5f}, {-100, 100, -22, 21.5f}, {3, -4, 3, -4}};
    for (const Case& c : far) {
        SCOPED_TRACE(c.x);
        Target(c.x, c.y);
        for (int i = 0; i < 200; ++i) {
            UpdateCamera();
        }
        EXPECT_FLOAT_EQ(Scene.cameraPoint.x, c.cx);
        EXPECT_FLOAT_EQ(Scene.cameraPoint.y, c.cy);
    }
}

TEST_F(Camera, SetsTheEffectAndTheDeviceTransforms)
{
    Scene.cameraPoint = Vector4{4, -2, 0, 1};
    Target(4, -2);
    UpdateCamera();

    const auto vectors = recorder.Find("SetVector");
    ASSERT_EQ(vectors.size(), 1u);
    EXPECT_EQ(vectors[0]->Text(0), "CamerPosition");
    EXPECT_EQ(vectors[0]->Float(1), 4.0f);
    EXPECT_EQ(vectors[0]->Float(2), -2.0f);
    EXPECT_EQ(vectors[0]->Float(3), -18.0f);
    EXPECT_EQ(vectors[0]->Float(4), 0.0f);

    const auto transforms = recorder.Find("SetTransform");
    ASSERT_EQ(transforms.size(), 2u);
    ASSERT_EQ(transforms[0]->Int(0), D3DTS_VIEW);
    ASSERT_EQ(transforms[1]->Int(0), D3DTS_PROJECTION);
    // A view straight along +z: identity rotation, the eye moved to the origin.
    const float* view = transforms[0]->matrix;
    EXPECT_EQ(view[0], 1.0f);
    EXPECT_EQ(view[5], 1.0f);
    EXPECT_EQ(view[10], 1.0f);
    EXPECT_EQ(view[12], -4.0f);
    EXPECT_EQ(view[13], 2.0f);
    EXPECT_EQ(view[14], 8.0f);
    // A quarter-turn field of view, square, near 1, far 1000.
    const float* projection = transforms[1]->matrix;
    EXPECT_FLOAT_EQ(projection[0], 1.0f);
    EXPECT_FLOAT_EQ(projection[5], 1.0f);
    EXPECT_FLOAT_EQ(projection[10], 1000.0f / 999.0f);
    EXPECT_EQ(projection[11], 1.0f);
    EXPECT_FLOAT_EQ(projection[14], -1000.0f / 999.0f);

    const auto matrices = recorder.Find("SetMatrix");
    ASSERT_EQ(matrices.size(), 1u);
    EXPECT_EQ(matrices[0]->Text(0), "mWorldViewProjection");
    D3DXMATRIX v;
    D3DXMATRIX p;
    D3DXMATRIX expected;
    std::memcpy(&v, view, sizeof v);
    std::memcpy(&p, projection, sizeof p);
    D3DXMatrixMultiply(&expected, &v, &p);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(matrices[0]->matrix[i], (&expected._11)[i]) << i;
    }
}

TEST_F(Camera, SkyIsAddedBehindTheLevelWithDepthWritesRestored)
{
    ResetBatch();
    DrawSky();
    const GfxCall* draw = LastDraw();
    ASSERT_NE(draw, nullptr);
    ASSERT_EQ(draw->vertices.size(), 5u);
    const float corners[4][4] = {{-35, -35, 0, 0}, {35, -35, 1, 0}, {-35, 35, 0, 1}, {35, 35, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const Vertex& v = draw->vertices[static_cast<std::size_t>(i)];
        EXPECT_EQ(v.x, corners[i][0]);
        EXPECT_EQ(v.y, corners[i][1]);
        EXPECT_EQ(v.z, 5.0f);
        EXPECT_EQ(v.u, corners[i][2]);
        EXPECT_EQ(v.v, corners[i][3]);
        EXPECT_EQ(v.ny, 1.0f);
        EXPECT_EQ(v.color, 0xFFFFFFFFu);
    }
    EXPECT_EQ(recorder.Count("Begin"), 0u) << "the sky goes through the fixed-function path";
    EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicSky]));
    const auto states = RenderStates();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), std::make_pair(std::int64_t{D3DRS_ZWRITEENABLE}, std::int64_t{TRUE}));
    EXPECT_EQ(Batch.count, 0);
    // Drawn over the cleared target with no blending and no depth test (the same pixels as
    // adding it to black behind everything, without reading any), the depth test on after.
    std::map<std::int64_t, std::int64_t> atDraw;
    for (const GfxCall& call : recorder.Calls()) {
        if (call.name == "IDirect3DDevice9::DrawPrimitive") {
            break;
        }
        if (call.name == "IDirect3DDevice9::SetRenderState") {
            atDraw[call.Int(0)] = call.Int(1);
        }
    }
    EXPECT_EQ(atDraw[D3DRS_ALPHABLENDENABLE], FALSE);
    EXPECT_EQ(atDraw[D3DRS_ZENABLE], D3DZB_FALSE);
    EXPECT_EQ(atDraw[D3DRS_ZWRITEENABLE], FALSE);
    std::int64_t zEnable = -1;
    for (const auto& [state, value] : states) {
        if (state == D3DRS_ZENABLE) zEnable = value;
    }
    EXPECT_EQ(zEnable, D3DZB_TRUE);
}

TEST_F(Camera, ScreenQuadFollowsTheViewAxes)
{
    // The game's camera: right is +x, up is +y.
    Scene.cameraPoint = Vector4{3, 1, 0, 1};
    Target(3, 1);
    UpdateCamera();
    ResetBatch();
    AddScreenQuad(Vector4{Scene.cameraPoint.x, Scene.cameraPoint.y, Scene.cameraPoint.z + 2.0f, Scene.cameraPoint.w},
                  2.0f);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u);
    DrawBatch(9);
    ASSERT_NE(LastDraw(), nullptr);
    const auto& v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 5u);
    const float game[4][2] = {{1, 3}, {5, 3}, {1, -1}, {5, -1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[static_cast<std::size_t>(i)].x, game[i][0]);
        EXPECT_EQ(v[static_cast<std::size_t>(i)].y, game[i][1]);
        EXPECT_EQ(v[static_cast<std::size_t>(i)].z, -6.0f);
        EXPECT_EQ(v[static_cast<std::size_t>(i)].nx, 1.0f);
    }
    EXPECT_EQ(Batch.lastPosition.w, 1.0f);

    // A view turned a quarter: right is +y and up is -x in the world.
    D3DMATRIX turned{};
    turned._21 = 1.0f;
    turned._12 = -1.0f;
    turned._33 = 1.0f;
    turned._44 = 1.0f;
    Gpu.device->SetTransform(D3DTS_VIEW, &turned);
    ResetBatch();
    AddScreenQuad(Vector4{0, 0, 0, 7}, 1.0f);
    DrawBatch(9);
    ASSERT_NE(LastDraw(), nullptr);
    const auto& w = LastDraw()->vertices;
    ASSERT_EQ(w.size(), 6u);
    // P - R + U: (0, -1) + (-1, 0).
    EXPECT_EQ(w[1].x, -1.0f);
    EXPECT_EQ(w[1].y, -1.0f);
    // P + R - U: (0, 1) + (1, 0).
    EXPECT_EQ(w[4].x, 1.0f);
    EXPECT_EQ(w[4].y, 1.0f);
    EXPECT_EQ(Batch.lastPosition.w, 7.0f);
}

TEST_F(Camera, GoalArrowPointsAtTheGoalAndVanishesOnIt)
{
    Scene.cameraPoint = Vector4{2, 3, -8, 1};
    Target(1, 1);
    World.goalPoint = Vector4{9, 1, 0, 1};
    DrawGoalArrow();
    ASSERT_NE(LastDraw(), nullptr);
    auto v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 5u);
    // Along its length from x = 1 to 3, across it from y = 7 to 11; v = 1 towards the goal.
    const float right[4][2] = {{1, 11}, {1, 7}, {3, 11}, {3, 7}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[static_cast<std::size_t>(i)].x, right[i][0]) << i;
        EXPECT_EQ(v[static_cast<std::size_t>(i)].y, right[i][1]) << i;
        EXPECT_EQ(v[static_cast<std::size_t>(i)].z, 0.0f);
    }
    EXPECT_EQ(v[2].v, 1.0f);
    EXPECT_EQ(recorder.Find("IDirect3DDevice9::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicSpikes]));
    EXPECT_EQ(recorder.Find("ID3DXEffect::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicArrow]));
    EXPECT_EQ(Batch.count, 0);

    // Standing on the goal: every corner at the anchor, nothing undefined.
    World.goalPoint = Creature.GetPosition();
    DrawGoalArrow();
    ASSERT_NE(LastDraw(), nullptr);
    v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 6u);
    for (const Vertex& corner : v) {
        EXPECT_EQ(corner.x, 2.0f);
        EXPECT_EQ(corner.y, 9.0f);
        EXPECT_FALSE(std::isnan(corner.x) || std::isnan(corner.y));
    }
    World.goalPoint = Vector4{0, 0, 0, 1};
}

}  // namespace
