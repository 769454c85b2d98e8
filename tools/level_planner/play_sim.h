#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "math/vector.h"
#include "run_script.h"
#include "shell/playing_step.h"

struct MapImage;

// One controller state, exactly as the runner's script gives it (b4 and b5: the grips).
using Pad = PadState;

// Everything a playing frame changes: the creature's motion and the stick ramps. The
// collision boxes and spikes do not change while a level is played.
struct PlaySnapshot {
    CCreature::Motion creature;
    StickRamps ramps;
    std::int32_t frame = 0;
};

enum class StepResult { Running, Goal, Dead };

// The game's playing step on the global creature and world, without drawing, with its state
// saved and restored for the search. The drops are left out: they draw random numbers but
// never touch the body.
class PlaySim {
public:
    // Scans the map into the world's spikes and the creature's merged collision boxes and
    // puts the creature on the start. Level 0 begins with the steering a fresh program has;
    // later levels with what a released pad leaves behind at the previous goal.
    void Load(const MapImage& map, int levelIndex);
    // Continues the run into the next level: the creature is reset and placed as the
    // screens between levels do, steering and ramps carry over.
    void LoadNext(const MapImage& map);

    // One playing frame, its outcome as the screens read it.
    PlayOutcome Play(const Pad& pad);
    // Goal wins over death in the same frame, as the screens have it.
    StepResult Step(const Pad& pad);

    PlaySnapshot Save() const;
    void Restore(const PlaySnapshot& s);

    Vector4 Position() const;
    std::int32_t frame = 0;  // playing frames stepped since the level started
    StickRamps ramps;
};

// Per-cell walking distance to the goal through open cells (spikes and their reach count
// as walls), the planner's measure of progress.
class FlowField {
public:
    void Build(const MapImage& map);
    // Distance of the cell holding the point; open neighbours stand in for a blocked cell.
    float At(const Vector4& p) const;

private:
    std::vector<float> distance;
};

// Column and row of the map cell holding a world point, clamped to the map.
void CellOf(const Vector4& p, int& column, int& row);
