#include "shell/key_steering.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kActionNames[kKeyActionCount] = {
    "left-foot-up",  "left-foot-down",  "left-foot-left",  "left-foot-right",  "left-grip",
    "right-foot-up", "right-foot-down", "right-foot-left", "right-foot-right", "right-grip",
};

// Esc quits and Backspace always returns to the title: steering on them would do both.
bool Reserved(int position) { return position == kKeyEscape || position == kKeyBackspace; }

bool AnyHeld(const bool* held, const KeyBindings& bindings, KeyAction action)
{
    for (std::uint16_t position : bindings.keys[static_cast<int>(action)]) {
        if (position != 0 && position < kKeyPositionCount && held[position]) {
            return true;
        }
    }
    return false;
}

std::int32_t Axis(const bool* held, const KeyBindings& bindings, KeyAction negative, KeyAction positive)
{
    return (AnyHeld(held, bindings, positive) ? kKeyDeflection : 0) -
           (AnyHeld(held, bindings, negative) ? kKeyDeflection : 0);
}

std::int32_t Larger(std::int32_t controller, std::int32_t keys)
{
    return std::abs(keys) > std::abs(controller) ? keys : controller;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int ActionIndex(std::string_view name)
{
    for (int i = 0; i < kKeyActionCount; ++i) {
        if (name == kActionNames[i]) {
            return i;
        }
    }
    return -1;
}

}  // namespace

KeyBindings DefaultKeyBindings()
{
    KeyBindings b;
    auto set = [&b](KeyAction action, int first, int second = 0) {
        b.keys[static_cast<int>(action)][0] = static_cast<std::uint16_t>(first);
        b.keys[static_cast<int>(action)][1] = static_cast<std::uint16_t>(second);
    };
    set(KeyAction::LeftUp, kKeyT);
    set(KeyAction::LeftDown, kKeyG);
    set(KeyAction::LeftLeft, kKeyF);
    set(KeyAction::LeftRight, kKeyH);
    set(KeyAction::LeftGrip, kKeySpace);
    set(KeyAction::RightUp, kKeyUp);
    set(KeyAction::RightDown, kKeyDown);
    set(KeyAction::RightLeft, kKeyLeft);
    set(KeyAction::RightRight, kKeyRight);
    set(KeyAction::RightGrip, kKeyRightCtrl, kKeyRightShift);
    return b;
}

bool KeyIsBound(const KeyBindings& bindings, int position)
{
    for (const auto& keys : bindings.keys) {
        for (std::uint16_t key : keys) {
            if (key != 0 && key == position) {
                return true;
            }
        }
    }
    return false;
}

SteeringInput SteeringFromKeys(const bool* held, const KeyBindings& bindings)
{
    SteeringInput s;
    s.lx = Axis(held, bindings, KeyAction::LeftLeft, KeyAction::LeftRight);
    s.ly = Axis(held, bindings, KeyAction::LeftUp, KeyAction::LeftDown);
    s.rx = Axis(held, bindings, KeyAction::RightLeft, KeyAction::RightRight);
    s.ry = Axis(held, bindings, KeyAction::RightUp, KeyAction::RightDown);
    s.leftGrip = AnyHeld(held, bindings, KeyAction::LeftGrip);
    s.rightGrip = AnyHeld(held, bindings, KeyAction::RightGrip);
    return s;
}

SteeringInput CombineSteering(const SteeringInput& controller, const SteeringInput& keys)
{
    SteeringInput s;
    s.lx = Larger(controller.lx, keys.lx);
    s.ly = Larger(controller.ly, keys.ly);
    s.rx = Larger(controller.rx, keys.rx);
    s.ry = Larger(controller.ry, keys.ry);
    s.leftGrip = controller.leftGrip || keys.leftGrip;
    s.rightGrip = controller.rightGrip || keys.rightGrip;
    return s;
}

bool ParseKeyBindings(std::string_view text, KeyNameLookup lookup, KeyBindings& bindings,
                      std::vector<std::string>& problems)
{
    problems.clear();
    bool named[kKeyActionCount] = {};  // set by a good line of the file
    int line = 0;
    auto bad = [&](const std::string& what) { problems.push_back("line " + std::to_string(line) + ": " + what); };
    while (!text.empty()) {
        ++line;
        const std::size_t end = text.find('\n');
        std::string_view row = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (const std::size_t hash = row.find('#'); hash != std::string_view::npos) {
            row = row.substr(0, hash);
        }
        row = Trim(row);
        if (row.empty()) {
            continue;
        }
        const std::size_t equals = row.find('=');
        if (equals == std::string_view::npos) {
            bad("expected \"ACTION = KEY\", not \"" + std::string(row) + "\"");
            continue;
        }
        const std::string_view name = Trim(row.substr(0, equals));
        const int action = ActionIndex(name);
        if (action < 0) {
            bad("unknown action \"" + std::string(name) + "\"");
            continue;
        }
        if (named[action]) {
            bad(std::string(name) + " is bound twice");
            continue;
        }
        std::string_view keys = row.substr(equals + 1);
        int count = 0;
        std::uint16_t found[kKeysPerAction] = {};
        std::string problem;
        while (problem.empty()) {
            const std::size_t comma = keys.find(',');
            const std::string keyName(Trim(keys.substr(0, comma)));
            const int position = keyName.empty() ? 0 : lookup(keyName.c_str());
            if (keyName.empty()) {
                problem = "a key name is missing after " + std::string(name);
            } else if (count == kKeysPerAction) {
                problem = std::string(name) + " takes at most two keys";
            } else if (position <= 0 || position >= kKeyPositionCount) {
                problem = "unknown key \"" + keyName + "\"";
            } else if (Reserved(position)) {
                problem = "\"" + keyName + "\" is kept for " + (position == kKeyBackspace ? "the title" : "quitting");
            } else if (count == 1 && found[0] == position) {
                problem = "\"" + keyName + "\" is named twice";
            }
            for (int other = 0; problem.empty() && other < kKeyActionCount; ++other) {
                for (std::uint16_t held : bindings.keys[other]) {
                    if (named[other] && held == position && problem.empty()) {
                        problem = std::string("one key for both ") + kActionNames[other] + " and " + std::string(name);
                    }
                }
            }
            if (problem.empty()) {
                found[count++] = static_cast<std::uint16_t>(position);
            }
            if (comma == std::string_view::npos) {
                break;
            }
            keys = keys.substr(comma + 1);
        }
        if (!problem.empty()) {
            bad(problem);
            continue;
        }
        // The file's choice wins over a default it did not name: that action lets the key go.
        for (int other = 0; other < kKeyActionCount; ++other) {
            for (std::uint16_t& held : bindings.keys[other]) {
                if (other != action && !named[other] && (held == found[0] || held == found[1]) && held != 0) {
                    held = 0;
                }
            }
        }
        for (int i = 0; i < kKeysPerAction; ++i) {
            bindings.keys[action][i] = found[i];
        }
        named[action] = true;
    }
    return problems.empty();
}
