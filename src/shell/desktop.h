#pragma once

// How the programs live on a desktop, beyond the game itself: their title and icon, the
// switch between window and full screen, the music's mute key, and resting while the player
// is in another window.

#include "platform/window/window.h"
#include "shell/message_loop.h"

constexpr const char* kWindowTitle = "Tarnwick";
// Resizable and maximisable; the picture keeps its proportion inside (the graphics layer
// draws bars).
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr const char* kIconFile = "data/icon64.png";

// Finds the icon with the media search and shows it for the window. Without it the game
// goes on unchanged.
void SetGameIcon(HWND window);
// After the window is gone.
void ReleaseGameIcon();

// F11 and Alt+Enter switch between window and full screen; M turns the music off and on.
// Acts on the first key-down only (not on repeats). True when the message was one of these.
bool HandleDesktopKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// F11 belongs to the desktop: it must not count as the game's key press.
bool IsDesktopKey(const MSG& message);

// The player is elsewhere: the window has lost the focus or is minimised.
bool IsAway(HWND window);
// The programs' pass: RunLoopPass, except that while away no frame runs and the process
// sleeps until a message comes (music plays on). Headless tools call RunLoopPass directly.
LoopPass RunProgramPass(HWND window, MSG& message);
