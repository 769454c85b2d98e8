#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "creature/creature.h"
#include "creature_fixture.h"

using creature_test::AddRect;
using creature_test::AllFinite;
using creature_test::MakeCreature;
using creature_test::Point;

namespace {

constexpr float kFloorTop = -8.0f;

// One playing frame as the frame driver runs it, without the drops.
void Frame(CCreature& c, const Vector4& left, const Vector4& right, bool leftGrip, bool rightGrip)
{
    c.Update();
    c.leftGripHeld = leftGrip;
    c.rightGripHeld = rightGrip;
    c.SteerLeft(left);
    c.SteerRight(right);
}

const Vector4 kIdle{0.0f, 0.0f, 0.0f, 1.0f};

}  // namespace

TEST(CreatureScenario, PlacedAboveAFloorComesToRestStanding)
{
    auto c = MakeCreature(0.0f, -5.0f);
    AddRect(c->bodySystem.boxes, -20.0f, -12.0f, 20.0f, kFloorTop);
    for (int i = 0; i < 400; ++i) {
        Frame(*c, kIdle, kIdle, false, false);
        ASSERT_TRUE(AllFinite(*c)) << "step " << i;
    }
    for (VerletParticle* foot : {c->leftFoot, c->rightFoot}) {
        EXPECT_GE(foot->position.y, kFloorTop);
        EXPECT_LT(foot->position.y, kFloorTop + 0.1f);
    }
    EXPECT_LT(c->leftFoot->position.x, c->rightFoot->position.x);
    // The body stands above both feet and between them, the head well above, and it has stopped.
    EXPECT_GT(c->body->position.y, c->leftFoot->position.y + 0.1f);
    EXPECT_GT(c->body->position.y, c->rightFoot->position.y + 0.1f);
    EXPECT_GT(c->GetPosition().y, kFloorTop + 2.0f);
    EXPECT_GT(c->body->position.x, c->leftFoot->position.x);
    EXPECT_LT(c->body->position.x, c->rightFoot->position.x);
    for (int i = 0; i < 5; ++i) {
        const VerletParticle& p = c->bodySystem.particles[i];
        EXPECT_LT(std::fabs(p.position.y - p.previous.y), 0.05f) << "particle " << i;
    }
    // Hips above the feet, knees bent outwards and the antennae up.
    EXPECT_GT(c->leftHip->position.y, c->leftFoot->position.y);
    EXPECT_LT(c->leftKnee->position.x, c->leftLegTop->position.x);
    EXPECT_GT(c->rightKnee->position.x, c->rightLegTop->position.x);
    EXPECT_GT(c->leftAntennaTip->position.y, c->leftAntennaBase->position.y);
    EXPECT_TRUE(c->alive);
}

TEST(CreatureScenario, GrippingFootStaysPinnedWhileTheBodySwings)
{
    auto c = MakeCreature(0.0f, -2.0f);
    AddRect(c->bodySystem.boxes, 1.5f, -20.0f, 5.5f, 20.0f);  // a wall on the right, no floor
    const Vector4 intoWall{3.0f, 0.5f, 0.0f, 1.0f};
    int step = 0;
    while (!c->rightGripping && step < 200) {
        Frame(*c, kIdle, intoWall, false, true);
        ++step;
    }
    ASSERT_TRUE(c->rightGripping) << "the right foot never reached the wall";
    const Vector4 grip = c->rightGripPoint;
    EXPECT_LE(grip.x, 1.5f);
    EXPECT_GT(grip.x, 1.0f);

    float minBodyX = c->body->position.x;
    float maxBodyX = minBodyX;
    for (int i = 0; i < 300; ++i) {
        // Swing by kicking the free foot back and forth.
        const Vector4 kick = (i / 40) % 2 == 0 ? Point(-3.0f, 0.0f) : Point(3.0f, 3.0f);
        Frame(*c, kick, kIdle, false, true);
        ASSERT_TRUE(c->rightGripping) << "step " << i;
        ASSERT_EQ(c->rightFoot->position.x, c->rightGripPoint.x);
        ASSERT_EQ(c->rightFoot->position.y, c->rightGripPoint.y);
        ASSERT_TRUE(AllFinite(*c));
        minBodyX = std::fmin(minBodyX, c->body->position.x);
        maxBodyX = std::fmax(maxBodyX, c->body->position.x);
    }
    EXPECT_GT(maxBodyX - minBodyX, 0.3f);
    // The body hangs below the grip, not fallen away.
    EXPECT_LT(c->body->position.y, grip.y + 3.0f);
    EXPECT_LT(std::fabs(c->rightGripPoint.x - grip.x), 0.5f);

    // Release: the next update lets go and the creature falls.
    Frame(*c, kIdle, kIdle, false, false);
    Frame(*c, kIdle, kIdle, false, false);
    EXPECT_FALSE(c->rightGripping);
    const float y = c->rightFoot->position.y;
    for (int i = 0; i < 20; ++i) {
        Frame(*c, kIdle, kIdle, false, false);
    }
    EXPECT_LT(c->rightFoot->position.y, y - 0.1f);
}

TEST(CreatureScenario, GripPressHoldRelease)
{
    auto c = MakeCreature(0.0f, -5.0f);
    AddRect(c->bodySystem.boxes, -20.0f, -12.0f, 20.0f, kFloorTop);
    // Falling with the left grip held: the first contact grips at the landing point.
    int step = 0;
    while (!c->leftFoot->contact && step < 200) {
        Frame(*c, kIdle, kIdle, true, false);
        ++step;
    }
    ASSERT_TRUE(c->leftFoot->contact);
    EXPECT_TRUE(c->leftGripping);
    EXPECT_EQ(c->leftGripPoint.x, c->leftFoot->position.x);
    EXPECT_EQ(c->leftGripPoint.y, c->leftFoot->position.y);
    EXPECT_FALSE(c->rightGripping);

    // Held: pulled away hard upwards, the foot stays on its grip point.
    const Vector4 grip = c->leftGripPoint;
    for (int i = 0; i < 50; ++i) {
        Frame(*c, Point(0.0f, 3.0f), kIdle, true, false);
        ASSERT_TRUE(c->leftGripping);
        ASSERT_EQ(c->leftFoot->position.y, grip.y);
        ASSERT_EQ(c->leftFoot->position.x, grip.x);
    }

    // Released: the grip ends at the next update and the foot follows its steering.
    c->leftGripHeld = false;
    c->SteerLeft(Point(0.0f, 3.0f));
    c->Update();
    EXPECT_FALSE(c->leftGripping);
    for (int i = 0; i < 10; ++i) {
        Frame(*c, Point(0.0f, 3.0f), kIdle, false, false);
    }
    EXPECT_GT(c->leftFoot->position.y, grip.y + 0.2f);
}

TEST(CreatureScenario, ReleasingWhileInContactEndsTheGripAtOnce)
{
    auto c = MakeCreature(0.0f, -5.0f);
    AddRect(c->bodySystem.boxes, -20.0f, -12.0f, 20.0f, kFloorTop);
    for (int i = 0; i < 200 && !c->rightGripping; ++i) {
        Frame(*c, kIdle, kIdle, false, true);
    }
    ASSERT_TRUE(c->rightGripping);
    // Keep pressing the foot into the floor so that it touches again, grip released.
    c->rightGripHeld = false;
    c->rightFoot->previous.y = c->rightFoot->position.y + 0.05f;
    c->rightSteer = Point(0.0f, -3.0f);
    c->Update();
    EXPECT_FALSE(c->rightGripping);
}

TEST(CreatureScenario, FootSteeredIntoAWallKeepsFalling)
{
    auto c = MakeCreature(0.0f, 10.0f);
    AddRect(c->bodySystem.boxes, 1.5f, -20.0f, 5.5f, 25.0f);
    const Vector4 intoWall{3.0f, 0.0f, 0.0f, 1.0f};
    int contacts = 0;
    float lastY = c->rightFoot->position.y;
    for (int i = 0; i < 60; ++i) {
        Frame(*c, kIdle, intoWall, false, false);
        ASSERT_LE(c->rightFoot->position.x, 1.5f) << "step " << i;
        if (c->rightFoot->contact) {
            ++contacts;
            // A floor would have stopped it; the wall only takes back the sideways move.
            EXPECT_LT(c->rightFoot->position.y, lastY) << "step " << i;
        }
        lastY = c->rightFoot->position.y;
    }
    EXPECT_GE(contacts, 1);
    EXPECT_FALSE(c->rightGripping);
    // Kicking the wall pushes the creature away from it.
    EXPECT_LT(c->body->position.x, -1.0f);
    EXPECT_TRUE(AllFinite(*c));
}

TEST(CreatureScenario, HeadIsKeptOutOfTheBoxCentres)
{
    auto c = MakeCreature(0.0f, -5.0f);
    // A low ceiling of one absorbed cell right above the head: only its centre acts.
    AddRect(c->bodySystem.boxes, -0.234375f, -1.0f, 0.234375f, -0.53125f, kBoxAbsorbed);
    c->Update();
    Vector4 head = c->body->position;
    head.y += 3.5f;
    const float dx = head.x - 0.0f;
    const float dy = head.y - (-0.765625f);
    EXPECT_GE(std::sqrt(dx * dx + dy * dy), 1.5f - 1e-3f);
}
