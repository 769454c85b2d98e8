#pragma once

// What the programs make of their arguments and of the environment before anything starts.
// Pure: no device, window or file is touched, so every case is tested directly.

#include <string>

enum class CommandLineAction { Play, Help, Version, Refuse };

struct CommandLineResult {
    CommandLineAction action = CommandLineAction::Play;
    // Help: the usage text; Version: one line; Refuse: the one line to print (exit 2).
    std::string text;
};

// Where the help says the player's own files are; each system has its own places.
struct HelpPlaces {
    const char* keysFile = "";
    const char* progressFile = "";
};

// `program` is the name the usage shows (Tarnwick or TarnwickWindowed). No option changes how
// the game plays: the only choices are help and version.
CommandLineResult ParseCommandLine(int argc, const char* const* argv, const char* program, const char* version,
                                   const HelpPlaces& places);

// The environment variables that decide whether there is a display to open.
struct DisplayEnvironment {
    const char* display = nullptr;         // DISPLAY
    const char* waylandDisplay = nullptr;  // WAYLAND_DISPLAY
    const char* videoDriver = nullptr;     // SDL_VIDEODRIVER
};

DisplayEnvironment ReadDisplayEnvironment();

// Empty when a display may be there; otherwise the one line to print (exit 1). A video
// driver chosen by name that needs no display server (offscreen, dummy, kmsdrm) is trusted.
std::string NoDisplayLine(const DisplayEnvironment& environment);
