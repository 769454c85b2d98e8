#pragma once

// What the message loop makes of the mouse, the keys and controller button 0, once per pass.

#include <cstdint>

#include "platform/window/keys.h"
#include "shell/key_steering.h"

struct PointerSize {
    float width;
    float height;
};

constexpr PointerSize kWindowedPointerSpan{635.0f, 450.0f};
constexpr PointerSize kFullScreenPointerSpan{1152.0f, 864.0f};

struct InputState {
    // 635 x 450 in the windowed program; the full-screen set-up makes it 1152 x 864.
    PointerSize pointerSpan = kWindowedPointerSpan;
    // The left mouse button is down.
    int clickHeld = 0;
    // The message mapped in this pass was a key-down, or controller button 0 is down.
    bool keyPressed = false;
    // Key positions held down now.
    bool keyHeld[kKeyPositionCount] = {};
    // The keys that steer; the defaults unless a bindings file changed them.
    KeyBindings keyBindings = DefaultKeyBindings();
    // Since the last frame: the left button went down, Space or Enter did (not a repeat), or
    // controller button A did. Kept until a frame has run.
    bool clickTapped = false;
    bool keyTapped = false;
    bool buttonTapped = false;
    // The level a number key named since the last frame (LevelOfKey), or -1.
    std::int32_t levelKey = -1;
    // Controller button A as the last pass saw it, to tell a new press from a held one.
    bool buttonHeld = false;

    void Reset() { *this = InputState{}; }
};
extern InputState Input;
