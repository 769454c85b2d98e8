#pragma once

// Private to src/platform: what the window table, the message queue and the controller share,
// and the translation of one SDL event into the Win32 messages it stands for. The translation
// is pure (no SDL state is read), so tests can feed it made-up events.

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

// Drops the messages queued for a window that is going away.
void DropQueued(HWND window);

// A lost display connection ends the program (display_loss.h). Called before the video
// starts, so a loss during SDL's own start is caught, and again after, for a library SDL
// loaded only then.
void WatchDisplay();
// Where a loss shows only as a state of the connection (Wayland): looked at after each pump.
void CheckDisplay();

}  // namespace window_internal

struct TranslatedMessage {
    Uint32 sdlWindowId;  // 0 with WM_CLOSE from SDL_QUIT: every window
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;  // delivered to the procedure at once (close, focus, size) rather than queued
};

constexpr int kMaxTranslatedMessages = 8;

// Returns the number of messages written. Mouse messages carry the point alone; only the left
// button has messages. A control character (Enter, Esc, Backspace, Tab, Ctrl+letter) comes as
// WM_CHAR right after its key-down; printable ones come from SDL_TEXTINPUT, one per code point.
int TranslateSdlEvent(const SDL_Event& event, TranslatedMessage* out, int capacity);

// Win32's virtual-key code for an SDL key, VK_UNMAPPED when there is none.
WPARAM VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);
