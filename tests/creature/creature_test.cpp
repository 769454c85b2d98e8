#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "creature/creature.h"
#include "creature_fixture.h"

using creature_test::AddRect;
using creature_test::ExpectPoint;
using creature_test::MakeCreature;
using creature_test::Point;

TEST(CreatureConstruction, StartsDeadAndEmpty)
{
    auto c = std::make_unique<CCreature>();
    EXPECT_FALSE(c->alive);
    EXPECT_EQ(c->body, nullptr);
    EXPECT_EQ(c->rightAntennaTip, nullptr);
    EXPECT_EQ(c->leftLegStick, nullptr);
    EXPECT_EQ(c->bodySystem.particleCount, 0);
    EXPECT_EQ(c->limbSystem.stickCount, 0);
    EXPECT_EQ(c->bodySystem.boxes.count, 0);
    EXPECT_FALSE(c->leftGripHeld || c->leftGripping || c->rightGripHeld || c->rightGripping);
    for (const Vector4* v : {&c->leftGripPoint, &c->rightGripPoint, &c->leftSteer, &c->rightSteer}) {
        EXPECT_FLOAT_EQ(v->x, 0.0f);
        EXPECT_FLOAT_EQ(v->w, 1.0f);
    }
    const VerletParticle& p = c->limbSystem.particles[99];
    EXPECT_FLOAT_EQ(p.position.w, 1.0f);
    EXPECT_FLOAT_EQ(p.previous.w, 1.0f);
    EXPECT_FLOAT_EQ(p.step.w, 1.0f);
    EXPECT_FLOAT_EQ(p.collisionOffset.w, 1.0f);
    EXPECT_FALSE(p.collides || p.contact);
    EXPECT_FLOAT_EQ(c->bodySystem.boxes[16383].center.w, 1.0f);
    EXPECT_EQ(c->bodySystem.boxes.Capacity(), kCollisionBoxCapacity);

    // The global is built the same way.
    EXPECT_EQ(Creature.bodySystem.boxes.Capacity(), kCollisionBoxCapacity);
}

TEST(CreatureUpdate, DeadCreatureIsLeftExactlyAsItWas)
{
    auto c = MakeCreature(0.0f, 0.0f);
    c->alive = false;
    c->leftSteer = Point(2.0f, 2.0f);
    c->bodySystem.particles[0].previous = Point(-1.0f, 0.0f);
    unsigned char before[sizeof(CVerletSystem::particles)];
    std::memcpy(before, c->bodySystem.particles, sizeof before);
    c->Update();
    EXPECT_EQ(std::memcmp(before, c->bodySystem.particles, sizeof before), 0);
}

TEST(CreatureUpdate, MoveFootGoesATenthOfTheWayAndPushesTheHipBack)
{
    auto c = MakeCreature(0.0f, 0.0f);
    c->leftHip->position = Point(0.0f, 0.0f);
    c->leftFoot->position = Point(0.0f, -2.0f);
    c->leftSteer = Point(1.0f, 0.0f);
    c->MoveLeftFoot();
    ExpectPoint(c->leftFoot->position, 0.1f, -1.8f);
    ExpectPoint(c->leftHip->position, -0.1f, -0.2f);
    EXPECT_FLOAT_EQ(c->leftLegStick->restLength, std::sqrt(0.2f * 0.2f + 1.6f * 1.6f));

    c->rightHip->position = Point(5.0f, 0.0f);
    c->rightFoot->position = Point(5.0f, -2.0f);
    c->rightSteer = Point(0.0f, -0.3f);
    c->MoveRightFoot();
    // Target 0.3 below the hip, 1.7 above the foot: the foot rises 0.17, the hip sinks 0.17.
    ExpectPoint(c->rightFoot->position, 5.0f, -1.83f);
    ExpectPoint(c->rightHip->position, 5.0f, -0.17f);
    EXPECT_NEAR(c->rightLegStick->restLength, 1.66f, 1e-6f);
    // The left side was not touched by the right call.
    ExpectPoint(c->leftFoot->position, 0.1f, -1.8f);
}

TEST(CreatureUpdate, LevelHipsTurnsTheHipLineToPlusX)
{
    auto c = MakeCreature(0.0f, 0.0f);
    c->leftHip->step = Point(0.0f, 0.0f);
    c->leftHip->position = Point(-0.5f, 1.0f);
    c->rightHip->position = Point(0.5f, 1.0f);
    c->LevelHips();
    ExpectPoint(c->leftHip->position, -0.5f, 1.0f);
    ExpectPoint(c->rightHip->position, 0.5f, 1.0f);

    // Coincident hips at rest: half a unit each way.
    c->leftHip->position = Point(2.0f, 1.0f);
    c->rightHip->position = Point(2.0f, 1.0f);
    c->LevelHips();
    ExpectPoint(c->leftHip->position, 1.5f, 1.0f);
    ExpectPoint(c->rightHip->position, 2.5f, 1.0f);

    // Hips swapped (right hip on the left): turned round in one step.
    c->leftHip->position = Point(0.5f, 0.0f);
    c->rightHip->position = Point(-0.5f, 0.0f);
    c->LevelHips();
    ExpectPoint(c->leftHip->position, -0.5f, 0.0f);
    ExpectPoint(c->rightHip->position, 0.5f, 0.0f);

    // Vertical hips: d = ((0,1,0) - (1,0,0)) / 2 = (-0.5, 0.5).
    c->leftHip->position = Point(0.0f, 0.0f);
    c->rightHip->position = Point(0.0f, 1.0f);
    c->LevelHips();
    ExpectPoint(c->leftHip->position, -0.5f, 0.5f);
    ExpectPoint(c->rightHip->position, 0.5f, 0.5f);
}

TEST(CreatureUpdate, LevelHipsScalesDownForAHipAlreadyMovingAlongTheCorrection)
{
    auto c = MakeCreature(0.0f, 0.0f);
    c->leftHip->position = Point(0.0f, 0.0f);
    c->rightHip->position = Point(0.0f, 0.0f);
    c->leftHip->step = Point(-0.3f, 0.0f);  // k = 10 * 0.15 = 1.5
    c->LevelHips();
    EXPECT_FLOAT_EQ(c->leftHip->position.x, -0.5f / 1.5f);
    EXPECT_FLOAT_EQ(c->rightHip->position.x, 0.5f / 1.5f);

    // Moving against the correction gives k below 1, which is raised to 1.
    c->leftHip->position = Point(0.0f, 0.0f);
    c->rightHip->position = Point(0.0f, 0.0f);
    c->leftHip->step = Point(0.3f, 0.0f);
    c->LevelHips();
    EXPECT_FLOAT_EQ(c->leftHip->position.x, -0.5f);
}

TEST(CreatureUpdate, AttachLimbsPutsTheDrawnLegsOnTheBody)
{
    auto c = MakeCreature(0.0f, 0.0f);
    c->leftHip->position = Point(1.0f, 2.0f);
    c->rightHip->position = Point(3.0f, 4.0f);
    c->leftFoot->position = Point(-1.0f, -2.0f);
    c->rightFoot->position = Point(5.0f, -3.0f);
    c->AttachLimbs();
    ExpectPoint(c->leftLegTop->position, 1.0f, 4.5f);
    ExpectPoint(c->leftLegTop->previous, 1.0f, 4.5f);
    ExpectPoint(c->rightLegTop->position, 3.0f, 6.5f);
    ExpectPoint(c->rightLegTop->previous, 3.0f, 6.5f);
    ExpectPoint(c->leftLegFoot->position, -1.0f, -2.0f);
    ExpectPoint(c->rightLegFoot->position, 5.0f, -3.0f);
    ExpectPoint(c->leftAntennaBase->position, 1.0f, 4.5f);
    ExpectPoint(c->rightAntennaBase->position, 3.0f, 6.5f);
    // Knees are free.
    ExpectPoint(c->leftKnee->position, -1.5f, 1.0f);
}

class BendKnees : public ::testing::Test {
protected:
    void SetUp() override
    {
        c = MakeCreature(0.0f, 0.0f);
        // Both legs vertical from (0, 0) down to (0, -3): P = (1, 0).
        c->leftLegTop->position = Point(0.0f, 0.0f);
        c->rightLegTop->position = Point(0.0f, 0.0f);
        c->leftFoot->position = Point(0.0f, -3.0f);
        c->rightFoot->position = Point(0.0f, -3.0f);
        // The limb copies of the feet point elsewhere: the body's feet are the ones used.
        c->leftLegFoot->position = Point(9.0f, 9.0f);
        c->rightLegFoot->position = Point(9.0f, 9.0f);
    }
    std::unique_ptr<CCreature> c;
};

TEST_F(BendKnees, LeftKneeOnTheWrongSideIsThrownOver)
{
    c->leftKnee->position = Point(0.2f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->leftKnee->position, -0.5f, -1.5f);
    ExpectPoint(c->leftLegTop->position, 0.7f, 0.0f);
}

TEST_F(BendKnees, LeftKneeTooCloseOnItsOwnSideIsPushedOut)
{
    c->leftKnee->position = Point(-0.2f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->leftKnee->position, -0.5f, -1.5f);
    ExpectPoint(c->leftLegTop->position, 0.3f, 0.0f);
}

TEST_F(BendKnees, KneesFarOnTheirOwnSideOrOnTheLineAreLeft)
{
    c->leftKnee->position = Point(-1.0f, -1.5f);
    c->rightKnee->position = Point(1.0f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->leftKnee->position, -1.0f, -1.5f);
    ExpectPoint(c->rightKnee->position, 1.0f, -1.5f);

    c->leftKnee->position = Point(0.0f, -1.5f);
    c->rightKnee->position = Point(0.0f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->leftKnee->position, 0.0f, -1.5f);
    ExpectPoint(c->rightKnee->position, 0.0f, -1.5f);
    ExpectPoint(c->leftLegTop->position, 0.0f, 0.0f);
}

TEST_F(BendKnees, RightKneeMirrorsTheLeft)
{
    c->rightKnee->position = Point(-0.2f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->rightKnee->position, 0.5f, -1.5f);
    ExpectPoint(c->rightLegTop->position, -0.7f, 0.0f);

    c->rightLegTop->position = Point(0.0f, 0.0f);
    c->rightKnee->position = Point(0.2f, -1.5f);
    c->BendKnees();
    ExpectPoint(c->rightKnee->position, 0.5f, -1.5f);
    ExpectPoint(c->rightLegTop->position, -0.3f, 0.0f);
}

TEST_F(BendKnees, StopsLegStepsAndLiftsTheAntennae)
{
    for (VerletParticle* p : {c->leftKnee, c->rightKnee, c->leftLegTop, c->rightLegTop, c->leftLegFoot, c->rightLegFoot,
                              c->leftAntennaTip, c->leftAntennaBase}) {
        p->step = Vector4{0.5f, 0.5f, 0.5f, 1.0f};
    }
    const float tipY = c->leftAntennaTip->position.y;
    const float rightTipY = c->rightAntennaTip->position.y;
    c->BendKnees();
    for (VerletParticle* p :
         {c->leftKnee, c->rightKnee, c->leftLegTop, c->rightLegTop, c->leftLegFoot, c->rightLegFoot}) {
        EXPECT_FLOAT_EQ(p->step.x, 0.0f);
        EXPECT_FLOAT_EQ(p->step.y, 0.0f);
        EXPECT_FLOAT_EQ(p->step.z, 0.0f);
    }
    EXPECT_FLOAT_EQ(c->leftAntennaTip->step.x, 0.5f);
    EXPECT_FLOAT_EQ(c->leftAntennaBase->step.y, 0.5f);
    EXPECT_FLOAT_EQ(c->leftAntennaTip->position.y, tipY + 0.1f);
    EXPECT_FLOAT_EQ(c->rightAntennaTip->position.y, rightTipY + 0.1f);
}

TEST(CreatureUpdate, FreeFallIsDampedGravityOfTheBodyAsAWhole)
{
    // Steering, hip levelling and sticks all move particles in equal and opposite pairs,
    // so in the air the mean of the body particles follows damped gravity alone.
    auto c = MakeCreature(0.0f, 20.0f);
    auto meanY = [&c]() {
        float sum = 0.0f;
        for (int i = 0; i < 5; ++i) {
            sum += c->bodySystem.particles[i].position.y;
        }
        return sum / 5.0f;
    };
    float expected = meanY();
    float velocity = 0.0f;
    for (int i = 0; i < 100; ++i) {
        c->Update();
        velocity = velocity * 0.995f - 0.0075f;
        expected += velocity;
        ASSERT_NEAR(meanY(), expected, 2e-3f) << "step " << i;
    }
    EXPECT_LT(velocity, -0.5f);
    EXPECT_TRUE(creature_test::AllFinite(*c));
    EXPECT_FALSE(c->leftFoot->contact || c->rightFoot->contact);
}

TEST(CreatureUpdate, LimbParticlesNeverTouch)
{
    auto c = MakeCreature(0.0f, 0.0f);
    AddRect(c->bodySystem.boxes, -10.0f, -20.0f, 10.0f, -1.1f);
    for (int i = 0; i < 200; ++i) {
        c->Update();
        for (int j = 0; j < c->limbSystem.particleCount; ++j) {
            ASSERT_FALSE(c->limbSystem.particles[j].contact);
        }
    }
}
