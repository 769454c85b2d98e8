#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "creature_fixture.h"
#include "math/random.h"

using creature_test::MakeCreature;
using creature_test::Point;

namespace {

class DropBurstTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedRand = GetRandState();
        Drops.Reset();
        creature = MakeCreature(0.0f, 0.0f);
    }
    void TearDown() override { SetRandState(savedRand); }

    // One frame of the spawn rule with the given foot contacts.
    void Frame(bool left, bool right)
    {
        creature->leftFoot->contact = left;
        creature->rightFoot->contact = right;
        SpawnFootDrops(*creature);
    }

    int ActiveCount() const
    {
        int n = 0;
        for (const CDropBurst& burst : Drops.bursts) {
            n += burst.active ? 1 : 0;
        }
        return n;
    }

    std::uint32_t savedRand = 0;
    std::unique_ptr<CCreature> creature;
};

}  // namespace

TEST_F(DropBurstTest, SpawnThrowsARingFromTheFoot)
{
    VerletParticle foot;
    foot.position = Vector4{2.0f, -3.0f, 0.0f, 1.0f};
    SetRandState(12345u);
    float expectedSpeed[kDropsPerBurst];
    for (float& s : expectedSpeed) {
        s = (static_cast<float>(Rand()) * 0.2f / 32767.0f + 0.1f) * 0.5f;
    }
    SetRandState(12345u);
    CDropBurst burst;
    burst.age = 0.7f;
    burst.Spawn(3, foot);
    EXPECT_TRUE(burst.active);
    EXPECT_EQ(burst.kind, 3);
    EXPECT_FLOAT_EQ(burst.age, 0.0f);
    for (int i = 0; i < kDropsPerBurst; ++i) {
        const DropParticle& d = burst.particles[i];
        EXPECT_FLOAT_EQ(d.position.x, 2.0f);
        EXPECT_FLOAT_EQ(d.position.y, -3.0f);
        const float speed = std::sqrt(d.velocity.x * d.velocity.x + d.velocity.y * d.velocity.y);
        EXPECT_GE(speed, 0.05f - 1e-6f);
        EXPECT_LE(speed, 0.15f + 1e-6f);
        EXPECT_NEAR(speed, expectedSpeed[i], 1e-6f) << "drop " << i;
        // Directions 18 degrees apart, clockwise from straight up.
        const float angle = static_cast<float>(i) * 0.31415927f;
        EXPECT_NEAR(d.velocity.x / speed, std::sin(angle), 1e-5f) << "drop " << i;
        EXPECT_NEAR(d.velocity.y / speed, std::cos(angle), 1e-5f) << "drop " << i;
        EXPECT_FLOAT_EQ(d.velocity.z, 0.0f);
    }
    EXPECT_FLOAT_EQ(burst.particles[0].velocity.x, 0.0f);
    EXPECT_NEAR(burst.particles[5].velocity.y, 0.0f, 1e-7f);
    // Twenty draws from the shared stream, no more.
    SetRandState(12345u);
    for (int i = 0; i < kDropsPerBurst; ++i) {
        Rand();
    }
    const std::uint32_t after = GetRandState();
    SetRandState(12345u);
    burst.Spawn(0, foot);
    EXPECT_EQ(GetRandState(), after);
}

TEST_F(DropBurstTest, OneUpdateMovesAndAgesTheDrops)
{
    VerletParticle foot;
    foot.position = Vector4{2.0f, -3.0f, 0.0f, 1.0f};
    CDropBurst burst;
    burst.Spawn(0, foot);
    const float s0 = burst.particles[0].velocity.y;
    burst.Update();
    EXPECT_FLOAT_EQ(burst.age, 0.01f);
    EXPECT_FLOAT_EQ(1.0f - burst.age, 0.99f);
    EXPECT_FLOAT_EQ(burst.particles[0].position.x, 2.0f);
    EXPECT_FLOAT_EQ(burst.particles[0].position.y, -3.0f + s0);
    EXPECT_FLOAT_EQ(burst.particles[0].velocity.y, s0 - 0.01f);
    EXPECT_GE(s0, 0.05f);
    EXPECT_LE(s0, 0.15f);
}

TEST_F(DropBurstTest, BurstLivesForAHundredUpdatesAndStepsInItsLast)
{
    VerletParticle foot;
    CDropBurst burst;
    burst.Spawn(0, foot);
    for (int i = 0; i < 100; ++i) {
        burst.Update();
        ASSERT_TRUE(burst.active) << "update " << i + 1;
    }
    const float y = burst.particles[0].position.y;
    const float vy = burst.particles[0].velocity.y;
    burst.Update();
    EXPECT_FALSE(burst.active);
    EXPECT_FLOAT_EQ(burst.age, 0.0f);
    EXPECT_FLOAT_EQ(burst.particles[0].position.y, y + vy);

    // An inactive burst is not moved.
    const float stopped = burst.particles[0].position.y;
    burst.Update();
    EXPECT_FLOAT_EQ(burst.particles[0].position.y, stopped);
    EXPECT_FLOAT_EQ(burst.age, 0.0f);
}

TEST_F(DropBurstTest, DropStepFallsWithGravity)
{
    DropParticle d;
    d.position = Point(1.0f, 1.0f);
    d.velocity = Vector4{0.5f, 0.0f, 0.0f, 1.0f};
    d.Step();
    EXPECT_FLOAT_EQ(d.position.x, 1.5f);
    EXPECT_FLOAT_EQ(d.position.y, 1.0f);
    EXPECT_FLOAT_EQ(d.velocity.y, -0.01f);
    d.Step();
    EXPECT_FLOAT_EQ(d.position.y, 0.99f);
}

TEST_F(DropBurstTest, LandingAfterNineFramesThrowsOnlyOnce)
{
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 1);
    EXPECT_EQ(Drops.leftCooldown, 10);
    Frame(true, false);  // still touching: no second burst
    EXPECT_EQ(Drops.nextSlot, 1);
    for (int i = 0; i < 9; ++i) {
        Frame(false, false);
    }
    EXPECT_EQ(Drops.leftCooldown, 1);
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 1);
    for (int i = 0; i < 10; ++i) {
        Frame(false, false);
    }
    EXPECT_EQ(Drops.leftCooldown, 0);
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 2);
    EXPECT_EQ(ActiveCount(), 2);
    EXPECT_FLOAT_EQ(Drops.bursts[1].particles[3].position.x, creature->leftFoot->position.x);
}

TEST_F(DropBurstTest, BothFeetFillConsecutiveSlotsLeftFirst)
{
    creature->leftFoot->position = Point(-4.0f, 1.0f);
    creature->rightFoot->position = Point(4.0f, 1.0f);
    Drops.nextSlot = 9;
    Frame(true, true);
    EXPECT_EQ(Drops.nextSlot, 1);
    EXPECT_FLOAT_EQ(Drops.bursts[9].particles[0].position.x, -4.0f);
    EXPECT_FLOAT_EQ(Drops.bursts[0].particles[0].position.x, 4.0f);
    EXPECT_EQ(Drops.rightCooldown, 10);
}

TEST_F(DropBurstTest, FullRingReplacesTheOldest)
{
    for (int i = 0; i < 10; ++i) {
        creature->leftFoot->position = Point(static_cast<float>(i), 0.0f);
        Drops.leftCooldown = 0;
        Frame(true, false);
        for (CDropBurst& burst : Drops.bursts) {
            burst.Update();
        }
    }
    EXPECT_EQ(ActiveCount(), 10);
    EXPECT_EQ(Drops.nextSlot, 0);
    EXPECT_GT(Drops.bursts[0].age, 0.09f);
    creature->leftFoot->position = Point(20.0f, 0.0f);
    Drops.leftCooldown = 0;
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 1);
    EXPECT_FLOAT_EQ(Drops.bursts[0].age, 0.0f);
    EXPECT_FLOAT_EQ(Drops.bursts[0].particles[0].position.x, 20.0f);
    EXPECT_FLOAT_EQ(Drops.bursts[1].particles[0].position.x, 1.0f);
}

TEST_F(DropBurstTest, GrippingFootThrowsNoneButRestartsTheCooldown)
{
    creature->leftGripping = true;
    Drops.leftCooldown = -5;
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 0);
    EXPECT_EQ(ActiveCount(), 0);
    EXPECT_EQ(Drops.leftCooldown, 10);
    // The right foot is independent of the left grip.
    Frame(false, true);
    EXPECT_EQ(Drops.nextSlot, 1);
    EXPECT_EQ(Drops.leftCooldown, 9);
}

TEST_F(DropBurstTest, CooldownCountsBelowZeroWithoutOverflowing)
{
    for (int i = 0; i < 5; ++i) {
        Frame(false, false);
    }
    EXPECT_EQ(Drops.leftCooldown, -5);
    EXPECT_EQ(Drops.rightCooldown, -5);
    Drops.leftCooldown = std::numeric_limits<std::int32_t>::min();
    Frame(false, false);
    EXPECT_EQ(Drops.leftCooldown, std::numeric_limits<std::int32_t>::min());
    Frame(true, false);
    EXPECT_EQ(Drops.nextSlot, 1);
}

TEST_F(DropBurstTest, RuleOnACreatureWithoutFeetOnlyCounts)
{
    auto empty = std::make_unique<CCreature>();
    SpawnFootDrops(*empty);
    EXPECT_EQ(Drops.nextSlot, 0);
    EXPECT_EQ(Drops.leftCooldown, -1);
}
