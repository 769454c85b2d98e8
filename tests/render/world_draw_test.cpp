#include <utility>
#include <vector>

#include "render/scene_state.h"
#include "render_fixture.h"
#include "world/world.h"

namespace {

class WorldDrawing : public RecordedDrawing {
protected:
    void SetUp() override
    {
        RecordedDrawing::SetUp();
        ASSERT_EQ(World.Reset(), S_OK);
        recorder.ClearCalls();
    }

    void TearDown() override
    {
        World.ReleaseBuffer();
        World.ClearContents();
        World.tuftEnd = World.blockEnd = World.capEnd = World.goalEnd = World.spikeEnd = 0;
        Scene.Reset();
        RecordedDrawing::TearDown();
    }

    // The draws made, as triangle lists: {first vertex, triangles} each.
    void ExpectDraws(const std::vector<std::pair<std::int64_t, std::int64_t>>& expected)
    {
        const auto draws = recorder.Find("DrawPrimitive");
        ASSERT_EQ(draws.size(), expected.size());
        for (std::size_t i = 0; i < draws.size(); ++i) {
            EXPECT_EQ(draws[i]->Int(0), D3DPT_TRIANGLELIST) << i;
            EXPECT_EQ(draws[i]->Int(1), expected[i].first) << i;
            EXPECT_EQ(draws[i]->Int(2), expected[i].second) << i;
        }
    }

    static void Ranges(std::int32_t tuft, std::int32_t block, std::int32_t cap, std::int32_t goal, std::int32_t spike)
    {
        World.tuftEnd = tuft;
        World.blockEnd = block;
        World.capEnd = cap;
        World.goalEnd = goal;
        World.spikeEnd = spike;
        World.vertexCount = spike;
    }
};

TEST_F(WorldDrawing, FiveRangesEachWithItsPictureThenTheBatchBufferAgain)
{
    // No spikes in this level: the last range is empty.
    Ranges(12, 30, 36, 42, 42);
    World.Draw();

    const auto streams = recorder.Find("SetStreamSource");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0]->args[1].p, static_cast<const IUnknown*>(World.vertexBuffer));
    EXPECT_EQ(streams.back()->args[1].p, static_cast<const IUnknown*>(Gpu.sharedVertexBuffer));
    EXPECT_EQ(streams.back()->Int(3), 36);
    EXPECT_EQ(recorder.CallNames().back(), "SetStreamSource");

    const auto pictures = recorder.Find("ID3DXEffect::SetTexture");
    const std::vector<const void*> expected = {AsObject(Gpu.textures[kPicGrass2]), AsObject(Gpu.textures[kPicGround]),
                                               AsObject(Gpu.textures[kPicGrass]), AsObject(Gpu.textures[kPicEnd]),
                                               AsObject(Gpu.textures[kPicSpikes])};
    ASSERT_EQ(pictures.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(pictures[i]->Text(0), "RenderTargetTexture");
        EXPECT_EQ(pictures[i]->args[1].p, expected[i]) << i;
    }
    EXPECT_EQ(recorder.Count("Begin"), 5u);
    EXPECT_EQ(recorder.Count("EndPass"), 5u);
    EXPECT_EQ(recorder.Count("End"), 5u);

    ExpectDraws({{0, 4}, {12, 6}, {30, 2}, {36, 2}});
}

TEST_F(WorldDrawing, WindGrowsByATenthPerDrawAcrossLevelLoads)
{
    Ranges(0, 0, 0, 0, 0);
    float expected = Scene.windAmount;
    for (int i = 0; i < 25; ++i) {
        if (i == 10) {
            // A level load re-creates the buffer and empties the world but leaves the wind.
            ASSERT_EQ(World.Reset(), S_OK);
        }
        World.Draw();
        expected = static_cast<float>(static_cast<double>(expected) + static_cast<double>(0.1f));
        EXPECT_EQ(Scene.windAmount, expected);
    }
    const auto floats = recorder.Find("SetFloat");
    ASSERT_EQ(floats.size(), 25u);
    EXPECT_EQ(floats.back()->Text(0), "WindAmount");
    EXPECT_EQ(floats.back()->Float(1), Scene.windAmount);
    EXPECT_NEAR(floats.back()->Float(1) - floats[0]->Float(1), 2.4f, 1e-4f);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u);
}

TEST_F(WorldDrawing, OnceACameraIsSetOnlyTheQuadsItCanSeeAreDrawnInOrderFromTheBatchBuffer)
{
    Scene.viewProjection = RightAngledView();
    Scene.viewKnown = true;
    // Tufts: in, out, in; blocks: out; caps: in; goal and spikes empty.
    const float lefts[5] = {0.0f, 40.0f, 3.0f, -40.0f, 5.0f};
    for (int q = 0; q < 5; ++q) {
        const float l = lefts[q];
        const float corners[6][2] = {{l, 1.0f}, {l + 1.0f, 1.0f}, {l, 0.0f},
                                     {l, 0.0f}, {l + 1.0f, 0.0f}, {l + 1.0f, 1.0f}};
        for (int v = 0; v < 6; ++v) {
            World.mesh[q * 6 + v] =
                Vertex{corners[v][0],         corners[v][1],        0.0f, 0.0f, 0.0f, -1.0f, 0xFFFFFFFFu,
                       static_cast<float>(q), static_cast<float>(v)};
        }
    }
    Ranges(18, 24, 30, 30, 30);
    World.Draw();

    // Each range's quads in view follow the last range's in the batch buffer.
    ExpectDraws({{0, 4}, {12, 2}});
    const auto streams = recorder.Find("SetStreamSource");
    ASSERT_EQ(streams.size(), 3u);
    EXPECT_EQ(streams[0]->args[1].p, static_cast<const IUnknown*>(World.vertexBuffer));
    EXPECT_EQ(streams[1]->args[1].p, static_cast<const IUnknown*>(Gpu.sharedVertexBuffer));
    EXPECT_EQ(streams[2]->args[1].p, static_cast<const IUnknown*>(Gpu.sharedVertexBuffer));
    void* data = nullptr;
    ASSERT_EQ(Gpu.sharedVertexBuffer->Lock(0, 18 * kVertexStride, &data, D3DLOCK_READONLY), S_OK);
    const auto* copied = static_cast<const Vertex*>(data);
    const int fromQuad[3] = {0, 2, 4};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(copied[i].u, static_cast<float>(fromQuad[i / 6])) << i;
        EXPECT_EQ(copied[i].v, static_cast<float>(i % 6)) << i;
        EXPECT_EQ(copied[i].x, World.mesh[fromQuad[i / 6] * 6 + i % 6].x) << i;
    }
    Gpu.sharedVertexBuffer->Unlock();
    // Every range still sets its picture and runs its pass.
    EXPECT_EQ(recorder.Count("ID3DXEffect::SetTexture"), 5u);
}

TEST_F(WorldDrawing, ARangeThatCannotBeListedOrCopiedIsDrawnWhole)
{
    Scene.viewProjection = RightAngledView();
    Scene.viewKnown = true;
    for (int v = 0; v < 12; ++v) {
        World.mesh[v] = Vertex{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
    }
    // Tufts: not whole quads; blocks: one quad in view, but the batch buffer refuses the lock.
    Ranges(4, 10, 10, 10, 10);
    recorder.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    World.Draw();
    ExpectDraws({{0, 1}, {4, 2}});
    // Both from the world's own buffer, bound first; the batch buffer only at the end.
    const auto streams = recorder.Find("SetStreamSource");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0]->args[1].p, static_cast<const IUnknown*>(World.vertexBuffer));
}

}  // namespace
