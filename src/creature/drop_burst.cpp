#include "creature/drop_burst.h"

#include <limits>

#include "creature/creature.h"
#include "creature/verlet.h"
#include "math/random.h"

DropPool Drops;

namespace {
constexpr float kAgePerFrame = 0.01f;
constexpr float kDropGravity = 0.01f;
// Each drop's direction, i * pi / 10 for drop i, as (sin, cos) to the bit: a C runtime's
// sinf and cosf round their own way, and replays must match on every system.
constexpr float kDropDirections[kDropsPerBurst][2] = {
    {0x0p+0, 0x1p+0},
    {0x1.3c6ef4p-2, 0x1.e6f0e2p-1},
    {0x1.2cf23p-1, 0x1.9e377ap-1},
    {0x1.9e377ap-1, 0x1.2cf23p-1},
    {0x1.e6f0e2p-1, 0x1.3c6ef2p-2},
    {0x1p+0, -0x1.777a5cp-25},
    {0x1.e6f0ep-1, -0x1.3c6ef6p-2},
    {0x1.9e3776p-1, -0x1.2cf236p-1},
    {0x1.2cf22ep-1, -0x1.9e377cp-1},
    {0x1.3c6ef6p-2, -0x1.e6f0ep-1},
    {-0x1.777a5cp-24, -0x1p+0},
    {-0x1.3c6f02p-2, -0x1.e6f0dep-1},
    {-0x1.2cf234p-1, -0x1.9e3778p-1},
    {-0x1.9e377ep-1, -0x1.2cf22ap-1},
    {-0x1.e6f0e4p-1, -0x1.3c6edcp-2},
    {-0x1p+0, 0x1.99bc5cp-27},
    {-0x1.e6f0ep-1, 0x1.3c6efcp-2},
    {-0x1.9e3774p-1, 0x1.2cf238p-1},
    {-0x1.2cf232p-1, 0x1.9e3778p-1},
    {-0x1.3c6efp-2, 0x1.e6f0e2p-1},
};

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
        drop.velocity = Vector4{kDropDirections[i][0], kDropDirections[i][1], 0.0f, 1.0f};
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
