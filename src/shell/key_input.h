#pragma once

// What the loop keeps of each message it retrieves, beside the input state it maps in every
// pass: the keys held down (by position) for steering, and the presses that must not be
// lost when a press and its release both arrive between two frames.

#include <string>

#include "platform/window/window.h"
#include "shell/input_state.h"
#include "shell/key_steering.h"

// Takes one newly retrieved message into the key state and the kept presses. Called once
// per message, where MapMessage maps the last message again in every pass.
void NoteNewMessage(const MSG& message);
// Notes a press of controller button A since the last pass; called after every poll.
void NoteControllerPress();
// A frame has seen the kept presses.
void ForgetTaps();
// The whole input state back to how the process starts, no press kept (tests and tools run
// the game more than once).
void ResetKeyInput();

// The controller's sticks and grips (buttons 4 and 5), as the last poll read them.
SteeringInput ControllerSteering();
// The sticks and grips a playing frame reads: the controller's and the keys' combined by
// CombineSteering.
SteeringInput ReadSteering();

// $XDG_CONFIG_HOME/tarnwick/keys.txt, or ~/.config/tarnwick/keys.txt; "" when neither
// variable is set.
std::string KeyBindingsPath();
// Reads the bindings file if there is one. A bad one leaves the defaults in place and is
// reported in one line on stderr naming the file, the line and the problem.
void LoadKeyBindings();

// The steering keys in effect as the player's keyboard labels them: "left foot T F G H, grip
// Space; right foot ...".
std::string SteeringKeysLine();

// One line for the player: the controller found (or none, and the keyboard steers) and the
// steering keys as the player's keyboard labels them.
std::string ControlsLine(const char* controllerName);
