#include <cstdio>

#include "platform/files/user_state.h"
#include "platform/window/display_loss.h"
#include "platform/window/desktop_conventions.h"
#include "platform/window/window.h"
#include "shell/command_line.h"
#include "shell/device_setup.h"
#include "shell/key_input.h"
#include "shell/message_loop.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>

#include "creature/creature.h"
#include "shell/game_state.h"

// Read by the browser checks (tests/web): the screen showing and where the body is.
extern "C" EMSCRIPTEN_KEEPALIVE int TarnwickScreen() { return static_cast<int>(Session.screen); }
extern "C" EMSCRIPTEN_KEEPALIVE float TarnwickBodyX()
{
    return Creature.body != nullptr ? Creature.body->position.x : 0.0f;
}
#endif

#if TARNWICK_FULL_SCREEN
constexpr const char* kProgramName = "Tarnwick";
#else
constexpr const char* kProgramName = "TarnwickWindowed";
#endif

#ifndef __EMSCRIPTEN__  // a page always has its canvas
namespace {

// Early and cheap: without a display SDL would try one back end after another, warn about
// unrelated things and may go on invisibly.
bool DisplayReady()
{
#if defined(_WIN32)
    // Windows always has its desktop; should the video still not start, the device says why.
    return true;
#else
    const DisplayEnvironment environment = ReadDisplayEnvironment();
    std::string line = NoDisplayLine(environment);
    if (line.empty() && StartDesktopVideo() == FALSE) {
        const bool x11 = environment.display != nullptr && environment.display[0] != '\0';
        line = std::string("Tarnwick: cannot start: no display (") +
               (x11 ? std::string("DISPLAY=") + environment.display
                    : std::string("WAYLAND_DISPLAY=") +
                          (environment.waylandDisplay != nullptr ? environment.waylandDisplay : "")) +
               " cannot be opened)\n";
    }
    if (!line.empty()) {
        ReportStartupRefusal(line);
        return false;
    }
    return true;
#endif
}

}  // namespace
#endif

// The presentation is chosen when building; the command line only offers help and version.
int main(int argc, char** argv)
{
    UseStartingConsole();
    EndOnDisplayLoss("Tarnwick: the display went away\n");
    const CommandLineResult command = ParseCommandLine(argc, argv, kProgramName, TARNWICK_VERSION,
                                                       HelpPlaces{KeysFileForHelp(), ProgressFileForHelp()});
    switch (command.action) {
    case CommandLineAction::Help:
        // The keys in effect, with the player's bindings file applied.
        LoadKeyBindings();
        std::printf("%s\nKeys in effect: %s\n", command.text.c_str(), SteeringKeysLine().c_str());
        return 0;
    case CommandLineAction::Version: std::fputs(command.text.c_str(), stdout); return 0;
    case CommandLineAction::Refuse: std::fputs(command.text.c_str(), stderr); return 2;
    case CommandLineAction::Play: break;
    }
#ifndef __EMSCRIPTEN__
    if (!DisplayReady()) {
        return 1;
    }
#endif
    Startup.fullScreenPresentation = TARNWICK_FULL_SCREEN != 0;
    return RunGame();
}
