#pragma once

#include <cstdint>
#include <vector>

#include "map_text.h"
#include "play_sim.h"

struct PlanOptions {
    std::int32_t beam = 40;         // states kept after each round
    std::int32_t expansions = 12;   // random inputs tried from each kept state
    std::int32_t hold = 10;         // frames each input is held
    std::int32_t maxFrames = 4000;  // give up beyond this
    std::uint32_t seed = 1;
    bool grips = true;     // off: prove a level needs the grip buttons
    bool keys = false;     // only what the keyboard makes: each axis full or centred
    bool oneFoot = false;  // as a person plays: each change moves one foot's keys only
};

struct Plan {
    bool found = false;
    // The pad for every playing frame, from the level's first (index 0) to its goal frame.
    std::vector<Pad> pads;
    std::int32_t goalFrame = 0;  // playing frame (from 1) whose goal test passed
    float bestDistance = 0.0f;
};

// Beam search over held stick and grip inputs on the deterministic simulation: from every
// kept state try random inputs, keep the states nearest the goal by the walking distance,
// one per small area so the beam does not collapse into one spot, until the goal test passes.
Plan PlanLevel(const MapImage& map, std::int32_t levelIndex, const PlanOptions& options);
