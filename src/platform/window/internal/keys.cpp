// Key positions by their US names, and what the player's layout labels them, from SDL.

#include "platform/window/keys.h"

#include <SDL.h>

namespace {

const char* KeyPositionName(int position)
{
    return position > 0 && position < kKeyPositionCount ? SDL_GetScancodeName(static_cast<SDL_Scancode>(position))
                                                         : "";
}

}  // namespace

int KeyPositionFromName(const char* name)
{
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    const SDL_Scancode position = SDL_GetScancodeFromName(name);
    return position > 0 && position < kKeyPositionCount ? static_cast<int>(position) : 0;
}

std::string KeyLabel(int position)
{
    if (position <= 0 || position >= kKeyPositionCount) {
        return "";
    }
    const SDL_Keycode key = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(position));
    const char* shown = key != SDLK_UNKNOWN ? SDL_GetKeyName(key) : "";
    return shown != nullptr && *shown != '\0' ? std::string(shown) : std::string(KeyPositionName(position));
}
