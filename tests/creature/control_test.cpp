#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "creature/creature.h"
#include "creature_fixture.h"

using creature_test::ExpectPoint;
using creature_test::MakeCreature;
using creature_test::Point;

namespace {

void ExpectVector(const Vector4& v, float x, float y, float z, float w)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

}  // namespace

TEST(CreatureReset, BuildsTheSkeletonInTheRestPose)
{
    auto c = std::make_unique<CCreature>();
    c->bodySystem.boxes.Append(Point(0.0f, 0.0f), 1.0f, 1.0f, 0);
    c->leftGripHeld = true;
    c->leftGripping = true;
    c->rightSteer = Point(3.0f, 3.0f);
    c->Reset();

    EXPECT_TRUE(c->alive);
    EXPECT_EQ(c->bodySystem.particleCount, 5);
    EXPECT_EQ(c->bodySystem.stickCount, 5);
    EXPECT_EQ(c->limbSystem.particleCount, 10);
    EXPECT_EQ(c->limbSystem.stickCount, 7);
    EXPECT_EQ(c->bodySystem.boxes.count, 0);
    EXPECT_FALSE(c->leftGripHeld);
    // Gripping and steering survive a reset; Place clears the grips.
    EXPECT_TRUE(c->leftGripping);
    EXPECT_FLOAT_EQ(c->rightSteer.x, 3.0f);

    EXPECT_EQ(c->body, &c->bodySystem.particles[0]);
    EXPECT_EQ(c->rightHip, &c->bodySystem.particles[4]);
    EXPECT_EQ(c->leftLegTop, &c->limbSystem.particles[0]);
    EXPECT_EQ(c->rightAntennaTip, &c->limbSystem.particles[9]);
    ExpectVector(c->body->position, 0.0f, -6.0f, 0.0f, 1.0f);
    ExpectVector(c->body->previous, 0.0f, -6.0f, 0.0f, 1.0f);
    ExpectVector(c->body->collisionOffset, 0.0f, 3.5f, 0.0f, 0.0f);
    EXPECT_TRUE(c->body->collides && c->leftFoot->collides && c->rightFoot->collides);
    EXPECT_FALSE(c->leftHip->collides || c->rightHip->collides);
    ExpectPoint(c->leftFoot->position, -1.0f, -7.0f);
    ExpectPoint(c->rightFoot->position, 1.0f, -7.0f);
    ExpectPoint(c->leftHip->position, -0.5f, -7.0f);
    ExpectPoint(c->rightHip->position, 0.5f, -7.0f);
    ExpectPoint(c->leftKnee->position, -1.5f, -5.0f);
    ExpectPoint(c->rightKnee->position, 1.5f, -5.0f);
    ExpectPoint(c->leftLegFoot->position, -1.0f, -7.0f);
    ExpectPoint(c->rightAntennaBase->position, 0.5f, -5.0f);
    ExpectPoint(c->leftAntennaTip->position, -0.5f, -4.0f);
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(c->limbSystem.particles[i].collides);
    }

    const VerletStick* s = c->bodySystem.sticks;
    EXPECT_EQ(c->leftLegStick, &s[0]);
    EXPECT_EQ(c->rightLegStick, &s[1]);
    EXPECT_TRUE(s[0].a == c->leftFoot && s[0].b == c->leftHip && s[0].restLength == 2.0f);
    EXPECT_TRUE(s[1].a == c->rightFoot && s[1].b == c->rightHip && s[1].restLength == 2.0f);
    EXPECT_TRUE(s[2].a == c->leftHip && s[2].b == c->rightHip && s[2].restLength == 1.0f);
    EXPECT_TRUE(s[3].a == c->leftHip && s[3].b == c->body && s[3].restLength == 0.5f);
    EXPECT_TRUE(s[4].a == c->rightHip && s[4].b == c->body && s[4].restLength == 0.5f);

    const VerletStick* l = c->limbSystem.sticks;
    EXPECT_TRUE(l[0].a == c->leftAntennaTip && l[0].b == c->leftAntennaBase && l[0].restLength == 1.0f);
    EXPECT_TRUE(l[1].a == c->rightAntennaTip && l[1].b == c->rightAntennaBase && l[1].restLength == 1.0f);
    EXPECT_TRUE(l[2].a == c->leftLegTop && l[2].b == c->rightLegTop && l[2].restLength == 1.0f);
    EXPECT_TRUE(l[3].a == c->leftLegTop && l[3].b == c->leftKnee && l[3].restLength == 1.75f);
    EXPECT_TRUE(l[4].a == c->rightLegTop && l[4].b == c->rightKnee && l[4].restLength == 1.75f);
    EXPECT_TRUE(l[5].a == c->leftLegFoot && l[5].b == c->leftKnee && l[5].restLength == 1.75f);
    EXPECT_TRUE(l[6].a == c->rightLegFoot && l[6].b == c->rightKnee && l[6].restLength == 1.75f);
}

TEST(CreatureReset, SecondResetReusesTheSameEntries)
{
    auto c = MakeCreature(4.0f, 4.0f);
    c->leftFoot->position = Point(7.0f, 7.0f);
    c->Reset();
    EXPECT_EQ(c->bodySystem.particleCount, 5);
    EXPECT_EQ(c->leftFoot, &c->bodySystem.particles[1]);
    ExpectPoint(c->leftFoot->position, -1.0f, -7.0f);
}

TEST(CreaturePlace, MovesTheRestPoseWithoutMotion)
{
    auto c = MakeCreature(0.0f, -6.0f);
    // Deform and move it first: Place must restore the shape.
    for (int i = 0; i < 30; ++i) {
        c->leftSteer = Point(2.0f, 1.0f);
        c->Update();
    }
    c->leftGripping = true;
    c->rightGripping = true;
    c->leftGripHeld = true;
    c->leftFoot->contact = true;
    c->Place(Vector4{5.0f, 3.0f, 0.0f, 7.0f});

    ExpectVector(c->body->position, 5.0f, 3.0f, 0.0f, 1.0f);
    ExpectPoint(c->leftFoot->position, 4.0f, 2.0f);
    ExpectPoint(c->rightFoot->position, 6.0f, 2.0f);
    ExpectPoint(c->leftHip->position, 4.5f, 2.0f);
    ExpectPoint(c->leftLegTop->position, 4.5f, 4.0f);
    ExpectPoint(c->rightKnee->position, 6.5f, 4.0f);
    ExpectPoint(c->leftAntennaTip->position, 4.5f, 5.0f);
    EXPECT_FALSE(c->leftGripping || c->rightGripping || c->leftGripHeld);
    EXPECT_FALSE(c->leftFoot->contact);
    for (const CVerletSystem* system : {&c->bodySystem, &c->limbSystem}) {
        for (int i = 0; i < system->particleCount; ++i) {
            const VerletParticle& p = system->particles[i];
            EXPECT_EQ(p.previous.x, p.position.x);
            EXPECT_EQ(p.previous.y, p.position.y);
            EXPECT_EQ(p.previous.w, 1.0f);
        }
    }
}

TEST(CreaturePlace, BeforeAnyResetChangesNothingAndDoesNotCrash)
{
    auto c = std::make_unique<CCreature>();
    c->leftGripHeld = true;
    c->Place(Point(1.0f, 1.0f));
    EXPECT_FALSE(c->leftGripHeld);
    EXPECT_EQ(c->body, nullptr);
    EXPECT_FALSE(c->alive);
    ExpectVector(c->GetPosition(), 0.0f, 0.0f, 0.0f, 1.0f);
}

TEST(CreaturePosition, TwoUnitsAboveTheBody)
{
    auto fresh = std::make_unique<CCreature>();
    ExpectVector(fresh->GetPosition(), 0.0f, 0.0f, 0.0f, 1.0f);
    auto c = MakeCreature(0.0f, -6.0f);
    ExpectVector(c->GetPosition(), 0.0f, -4.0f, 0.0f, 1.0f);
    c->body->position = Vector4{1.0f, 2.0f, 3.0f, 4.0f};
    ExpectVector(c->GetPosition(), 1.0f, 4.0f, 3.0f, 4.0f);
}

TEST(CreatureSteer, ThresholdIsOnTheSquaredLength)
{
    auto c = MakeCreature(0.0f, 0.0f);
    const Vector4 atThreshold{0.2f, 0.6f, 0.0f, 1.0f};
    ASSERT_EQ(atThreshold.LengthSquared(), 0.4f);
    c->SteerLeft(atThreshold);
    ExpectVector(c->leftSteer, 0.0f, -0.3f, 0.0f, 1.0f);
    c->SteerRight(atThreshold);
    ExpectVector(c->rightSteer, 0.0f, -0.3f, 0.0f, 1.0f);

    const Vector4 above{0.2f, std::nextafter(0.6f, 1.0f), 0.0f, 0.0f};
    ASSERT_GT(above.LengthSquared(), 0.4f);
    c->SteerLeft(above);
    ExpectVector(c->leftSteer, 0.2f, std::nextafter(0.6f, 1.0f), 0.0f, 0.0f);
    c->SteerRight(above);
    EXPECT_EQ(c->rightSteer.y, above.y);
    EXPECT_EQ(c->rightSteer.w, 0.0f);  // copied whole
}

TEST(CreatureSteer, IdleFootHangsOnlyWhileHeldAndTheLegTopIsBelow)
{
    auto c = MakeCreature(0.0f, 0.0f);
    const Vector4 idle{0.0f, 0.0f, 0.0f, 1.0f};

    // Leg top below the foot, grip not held: idle is still the free pull.
    c->leftLegTop->position.y = -5.0f;
    c->leftFoot->position.y = 0.0f;
    c->SteerLeft(idle);
    ExpectPoint(c->leftSteer, 0.0f, -0.3f);

    c->leftGripHeld = true;
    c->SteerLeft(idle);
    ExpectVector(c->leftSteer, 0.0f, 6.0f, 0.0f, 1.0f);

    // A strong input wins over the hang.
    c->SteerLeft(Point(1.0f, 0.0f));
    ExpectPoint(c->leftSteer, 1.0f, 0.0f);

    // Level with the foot is not below it.
    c->leftLegTop->position.y = 0.0f;
    c->SteerLeft(idle);
    ExpectPoint(c->leftSteer, 0.0f, -0.3f);

    // The right side reads its own grip and leg.
    c->rightGripHeld = true;
    c->rightLegTop->position.y = 1.0f;
    c->rightFoot->position.y = 0.0f;
    c->SteerRight(idle);
    ExpectPoint(c->rightSteer, 0.0f, -0.3f);
    c->rightLegTop->position.y = -1.0f;
    c->SteerRight(idle);
    ExpectPoint(c->rightSteer, 0.0f, 6.0f);
    c->rightGripHeld = false;
    c->SteerRight(idle);
    ExpectPoint(c->rightSteer, 0.0f, -0.3f);
}
