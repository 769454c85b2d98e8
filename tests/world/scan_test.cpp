#include <gtest/gtest.h>

#include "support/map_pixels.h"
#include "world/level_scan.h"

namespace {

using Lists = ScanLists;

TEST(MapScan, PixelClassesFollowNonZeroChannels)
{
    EXPECT_EQ(ClassifyPixel(1, 1, 1), PixelClass::Solid);
    EXPECT_EQ(ClassifyPixel(255, 0, 9), PixelClass::SpikeUp);
    EXPECT_EQ(ClassifyPixel(7, 3, 0), PixelClass::SpikeDown);
    EXPECT_EQ(ClassifyPixel(128, 0, 0), PixelClass::Start);
    EXPECT_EQ(ClassifyPixel(0, 0, 1), PixelClass::Goal);
    EXPECT_EQ(ClassifyPixel(0, 255, 255), PixelClass::Goal);  // cyan is a goal too
    EXPECT_EQ(ClassifyPixel(0, 2, 0), PixelClass::Scenery);
    EXPECT_EQ(ClassifyPixel(0, 0, 0), PixelClass::Empty);
}

TEST(MapScan, CellCentresSpanTheWorld)
{
    EXPECT_EQ(CellCentre(0, 0).x, -29.765625f);
    EXPECT_EQ(CellCentre(127, 0).x, 29.765625f);
    EXPECT_EQ(CellCentre(0, 0).y, 30.0f);
    EXPECT_EQ(CellCentre(0, 127).y, -29.53125f);
    EXPECT_EQ(CellCentre(64, 64).x, 0.234375f);
    EXPECT_EQ(CellCentre(64, 64).y, 0.0f);
    EXPECT_EQ(CellCentre(5, 9).z, 0.0f);
    EXPECT_EQ(CellCentre(5, 9).w, 1.0f);
    EXPECT_EQ(CellCentre(3, 10, 1.0f).y, 1.0f + CellCentre(3, 10).y);
    EXPECT_EQ(CellCentre(3, 10, -1.0f).y, -1.0f + CellCentre(3, 10).y);
}

TEST(MapScan, WhitePixelMakesBlockAndCollisionBox)
{
    MapPixels map;
    map.Solid(64, 64);
    Lists l;
    const MapScanCounts counts = l.Scan(map);
    EXPECT_EQ(counts.solid, 1);
    ASSERT_EQ(l.blocks.count, 1);
    ASSERT_EQ(l.collision.count, 1);
    EXPECT_EQ(l.spikes.count, 0);
    for (const Box* b : {&l.blocks[0], &l.collision[0]}) {
        EXPECT_EQ(b->center.x, 0.234375f);
        EXPECT_EQ(b->center.y, 0.0f);
        EXPECT_EQ(b->min.x, 0.0f);
        EXPECT_EQ(b->max.x, 0.46875f);
        EXPECT_EQ(b->min.y, -0.234375f);
        EXPECT_EQ(b->max.y, 0.234375f);
        EXPECT_EQ(b->kind, 0);
        EXPECT_EQ(b->min.w, 1.0f);
    }
}

TEST(MapScan, SpikesReachTwoCellsBeyondTheirCell)
{
    MapPixels map;
    map.SpikeUp(20, 30);
    map.SpikeDown(21, 30);
    Lists l;
    l.Scan(map);
    ASSERT_EQ(l.spikes.count, 2);
    EXPECT_EQ(l.blocks.count, 0);
    EXPECT_EQ(l.collision.count, 0);

    const Vector4 up = CellCentre(20, 30);
    const Box& s0 = l.spikes[0];
    EXPECT_EQ(s0.kind, 0);
    EXPECT_FLOAT_EQ(s0.min.y, up.y - 0.234375f);
    EXPECT_FLOAT_EQ(s0.max.y, up.y + 2.234375f);
    EXPECT_FLOAT_EQ(s0.min.x, up.x - 0.234375f);
    EXPECT_FLOAT_EQ(s0.max.x, up.x + 0.234375f);
    EXPECT_FLOAT_EQ(s0.center.y, up.y + 1.0f);

    const Vector4 down = CellCentre(21, 30);
    const Box& s1 = l.spikes[1];
    EXPECT_EQ(s1.kind, 1);
    EXPECT_FLOAT_EQ(s1.min.y, down.y - 2.234375f);
    EXPECT_FLOAT_EQ(s1.max.y, down.y + 0.234375f);
    EXPECT_FLOAT_EQ(s1.min.x, down.x - 0.234375f);
    EXPECT_FLOAT_EQ(s1.center.y, down.y - 1.0f);
}

TEST(MapScan, StartGoalAndScenery)
{
    MapPixels map;
    map.Start(10, 20);
    map.Set(40, 50, 0, 0, 9);  // blue goal
    map.Scenery(70, 80);
    Lists l;
    l.Scan(map);
    EXPECT_EQ(l.start.x, CellCentre(10, 20).x);
    EXPECT_EQ(l.start.y, CellCentre(10, 20).y);
    EXPECT_EQ(l.start.w, 1.0f);
    EXPECT_EQ(l.goal.x, CellCentre(40, 50).x);
    EXPECT_EQ(l.goal.y, CellCentre(40, 50).y);
    ASSERT_EQ(l.blocks.count, 1);  // drawn, but no collision box
    EXPECT_EQ(l.collision.count, 0);
    EXPECT_EQ(l.blocks[0].center.x, CellCentre(70, 80).x);

    // A cyan pixel is a goal as well, and alpha never matters.
    MapPixels cyan;
    cyan.Set(100, 3, 0, 255, 255, 0);
    cyan.Set(0, 0, 0, 0, 0, 255);
    Lists c;
    c.Scan(cyan);
    EXPECT_EQ(c.goal.x, CellCentre(100, 3).x);
    EXPECT_EQ(c.blocks.count, 0);
}

TEST(MapScan, ColumnMajorOrderAndLastStartWins)
{
    MapPixels map;
    map.Solid(1, 0);
    map.Solid(0, 5);
    map.Solid(0, 2);
    map.Start(3, 100);
    map.Start(9, 10);  // rightmost column wins...
    map.Start(9, 4);   // ...and within it the lowest
    map.Goal(50, 60);
    map.Goal(50, 61);
    Lists l;
    const MapScanCounts counts = l.Scan(map);
    EXPECT_EQ(counts.starts, 3);
    ASSERT_EQ(l.blocks.count, 3);
    EXPECT_EQ(l.blocks[0].center.y, CellCentre(0, 2).y);
    EXPECT_EQ(l.blocks[1].center.y, CellCentre(0, 5).y);
    EXPECT_EQ(l.blocks[2].center.x, CellCentre(1, 0).x);
    EXPECT_EQ(l.collision[2].center.x, CellCentre(1, 0).x);
    EXPECT_EQ(l.start.x, CellCentre(9, 10).x);
    EXPECT_EQ(l.start.y, CellCentre(9, 10).y);
    EXPECT_EQ(l.goal.y, CellCentre(50, 61).y);
}

TEST(MapScan, MissingStartOrGoalKeepsThePreviousPoint)
{
    Lists l;
    l.start = Vector4{5, 6, 0, 1};
    l.goal = Vector4{-7, 8, 0, 1};
    MapPixels onlyGoal;
    onlyGoal.Goal(2, 2);
    l.Scan(onlyGoal);
    EXPECT_EQ(l.start.x, 5.0f);
    EXPECT_EQ(l.start.y, 6.0f);
    EXPECT_EQ(l.goal.x, CellCentre(2, 2).x);

    MapPixels empty;
    l.Scan(empty);
    EXPECT_EQ(l.goal.x, CellCentre(2, 2).x);
    EXPECT_EQ(l.goal.y, CellCentre(2, 2).y);
}

TEST(MapScan, RowsArePitchApart)
{
    MapPixels padded(1024);
    padded.Solid(7, 3);
    Lists l;
    l.Scan(padded);
    ASSERT_EQ(l.blocks.count, 1);
    EXPECT_EQ(l.blocks[0].center.x, CellCentre(7, 3).x);
    EXPECT_EQ(l.blocks[0].center.y, CellCentre(7, 3).y);
}

TEST(MapScan, FullMapFitsEveryList)
{
    MapPixels map;
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            map.Solid(c, r);
        }
    }
    Lists l;
    l.Scan(map);
    EXPECT_EQ(l.blocks.count, 16384);
    EXPECT_EQ(l.collision.count, 16384);
    EXPECT_EQ(l.collision[16383].center.x, 29.765625f);
    EXPECT_EQ(l.collision[16383].center.y, -29.53125f);
}

}  // namespace
