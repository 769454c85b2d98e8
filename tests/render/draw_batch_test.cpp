#include <cstring>

#include "render/texture_index.h"
#include "render_fixture.h"

namespace {

using Batching = RecordedDrawing;

void Quad(float x, float y)
{
    AddVertex(Vector4{x, y, 0, 1}, 1, 1, 1, 1, 0, 0, -1, 0, 0);
    AddVertex(Vector4{x + 1, y, 0, 1}, 1, 1, 1, 1, 0, 0, -1, 1, 0);
    AddVertex(Vector4{x, y - 1, 0, 1}, 1, 1, 1, 1, 0, 0, -1, 0, 1);
    AddVertex(Vector4{x + 1, y - 1, 0, 1}, 1, 1, 1, 1, 0, 0, -1, 1, 1);
    EndStrip();
}

TEST_F(Batching, FirstBatchHasNoLeadingRepeatAndLaterOnesDo)
{
    ResetBatch();
    Quad(0, 0);
    DrawBatch(0);
    const GfxCall* first = LastDraw();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Int(0), D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(first->Int(1), 0);
    EXPECT_EQ(first->Int(2), 3);
    ASSERT_EQ(first->vertices.size(), 5u);
    // The closing vertex repeats the last position in opaque black with no normal or uv.
    const Vertex& closing = first->vertices[4];
    EXPECT_EQ(closing.x, 1.0f);
    EXPECT_EQ(closing.y, -1.0f);
    EXPECT_EQ(closing.color, 0xFF000000u);
    EXPECT_EQ(closing.nz, 0.0f);
    EXPECT_EQ(closing.u, 0.0f);
    EXPECT_EQ(closing.v, 0.0f);

    ResetBatch();
    Quad(5, 5);
    DrawBatch(0);
    const GfxCall* second = LastDraw();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Int(2), 4);
    ASSERT_EQ(second->vertices.size(), 6u);
    EXPECT_EQ(std::memcmp(&second->vertices[0], &second->vertices[1], sizeof(Vertex)), 0);
    EXPECT_EQ(second->vertices[1].x, 5.0f);
    EXPECT_EQ(second->vertices[5].x, 6.0f);
    EXPECT_EQ(second->vertices[5].y, 4.0f);
}

TEST_F(Batching, OnlyClosedStripsAreDrawn)
{
    // Nothing closed: nothing drawn, before or after vertices were added.
    ResetBatch();
    DrawBatch(0);
    AddVertex(Vector4{0, 0, 0, 1}, 1, 1, 1, 1, 0, 0, -1);
    AddVertex(Vector4{1, 0, 0, 1}, 1, 1, 1, 1, 0, 0, -1);
    AddVertex(Vector4{0, 1, 0, 1}, 1, 1, 1, 1, 0, 0, -1);
    DrawBatchAdditive(4);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u);

    // A strip closed, then more vertices: only the closed part is drawn.
    ResetBatch();
    Quad(0, 0);
    Quad(3, 0);
    AddVertex(Vector4{9, 9, 0, 1}, 1, 1, 1, 1, 0, 0, -1);
    AddVertex(Vector4{9, 8, 0, 1}, 1, 1, 1, 1, 0, 0, -1);
    EXPECT_EQ(Batch.count, 14);
    EXPECT_EQ(Batch.closedEnd, 11);
    DrawBatch(0);
    ASSERT_NE(LastDraw(), nullptr);
    EXPECT_EQ(LastDraw()->Int(2), 9);
    ASSERT_EQ(LastDraw()->vertices.size(), 11u);
    EXPECT_EQ(LastDraw()->vertices.back().x, 4.0f);

    // A flush leaves the batch as it was: the same strips can be drawn again.
    DrawBatch(0);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 2u);
    EXPECT_EQ(recorder.Find("DrawPrimitive")[0]->vertices.size(), recorder.Find("DrawPrimitive")[1]->vertices.size());
}

TEST_F(Batching, ColourChannelsAndAbsentTextureCoordinate)
{
    struct Case {
        float r, g, b, a;
        std::uint32_t packed;
    };
    const Case cases[] = {
        {1.0f, 0.0f, -0.5f, 0.5f, 0x80FF0000u},
        {1.0f, 1.0f, 1.0f, 1.0f, 0xFFFFFFFFu},
        {2.0f, 0.2f, 0.0f, 0.0f, 0x00FF3300u},  // 0.2 x 255 + 0.5 = 51.5 -> 51
        {0.0f, 0.0f, 0.999f, 0.001f, 0x000000FFu},
    };
    ResetBatch();
    for (const Case& c : cases) {
        AddVertex(Vector4{1, 2, 3, 7}, c.r, c.g, c.b, c.a, 0.25f, 0.5f, 0.75f);
    }
    EndStrip();
    DrawBatch(0);
    ASSERT_NE(LastDraw(), nullptr);
    const auto& v = LastDraw()->vertices;
    ASSERT_EQ(v.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[i].color, cases[i].packed);
        EXPECT_EQ(v[i].x, 1.0f);
        EXPECT_EQ(v[i].z, 3.0f);
        EXPECT_EQ(v[i].nx, 0.25f);
        EXPECT_EQ(v[i].nz, 0.75f);
        EXPECT_EQ(v[i].u, 0.0f);
        EXPECT_EQ(v[i].v, 0.0f);
    }
    // The last position keeps its w although w is never stored.
    EXPECT_EQ(Batch.lastPosition.w, 7.0f);
}

TEST_F(Batching, RestartAndLastPositionCarryAcrossBatches)
{
    ResetBatch();
    Quad(2, 3);
    // EndStrip on a fresh batch repeats the previous batch's last position (twice, since a
    // restart is pending).
    ResetBatch();
    EndStrip();
    DrawBatch(0);
    EXPECT_EQ(Batch.closedEnd, 2);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u) << "two vertices hold no triangle";
    EXPECT_EQ(Batch.lastPosition.x, 3.0f);
    EXPECT_EQ(Batch.lastPosition.y, 2.0f);

    // The frame driver's clear: the next vertex is written once only.
    ClearBatchRestart();
    ResetBatch();
    Quad(0, 0);
    DrawBatch(0);
    ASSERT_NE(LastDraw(), nullptr);
    EXPECT_EQ(LastDraw()->vertices.size(), 5u);
}

TEST_F(Batching, RefusedLocksDropOnlyTheirVertex)
{
    // The first lock of the batch is refused: that vertex is dropped, the count and the
    // last position stay, the rest of the strip lands.
    ResetBatch();
    recorder.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    EXPECT_TRUE(AddVertex(Vector4{5, 5, 0, 1}, 1, 1, 1, 1, 0, 0, -1));
    EXPECT_EQ(Batch.count, 0);
    EXPECT_EQ(Batch.lastPosition.x, 0.0f);
    EXPECT_FALSE(AddVertex(Vector4{1, 0, 0, 1}, 1, 1, 1, 1, 0, 0, -1));
    EXPECT_EQ(Batch.count, 1);

    // With a restart pending, a refused first copy still leaves the vertex written once.
    EndStrip();
    recorder.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    EXPECT_FALSE(AddVertex(Vector4{7, 0, 0, 1}, 1, 1, 1, 1, 0, 0, -1));
    EXPECT_EQ(Batch.count, 3);
    EXPECT_FALSE(Batch.restartPending);

    // A refused closing vertex: EndStrip reports it, closes at the count reached.
    recorder.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    EXPECT_TRUE(EndStrip());
    EXPECT_EQ(Batch.closedEnd, 3);
    EXPECT_TRUE(Batch.restartPending);
    // Every successful lock was unlocked.
    EXPECT_EQ(recorder.Count("IDirect3DVertexBuffer9::Unlock"), 3u);
}

TEST_F(Batching, NoBufferDropsEveryVertex)
{
    IDirect3DVertexBuffer9* saved = Gpu.sharedVertexBuffer;
    Gpu.sharedVertexBuffer = nullptr;
    ResetBatch();
    EXPECT_TRUE(AddVertex(Vector4{1, 1, 0, 1}, 1, 1, 1, 1, 0, 0, -1));
    EXPECT_TRUE(EndStrip());
    EXPECT_EQ(Batch.count, 0);
    Gpu.sharedVertexBuffer = saved;
}

TEST_F(Batching, DrawBatchSetsItsStatesAroundOnePass)
{
    ResetBatch();
    Quad(0, 0);
    DrawBatch(7);
    const std::vector<std::string> expected = {
        "SetTexture",     "SetTexture",     "SetRenderState", "SetRenderState", "SetRenderState",
        "SetRenderState", "SetRenderState", "SetRenderState", "SetTechnique",   "Begin",
        "BeginPass",      "SetFVF",         "DrawPrimitive",  "EndPass",        "End",
        "SetRenderState", "SetRenderState"};
    std::vector<std::string> names;
    for (const std::string& name : recorder.CallNames()) {
        if (name != "Lock" && name != "Unlock") {
            names.push_back(name);
        }
    }
    EXPECT_EQ(names, expected);
    const std::vector<std::pair<std::int64_t, std::int64_t>> states = {
        {D3DRS_ZWRITEENABLE, TRUE},      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},     {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ALPHABLENDENABLE, TRUE},  {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRS_ZWRITEENABLE, TRUE}};
    EXPECT_EQ(RenderStates(), states);
    EXPECT_EQ(recorder.Find("SetFVF")[0]->Int(0), 0x152);
    EXPECT_EQ(recorder.Find("SetTechnique")[0]->Text(0), "WorldLighting");
    EXPECT_EQ(recorder.Find("Begin")[0]->Int(0), 0);
    EXPECT_EQ(recorder.Find("BeginPass")[0]->Int(0), 0);
}

// A screen's picture: the same states as DrawBatch but the depth test off while it draws, on
// again after, through the screens' technique.
TEST_F(Batching, AScreenPictureDrawsWithoutTheDepthTestThroughTheScreensTechnique)
{
    const D3DXHANDLE saved = Gpu.screenPictureTechnique;
    Gpu.screenPictureTechnique = Gpu.worldLightingTechnique;
    ResetBatch();
    Quad(0, 0);
    DrawScreenPicture(kTexTitle);
    Gpu.screenPictureTechnique = saved;
    const std::vector<std::pair<std::int64_t, std::int64_t>> states = {
        {D3DRS_ZWRITEENABLE, TRUE},     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},     {D3DRS_ZENABLE, D3DZB_FALSE},
        {D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}, {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_ZENABLE, D3DZB_TRUE},    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},     {D3DRS_ZWRITEENABLE, TRUE}};
    EXPECT_EQ(RenderStates(), states);
    std::size_t draw = 0;
    std::size_t lastZEnable = 0;
    const auto& calls = recorder.Calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name == "IDirect3DDevice9::DrawPrimitive") draw = i;
        if (calls[i].name == "IDirect3DDevice9::SetRenderState" && calls[i].Int(0) == D3DRS_ZENABLE && draw == 0) {
            lastZEnable = i;
        }
    }
    ASSERT_GT(draw, 0u);
    EXPECT_EQ(calls[lastZEnable].Int(1), D3DZB_FALSE) << "off when the picture draws";
    EXPECT_EQ(recorder.Find("SetTechnique").size(), 1u);
    EXPECT_EQ(recorder.Find("ID3DXEffect::SetTexture")[0]->args[1].p, AsObject(Gpu.textures[kPicGameTitle]));
}

TEST_F(Batching, HeadDrawsWithoutDepthWritesAndRestoresThem)
{
    ResetBatch();
    Quad(0, 0);
    DrawBatch(3);
    bool depthWritesAtDraw = true;
    bool depthWrites = true;
    for (const GfxCall& call : recorder.Calls()) {
        if (call.name == "IDirect3DDevice9::SetRenderState" && call.Int(0) == D3DRS_ZWRITEENABLE) {
            depthWrites = call.Int(1) != 0;
        }
        if (call.name == "IDirect3DDevice9::DrawPrimitive") {
            depthWritesAtDraw = depthWrites;
        }
    }
    EXPECT_FALSE(depthWritesAtDraw);
    EXPECT_TRUE(depthWrites);
}

TEST_F(Batching, TextureIndexPicksStageAndEffectPictures)
{
    struct Case {
        int index;
        IDirect3DTexture9* stage0;
        IDirect3DTexture9* effect;
    };
    const Case cases[] = {
        {kTexLeg, Gpu.textures[kPicLeg], Gpu.textures[kPicLeg]},
        {kTexDrop, Gpu.textures[kPicGround], Gpu.textures[kPicParticleDrop]},
        {kTexKnee, Gpu.textures[kPicKnee], Gpu.textures[kPicKnee]},
        {kTexHead, Gpu.textures[kPicHeadface], Gpu.textures[kPicHeadface]},
        {kTexSky, Gpu.textures[kPicSky], Gpu.textures[kPicSky]},
        {kTexArrow, Gpu.textures[kPicSpikes], Gpu.textures[kPicArrow]},
        {kTexEye, Gpu.textures[kPicEye], Gpu.textures[kPicEye]},
        {kTexAntenna, Gpu.textures[kPicAntenna], Gpu.textures[kPicAntenna]},
        {kTexTitle, Gpu.textures[kPicGameTitle], Gpu.textures[kPicGameTitle]},
        {kTexLevelUp, Gpu.textures[kPicLevelUp], Gpu.textures[kPicLevelUp]},
        {kTexGameEnd, Gpu.textures[kPicGameEnd], Gpu.textures[kPicGameEnd]},
        {kTexRetry, Gpu.textures[kPicRetry], Gpu.textures[kPicRetry]},
        {kTextureIndexCount, Gpu.textures[kPicLeg], Gpu.textures[kPicLeg]},
        {1000, Gpu.textures[kPicLeg], Gpu.textures[kPicLeg]},
        {-1, Gpu.textures[kPicLeg], Gpu.textures[kPicLeg]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        recorder.ClearCalls();
        ResetBatch();
        DrawBatch(c.index);
        const auto device = recorder.Find("IDirect3DDevice9::SetTexture");
        const auto effect = recorder.Find("ID3DXEffect::SetTexture");
        ASSERT_EQ(device.size(), 1u);
        ASSERT_EQ(effect.size(), 1u);
        EXPECT_EQ(device[0]->Int(0), 0);
        EXPECT_EQ(device[0]->args[1].p, AsObject(c.stage0));
        EXPECT_EQ(effect[0]->Text(0), "RenderTargetTexture");
        EXPECT_EQ(effect[0]->args[1].p, AsObject(c.effect));
        // The depth-writes-off extra belongs to the head alone.
        EXPECT_EQ(recorder.Count("SetRenderState"), c.index == kTexHead ? 9u : 8u);
    }
}

TEST_F(Batching, AdditiveFlushUsesTheFixedPipelineAndLeavesItsStates)
{
    ResetBatch();
    Quad(0, 0);
    DrawBatchAdditive(kTexArrow);
    EXPECT_EQ(recorder.Count("ID3DXEffect::SetTexture"), 0u);
    EXPECT_EQ(recorder.Count("Begin"), 0u);
    EXPECT_EQ(recorder.Count("SetTechnique"), 0u);
    const auto stage = recorder.Find("IDirect3DDevice9::SetTexture");
    ASSERT_EQ(stage.size(), 1u);
    EXPECT_EQ(stage[0]->args[1].p, AsObject(Gpu.textures[kPicSpikes]));
    const std::vector<std::pair<std::int64_t, std::int64_t>> states = {{D3DRS_ALPHABLENDENABLE, TRUE},
                                                                       {D3DRS_SRCBLEND, D3DBLEND_ONE},
                                                                       {D3DRS_DESTBLEND, D3DBLEND_ONE},
                                                                       {D3DRS_ZWRITEENABLE, FALSE},
                                                                       {D3DRS_BLENDOP, D3DBLENDOP_ADD}};
    EXPECT_EQ(RenderStates(), states);
    ASSERT_NE(LastDraw(), nullptr);
    EXPECT_EQ(LastDraw()->Int(2), 3);
    EXPECT_EQ(recorder.Find("SetFVF")[0]->Int(0), 0x152);
}

}  // namespace
