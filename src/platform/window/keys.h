#pragma once

// Keys by where they sit on the keyboard, whatever its layout: a key message carries the
// key's position (its USB HID usage id, as SDL numbers scancodes) in lParam bits 16 to 24,
// where Win32 keeps the scan code. Positions have US-keyboard names ("T", "Space", "Up",
// "Right Ctrl"); what the player's own keyboard shows on a key may differ and is asked for
// separately.

#include <string>

#include "platform/platform_types.h"

constexpr int kKeyPositionCount = 512;
constexpr int kKeyPositionShift = 16;

// The position a key message's lParam names; 0 when the key's position is unknown.
constexpr int KeyPositionOf(LPARAM lParam) { return static_cast<int>((lParam >> kKeyPositionShift) & 0x1FF); }

// The position with that US-keyboard name, case-insensitive; 0 for a name no key has.
int KeyPositionFromName(const char* name);
// What the player's keyboard shows on the key at that position under its current layout
// ("Z" for the US "W" key on a French keyboard); the US name where the layout says nothing.
std::string KeyLabel(int position);

// Positions the game's default keys use (USB HID usage ids).
constexpr int kKeyF = 9;
constexpr int kKeyG = 10;
constexpr int kKeyH = 11;
constexpr int kKeyT = 23;
constexpr int kKeyW = 26;
constexpr int kKey1 = 30;  // then 2 to 9 and 0
constexpr int kKeyEnter = 40;
constexpr int kKeyEscape = 41;
constexpr int kKeyBackspace = 42;
constexpr int kKeySpace = 44;
constexpr int kKeyRight = 79;
constexpr int kKeyLeft = 80;
constexpr int kKeyDown = 81;
constexpr int kKeyUp = 82;
constexpr int kKeyPadEnter = 88;
constexpr int kKeyPad1 = 89;  // then 2 to 9 and 0
constexpr int kKeyRightCtrl = 228;
constexpr int kKeyRightShift = 229;
