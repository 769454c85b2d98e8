#pragma once

// The keyboard as a second source of the two sticks and two grips: which key positions steer
// which foot, the bindings file that may change them, and how the keys and a controller act
// together. Pure: key positions come in as numbers, names are looked up by the caller's
// function.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/keys.h"

enum class KeyAction : int {
    LeftUp,
    LeftDown,
    LeftLeft,
    LeftRight,
    LeftGrip,
    RightUp,
    RightDown,
    RightLeft,
    RightRight,
    RightGrip,
};
constexpr int kKeyActionCount = 10;
constexpr int kKeysPerAction = 2;

// For each action up to two key positions (0: none).
struct KeyBindings {
    std::uint16_t keys[kKeyActionCount][kKeysPerAction] = {};

    bool operator==(const KeyBindings&) const = default;
};

// Left foot T F G H (up, left, down, right) with Space to grip; right foot on the arrows with
// Right Ctrl or Right Shift to grip.
KeyBindings DefaultKeyBindings();

// What the frame reads of a controller: the stick axes (-1000..1000, y down) and the grips
// (buttons 4 and 5, which also give the fast steering).
struct SteeringInput {
    std::int32_t lx = 0;
    std::int32_t ly = 0;
    std::int32_t rx = 0;
    std::int32_t ry = 0;
    bool leftGrip = false;
    bool rightGrip = false;

    bool operator==(const SteeringInput&) const = default;
};

constexpr std::int32_t kKeyDeflection = 1000;

// A held direction key pushes its axis fully; opposite keys together cancel.
// `held` has kKeyPositionCount entries.
SteeringInput SteeringFromKeys(const bool* held, const KeyBindings& bindings);

// Keys and controller together: per axis the larger deflection (the controller's on a tie,
// so with no key held the controller's values pass unchanged); a grip is held if either holds it.
SteeringInput CombineSteering(const SteeringInput& controller, const SteeringInput& keys);

// The bindings file: "ACTION = KEY" or "ACTION = KEY, KEY" lines, '#' comments, blank lines;
// KEY is a US-keyboard key name. Applies each good line onto `bindings`: an action not named
// keeps its keys, except one the file gives to another action. A bad line is skipped and
// named in `problems` ("line N: problem"); true when there was none.
using KeyNameLookup = int (*)(const char* name);
bool ParseKeyBindings(std::string_view text, KeyNameLookup lookup, KeyBindings& bindings,
                      std::vector<std::string>& problems);

// Whether a key steers with these bindings (W then steers instead of going to the title).
bool KeyIsBound(const KeyBindings& bindings, int position);
