#pragma once

// The program's window, start-up order and message loop, shared by both programs and the
// headless runner.

#include "platform/window/window.h"

constexpr const char* kWindowClassName = "Zubo Proto";
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// Destroying the window shuts the graphics down and ends the loop.
LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Maps the loop's message record into the input state (the new message or the previous one
// again). Returns false when the loop must end: Esc pressed (not a repeat), or WM_QUIT.
bool MapMessage(const MSG& message);

enum class LoopPass { Dispatched, RanFrame, Quit, Waited };
// One pass: dispatch a waiting message or run a frame (restarting the music if it stopped),
// poll the controller, map the message record.
LoopPass RunLoopPass(MSG& message);

// Start-up up to the loop: quit signals caught, class, hidden window, reset, music, device,
// cursor, vertex buffer, window shown. `window` is the window made (null if none); the result is
// SetupDevice's, and on failure the window stays hidden.
HRESULT StartGame(HWND& window);
// The end of every run: Shutdown, then the class goes.
void EndGame();

// The whole program: 0 after a normal quit; 1 after a failed start-up, which is reported in
// one line on stderr.
int RunGame();
