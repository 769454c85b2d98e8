#include "shell/key_input.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files/files.h"
#include "platform/window/desktop_conventions.h"
#include "shell/controller.h"
#include "shell/screen_flow.h"

namespace {

constexpr std::uint64_t kMaxBindingsBytes = 64 * 1024;
constexpr std::size_t kMostProblemLines = 3;

std::string Labels(KeyAction action)
{
    std::string text;
    for (std::uint16_t position : Input.keyBindings.keys[static_cast<int>(action)]) {
        if (position != 0) {
            text += (text.empty() ? "" : "/") + KeyLabel(position);
        }
    }
    return text.empty() ? "-" : text;
}

std::string FootLine(KeyAction up, KeyAction left, KeyAction down, KeyAction right, KeyAction grip)
{
    return Labels(up) + " " + Labels(left) + " " + Labels(down) + " " + Labels(right) + ", grip " + Labels(grip);
}

}  // namespace

void NoteNewMessage(const MSG& message)
{
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        const int position = KeyPositionOf(message.lParam);
        if (position != 0) {
            Input.keyHeld[position] = down;
        }
        // Alt+Enter arrives as a system key and toggles full screen instead.
        if (message.message == WM_KEYDOWN && (message.lParam & KF_REPEAT_BIT) == 0 && KeyAdvancesScreens(position)) {
            Input.keyTapped = true;
        }
        if (message.message == WM_KEYDOWN && (message.lParam & KF_REPEAT_BIT) == 0 && LevelOfKey(position) >= 0) {
            Input.levelKey = LevelOfKey(position);
        }
        break;
    }
    case WM_LBUTTONDOWN: Input.clickTapped = true; break;
    default: break;
    }
}

void NoteControllerPress()
{
    const bool down = GamePad.present && ControllerButton(0);
    if (down && !Input.buttonHeld) {
        Input.buttonTapped = true;
    }
    Input.buttonHeld = down;
}

void ForgetTaps()
{
    Input.clickTapped = false;
    Input.keyTapped = false;
    Input.buttonTapped = false;
    Input.levelKey = -1;
}

void ResetKeyInput()
{
    Input.Reset();
    ForgetTaps();
}

SteeringInput ControllerSteering()
{
    SteeringInput controller;
    controller.lx = GamePad.state.lX;
    controller.ly = GamePad.state.lY;
    controller.rx = GamePad.state.lRx;
    controller.ry = GamePad.state.lRy;
    controller.leftGrip = GamePad.state.rgbButtons[4] != 0;
    controller.rightGrip = GamePad.state.rgbButtons[5] != 0;
    return controller;
}

SteeringInput ReadSteering()
{
    return CombineSteering(ControllerSteering(), SteeringFromKeys(Input.keyHeld, Input.keyBindings));
}

std::string KeyBindingsPath()
{
    const std::string folder = PlayerFilesFolder();
    return folder.empty() ? folder : folder + "/keys.txt";
}

void LoadKeyBindings()
{
    Input.keyBindings = DefaultKeyBindings();
    const std::string path = KeyBindingsPath();
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;  // no file: the defaults
    }
    std::vector<std::uint8_t> bytes;
    std::string problem;
    if (!ReadRegularFile(path.c_str(), kMaxBindingsBytes, &bytes, &problem)) {
        std::fprintf(stderr, "Tarnwick: %s; using the default keys\n", problem.c_str());
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    KeyBindings bindings = DefaultKeyBindings();
    std::vector<std::string> problems;
    ParseKeyBindings(text, KeyPositionFromName, bindings, problems);
    // A few lines at most, whatever was fed to the file.
    for (std::size_t i = 0; i < problems.size() && i < kMostProblemLines; ++i) {
        std::fprintf(stderr, "Tarnwick: %s: %s; that line is left out\n", path.c_str(), problems[i].c_str());
    }
    if (problems.size() > kMostProblemLines) {
        std::fprintf(stderr, "Tarnwick: %s: %zu more bad lines left out\n", path.c_str(),
                     problems.size() - kMostProblemLines);
    }
    Input.keyBindings = bindings;
}

std::string SteeringKeysLine()
{
    return "left foot " +
           FootLine(KeyAction::LeftUp, KeyAction::LeftLeft, KeyAction::LeftDown, KeyAction::LeftRight,
                    KeyAction::LeftGrip) +
           "; right foot " +
           FootLine(KeyAction::RightUp, KeyAction::RightLeft, KeyAction::RightDown, KeyAction::RightRight,
                    KeyAction::RightGrip);
}

std::string ControlsLine(const char* controllerName)
{
    const std::string keys = SteeringKeysLine();
    if (controllerName == nullptr) {
        return "Tarnwick: no controller found; the keyboard steers: " + keys;
    }
    return std::string("Tarnwick: controller \"") + controllerName + "\" steers; so does the keyboard: " + keys;
}
