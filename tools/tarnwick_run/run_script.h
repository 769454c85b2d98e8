#pragma once

// Input scripts of the headless runner (and the replays it records): one command per line,
// "FRAME COMMAND ARGS...". The format is described in README.md next to this file.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// What RunFrame reads from the controller: the axes (-1000..1000, y down) and buttons 0, 1,
// 4 and 5.
struct PadState {
    std::int32_t lx = 0;
    std::int32_t ly = 0;
    std::int32_t rx = 0;
    std::int32_t ry = 0;
    bool b0 = false;
    bool b1 = false;
    bool b4 = false;
    bool b5 = false;

    bool operator==(const PadState&) const = default;
};

enum class ScriptKey { Escape, W, Space, A, Right, F1, Enter, T, F, G, H, Up, Down, Left, RightCtrl, RightShift };

enum class CommandKind {
    Pad,      // the controller state from this frame on
    NoPad,    // no controller attached (frame 0 only)
    Key,      // key-down (with its character, if any) and key-up, before the frame
    KeyDown,  // key-down alone: the key stays held
    KeyUp,
    Mouse,  // move to client pixel (x, y)
    Down,   // left button
    Up,
    Click,  // down before the frame, up before the next
    End,    // the run stops after this many frames
};

struct ScriptCommand {
    std::int64_t frame = 0;
    CommandKind kind = CommandKind::End;
    PadState pad;
    ScriptKey key = ScriptKey::Escape;
    std::int32_t x = 0;
    std::int32_t y = 0;
    int line = 0;
};

struct Script {
    std::vector<ScriptCommand> commands;  // in file order, frames non-decreasing
    bool noPad = false;
    std::int64_t endFrame = -1;  // -1: no end line
};

// false with "LINE: message" in `error` for the first bad line.
bool ParseScript(std::istream& in, Script& script, std::string& error);

// The key's name in scripts, and whether it types a character (Enter's comes from the
// platform's own translation, so it is not counted here).
const char* KeyName(ScriptKey key);
bool KeyTypesCharacter(ScriptKey key);
// The key's position on the keyboard (its USB HID usage id) and the script key there.
int KeyPosition(ScriptKey key);
bool ScriptKeyAt(int position, ScriptKey& key);

// "FRAME pad LX LY RX RY B0 B1 B4 B5"
std::string FormatPadLine(std::int64_t frame, const PadState& pad);
