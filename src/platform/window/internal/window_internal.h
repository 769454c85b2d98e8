#pragma once

// Private to src/platform: what the window table, the message queue and the controller share.

#include <SDL.h>

#include "platform/window/window.h"
#include "platform/window/internal/window_handle.h"

namespace window_internal {

constexpr int kMaxWindows = 8;

// Starts SDL's video once for the process; false when it cannot.
bool EnsureVideo();

bool IsLive(HWND window);
// The live window SDL knows by this id, or null.
HWND FromSdlId(Uint32 sdlId);
HWND WindowAt(int slot);  // the slot's window when live, else null

// Calls the window's procedure at once (a sent message); 0 for a dead window.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Focus as the window layer tracks it: activating ShowWindow and SDL's focus events set it,
// hiding and SDL's focus loss clear it, sending WM_SETFOCUS / WM_KILLFOCUS on a change.
void SetFocus(HWND window, bool focused);
bool HasFocus(HWND window);

// SetWindowFullScreen for any of the layer's windows, the graphics device's included.
bool SwitchFullScreen(PlatformWindow* window, bool fullScreen);

// WM_SETICON's default: shows `icon` for the window; returns the previous icon.
LRESULT SetIcon(HWND window, HICON icon);

// Drops the messages queued for a window that is going away.
void DropQueued(HWND window);

// True once for each time it is asked after one or more quit signals arrived.
bool TakeQuitSignal();

}  // namespace window_internal
