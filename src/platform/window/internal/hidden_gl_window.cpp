// A bare hidden SDL window with GL, outside the window table.

#include "platform/window/hidden_gl_window.h"

#include "platform/window/internal/window_internal.h"

HiddenGlWindow::HiddenGlWindow(const char* title, int width, int height)
{
    if (!window_internal::EnsureVideo()) {
        return;
    }
    SDL_Window* sdl = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (sdl != nullptr) {
        window_ = new PlatformWindow;
        window_->sdl = sdl;
        window_->sdlId = SDL_GetWindowID(sdl);
    }
}

HiddenGlWindow::~HiddenGlWindow()
{
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_->sdl);
        delete window_;
    }
}

const char* HiddenGlWindow::Error() { return SDL_GetError(); }
