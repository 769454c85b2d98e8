#include "shell/command_line.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

CommandLineResult Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "TarnwickWindowed");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), "TarnwickWindowed", "0.1",
                            HelpPlaces{"C:\\K\\keys.txt", "C:\\P\\progress.txt"});
}

TEST(CommandLine, OptionsAndTheirActions)
{
    const struct {
        std::vector<const char*> args;
        CommandLineAction action;
        const char* text;  // the whole text, or (for help) a line it must hold
    } cases[] = {
        {{}, CommandLineAction::Play, ""},
        {{"--version"}, CommandLineAction::Version, "TarnwickWindowed 0.1\n"},
        {{"--help"}, CommandLineAction::Help, "Usage: TarnwickWindowed [--help | --version]\n"},
        {{"-h"}, CommandLineAction::Help, "  Esc                        quit\n"},
        {{"--version", "--help"}, CommandLineAction::Help, "  SDL_VIDEODRIVER "},
        {{"--help", "--frobnicate"}, CommandLineAction::Help, "../share/tarnwick/"},
        {{"--help"}, CommandLineAction::Help, "Keys: C:\\K\\keys.txt, if\npresent, binds"},
        {{"--help"}, CommandLineAction::Help, "are kept in\nC:\\P\\progress.txt,\nor $TARNWICK_STATE_DIR"},
        {{"--frobnicate"},
         CommandLineAction::Refuse,
         "Tarnwick: unknown option '--frobnicate' (try TarnwickWindowed --help)\n"},
        {{"--version", "-x"},
         CommandLineAction::Refuse,
         "Tarnwick: unknown option '-x' (try TarnwickWindowed --help)\n"},
        {{"level3"},
         CommandLineAction::Refuse,
         "Tarnwick: unexpected argument 'level3' (try TarnwickWindowed --help)\n"},
        {{""}, CommandLineAction::Refuse, "Tarnwick: unexpected argument '' (try TarnwickWindowed --help)\n"},
    };
    for (const auto& c : cases) {
        const CommandLineResult result = Parse(c.args);
        const std::string label = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result.action, c.action) << label;
        if (c.action == CommandLineAction::Help) {
            EXPECT_NE(result.text.find(c.text), std::string::npos) << label << ":\n" << result.text;
        } else {
            EXPECT_EQ(result.text, c.text) << label;
        }
    }
}

TEST(CommandLine, HelpNamesEveryKeyAndVariable)
{
    const std::string help = Parse({"--help"}).text;
    for (const char* word : {"W ", "M ", "F11", "Alt+Enter", "Esc", "DISPLAY", "WAYLAND_DISPLAY", "SDL_AUDIODRIVER",
                             "data/VelmoraMusic.wav", "Exit codes"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    // Readable in an 80-column terminal.
    for (std::size_t start = 0, end = 0; start < help.size(); start = end + 1) {
        end = help.find('\n', start);
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
    }
}

TEST(DisplayCheck, OneLineWhenNothingCanBeOpened)
{
    const std::string none = "Tarnwick: cannot start: no display (DISPLAY and WAYLAND_DISPLAY are unset)\n";
    const struct {
        const char* display;
        const char* wayland;
        const char* driver;
        std::string expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, none},
        {"", "", "", none},
        {":0", nullptr, nullptr, ""},
        {nullptr, "wayland-0", nullptr, ""},
        {nullptr, nullptr, "offscreen", ""},
        {nullptr, nullptr, "dummy", ""},
        {nullptr, nullptr, "kmsdrm", ""},
        {nullptr, nullptr, "x11", none},
        {nullptr, nullptr, "x11,wayland", none},
        {":0", nullptr, "x11", ""},
        {":0", nullptr, "x11,wayland", ""},
        {nullptr, "wayland-0", "x11,wayland", ""},
        {nullptr, "wayland-0", "x11",
         "Tarnwick: cannot start: no display (SDL_VIDEODRIVER is x11 and DISPLAY is unset)\n"},
        {":0", nullptr, "wayland",
         "Tarnwick: cannot start: no display (SDL_VIDEODRIVER is wayland and WAYLAND_DISPLAY is unset)\n"},
        {nullptr, nullptr, "x11,offscreen", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NoDisplayLine({c.display, c.wayland, c.driver}), c.expected)
            << (c.display ? c.display : "-") << " " << (c.wayland ? c.wayland : "-") << " "
            << (c.driver ? c.driver : "-");
    }
}

}  // namespace
