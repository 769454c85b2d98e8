#include "shell/playing_step.h"

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "shell/stick_shaping.h"
#include "world/world.h"

namespace {

constexpr float kGoalReachSquared = 2.0f;

bool TouchesSpike(const CCreature& creature, const CWorld& world)
{
    return world.HitsSpike(creature.GetPosition()) || world.HitsSpike(creature.leftFoot->position) ||
           world.HitsSpike(creature.rightFoot->position);
}

}  // namespace

FootSteering ShapeSteering(const SteeringInput& input, StickRamps& ramps)
{
    FootSteering s;
    s.leftGrip = input.leftGrip;
    s.rightGrip = input.rightGrip;
    s.left = ShapeStick(input.lx, input.ly, input.leftGrip, StickSide::Left, ramps.left);
    s.right = ShapeStick(input.rx, input.ry, input.rightGrip, StickSide::Right, ramps.right);
    return s;
}

void SteerCreature(CCreature& creature, const FootSteering& steering, bool spawnDrops)
{
    creature.leftGripHeld = steering.leftGrip;
    creature.rightGripHeld = steering.rightGrip;
    creature.SteerLeft(steering.left);
    if (spawnDrops) {
        SpawnFootDrops(creature);
    }
    creature.SteerRight(steering.right);
}

PlayOutcome PlayingStep(CCreature& creature, const CWorld& world, const SteeringInput& input, StickRamps& ramps,
                        bool spawnDrops)
{
    PlayOutcome outcome;
    outcome.wasDead = !creature.alive;
    Vector4 toGoal = world.goalPoint;
    toGoal.Sub(creature.GetPosition());
    outcome.reachedGoal = toGoal.LengthSquared() < kGoalReachSquared;
    creature.Update();
    if (creature.leftFoot != nullptr && TouchesSpike(creature, world)) {
        creature.alive = false;
    }
    SteerCreature(creature, ShapeSteering(input, ramps), spawnDrops);
    return outcome;
}
