#pragma once

// Private to src/platform: what an HWND is. The graphics backend makes its GL context on
// `sdl`; the window layer owns everything else and may add fields.

#include <SDL.h>

#include "platform/platform_types.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
    // Window layer state. A handle points into a fixed table; `live` says whether it is a window.
    Uint32 sdlId = 0;
    int classIndex = -1;
    bool live = false;
    bool destroying = false;
    bool visible = false;
    bool painted = false;
    bool focused = false;  // what a foreground controller checks before it may read
    void* icon = nullptr;  // the HICON WM_SETICON set last
    SDL_Rect windowed{};   // where the window was before it went full screen (none: w 0)
};
