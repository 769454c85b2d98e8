#pragma once

// The game controller: the first attached one, read once per pass of the message loop. A
// missing controller is no error; the state then stays all zero (sticks centred, no button).

#include "platform/input/dinput.h"

struct GameController {
    IDirectInput8W* directInput = nullptr;
    IDirectInputDevice8W* device = nullptr;
    DIJOYSTATE2 state{};
    // Whether button 0 may count as a key press. Goes from true to false after a failed
    // state read, never back.
    bool present = true;
    // The product name of the controller in use; "" while there is none.
    char name[kDiNameLength] = {};
    // The window set-up was given, for controllers plugged in later, and the passes until
    // the next look for one.
    HWND window = nullptr;
    int passesUntilLook = 0;

    // Lets go of the controller objects and puts everything back to how the process starts.
    // The game never calls it (the objects end with the process); tests and tools run set-up
    // more than once.
    void Reset();
};
extern GameController GamePad;

// Finds and prepares the first controller that can be created; its axes get -1000..1000.
// The first failing call's result, or 0 (also when no controller is attached).
HRESULT SetupController(HWND window);
// Reads the controller into GamePad.state; re-acquires instead when Poll fails. One that
// was unplugged is let go (its state reads all zero again); while there is none, every
// thirtieth pass looks for one plugged in since and prepares it as set-up does.
void PollController();
// Whether the controller's button is down, as the last poll read it.
bool ControllerButton(int index);
