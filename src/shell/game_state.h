#pragma once

// The session the game's frames carry, and the per-frame driver.

#include "shell/screen_flow.h"

extern GameSession Session;

// One frame: clear, shared drawing, then one branch of the state machine, then present.
void RunFrame();
// Advances the random stream by 300 draws, at start-up and whenever a game starts.
void ResetGame();
// The random draws of program start, before anything else runs.
void DiscardStartupRandoms();
