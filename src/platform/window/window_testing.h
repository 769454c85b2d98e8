#pragma once

// Hooks for tools and tests that drive the window layer by hand. Game code never calls these.

#include <cstdint>

#include "platform/platform_types.h"

// The id SDL's events carry for this window, so made-up events can be addressed to it; 0 for
// a null handle.
std::uint32_t WindowEventId(HWND window);
