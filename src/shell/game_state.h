#pragma once

// The game's screens, the session state the frames carry, and the per-frame driver.

#include <cstdint>

#include "shell/playing_step.h"

// Any value other than the named screens plays.
enum class Screen : std::int32_t { Title = 0, LevelUp = 1, Playing = 2, GameEnd = 3, Retry = 4 };

// What one run of the game carries from frame to frame, outside the creature and the world.
struct GameSession {
    Screen screen = Screen::Title;
    // Levels completed in this run, and the index of the level the next start loads.
    std::int32_t levelCounter = 0;
    // Set in every screen frame with the mouse button up; a held click counts only while set.
    bool clickArmed = false;
    // The sticks' build-up, carried from one playing frame to the next.
    StickRamps stickRamps;
    // The mouse mapped to about -1..1 (y upwards) by Input.pointerSpan; not clamped.
    float pointerX = 0.0f;
    float pointerY = 0.0f;
    // Set when a map that became unusable is refused, until the key, button and click that
    // asked are all let go: a held button must not retry the map, and print its line, every
    // frame.
    bool titleWaitsForRelease = false;

    void Reset() { *this = GameSession{}; }
};

extern GameSession Session;

// One frame: clear, shared drawing, then one branch of the state machine, then present.
void RunFrame();
// Advances the random stream by 300 draws, at start-up and whenever a game starts.
void ResetGame();
// The random draws of program start, before anything else runs.
void DiscardStartupRandoms();
