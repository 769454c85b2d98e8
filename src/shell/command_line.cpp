#include "shell/command_line.h"

#include <cstdlib>
#include <cstring>

namespace {

std::string Usage(const char* program, const HelpPlaces& places)
{
    std::string text = "Usage: ";
    text += program;
    text += R"( [--help | --version]

Guide a soft-bodied creature on two jointed legs through eight levels.

Controls (keyboard, by key position; or a controller, plugged in at any time):
  T F G H / arrow keys       move the left / right foot (up, left, down, right)
  Space / Right Ctrl or Right Shift
                             grip with the left / right foot
  left stick / right stick   move the left / right foot (controller)
  LB / RB                    grip with the left / right foot (controller)
  A                          confirm
  B                          leave the retry screen for the title
  Space, Enter, a click, A   advance the picture screens (a press held from play
                             never does)
  1 to 8                     on the title: start at a level already reached
  Backspace, or W when no foot is bound to it
                             return to the title
  M                          music off / on
  F11 or Alt+Enter           switch between the window and full screen
  Esc                        quit
While the window is in the background or minimised the game is paused.

Data: myshader.fx and data/ are looked for in the working folder, beside the
program and in the folders above both (also under media/), then in
../share/tarnwick/ beside the program, where an installed copy keeps them.
The music, data/VelmoraMusic.wav, comes from the working folder if it is
there, otherwise from beside the program or from ../share/tarnwick/.
Keys: )";
    text += places.keysFile;
    text += R"(, if
present, binds other keys to the feet and grips; a bad line is named and left
out. Its format is in the README installed with the game (README.md in
../share/doc/tarnwick/ beside the program; README.txt beside it on Windows).
Progress: the furthest level reached and each level's best time are kept in
)";
    text += places.progressFile;
    text += R"(,
or $TARNWICK_STATE_DIR/progress.txt when that is set.

Environment:
  DISPLAY, WAYLAND_DISPLAY   the desktop to open; without either there is none
  SDL_VIDEODRIVER            x11 or wayland, or offscreen for no window
  SDL_AUDIODRIVER            pulseaudio, pipewire, alsa, or dummy for silence
  SDL_GAMECONTROLLERCONFIG   extra controller mappings, in SDL's mapping format
  LIBGL_ALWAYS_SOFTWARE=1    Mesa's software renderer, for a graphics driver
                             without OpenGL 3.3
)";
    text += program;
    text +=
        " reads no other option and writes no file but the progress file.\n"
        "Exit codes: 0 after quitting, 1 when it cannot start (one line says why),\n"
        "2 for an unknown option.\n";
    return text;
}

bool Set(const char* value) { return value != nullptr && value[0] != '\0'; }

// SDL takes a comma-separated list of driver names.
bool NamesOnly(const char* drivers, const char* a, const char* b)
{
    const char* p = drivers;
    while (*p != '\0') {
        const char* end = std::strchr(p, ',');
        const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
        const bool isA = length == std::strlen(a) && std::strncmp(p, a, length) == 0;
        const bool isB = length == std::strlen(b) && std::strncmp(p, b, length) == 0;
        if (length > 0 && !isA && !isB) {
            return false;
        }
        p += length;
        if (*p == ',') {
            ++p;
        }
    }
    return true;
}

}  // namespace

CommandLineResult ParseCommandLine(int argc, const char* const* argv, const char* program, const char* version,
                                   const HelpPlaces& places)
{
    CommandLineResult result;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i] != nullptr ? argv[i] : "";
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return {CommandLineAction::Help, Usage(program, places)};
        }
        if (std::strcmp(arg, "--version") == 0) {
            result = {CommandLineAction::Version, std::string(program) + " " + version + "\n"};
            continue;
        }
        const char* kind = arg[0] == '-' ? "unknown option" : "unexpected argument";
        return {CommandLineAction::Refuse,
                std::string("Tarnwick: ") + kind + " '" + arg + "' (try " + program + " --help)\n"};
    }
    return result;
}

DisplayEnvironment ReadDisplayEnvironment()
{
    return {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("SDL_VIDEODRIVER")};
}

std::string NoDisplayLine(const DisplayEnvironment& environment)
{
    const bool x11 = Set(environment.display);
    const bool wayland = Set(environment.waylandDisplay);
    if (Set(environment.videoDriver) && !NamesOnly(environment.videoDriver, "x11", "wayland")) {
        return {};
    }
    if (x11 || wayland) {
        if (!Set(environment.videoDriver)) {
            return {};
        }
        // Chosen by name: the chosen server must be there.
        const bool wantsX11 = !NamesOnly(environment.videoDriver, "wayland", "wayland");
        const bool wantsWayland = !NamesOnly(environment.videoDriver, "x11", "x11");
        if ((wantsX11 && x11) || (wantsWayland && wayland)) {
            return {};
        }
        return std::string("Tarnwick: cannot start: no display (SDL_VIDEODRIVER is ") + environment.videoDriver +
               (wantsX11 ? " and DISPLAY is unset)\n" : " and WAYLAND_DISPLAY is unset)\n");
    }
    return "Tarnwick: cannot start: no display (DISPLAY and WAYLAND_DISPLAY are unset)\n";
}
