#pragma once

// Private to src/platform: what an HWND is. The graphics backend makes its GL context on
// `sdl`; the window layer owns everything else and may add fields.

#include <SDL.h>

#include "platform/platform_types.h"

struct PlatformWindow {
    SDL_Window* sdl = nullptr;
};
