#pragma once

// Where this user's state for the game lives, and replacing a file there so that a crash
// never leaves half of it.

#include <string>

// $TARNWICK_STATE_DIR when set (tests and tools point it elsewhere); else
// $XDG_STATE_HOME/tarnwick, or ~/.local/state/tarnwick; "" when none of these is known.
// Not created.
std::string UserStateFolder();

// The progress file's place as the help names it.
const char* ProgressFileForHelp();

// Writes `text` to a temporary file beside `path`, flushed to disk, then renames it over
// `path`: a reader sees the old file or the new one, never a part. The folder, and any above
// it, is made if missing. False with a one-line reason naming the path.
bool ReplaceFile(const std::string& path, const std::string& text, std::string* why);
