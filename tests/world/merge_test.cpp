#include <gtest/gtest.h>

#include "support/map_pixels.h"
#include "world/merge.h"

namespace {

using Scanned = ScanLists;

int Survivors(const BoxList& list)
{
    int n = 0;
    for (int i = 0; i < list.count; ++i) {
        n += list[i].kind != kBoxAbsorbed ? 1 : 0;
    }
    return n;
}

TEST(MergeBoxes, ToleranceIsStrictHundredth)
{
    EXPECT_TRUE(NearlyEqual(1.0f, 1.0f));
    EXPECT_TRUE(NearlyEqual(1.0f, 1.009f));
    EXPECT_TRUE(NearlyEqual(1.009f, 1.0f));
    EXPECT_FALSE(NearlyEqual(0.0f, 0.01f));
    EXPECT_FALSE(NearlyEqual(1.0f, 1.02f));
    EXPECT_FALSE(NearlyEqual(-1.0f, 1.0f));
}

TEST(MergeBoxes, RunEndsInItsRightmostEntry)
{
    MapPixels map;
    map.Solid(10, 40);
    map.Solid(11, 40);
    map.Solid(12, 40);
    Scanned s(map);
    s.collision.MergeBoxes();
    ASSERT_EQ(s.collision.count, 3);
    EXPECT_EQ(s.collision[0].kind, kBoxAbsorbed);
    EXPECT_EQ(s.collision[1].kind, kBoxAbsorbed);
    const Box& run = s.collision[2];
    EXPECT_EQ(run.kind, 0);
    EXPECT_EQ(run.min.x, CellCentre(10, 40).x - kHalfCell);
    EXPECT_EQ(run.max.x, CellCentre(12, 40).x + kHalfCell);
    EXPECT_EQ(run.min.y, CellCentre(12, 40).y - kHalfCell);
    EXPECT_EQ(run.max.y, CellCentre(12, 40).y + kHalfCell);
    // Centres never move, absorbed entries included.
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(s.collision[c].center.x, CellCentre(10 + c, 40).x);
        EXPECT_EQ(s.collision[c].center.y, CellCentre(10 + c, 40).y);
    }
}

TEST(MergeBoxes, SquareEndsInTopRightEntry)
{
    MapPixels map;
    map.Solid(30, 30);
    map.Solid(31, 30);
    map.Solid(30, 31);
    map.Solid(31, 31);
    Scanned s(map);
    s.collision.MergeBoxes();
    // Column-major: (30,30), (30,31), (31,30), (31,31).
    ASSERT_EQ(s.collision.count, 4);
    EXPECT_EQ(Survivors(s.collision), 1);
    const Box& top = s.collision[2];
    EXPECT_EQ(top.kind, 0);
    EXPECT_EQ(top.center.x, CellCentre(31, 30).x);
    EXPECT_EQ(top.center.y, CellCentre(31, 30).y);
    EXPECT_EQ(top.min.x, CellCentre(30, 31).x - kHalfCell);
    EXPECT_EQ(top.min.y, CellCentre(30, 31).y - kHalfCell);
    EXPECT_EQ(top.max.x, CellCentre(31, 30).x + kHalfCell);
    EXPECT_EQ(top.max.y, CellCentre(31, 30).y + kHalfCell);
}

TEST(MergeBoxes, UnequalRunsStayApart)
{
    // Two cells above three: merged along the rows only.
    MapPixels map;
    map.Solid(50, 10);
    map.Solid(51, 10);
    map.Solid(50, 11);
    map.Solid(51, 11);
    map.Solid(52, 11);
    Scanned s(map);
    s.collision.MergeBoxes();
    EXPECT_EQ(Survivors(s.collision), 2);
    // Order: (50,10) (50,11) (51,10) (51,11) (52,11).
    const Box& upper = s.collision[2];
    const Box& lower = s.collision[4];
    EXPECT_EQ(upper.kind, 0);
    EXPECT_EQ(lower.kind, 0);
    EXPECT_EQ(upper.min.y, CellCentre(51, 10).y - kHalfCell);
    EXPECT_EQ(upper.min.x, CellCentre(50, 10).x - kHalfCell);
    EXPECT_EQ(lower.min.x, CellCentre(50, 11).x - kHalfCell);
    EXPECT_EQ(lower.max.x, CellCentre(52, 11).x + kHalfCell);

    // Right edges level but left edges not: still two boxes.
    MapPixels flush;
    flush.Solid(51, 10);
    flush.Solid(52, 10);
    flush.Solid(50, 11);
    flush.Solid(51, 11);
    flush.Solid(52, 11);
    Scanned f(flush);
    f.collision.MergeBoxes();
    EXPECT_EQ(Survivors(f.collision), 2);
    // Order: (50,11) (51,10) (51,11) (52,10) (52,11).
    EXPECT_EQ(f.collision[3].kind, 0);
    EXPECT_EQ(f.collision[3].min.y, CellCentre(52, 10).y - kHalfCell);
    EXPECT_EQ(f.collision[4].kind, 0);
}

TEST(MergeBoxes, StackOfSingleCellsEndsInTopEntry)
{
    MapPixels map;
    map.Solid(5, 60);
    map.Solid(5, 61);
    map.Solid(5, 62);
    Scanned s(map);
    s.collision.MergeBoxes();
    EXPECT_EQ(s.collision[0].kind, 0);
    EXPECT_EQ(s.collision[1].kind, kBoxAbsorbed);
    EXPECT_EQ(s.collision[2].kind, kBoxAbsorbed);
    EXPECT_EQ(s.collision[0].min.y, CellCentre(5, 62).y - kHalfCell);
    EXPECT_EQ(s.collision[0].max.y, CellCentre(5, 60).y + kHalfCell);
}

TEST(MergeBoxes, KindsAndGapsDecideWhatMerges)
{
    const Vector4 a{0.25f, 0.25f, 0, 1};
    const Vector4 b{0.75f, 0.25f, 0, 1};
    const Vector4 far{0.78f, 0.25f, 0, 1};

    BoxList differentKinds(8);
    differentKinds.Append(a, 0.25f, 0.25f, 0);
    differentKinds.Append(b, 0.25f, 0.25f, 3);
    differentKinds.MergeBoxes();
    EXPECT_EQ(differentKinds[0].kind, 0);
    EXPECT_EQ(differentKinds[1].kind, 3);

    // The block merge ignores equality of kinds but never touches negative ones.
    MergeBlockList(differentKinds);
    EXPECT_EQ(differentKinds[0].kind, kBoxAbsorbed);
    EXPECT_EQ(differentKinds[1].min.x, 0.0f);

    BoxList caps(8);
    caps.Append(a, 0.25f, 0.25f, kBoxGrassCap);
    caps.Append(b, 0.25f, 0.25f, kBoxGrassCap);
    MergeBlockList(caps);
    EXPECT_EQ(caps[0].kind, kBoxGrassCap);
    EXPECT_EQ(caps[1].min.x, 0.5f);
    caps.MergeBoxes();  // the collision rule only skips absorbed entries
    EXPECT_EQ(caps[0].kind, kBoxAbsorbed);

    BoxList gap(8);
    gap.Append(a, 0.25f, 0.25f, 0);
    gap.Append(far, 0.25f, 0.25f, 0);
    gap.MergeBoxes();
    EXPECT_EQ(gap[0].kind, 0);
    EXPECT_EQ(gap[1].min.x, far.x - 0.25f);

    BoxList nearGap(8);
    nearGap.Append(a, 0.25f, 0.25f, 0);
    nearGap.Append(Vector4{0.755f, 0.2525f, 0, 1}, 0.25f, 0.25f, 0);
    nearGap.MergeBoxes();
    EXPECT_EQ(nearGap[0].kind, kBoxAbsorbed);
    EXPECT_EQ(nearGap[1].min.x, 0.0f);
    EXPECT_EQ(nearGap.count, 2);
}

TEST(MergeBoxes, OnlyLiveEntriesAreVisited)
{
    BoxList list(8);
    list.Append(Vector4{0.25f, 0.25f, 0, 1}, 0.25f, 0.25f, 0);
    list.Append(Vector4{0.75f, 0.25f, 0, 1}, 0.25f, 0.25f, 0);
    // An old entry past the count that would merge if it were visited.
    list.Append(Vector4{1.25f, 0.25f, 0, 1}, 0.25f, 0.25f, 0);
    list.count = 2;
    list.MergeBoxes();
    EXPECT_EQ(list[0].kind, kBoxAbsorbed);
    EXPECT_EQ(list[1].kind, 0);
    EXPECT_EQ(list[2].kind, 0);
    EXPECT_EQ(list[2].min.x, 1.0f);
}

}  // namespace
