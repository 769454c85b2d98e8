#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "support/map_pixels.h"
#include "math/random.h"
#include "world/world.h"

namespace {

// The stream state whose next Rand() returns `value`: the step is an affine map modulo
// 2^32, so it can be run backwards from a state with `value` in bits 16 to 30.
std::uint32_t StateBefore(int value)
{
    const std::uint32_t a = 214013u;
    std::uint32_t inverse = a;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - a * inverse;
    }
    const std::uint32_t target = static_cast<std::uint32_t>(value) << 16;
    return (target - 2531011u) * inverse;
}

class WorldMesh : public ::testing::Test {
protected:
    std::unique_ptr<CWorld> world = std::make_unique<CWorld>();
    BoxList collision{kCollisionBoxCapacity};
    std::uint32_t savedRand = GetRandState();

    void TearDown() override { SetRandState(savedRand); }

    void Build(const MapPixels& map)
    {
        world->ClearContents();
        collision.Empty();
        ScanMap(map.bytes.data(), map.pitch, world->blocks, world->spikes, collision, world->startPoint,
                world->goalPoint);
        world->BuildMesh();
    }

    int Range(int begin, int end) const { return end - begin; }
    const Vertex& V(int i) const { return world->mesh[i]; }
};

TEST_F(WorldMesh, SingleCellGetsTuftBlockCapAndGoal)
{
    MapPixels map;
    map.Solid(64, 64);
    Build(map);
    EXPECT_EQ(world->tuftEnd, 6);
    EXPECT_EQ(Range(world->tuftEnd, world->blockEnd), 6);
    EXPECT_EQ(Range(world->blockEnd, world->capEnd), 6);
    EXPECT_EQ(Range(world->capEnd, world->goalEnd), 6);
    EXPECT_EQ(Range(world->goalEnd, world->spikeEnd), 0);
    EXPECT_EQ(world->vertexCount, world->spikeEnd);
    ASSERT_EQ(world->blocks.count, 2);
    EXPECT_EQ(world->blocks[1].kind, kBoxGrassCap);
    EXPECT_EQ(world->blocks[1].min.x, world->blocks[0].min.x);
    EXPECT_EQ(world->blocks[1].max.y, world->blocks[0].max.y);

    // Every vertex: normal (0, 0, -1), opaque white, z 0.
    for (int i = 0; i < world->vertexCount; ++i) {
        EXPECT_EQ(V(i).nx, 0.0f);
        EXPECT_EQ(V(i).ny, 0.0f);
        EXPECT_EQ(V(i).nz, -1.0f);
        EXPECT_EQ(V(i).color, 0xFFFFFFFFu);
        EXPECT_EQ(V(i).z, 0.0f);
    }

    // The block quad: corners in the order TL, TR, BL, BL, BR, TR, uv = position * 0.025.
    const int b = world->tuftEnd;
    const float xs[6] = {0.0f, 0.46875f, 0.0f, 0.0f, 0.46875f, 0.46875f};
    const float ys[6] = {0.234375f, 0.234375f, -0.234375f, -0.234375f, -0.234375f, 0.234375f};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(V(b + k).x, xs[k]) << k;
        EXPECT_EQ(V(b + k).y, ys[k]) << k;
        EXPECT_EQ(V(b + k).u, xs[k] * 0.025f) << k;
        EXPECT_EQ(V(b + k).v, ys[k] * 0.025f) << k;
    }

    // The cap: negative half extents put every corner on its opposite, uv (0..1) * 0.25.
    const int c = world->blockEnd;
    const float capX[6] = {0.46875f, 0.0f, 0.46875f, 0.46875f, 0.0f, 0.0f};
    const float capY[6] = {-0.234375f, -0.234375f, 0.234375f, 0.234375f, 0.234375f, -0.234375f};
    const float capU[6] = {0.0f, 0.25f, 0.0f, 0.0f, 0.25f, 0.25f};
    const float capV[6] = {0.0f, 0.0f, 0.25f, 0.25f, 0.25f, 0.0f};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(V(c + k).x, capX[k]) << k;
        EXPECT_EQ(V(c + k).y, capY[k]) << k;
        EXPECT_EQ(V(c + k).u, capU[k]) << k;
        EXPECT_EQ(V(c + k).v, capV[k]) << k;
    }

    // The tuft stands 0.1 below the block's top, 0.5 wide.
    EXPECT_FLOAT_EQ(V(2).y, 0.234375f - 0.1f);
    EXPECT_EQ(V(0).x, 0.234375f - 0.25f);
    EXPECT_EQ(V(1).x, 0.234375f + 0.25f);
    EXPECT_GE(V(0).y - V(2).y, 1.0f);
    EXPECT_LE(V(0).y - V(2).y, 2.0f);
    EXPECT_EQ(V(0).u, 0.0f);
    EXPECT_EQ(V(0).v, 0.0f);
    EXPECT_EQ(V(4).u, 1.0f);
    EXPECT_EQ(V(4).v, 1.0f);
}

TEST_F(WorldMesh, CoveredBlocksGetNoGrass)
{
    MapPixels map;
    map.Solid(10, 10);
    map.Solid(10, 11);  // under a solid block
    map.Scenery(20, 10);
    map.Solid(20, 11);  // under scenery: covered too
    map.SpikeUp(30, 10);
    map.Solid(30, 11);  // under a spike: exposed
    map.Start(40, 10);
    map.Solid(40, 11);  // under the start: exposed
    map.Goal(50, 10);
    map.Solid(50, 11);  // under the goal: exposed
    Build(map);
    // Exposed: (10,10), scenery (20,10), (30,11), (40,11), (50,11).
    EXPECT_EQ(world->tuftEnd, 5 * 6);
    EXPECT_EQ(Range(world->blockEnd, world->capEnd), 5 * 6);
    EXPECT_EQ(Range(world->goalEnd, world->spikeEnd), 6);
}

TEST(BlockExposure, OnlyOtherBlocksBelowTheLimitCover)
{
    // The pairwise reference and the per-cell counts (which fall back to it for boxes
    // that are not map cells) answer alike.
    auto exposed = [](const BoxList& list, std::int32_t i, std::int32_t n) {
        const bool pairwise = IsBlockExposedPairwise(list, i, n);
        EXPECT_EQ(BlockExposure(list, n).IsBlockExposed(i), pairwise);
        return pairwise;
    };
    BoxList list(8);
    list.Append(Vector4{0.25f, 0.25f, 0, 1}, 0.25f, 0.25f, 0);
    list.Append(Vector4{0.25f, 0.75f, 0, 1}, 0.25f, 0.25f, 0);  // directly above entry 0
    EXPECT_FALSE(exposed(list, 0, 2));
    EXPECT_TRUE(exposed(list, 0, 1));
    EXPECT_TRUE(exposed(list, 1, 2));
    // A block never covers itself, and a point on an edge is not inside (strict).
    list[1].Set(Vector4{0.5f, 0.75f, 0, 1}, 0.25f, 0.25f, 0);  // min.x == p.x
    EXPECT_TRUE(exposed(list, 0, 2));
    list[1].Set(Vector4{0.25f, 1.0f, 0, 1}, 0.25f, 0.25f, 0);  // min.y == p.y
    EXPECT_TRUE(exposed(list, 0, 2));
    list[1].Set(Vector4{0.49f, 0.99f, 0, 1}, 0.25f, 0.25f, 0);  // just inside
    EXPECT_FALSE(exposed(list, 0, 2));
    // Any kind covers, caps included.
    list[1].Set(Vector4{0.3f, 0.8f, 0, 1}, 0.1f, 0.1f, kBoxGrassCap);
    EXPECT_FALSE(exposed(list, 0, 2));
}

TEST(BlockExposure, MapCellsAreCountedPerCell)
{
    struct Case {
        const char* name;
        int column;  // of the second box; the first is always cell (40, 50)
        int row;
        std::int32_t kind;
        bool moveFirstCentreToLine;
        bool firstExposed;
    };
    const Case cases[] = {
        {"cell above covers", 40, 49, 0, false, false},
        {"absorbed and cap kinds cover too", 40, 49, kBoxGrassCap, false, false},
        {"cell above and to the side does not", 41, 49, 0, false, true},
        {"a second box on the same cell is another block", 40, 50, 0, false, true},
        {"centre on a line: the point is inside no cell", 40, 49, 0, true, true},
    };
    for (const Case& c : cases) {
        BoxList list(8);
        list.Append(CellCentre(40, 50), kHalfCell, kHalfCell, 0);
        list.Append(CellCentre(c.column, c.row), kHalfCell, kHalfCell, c.kind);
        if (c.moveFirstCentreToLine) {
            list[0].center.x = list[0].min.x;
        }
        const BlockExposure exposure(list, 2);
        EXPECT_TRUE(exposure.ByCell()) << c.name;
        EXPECT_EQ(exposure.IsBlockExposed(0), c.firstExposed) << c.name;
        EXPECT_EQ(IsBlockExposedPairwise(list, 0, 2), c.firstExposed) << c.name;
        EXPECT_FALSE(BlockExposure(list, 2, BoxSearch::Pairwise).ByCell());
    }
    // Two boxes on one cell each cover the cell below; neither covers itself.
    BoxList twin(8);
    twin.Append(CellCentre(40, 50), kHalfCell, kHalfCell, 0);
    twin.Append(CellCentre(40, 49), kHalfCell, kHalfCell, 0);
    twin.Append(CellCentre(40, 49), kHalfCell, kHalfCell, 0);
    const BlockExposure exposure(twin, 3);
    EXPECT_FALSE(exposure.IsBlockExposed(0));
    EXPECT_TRUE(exposure.IsBlockExposed(1));
    EXPECT_TRUE(exposure.IsBlockExposed(2));
}

TEST_F(WorldMesh, RowOfFiveIsOneBlockQuadWithFiveTuftsAndCaps)
{
    MapPixels map;
    for (int c = 60; c < 65; ++c) {
        map.Solid(c, 70);
    }
    Build(map);
    EXPECT_EQ(world->tuftEnd, 30);
    EXPECT_EQ(Range(world->tuftEnd, world->blockEnd), 6);
    EXPECT_EQ(Range(world->blockEnd, world->capEnd), 30);
    const int b = world->tuftEnd;
    const float left = CellCentre(60, 70).x - kHalfCell;
    const float right = CellCentre(64, 70).x + kHalfCell;
    EXPECT_EQ(V(b).x, left);
    EXPECT_EQ(V(b + 1).x, right);
    EXPECT_EQ(V(b + 4).x, right);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(V(b + k).u, V(b + k).x * 0.025f);
        EXPECT_EQ(V(b + k).v, V(b + k).y * 0.025f);
    }
    // The caps are not merged: each spans its own cell.
    for (int cap = 0; cap < 5; ++cap) {
        const Vertex& tl = V(world->blockEnd + cap * 6);
        EXPECT_FLOAT_EQ(tl.x, CellCentre(60 + cap, 70).x + kHalfCell);
    }
}

TEST_F(WorldMesh, SpikeQuadsStandAndHang)
{
    MapPixels map;
    map.SpikeUp(64, 64);
    map.SpikeDown(70, 64);
    Build(map);
    ASSERT_EQ(Range(world->goalEnd, world->spikeEnd), 12);
    EXPECT_EQ(world->tuftEnd, 0);
    EXPECT_EQ(world->blockEnd, 0);
    EXPECT_EQ(world->capEnd, 0);

    const float xc = CellCentre(64, 64).x;
    const float yc = CellCentre(64, 64).y;
    const int up = world->goalEnd;
    EXPECT_FLOAT_EQ(V(up).x, xc - 0.234375f);
    EXPECT_FLOAT_EQ(V(up + 1).x, xc + 0.234375f);
    EXPECT_FLOAT_EQ(V(up).y, yc + 2.134375f);      // top
    EXPECT_FLOAT_EQ(V(up + 2).y, yc - 0.334375f);  // bottom
    EXPECT_EQ(V(up).v, 0.0f);
    EXPECT_EQ(V(up + 2).v, 1.0f);

    const float yd = CellCentre(70, 64).y;
    const int down = up + 6;
    EXPECT_FLOAT_EQ(V(down).y, yd + 0.134375f);
    EXPECT_FLOAT_EQ(V(down + 4).y, yd - 2.334375f);
    // Upside down: the top edge takes v = 1.
    EXPECT_EQ(V(down).u, 0.0f);
    EXPECT_EQ(V(down).v, 1.0f);
    EXPECT_EQ(V(down + 1).u, 1.0f);
    EXPECT_EQ(V(down + 1).v, 1.0f);
    EXPECT_EQ(V(down + 2).v, 0.0f);
    EXPECT_EQ(V(down + 4).u, 1.0f);
    EXPECT_EQ(V(down + 4).v, 0.0f);
}

TEST_F(WorldMesh, GoalSquareIsFourUnitsEvenWithoutGoal)
{
    MapPixels empty;
    Build(empty);
    EXPECT_EQ(world->capEnd, 0);
    ASSERT_EQ(world->goalEnd, 6);
    EXPECT_EQ(V(0).x, -2.0f);
    EXPECT_EQ(V(0).y, 2.0f);
    EXPECT_EQ(V(4).x, 2.0f);
    EXPECT_EQ(V(4).y, -2.0f);
    EXPECT_EQ(V(0).u, 0.0f);
    EXPECT_EQ(V(1).u, 1.0f);
    EXPECT_EQ(V(2).v, 1.0f);

    MapPixels goal;
    goal.Goal(0, 0);
    Build(goal);
    EXPECT_EQ(V(0).x, -29.765625f - 2.0f);
    EXPECT_EQ(V(5).y, 32.0f);
}

TEST_F(WorldMesh, RandomStreamOncePerTuftAndSpike)
{
    MapPixels map;
    map.Solid(3, 3);
    map.Solid(5, 3);
    map.SpikeUp(9, 9);
    SetRandState(StateBefore(0));
    const std::uint32_t before = GetRandState();
    Build(map);
    // Two tufts and one spike: three draws.
    std::uint32_t expected = before;
    for (int i = 0; i < 3; ++i) {
        expected = expected * 214013u + 2531011u;
    }
    EXPECT_EQ(GetRandState(), expected);
    // The first tuft drew 0: height exactly 1.
    EXPECT_EQ(V(0).y - V(2).y, 1.0f);

    SetRandState(StateBefore(32767));
    Build(map);
    EXPECT_EQ(V(0).y - V(2).y, 2.0f);

    SetRandState(StateBefore(16384));
    Build(map);
    EXPECT_NEAR(V(0).y - V(2).y, 1.0f + 16384.0f / 32767.0f, 1e-5);
}

TEST_F(WorldMesh, HitsSpikeIsStrict)
{
    MapPixels map;
    map.SpikeUp(64, 64);
    Build(map);
    const Box& s = world->spikes[0];
    EXPECT_TRUE(world->HitsSpike(s.center));
    EXPECT_TRUE(world->HitsSpike(Vector4{s.center.x, s.center.y, 55.0f, 1.0f}));
    EXPECT_FALSE(world->HitsSpike(Vector4{s.min.x, s.center.y, 0, 1}));
    EXPECT_FALSE(world->HitsSpike(Vector4{s.max.x, s.center.y, 0, 1}));
    EXPECT_FALSE(world->HitsSpike(Vector4{s.center.x, s.min.y, 0, 1}));
    EXPECT_FALSE(world->HitsSpike(Vector4{s.center.x, s.max.y, 0, 1}));
    EXPECT_TRUE(world->HitsSpike(Vector4{s.max.x - 0.001f, s.max.y - 0.001f, 0, 1}));

    world->ClearContents();
    EXPECT_FALSE(world->HitsSpike(s.center));
}

TEST_F(WorldMesh, DenseMapBuildsWholePastTheStandardBuffer)
{
    // Unmerged, uncovered blocks among spikes: more vertices than 131,072.
    MapPixels map;
    int blocks = 0;
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            if (r < 43 && (c + r) % 2 == 0) {
                map.Solid(c, r);
                ++blocks;
            } else {
                map.SpikeUp(c, r);
            }
        }
    }
    Build(map);
    const int spikes = kMapSize * kMapSize - blocks;
    EXPECT_EQ(world->vertexCount, 18 * blocks + 6 * spikes + 6);
    EXPECT_GT(world->vertexCount, kWorldBufferVertices);
    EXPECT_EQ(world->spikeEnd, world->vertexCount);
    EXPECT_LE(world->vertexCount, kWorldMeshCapacity);
}

TEST_F(WorldMesh, AppendStopsAtCapacityWithWholeQuads)
{
    world->vertexCount = kWorldMeshCapacity - 3;
    world->AppendTuftQuad(Vector4{0, 0, 0, 1}, Vector4{1, 1, 0, 1}, 1.0f);
    EXPECT_EQ(world->vertexCount, kWorldMeshCapacity - 3);
    world->vertexCount = kWorldMeshCapacity - 6;
    world->AppendCornerQuad(Vector4{0, 0, 0, 1}, Vector4{1, 1, 0, 1}, 1.0f);
    EXPECT_EQ(world->vertexCount, kWorldMeshCapacity);
    const float white[4] = {1, 1, 1, 1};
    world->AppendVertex(Vector4{0, 0, 0, 1}, white, Vector4{0, 0, -1, 1}, Vector4{0, 0, 0, 1});
    EXPECT_EQ(world->vertexCount, kWorldMeshCapacity);
}

TEST(LevelMaps, IndexPicksTheMapFile)
{
    EXPECT_STREQ(LevelMapName(0), "data/map1.tga");
    EXPECT_STREQ(LevelMapName(1), "data/map3.tga");
    EXPECT_STREQ(LevelMapName(2), "data/map4.tga");
    EXPECT_STREQ(LevelMapName(3), "data/map2.tga");
    EXPECT_STREQ(LevelMapName(4), "data/map6.tga");
    EXPECT_STREQ(LevelMapName(5), "data/map7.tga");
    EXPECT_STREQ(LevelMapName(6), "data/map8.tga");
    EXPECT_STREQ(LevelMapName(7), "data/map5.tga");
    EXPECT_STREQ(LevelMapName(8), "data/map5.tga");
    EXPECT_STREQ(LevelMapName(-1), "data/map5.tga");
    EXPECT_STREQ(LevelMapName(1 << 30), "data/map5.tga");
}

}  // namespace
