#include <gtest/gtest.h>

#include <memory>

#include "creature/verlet.h"
#include "creature_fixture.h"

using creature_test::Point;

TEST(VerletParticle, StepFromRestIsGravityOnlyAndLeavesPositionAlone)
{
    VerletParticle p;
    p.position = Vector4{1.0f, 0.0f, 0.0f, 1.0f};
    p.previous = p.position;
    p.contact = true;
    p.VerletStep();
    EXPECT_FLOAT_EQ(p.step.x, 0.0f);
    EXPECT_FLOAT_EQ(p.step.y, -0.0075f);
    EXPECT_FLOAT_EQ(p.step.z, 0.0f);
    EXPECT_FLOAT_EQ(p.step.w, 1.0f);  // taken from position.w
    EXPECT_FLOAT_EQ(p.position.y, 0.0f);
    EXPECT_FALSE(p.contact);

    p.ApplyStep();
    EXPECT_FLOAT_EQ(p.position.y, -0.0075f);
    p.VerletStep();
    EXPECT_FLOAT_EQ(p.step.y, -0.0149625f);
    EXPECT_FLOAT_EQ(p.previous.y, -0.0075f);
}

TEST(VerletParticle, StepDampsMotionInEveryAxis)
{
    VerletParticle p;
    p.previous = Vector4{0.0f, 0.0f, 0.0f, 1.0f};
    p.position = Vector4{2.0f, 1.0f, -1.0f, 1.0f};
    p.VerletStep();
    EXPECT_FLOAT_EQ(p.step.x, 1.99f);
    EXPECT_FLOAT_EQ(p.step.y, 0.995f - 0.0075f);
    EXPECT_FLOAT_EQ(p.step.z, -0.995f);
    EXPECT_FLOAT_EQ(p.previous.x, 2.0f);
}

TEST(VerletStick, RelaxClosesHalfTheErrorSharedByBothEnds)
{
    VerletParticle a;
    VerletParticle b;
    a.position = Point(0.0f, 0.0f);
    b.position = Point(3.0f, 0.0f);
    VerletStick stick{&a, &b, 2.0f};
    stick.Relax();
    EXPECT_FLOAT_EQ(a.position.x, 0.25f);
    EXPECT_FLOAT_EQ(b.position.x, 2.75f);
    EXPECT_FLOAT_EQ(a.position.y, 0.0f);

    // A short stick pushes apart along its own direction.
    a.position = Point(0.0f, 0.0f);
    b.position = Point(0.0f, 1.0f);
    stick.Relax();
    EXPECT_FLOAT_EQ(a.position.y, -0.25f);
    EXPECT_FLOAT_EQ(b.position.y, 1.25f);
}

TEST(VerletStick, CoincidentEndsExertNoPush)
{
    VerletParticle a;
    VerletParticle b;
    a.position = Point(1.0f, 1.0f);
    b.position = Point(1.0f, 1.0f);
    VerletStick stick{&a, &b, 2.0f};
    stick.Relax();
    EXPECT_FLOAT_EQ(a.position.x, 1.0f);
    EXPECT_FLOAT_EQ(a.position.y, 1.0f);
    EXPECT_FLOAT_EQ(b.position.y, 1.0f);
}

TEST(VerletSystem, AddParticleWritesOnlyThePointAndClearKeepsEntries)
{
    auto system = std::make_unique<CVerletSystem>();
    system->particles[0].collides = true;
    system->particles[0].step = Point(5.0f, 5.0f);
    VerletParticle* p = system->AddParticle(Point(1.0f, 2.0f));
    EXPECT_EQ(p, &system->particles[0]);
    EXPECT_EQ(system->particleCount, 1);
    EXPECT_FLOAT_EQ(p->previous.y, 2.0f);
    EXPECT_TRUE(p->collides);
    EXPECT_FLOAT_EQ(p->step.x, 5.0f);

    VerletParticle* q = system->AddParticle(Point(3.0f, 4.0f));
    VerletStick* s = system->AddStick(p, q, 1.5f);
    EXPECT_EQ(s, &system->sticks[0]);
    EXPECT_EQ(s->a, p);
    EXPECT_EQ(s->b, q);
    EXPECT_EQ(system->stickCount, 1);

    system->boxes.Append(Point(0.0f, 0.0f), 1.0f, 1.0f, 0);
    system->Clear();
    EXPECT_EQ(system->particleCount, 0);
    EXPECT_EQ(system->stickCount, 0);
    EXPECT_EQ(system->boxes.count, 0);
    EXPECT_FLOAT_EQ(system->particles[1].position.x, 3.0f);
    EXPECT_EQ(system->boxes.Capacity(), kCollisionBoxCapacity);
}

TEST(VerletSystem, IntegrateRigidMovesEveryParticleByTheMeanStep)
{
    auto system = std::make_unique<CVerletSystem>();
    VerletParticle* a = system->AddParticle(Point(0.0f, 0.0f));
    VerletParticle* b = system->AddParticle(Point(10.0f, 0.0f));
    a->previous = Point(-1.0f, 0.0f);  // moving right by 1
    b->previous = Point(10.0f, 1.0f);  // moving down by 1
    system->IntegrateRigid();
    // Mean of (0.995, -0.0075) and (0, -0.995 - 0.0075).
    const float sx = (0.995f + 0.0f) * 0.5f;
    const float sy = (-0.0075f + (-0.995f - 0.0075f)) * 0.5f;
    EXPECT_FLOAT_EQ(a->position.x, sx);
    EXPECT_FLOAT_EQ(a->position.y, sy);
    EXPECT_FLOAT_EQ(b->position.x, 10.0f + sx);
    EXPECT_FLOAT_EQ(b->position.y, sy);
    EXPECT_FLOAT_EQ(a->step.x, b->step.x);
    EXPECT_FLOAT_EQ(a->step.w, 1.0f);
    EXPECT_FLOAT_EQ(a->previous.x, 0.0f);
}

TEST(VerletSystem, IntegrateRigidOnAnEmptySystemDoesNothing)
{
    auto system = std::make_unique<CVerletSystem>();
    system->IntegrateRigid();
    EXPECT_EQ(system->particleCount, 0);
    EXPECT_FLOAT_EQ(system->particles[0].position.x, 0.0f);
}

TEST(VerletSystem, IntegrateAndApplyStepsKeepParticlesIndependent)
{
    auto system = std::make_unique<CVerletSystem>();
    VerletParticle* a = system->AddParticle(Point(0.0f, 0.0f));
    VerletParticle* b = system->AddParticle(Point(5.0f, 0.0f));
    a->previous = Point(-1.0f, 0.0f);
    system->Integrate();
    EXPECT_FLOAT_EQ(a->position.x, 0.0f);  // Integrate alone never moves
    system->ApplySteps();
    EXPECT_FLOAT_EQ(a->position.x, 0.995f);
    EXPECT_FLOAT_EQ(b->position.x, 5.0f);
    EXPECT_FLOAT_EQ(b->position.y, -0.0075f);
}

TEST(VerletSystem, RelaxRunsTwentyIterationsAndCollides)
{
    auto system = std::make_unique<CVerletSystem>();
    VerletParticle* a = system->AddParticle(Point(0.0f, 0.0f));
    VerletParticle* b = system->AddParticle(Point(3.0f, 0.0f));
    system->AddStick(a, b, 2.0f);
    system->Relax();
    // Each iteration halves the error of 1: 2^-20 is left.
    const float length = b->position.x - a->position.x;
    EXPECT_NEAR(length, 2.0f, 2e-6f);
    EXPECT_GT(length - 2.0f, 0.0f);

    // Relaxation also runs the collision of every particle.
    auto walled = std::make_unique<CVerletSystem>();
    VerletParticle* p = walled->AddParticle(Point(0.0f, 0.0f));
    p->collides = true;
    p->position = Point(0.0f, 40.0f);
    walled->Relax();
    EXPECT_FLOAT_EQ(p->position.y, 30.0f);
}
