#include "creature/verlet.h"

namespace {
constexpr float kDamping = 0.995f;
constexpr float kGravity = 0.0075f;
constexpr float kStickStiffness = 0.25f;
}  // namespace

void VerletParticle::VerletStep()
{
    step = position;
    step.Sub(previous);
    step.Scale(kDamping);
    step.y -= kGravity;
    previous = position;
    contact = false;
}

void VerletParticle::ApplyStep() { position.Add(step); }

void VerletStick::Relax()
{
    Vector4 d = a->position;
    d.Sub(b->position);
    const float length = d.Length();
    const float correction = (restLength - length) * kStickStiffness;
    d.Normalize();
    d.Scale(correction);
    a->position.Add(d);
    b->position.Sub(d);
}

CVerletSystem::CVerletSystem() : boxes(kCollisionBoxCapacity) {}

void CVerletSystem::Clear()
{
    particleCount = 0;
    stickCount = 0;
    boxes.Empty();
}

VerletParticle* CVerletSystem::AddParticle(const Vector4& point)
{
    VerletParticle* p = &particles[particleCount];
    p->position = point;
    p->previous = point;
    ++particleCount;
    return p;
}

VerletStick* CVerletSystem::AddStick(VerletParticle* a, VerletParticle* b, float restLength)
{
    VerletStick* s = &sticks[stickCount];
    s->a = a;
    s->b = b;
    s->restLength = restLength;
    ++stickCount;
    return s;
}

void CVerletSystem::Integrate()
{
    for (std::int32_t i = 0; i < particleCount; ++i) {
        particles[i].VerletStep();
    }
}

void CVerletSystem::IntegrateRigid()
{
    // An empty system has no mean; without this the division would make a NaN step.
    if (particleCount <= 0) {
        return;
    }
    Vector4 sum{0.0f, 0.0f, 0.0f, 1.0f};
    for (std::int32_t i = 0; i < particleCount; ++i) {
        particles[i].VerletStep();
        sum.Add(particles[i].step);
    }
    sum.Scale(1.0f / static_cast<float>(particleCount));
    for (std::int32_t i = 0; i < particleCount; ++i) {
        particles[i].step = sum;
    }
    ApplySteps();
}

void CVerletSystem::ApplySteps()
{
    for (std::int32_t i = 0; i < particleCount; ++i) {
        particles[i].ApplyStep();
    }
}

void CVerletSystem::Relax()
{
    for (int iteration = 0; iteration < kRelaxIterations; ++iteration) {
        for (std::int32_t i = 0; i < stickCount; ++i) {
            sticks[i].Relax();
        }
        for (std::int32_t i = 0; i < particleCount; ++i) {
            boxes.CollideParticle(particles[i]);
        }
    }
}
