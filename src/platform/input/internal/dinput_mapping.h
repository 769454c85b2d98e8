#pragma once

// Private to src/platform: SDL's standard controller layout as a DIJOYSTATE2. Pure, so the
// mapping is tested without a device.

#include <SDL.h>

#include "platform/input/dinput.h"

struct AxisRange {
    LONG min;
    LONG max;
};

// The device's own range before SetProperty, as DirectInput's.
constexpr AxisRange kDefaultAxisRange{0, 65535};

// Axis objects in instance order; their values land at these DIJOYSTATE2 fields.
enum ControllerAxis { kAxisX, kAxisY, kAxisZ, kAxisRx, kAxisRy, kAxisRz, kAxisCount };

// Buttons in DIJOYSTATE2 order: A, B, X, Y, left shoulder, right shoulder, back, start, left
// stick, right stick, guide, misc, four paddles, touchpad.
constexpr int kControllerButtonCount = 17;

struct RawControllerState {
    Sint16 axes[SDL_CONTROLLER_AXIS_MAX];
    Uint8 buttons[SDL_CONTROLLER_BUTTON_MAX];
};

// A stick from SDL's -32768..32767 onto [min, max], linear and rounded; no dead zone.
LONG ScaleStickAxis(Sint16 value, AxisRange range);
// A trigger from SDL's 0..32767 onto [min, max].
LONG ScaleTriggerAxis(Sint16 value, AxisRange range);

// Sticks: left -> lX/lY, right -> lRx/lRy (y positive downwards, as SDL's). Triggers: left ->
// lZ, right -> lRz. The d-pad is POV 0; the other POVs stay centred. A pressed button is 0x80.
void MapControllerState(const RawControllerState& raw, const AxisRange ranges[kAxisCount], DIJOYSTATE2* state);

// SDL's button for each DIJOYSTATE2 button index.
SDL_GameControllerButton ControllerButtonAt(int index);
