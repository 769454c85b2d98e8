#pragma once

// The progress file in the user's state folder: read when the game starts, written at each
// level's end. Only the game itself keeps it; the tools and tests that run its frames leave
// it alone unless they set a path.

#include <string>

// progress.txt in the user's state folder; "" when there is none.
std::string ProgressPath();

// Reads the file at `path` into the session and keeps `path` for the writes. A missing,
// unreadable, foreign or damaged file is said in one line on stderr and the record starts
// empty (the next level's end writes a good one).
void LoadProgress(const std::string& path);

// The session's progress written over the kept file, when one is kept. A failure is said in
// one line and the game keeps no progress from then on.
void SaveProgress();
