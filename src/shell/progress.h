#pragma once

// What the game keeps of a player between runs: the furthest level they may start from and
// each level's best time, and the small text file that holds them. Pure: the file's bytes
// come in and go out as text.

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/screen_flow.h"

struct Progress {
    // Index of the furthest level reached (0 to 7): the title starts any level up to it.
    std::int32_t reached = 0;
    // Each level's fewest playing frames (0: never completed).
    std::int32_t bestFrames[kLevelCount] = {};

    bool operator==(const Progress&) const = default;
};

// "tarnwick progress 1", "reached N" (the level's number, 1 to 8), one "best LEVEL FRAMES"
// line per completed level, and "end", so a file cut short is known.
std::string FormatProgress(const Progress& progress);

// False, with `progress` empty and a short problem ("line 3: ..."), for text that is not
// such a file: foreign, cut short, or with a level or time no run can have.
bool ParseProgress(std::string_view text, Progress& progress, std::string& problem);

// What the session carries of it, and back.
Progress ProgressOf(const GameSession& session);
void TakeProgress(GameSession& session, const Progress& progress);
