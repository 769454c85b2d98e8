#include "creature/drop_burst.h"

#include <cmath>
#include <limits>

#include "creature/creature.h"
#include "creature/verlet.h"
#include "math/random.h"

DropPool Drops;

namespace {
constexpr float kAgePerFrame = 0.01f;
constexpr float kDropGravity = 0.01f;
constexpr float kPi = 3.1415927f;

void SpawnFromFoot(const VerletParticle* foot, bool gripping, std::int32_t& cooldown)
{
    const bool contact = foot != nullptr && foot->contact;
    if (contact && cooldown <= 0 && !gripping) {
        Drops.bursts[Drops.nextSlot].Spawn(0, *foot);
        Drops.nextSlot = (Drops.nextSlot + 1) % kDropBurstSlots;
    }
    if (contact) {
        cooldown = kDropCooldownFrames;
    } else if (cooldown > std::numeric_limits<std::int32_t>::min()) {
        // Counts on below zero while the foot is in the air; stops at the floor of the
        // type instead of overflowing after a very long flight.
        --cooldown;
    }
}
}  // namespace

void DropParticle::Step()
{
    position.Add(velocity);
    velocity.y -= kDropGravity;
}

void CDropBurst::Spawn(std::int32_t burstKind, const VerletParticle& foot)
{
    age = 0.0f;
    kind = burstKind;
    active = true;
    for (int i = 0; i < kDropsPerBurst; ++i) {
        DropParticle& drop = particles[i];
        drop.position = foot.position;
        const float theta = static_cast<float>(i) * kPi / 10.0f;
        drop.velocity = Vector4{std::sin(theta), std::cos(theta), 0.0f, 1.0f};
        const float speed = static_cast<float>(Rand()) * 0.2f / 32767.0f + 0.1f;
        drop.velocity.Scale(speed);
        drop.velocity.Scale(0.5f);
    }
}

void CDropBurst::Update()
{
    if (!active) {
        return;
    }
    age += kAgePerFrame;
    if (age > 1.0f) {
        active = false;
        age = 0.0f;
    }
    for (DropParticle& drop : particles) {
        drop.Step();
    }
}

void SpawnFootDrops(const CCreature& creature)
{
    SpawnFromFoot(creature.leftFoot, creature.leftGripping, Drops.leftCooldown);
    SpawnFromFoot(creature.rightFoot, creature.rightGripping, Drops.rightCooldown);
}
