#pragma once

// What the message loop makes of the mouse, the keys and controller button 0, once per pass.

#include <cstdint>

struct PointerSize {
    float width;
    float height;
};

// 635 x 450 in the windowed program; the full-screen set-up makes it 1152 x 864.
extern PointerSize PointerSpan;
constexpr PointerSize kWindowedPointerSpan{635.0f, 450.0f};
constexpr PointerSize kFullScreenPointerSpan{1152.0f, 864.0f};
// The left mouse button is down.
extern int ClickHeld;
// The message mapped in this pass was a key-down, or controller button 0 is down.
extern bool KeyPressed;
