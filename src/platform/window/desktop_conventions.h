#pragma once

// What each desktop expects of a game beyond its window: where the player's own files live,
// and how a refusal to start reaches someone who started it from an icon.

#include <string>

// The folder for the player's own files, without a trailing separator: on Windows SDL's pref
// path (%APPDATA%\Tarnwick), elsewhere $XDG_CONFIG_HOME/tarnwick or ~/.config/tarnwick.
// Empty when there is none. On Windows SDL makes the folder, so a player finds it waiting.
std::string PlayerFilesFolder();
// The key bindings file's place as the help names it.
const char* KeysFileForHelp();

// Writes the one line saying why the game cannot start to stderr and, on Windows, where a
// program started from Explorer has no terminal, shows it in a message box too, unless
// TARNWICK_NO_MESSAGE_BOX is set (so that scripts and tests are never held up).
void ReportStartupRefusal(const std::string& line);

// A Windows GUI program started from a command prompt has no standard output: this joins the
// prompt's console, so that --help, --version and refusals are seen there. Output already
// sent to a file or pipe stays where it goes. Nothing to do elsewhere.
void UseStartingConsole();
