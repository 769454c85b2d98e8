#pragma once

// Private to src/platform: what the window table, the message queue and the controller share.

#include <SDL.h>

#include <span>

#include "platform/window/window.h"
#include "platform/window/internal/window_handle.h"

namespace window_internal {

// Starts SDL's video once for the process; false when it cannot.
bool EnsureVideo();

// The window table's slots; a handle points at one.
std::span<PlatformWindow> Slots();
bool IsLive(HWND window);

// The first live window `match` accepts, or null.
template <class Match>
HWND FindLive(Match match)
{
    for (PlatformWindow& slot : Slots()) {
        if (slot.live && match(slot)) {
            return &slot;
        }
    }
    return nullptr;
}

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

}  // namespace window_internal
