#pragma once

// The game's screens and the per-frame driver.

#include <cstdint>

#include "shell/playing_step.h"

enum : std::int32_t { Title = 0, LevelUp = 1, Playing = 2, GameEnd = 3, Retry = 4 };

// Any value other than the named screens plays.
extern std::int32_t GameState;
// Levels completed in this run, and the index of the level the next start loads.
extern std::int32_t LevelCounter;
// Set in every screen frame with the mouse button up; a held click counts only while set.
extern bool ClickArmed;
// The sticks' build-up, carried from one playing frame to the next.
extern StickRamps StickRamp;

// One frame: clear, shared drawing, then one branch of the state machine, then present.
void RunFrame();
// Fills the number display's digit masks and advances the random stream by 300 draws.
void ResetGame();
// The random draws of program start, before anything else runs.
void DiscardStartupRandoms();
