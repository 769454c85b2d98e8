#include <gtest/gtest.h>

#include <memory>

#include "creature/verlet.h"
#include "creature_fixture.h"

using creature_test::AddRect;
using creature_test::Point;

namespace {

VerletParticle Moving(float fromX, float fromY, float toX, float toY)
{
    VerletParticle p;
    p.collides = true;
    p.collisionOffset = Vector4{0.0f, 0.0f, 0.0f, 0.0f};
    p.previous = Point(fromX, fromY);
    p.position = Point(toX, toY);
    return p;
}

class CollideParticle : public ::testing::Test {
protected:
    std::unique_ptr<BoxList> list = std::make_unique<BoxList>(kCollisionBoxCapacity);
};

}  // namespace

TEST_F(CollideParticle, DownThroughAFloorTakesBackTheWholeMove)
{
    AddRect(*list, -1.0f, -1.0f, 1.0f, 0.0f);
    VerletParticle p = Moving(0.0f, 0.1f, 0.0f, -0.1f);
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, 0.0f);
    EXPECT_FLOAT_EQ(p.position.y, 0.1f);

    // A diagonal landing loses its horizontal motion too: no sliding along floors.
    VerletParticle q = Moving(0.2f, 0.1f, 0.4f, -0.1f);
    list->CollideParticle(q);
    EXPECT_TRUE(q.contact);
    EXPECT_FLOAT_EQ(q.position.x, 0.2f);
    EXPECT_FLOAT_EQ(q.position.y, 0.1f);
}

TEST_F(CollideParticle, SidewaysIntoAWallKeepsTheVerticalMotion)
{
    AddRect(*list, 0.0f, -1.0f, 2.0f, 1.0f);
    VerletParticle p = Moving(-0.1f, 0.5f, 0.1f, 0.3f);
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, -0.1f);
    EXPECT_FLOAT_EQ(p.position.y, 0.3f);

    // The far wall (max.x) is tested as well.
    VerletParticle q = Moving(2.2f, 0.0f, 1.9f, -0.2f);
    list->CollideParticle(q);
    EXPECT_TRUE(q.contact);
    EXPECT_FLOAT_EQ(q.position.x, 2.2f);
    EXPECT_FLOAT_EQ(q.position.y, -0.2f);
}

TEST_F(CollideParticle, UpThroughACeilingStopsAtThePreviousPoint)
{
    AddRect(*list, -1.0f, 1.0f, 1.0f, 2.0f);
    VerletParticle p = Moving(0.5f, 0.9f, 0.6f, 1.1f);
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, 0.5f);
    EXPECT_FLOAT_EQ(p.position.y, 0.9f);
}

TEST_F(CollideParticle, MissingTheEdgeRangesIsNoHit)
{
    AddRect(*list, 0.0f, 0.0f, 1.0f, 1.0f);
    // Crosses the line x = 0 below the box, and the line y = 0 left of it.
    VerletParticle p = Moving(-0.5f, -0.2f, 0.5f, -0.2f);
    list->CollideParticle(p);
    EXPECT_FALSE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, 0.5f);
    VerletParticle q = Moving(-0.5f, 0.2f, -0.4f, -0.2f);
    list->CollideParticle(q);
    EXPECT_FALSE(q.contact);
    EXPECT_FLOAT_EQ(q.position.y, -0.2f);
}

TEST_F(CollideParticle, CornerCrossingCountsAsAWallHit)
{
    AddRect(*list, 0.0f, 0.0f, 1.0f, 1.0f);
    // The line from old to cur passes exactly through the corner (0, 1).
    VerletParticle p = Moving(-0.5f, 1.5f, 0.5f, 0.5f);
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, -0.5f);  // wall: horizontal part taken back
    EXPECT_FLOAT_EQ(p.position.y, 0.5f);   // and the floor test, now left of the box, finds nothing
}

TEST_F(CollideParticle, FloorRangeExcludesTheCorners)
{
    AddRect(*list, 0.0f, 0.0f, 1.0f, 1.0f);
    // Falling exactly along the line x = 1: the wall test divides 0 by 0 (no hit) and the
    // floor test meets y = 1 at x = 1, outside the open range.
    VerletParticle p = Moving(1.0f, 1.5f, 1.0f, 0.5f);
    list->CollideParticle(p);
    EXPECT_FALSE(p.contact);
    EXPECT_FLOAT_EQ(p.position.y, 0.5f);
    // Just inside the range it lands.
    VerletParticle q = Moving(0.999f, 1.5f, 0.999f, 0.5f);
    list->CollideParticle(q);
    EXPECT_TRUE(q.contact);
    EXPECT_FLOAT_EQ(q.position.y, 1.5f);
}

TEST_F(CollideParticle, WallYRangeIsInclusive)
{
    AddRect(*list, 0.0f, 0.0f, 1.0f, 1.0f);
    // Moving right along y = 1 exactly, the top of the wall.
    VerletParticle p = Moving(-0.5f, 1.0f, 0.5f, 1.0f);
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.x, -0.5f);
}

TEST_F(CollideParticle, BottomEdgeTestUsesThePointsFromBeforeTheResponse)
{
    AddRect(*list, -1.0f, -1.0f, 1.0f, 0.0f);
    // Through the top edge only; after the response the point is back above, and the
    // bottom edge (y = -1) is not crossed by the old line either.
    VerletParticle p = Moving(0.0f, 0.1f, 0.0f, -0.1f);
    list->CollideParticle(p);
    EXPECT_FLOAT_EQ(p.position.y, 0.1f);
    // A move through both edges of a thin box still ends at the previous point.
    list->Empty();
    AddRect(*list, -1.0f, -0.05f, 1.0f, 0.0f);
    VerletParticle q = Moving(0.0f, 0.1f, 0.0f, -0.1f);
    list->CollideParticle(q);
    EXPECT_TRUE(q.contact);
    EXPECT_FLOAT_EQ(q.position.y, 0.1f);
}

TEST_F(CollideParticle, AbsorbedBoxesAreSkippedAndNonCollidersIgnored)
{
    AddRect(*list, -1.0f, -1.0f, 1.0f, 0.0f, kBoxAbsorbed);
    VerletParticle p = Moving(0.0f, 0.1f, 0.0f, -0.1f);
    list->CollideParticle(p);
    EXPECT_FALSE(p.contact);
    EXPECT_FLOAT_EQ(p.position.y, -0.1f);

    list->Empty();
    AddRect(*list, -1.0f, -1.0f, 1.0f, 0.0f);
    VerletParticle q = Moving(0.0f, 0.1f, 0.0f, -0.1f);
    q.collides = false;
    q.position.y = -50.0f;
    list->CollideParticle(q);
    EXPECT_FALSE(q.contact);
    EXPECT_FLOAT_EQ(q.position.y, -50.0f);
}

TEST_F(CollideParticle, CollisionOffsetMovesTheTestedPoint)
{
    AddRect(*list, -1.0f, -1.0f, 1.0f, 0.0f);
    VerletParticle p = Moving(0.0f, -3.4f, 0.0f, -3.6f);
    p.collisionOffset = Vector4{0.0f, 3.5f, 0.0f, 0.0f};
    list->CollideParticle(p);
    EXPECT_TRUE(p.contact);
    EXPECT_FLOAT_EQ(p.position.y, -3.4f);
    // Without the offset the same move is far from the box.
    VerletParticle q = Moving(0.0f, -3.4f, 0.0f, -3.6f);
    list->CollideParticle(q);
    EXPECT_FALSE(q.contact);
}

TEST_F(CollideParticle, WorldBoundsClampWithoutContact)
{
    VerletParticle top = Moving(1.0f, 29.0f, 2.0f, 31.0f);
    list->CollideParticle(top);
    EXPECT_FLOAT_EQ(top.position.y, 30.0f);
    EXPECT_FLOAT_EQ(top.position.x, 2.0f);  // the upper bound clamps y only
    EXPECT_FALSE(top.contact);

    VerletParticle bottom = Moving(1.0f, -29.0f, 2.0f, -31.0f);
    list->CollideParticle(bottom);
    EXPECT_FLOAT_EQ(bottom.position.y, -30.0f);
    EXPECT_FLOAT_EQ(bottom.position.x, 1.0f);  // the lower bound also takes back x
    EXPECT_FALSE(bottom.contact);

    VerletParticle right = Moving(29.0f, 0.0f, 31.0f, 1.0f);
    list->CollideParticle(right);
    EXPECT_FLOAT_EQ(right.position.x, 30.0f);
    EXPECT_FLOAT_EQ(right.position.y, 1.0f);
    VerletParticle left = Moving(-29.0f, 0.0f, -31.0f, 1.0f);
    list->CollideParticle(left);
    EXPECT_FLOAT_EQ(left.position.x, -30.0f);
    EXPECT_FALSE(left.contact);
}

TEST_F(CollideParticle, BodyBoundsApplyToItsCollisionPoint)
{
    VerletParticle body = Moving(0.0f, 26.0f, 0.0f, 27.0f);
    body.collisionOffset = Vector4{0.0f, 3.5f, 0.0f, 0.0f};
    list->CollideParticle(body);
    EXPECT_FLOAT_EQ(body.position.y, 26.5f);

    VerletParticle low = Moving(0.5f, -33.0f, 0.7f, -34.0f);
    low.collisionOffset = Vector4{0.0f, 3.5f, 0.0f, 0.0f};
    list->CollideParticle(low);
    EXPECT_FLOAT_EQ(low.position.y, -33.5f);
    EXPECT_FLOAT_EQ(low.position.x, 0.5f);

    // Between the bounds the body particle itself may go below -30.
    VerletParticle inside = Moving(0.0f, -31.0f, 0.0f, -32.0f);
    inside.collisionOffset = Vector4{0.0f, 3.5f, 0.0f, 0.0f};
    list->CollideParticle(inside);
    EXPECT_FLOAT_EQ(inside.position.y, -32.0f);
}

TEST_F(CollideParticle, ParticleRestingOnAnEdgeLineIsNoHit)
{
    AddRect(*list, 0.0f, 0.0f, 1.0f, 1.0f);
    // Old and new both on the top line: 0 / 0, no crossing.
    VerletParticle p = Moving(0.5f, 1.0f, 0.5f, 1.0f);
    list->CollideParticle(p);
    EXPECT_FALSE(p.contact);
}

class PushPointOut : public CollideParticle {};

TEST_F(PushPointOut, PushesToTheCircleAndStopsThere)
{
    AddRect(*list, -0.25f, -0.25f, 0.25f, 0.25f);
    Vector4 point = Point(1.0f, 0.0f);
    list->PushPointOut(point, 1.5f);
    EXPECT_FLOAT_EQ(point.x, 1.5f);
    EXPECT_FLOAT_EQ(point.y, 0.0f);
    EXPECT_FLOAT_EQ(point.w, 1.0f);
}

TEST_F(PushPointOut, PointAtTheCentreOrOutsideIsLeftAlone)
{
    AddRect(*list, -0.25f, -0.25f, 0.25f, 0.25f);
    Vector4 centre = Point(0.0f, 0.0f);
    list->PushPointOut(centre, 1.5f);
    EXPECT_FLOAT_EQ(centre.x, 0.0f);
    EXPECT_FLOAT_EQ(centre.y, 0.0f);
    Vector4 far = Point(0.0f, 1.6f);
    list->PushPointOut(far, 1.5f);
    EXPECT_FLOAT_EQ(far.y, 1.6f);
}

TEST_F(PushPointOut, PushesOfOnePassAreMeasuredFromItsStartAndAdd)
{
    // Two circles either side push by 0.5 each, in opposite directions: measured from the
    // start of the pass they cancel. Measured one after the other they would not.
    AddRect(*list, 0.75f, -0.25f, 1.25f, 0.25f);
    AddRect(*list, -1.25f, -0.25f, -0.75f, 0.25f);
    Vector4 point = Point(0.0f, 0.0f);
    list->PushPointOut(point, 1.5f);
    EXPECT_FLOAT_EQ(point.x, 0.0f);

    // Two circles on the same side add up.
    list->Empty();
    AddRect(*list, -1.25f, -0.25f, -0.75f, 0.25f);
    AddRect(*list, -1.25f, -0.25f, -0.75f, 0.25f);
    Vector4 twice = Point(0.0f, 0.0f);
    list->PushPointOut(twice, 1.5f);
    // Pass 1: +1.0 to x = 1 (distance 2 after), later passes find it outside.
    EXPECT_FLOAT_EQ(twice.x, 1.0f);
}

TEST_F(PushPointOut, RunsExactlyFivePasses)
{
    // Circles at 0 and 2.6: the point swings between 1.2 and 1.4 with every pass,
    // so its final place tells an odd number of passes from an even one.
    AddRect(*list, -0.25f, -0.25f, 0.25f, 0.25f);
    AddRect(*list, 2.35f, -0.25f, 2.85f, 0.25f);
    Vector4 point = Point(1.2f, 0.0f);
    list->PushPointOut(point, 1.5f);
    EXPECT_NEAR(point.x, 1.4f, 1e-5f);
}

TEST_F(PushPointOut, AbsorbedBoxesStillPush)
{
    AddRect(*list, -0.25f, -0.25f, 0.25f, 0.25f, kBoxAbsorbed);
    Vector4 point = Point(0.0f, 1.0f);
    list->PushPointOut(point, 1.5f);
    EXPECT_FLOAT_EQ(point.y, 1.5f);
}
