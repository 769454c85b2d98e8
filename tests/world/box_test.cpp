#include <gtest/gtest.h>

#include "world/box.h"

namespace {

TEST(Box, SetPlacesCornersAroundCentre)
{
    Box b;
    b.Set(Vector4{1, 2, 0, 1}, 0.5f, 0.25f, 7);
    EXPECT_FLOAT_EQ(b.min.x, 0.5f);
    EXPECT_FLOAT_EQ(b.min.y, 1.75f);
    EXPECT_FLOAT_EQ(b.max.x, 1.5f);
    EXPECT_FLOAT_EQ(b.max.y, 2.25f);
    EXPECT_FLOAT_EQ(b.center.x, 1.0f);
    EXPECT_FLOAT_EQ(b.center.y, 2.0f);
    EXPECT_EQ(b.kind, 7);

    // z and w of both corners come from the centre.
    b.Set(Vector4{0, 0, 3, 5}, 1, 1, -2);
    EXPECT_FLOAT_EQ(b.min.z, 3.0f);
    EXPECT_FLOAT_EQ(b.min.w, 5.0f);
    EXPECT_FLOAT_EQ(b.max.z, 3.0f);
    EXPECT_FLOAT_EQ(b.max.w, 5.0f);
    EXPECT_EQ(b.kind, -2);
}

TEST(Box, CornersAreFloatRounded)
{
    Box b;
    b.Set(Vector4{0.1f, 0.2f, 0, 1}, 0.234375f, 0.234375f, 0);
    EXPECT_EQ(b.min.x, 0.1f - 0.234375f);
    EXPECT_EQ(b.max.y, 0.2f + 0.234375f);
}

TEST(BoxList, ConstructedEmptyWithDefaultEntries)
{
    BoxList list(kCollisionBoxCapacity);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.Capacity(), 16384);
    const Box& last = list[kCollisionBoxCapacity - 1];
    EXPECT_EQ(last.kind, 0);
    EXPECT_FLOAT_EQ(last.min.w, 1.0f);
    EXPECT_FLOAT_EQ(last.max.w, 1.0f);
    EXPECT_FLOAT_EQ(last.center.w, 1.0f);
    EXPECT_FLOAT_EQ(last.center.x, 0.0f);
}

TEST(BoxList, EmptyThenAppendOverwritesFromStart)
{
    BoxList list(8);
    ASSERT_TRUE(list.Append(Vector4{1, 0, 0, 1}, 1, 1, 0));
    ASSERT_TRUE(list.Append(Vector4{2, 0, 0, 1}, 1, 1, 1));
    ASSERT_TRUE(list.Append(Vector4{3, 0, 0, 1}, 1, 1, 0));
    EXPECT_EQ(list.count, 3);

    list.Empty();
    EXPECT_EQ(list.count, 0);
    // Emptying keeps the old entries.
    EXPECT_FLOAT_EQ(list[2].center.x, 3.0f);

    ASSERT_TRUE(list.Append(Vector4{9, 0, 0, 1}, 1, 1, 1));
    EXPECT_EQ(list.count, 1);
    EXPECT_FLOAT_EQ(list[0].center.x, 9.0f);
    EXPECT_EQ(list[0].kind, 1);
    EXPECT_FLOAT_EQ(list[1].center.x, 2.0f);
}

TEST(BoxList, AppendRefusesPastCapacity)
{
    BoxList list(2);
    EXPECT_TRUE(list.Append(Vector4{1, 0, 0, 1}, 1, 1, 0));
    EXPECT_TRUE(list.Append(Vector4{2, 0, 0, 1}, 1, 1, 0));
    EXPECT_FALSE(list.Append(Vector4{3, 0, 0, 1}, 1, 1, 0));
    EXPECT_EQ(list.count, 2);
    EXPECT_FLOAT_EQ(list[1].center.x, 2.0f);
}

TEST(BoxList, WorldCapacities)
{
    BoxList world(kWorldBoxCapacity);
    EXPECT_EQ(world.Capacity(), 32768);
}

}  // namespace
