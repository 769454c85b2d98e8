// Key positions by their US names, and what the player's layout labels them, from SDL.

#include "platform/window/keys.h"

#include <SDL.h>

namespace {

bool IsPosition(int position) { return position > 0 && position < kKeyPositionCount; }

}  // namespace

int KeyPositionFromName(const char* name)
{
    const int position = name != nullptr && *name != '\0' ? static_cast<int>(SDL_GetScancodeFromName(name)) : 0;
    return IsPosition(position) ? position : 0;
}

std::string KeyLabel(int position)
{
    if (!IsPosition(position)) {
        return "";
    }
    const auto scancode = static_cast<SDL_Scancode>(position);
    const SDL_Keycode key = SDL_GetKeyFromScancode(scancode);
    const char* shown = key != SDLK_UNKNOWN ? SDL_GetKeyName(key) : "";
    return shown != nullptr && *shown != '\0' ? shown : SDL_GetScancodeName(scancode);
}
