#pragma once

// Private to src/platform: one SDL event in, the Win32 messages it stands for out. Pure: no
// SDL state is read, so tests can feed it made-up events.

#include <SDL.h>

#include "platform/window/window.h"

struct TranslatedMessage {
    Uint32 sdlWindowId;  // 0 with WM_CLOSE from SDL_QUIT: every window
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool sent;  // delivered to the procedure at once (close, focus, size) rather than queued
};

constexpr int kMaxTranslatedMessages = 8;

// Mouse messages carry the point alone (wParam 0); only the left button has messages. A key
// that types a control character (Enter, Esc, Backspace, Tab, Ctrl+letter) yields its
// WM_CHAR right after the key-down, as Win32's translation does; printable characters come
// from SDL_TEXTINPUT, one WM_CHAR per code point. Returns the number of messages written.
int TranslateSdlEvent(const SDL_Event& event, TranslatedMessage* out, int capacity);

// Win32's virtual-key code for an SDL key, VK_UNMAPPED when there is none.
WPARAM VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);
