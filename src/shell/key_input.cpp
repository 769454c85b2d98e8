#include "shell/key_input.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files/files.h"
#include "platform/window/desktop_conventions.h"
#include "shell/controller.h"


namespace {

constexpr std::uint64_t kMaxBindingsBytes = 64 * 1024;

// A key with a character is only known as one when its character message follows: until
// then its press is kept provisionally, and what was kept before it is remembered.
bool AwaitingCharacter = false;
bool TappedBeforeKey = false;

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
    const bool awaiting = AwaitingCharacter;
    AwaitingCharacter = false;
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
        if (message.message != WM_KEYDOWN || (message.lParam & KF_REPEAT_BIT) != 0) {
            break;
        }
        const WPARAM vk = message.wParam & 0xFFFF;
        if (vk == VK_ESCAPE || vk == 0x57) {
            break;  // Esc quits, W goes to the title: neither also advances
        }
        TappedBeforeKey = Input.keyTapped;
        Input.keyTapped = true;
        AwaitingCharacter = vk != VK_SPACE && vk != VK_RETURN;
        break;
    }
    case WM_CHAR:
        // The key-down just kept typed a character: it does not advance after all.
        if (awaiting) {
            Input.keyTapped = TappedBeforeKey;
        }
        break;
    case WM_LBUTTONDOWN: Input.clickTapped = true; break;
    default: break;
    }
}

void ForgetTaps()
{
    Input.clickTapped = false;
    Input.keyTapped = false;
    AwaitingCharacter = false;
}

void ResetKeyInput()
{
    Input.Reset();
    ForgetTaps();
}

SteeringInput ReadSteering()
{
    SteeringInput controller;
    controller.lx = GamePad.state.lX;
    controller.ly = GamePad.state.lY;
    controller.rx = GamePad.state.lRx;
    controller.ry = GamePad.state.lRy;
    controller.leftGrip = GamePad.state.rgbButtons[4] != 0;
    controller.rightGrip = GamePad.state.rgbButtons[5] != 0;
    return CombineSteering(controller, SteeringFromKeys(Input.keyHeld, Input.keyBindings));
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
    if (!ParseKeyBindings(text, KeyPositionFromName, bindings, problem)) {
        std::fprintf(stderr, "Tarnwick: %s: %s; using the default keys\n", path.c_str(), problem.c_str());
        return;
    }
    Input.keyBindings = bindings;
}

std::string ControlsLine(const char* controllerName)
{
    const std::string keys =
        "left foot " + FootLine(KeyAction::LeftUp, KeyAction::LeftLeft, KeyAction::LeftDown, KeyAction::LeftRight,
                                KeyAction::LeftGrip) +
        "; right foot " +
        FootLine(KeyAction::RightUp, KeyAction::RightLeft, KeyAction::RightDown, KeyAction::RightRight,
                 KeyAction::RightGrip);
    if (controllerName == nullptr) {
        return "Tarnwick: no controller found; the keyboard steers: " + keys;
    }
    return std::string("Tarnwick: controller \"") + controllerName + "\" steers; so does the keyboard: " + keys;
}
