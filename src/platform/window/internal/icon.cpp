// Icons: a picture file as an SDL surface, and WM_SETICON's default that shows it.

#include <stb_image.h>

#include "platform/window/internal/window_internal.h"
#include "platform/window/window.h"

// An HICON is an SDL surface that owns its pixels.
void* LoadImageW(HINSTANCE /*instance*/, const char* name, UINT type, int /*cx*/, int /*cy*/, UINT flags)
{
    if (name == nullptr || type != IMAGE_ICON || (flags & LR_LOADFROMFILE) == 0) {
        return nullptr;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* rgba = stbi_load(name, &width, &height, &channels, 4);
    if (rgba == nullptr) {
        return nullptr;
    }
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        for (int y = 0; y < height; ++y) {
            SDL_memcpy(static_cast<Uint8*>(icon->pixels) + static_cast<std::ptrdiff_t>(y) * icon->pitch,
                       rgba + static_cast<std::ptrdiff_t>(y) * width * 4, static_cast<std::size_t>(width) * 4);
        }
    }
    stbi_image_free(rgba);
    return icon;
}

BOOL DestroyIcon(HICON icon)
{
    if (icon == nullptr) {
        return FALSE;
    }
    SDL_FreeSurface(static_cast<SDL_Surface*>(icon));
    return TRUE;
}

namespace window_internal {

LRESULT SetIcon(HWND window, HICON icon)
{
    if (!IsLive(window)) {
        return 0;
    }
    void* previous = window->icon;
    window->icon = icon;
    if (icon != nullptr) {
        SDL_SetWindowIcon(window->sdl, static_cast<SDL_Surface*>(icon));
    }
    return reinterpret_cast<LRESULT>(previous);
}

}  // namespace window_internal
