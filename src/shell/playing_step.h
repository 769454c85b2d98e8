#pragma once

// The playing frame's logic on explicit state: the game's frame, the level planner and the
// benchmarks all step through here, so there is one order of goal test, creature step, spike
// test and steering.

#include <cstdint>

#include "math/vector.h"
#include "shell/key_steering.h"

class CCreature;
class CWorld;

// Frames (up to 150) for which each stick has been pushed up past a quarter of its travel.
struct StickRamps {
    std::int32_t left = 0;
    std::int32_t right = 0;

    bool operator==(const StickRamps&) const = default;
};

// Both feet's steering for one frame, already shaped, and the grips.
struct FootSteering {
    Vector4 left;
    Vector4 right;
    bool leftGrip = false;
    bool rightGrip = false;
};

// The sticks shaped into steering; the ramps advance.
FootSteering ShapeSteering(const SteeringInput& input, StickRamps& ramps);

// The creature's part after its step: grips, left foot, the drops (when asked; they draw
// random numbers but never touch the body), right foot.
void SteerCreature(CCreature& creature, const FootSteering& steering, bool spawnDrops);

// What a playing frame found: the creature was dead when it began, and the goal was within
// reach before the step. The frame treats goal as winning over death.
struct PlayOutcome {
    bool wasDead = false;
    bool reachedGoal = false;
};

// One playing frame without drawing: goal test, creature step, spike test, both sticks into
// steering with the drops between them.
PlayOutcome PlayingStep(CCreature& creature, const CWorld& world, const SteeringInput& input, StickRamps& ramps,
                        bool spawnDrops);
