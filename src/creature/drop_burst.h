#pragma once

#include <cstdint>

#include "math/vector.h"

struct VerletParticle;
class CCreature;

struct DropParticle {
    Vector4 position{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 velocity{0.0f, 0.0f, 0.0f, 1.0f};  // displacement per frame

    void Step();
    // Flattens the drop onto the level plane and adds it to the batch as a 0.2 square.
    void EmitQuad(float r, float g, float b, float a);
};

constexpr int kDropsPerBurst = 20;
constexpr int kDropBurstSlots = 10;
constexpr std::int32_t kDropCooldownFrames = 10;

// Twenty drops thrown out of a foot in a ring; they fall and fade over 100 frames.
class CDropBurst {
public:
    std::int32_t kind = 0;  // 1 picks the second drop picture
    bool active = false;
    float age = 0.0f;  // opacity is 1 - age
    DropParticle particles[kDropsPerBurst];

    void Spawn(std::int32_t burstKind, const VerletParticle& foot);
    void Update();
    // One batch of twenty drops at opacity 1 - age; nothing while inactive.
    void Draw();
};

// The ring of bursts, reused in turn: a spawn overwrites nextSlot whatever it holds; and
// each foot's frames since it last touched (counting below zero while in the air).
struct DropPool {
    CDropBurst bursts[kDropBurstSlots];
    std::int32_t nextSlot = 0;
    std::int32_t leftCooldown = 0;
    std::int32_t rightCooldown = 0;

    void Reset() { *this = DropPool{}; }
};
extern DropPool Drops;

// The frame driver calls this in every playing frame between SteerLeft and SteerRight:
// a foot that touches after at least ten frames in the air, and does not grip, throws
// a burst; left foot first.
void SpawnFootDrops(const CCreature& creature);
