// The window table and window classes, creating, showing and destroying windows, the
// default procedure, focus, the cursor counter, full screen, icons, the desktop's video
// driver and its display mode, and the bare hidden GL window.

#include "platform/window/window.h"

#include <stb_image.h>
#include <strings.h>

#include <cstdio>
#include <cstring>

#include "platform/window/hidden_gl_window.h"
#include "platform/window/internal/window_internal.h"
#include "platform/window/window_testing.h"

namespace {

constexpr int kMaxClasses = 8;
constexpr size_t kMaxClassName = 256;

// A slot is free while it has no procedure.
struct WindowClass {
    char name[kMaxClassName] = {};
    WNDPROC procedure = nullptr;
};

WindowClass Classes[kMaxClasses];
constexpr int kMaxWindows = 8;
PlatformWindow Windows[kMaxWindows];
int NextSlot = 0;  // slots are handed out round-robin so a stale handle is rarely reused soon
int CursorCounter = 0;
bool VideoStarted = false;

int FindClass(const char* name)
{
    for (int i = 0; name != nullptr && i < kMaxClasses; ++i) {
        if (Classes[i].procedure != nullptr && strcasecmp(Classes[i].name, name) == 0) {
            return i;
        }
    }
    return -1;
}

void ApplyCursor()
{
    if (VideoStarted) {
        SDL_ShowCursor(CursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
}

// WM_SETICON's default: shows `icon` for the window; returns the previous icon.
LRESULT SetIcon(HWND window, HICON icon)
{
    if (!window_internal::IsLive(window)) {
        return 0;
    }
    void* previous = window->icon;
    window->icon = icon;
    if (icon != nullptr) {
        SDL_SetWindowIcon(window->sdl, static_cast<SDL_Surface*>(icon));
    }
    return reinterpret_cast<LRESULT>(previous);
}

}  // namespace

namespace window_internal {

bool EnsureVideo()
{
    // Video stays up for the rest of the process, as a desktop session does for Win32.
    if (VideoStarted) {
        return true;
    }
    WatchDisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    VideoStarted = true;
    WatchDisplay();
    // Hold the GL library for the whole run as well: unloading it with the last window
    // strands the GL driver's own allocations, and a later device would reload it anyway.
    SDL_GL_LoadLibrary(nullptr);
    // A window's GL surface is chosen when the window is made: colour only, so a device
    // without depth draws in the window itself. A depth store on the window would cost every
    // frame even unused (software GL then takes its slow path for every layer); a device that
    // asks for depth gets a store of its own and draws off the window.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    ApplyCursor();
    return true;
}

std::span<PlatformWindow> Slots() { return Windows; }

bool IsLive(HWND window)
{
    return window != nullptr && FindLive([window](const PlatformWindow& slot) { return &slot == window; });
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return IsLive(window) ? Classes[window->classIndex].procedure(window, message, wParam, lParam) : 0;
}

void SetFocus(HWND window, bool focused)
{
    if (!IsLive(window) || window->focused == focused) {
        return;
    }
    window->focused = focused;
    Send(window, focused ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

bool HasFocus(HWND window) { return IsLive(window) && window->focused; }

}  // namespace window_internal

using namespace window_internal;

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXW) || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || windowClass->lpszClassName[0] == '\0' ||
        std::strlen(windowClass->lpszClassName) >= kMaxClassName || FindClass(windowClass->lpszClassName) >= 0) {
        return 0;
    }
    for (int i = 0; i < kMaxClasses; ++i) {
        if (Classes[i].procedure == nullptr) {
            Classes[i] = WindowClass{{}, windowClass->lpfnWndProc};
            std::snprintf(Classes[i].name, kMaxClassName, "%s", windowClass->lpszClassName);
            return static_cast<ATOM>(0xC000 + i);
        }
    }
    return 0;
}

BOOL UnregisterClassW(const char* className, HINSTANCE /*instance*/)
{
    const int index = FindClass(className);
    if (index < 0 || FindLive([index](const PlatformWindow& window) { return window.classIndex == index; })) {
        return FALSE;
    }
    Classes[index] = WindowClass{};
    return TRUE;
}

HWND CreateWindowExW(DWORD /*exStyle*/, const char* className, const char* windowName, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/, void* /*param*/)
{
    const int classIndex = FindClass(className);
    if (classIndex < 0 || !EnsureVideo()) {
        return nullptr;
    }
    PlatformWindow* window = nullptr;
    for (int i = 0; i < kMaxWindows && window == nullptr; ++i) {
        PlatformWindow& slot = Windows[(NextSlot + i) % kMaxWindows];
        if (!slot.live) {
            window = &slot;
            NextSlot = (NextSlot + i + 1) % kMaxWindows;
        }
    }
    if (window == nullptr) {
        return nullptr;
    }

    const bool visible = (style & WS_VISIBLE) != 0;
#ifdef __EMSCRIPTEN__
    // The page scales the canvas to the window with bars; its pixels stay the window's size.
    const bool resizable = false;
#else
    const bool resizable = (style & WS_THICKFRAME) != 0;
#endif
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN) | (resizable ? SDL_WINDOW_RESIZABLE : 0);
    const int w = width < 1 ? 1 : width;
    const int h = height < 1 ? 1 : height;
    const char* title = windowName != nullptr ? windowName : "";

    SDL_Window* sdl = SDL_CreateWindow(title, x, y, w, h, flags);
    if (sdl == nullptr) {
        // No GL here (a bare headless machine): the window still works; the graphics device
        // then reports that it cannot make its context.
        sdl = SDL_CreateWindow(title, x, y, w, h, flags & ~static_cast<Uint32>(SDL_WINDOW_OPENGL));
    }
    if (sdl == nullptr) {
        return nullptr;
    }
    *window = PlatformWindow{
        .sdl = sdl, .sdlId = SDL_GetWindowID(sdl), .classIndex = classIndex, .live = true, .visible = visible};
    SDL_StartTextInput();

    if (Send(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (visible) {
        SetFocus(window, true);
    }
    return window;
}

BOOL DestroyWindow(HWND window)
{
    if (!IsLive(window) || window->destroying) {
        return FALSE;
    }
    window->destroying = true;
    Send(window, WM_DESTROY, 0, 0);
    DropQueued(window);
    SDL_DestroyWindow(window->sdl);  // a live window always has one
    *window = PlatformWindow{};
    return TRUE;
}

BOOL IsWindow(HWND window) { return IsLive(window) ? TRUE : FALSE; }

BOOL ShowWindow(HWND window, int command)
{
    if (!IsLive(window) || (command != SW_HIDE && command != SW_SHOWDEFAULT)) {
        return FALSE;
    }
    const bool show = command == SW_SHOWDEFAULT;
    const bool wasVisible = window->visible;
    if (show) {
        SDL_ShowWindow(window->sdl);
    } else if (wasVisible) {
        SDL_HideWindow(window->sdl);
    }
    if (show != wasVisible) {
        window->visible = show;
        window->painted = window->painted && !show;  // shown again, it is painted afresh
        Send(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    }
    // The procedure may have destroyed the window meanwhile.
    if (show && IsLive(window)) {
        SDL_RaiseWindow(window->sdl);
    }
    if (show || wasVisible) {
        SetFocus(window, show);
    }
    return wasVisible ? TRUE : FALSE;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETICON) {
        return SetIcon(window, static_cast<HICON>(reinterpret_cast<void*>(lParam)));
    }
    const bool altF4 = wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT) != 0 && (lParam & KF_REPEAT_BIT) == 0;
    if (message == WM_CLOSE) {
        DestroyWindow(window);
    } else if (message == WM_SYSKEYDOWN && altF4) {
        Send(window, WM_CLOSE, 0, 0);
    }
    return 0;
}

BOOL UpdateWindow(HWND window)
{
    if (!IsLive(window)) {
        return FALSE;
    }
    if (window->visible && !window->painted) {
        window->painted = true;
        Send(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

int ShowCursor(BOOL show)
{
    CursorCounter += show ? 1 : -1;
    ApplyCursor();
    return CursorCounter;
}

bool window_internal::SwitchFullScreen(PlatformWindow* window, bool fullScreen)
{
    SDL_Window* sdl = window->sdl;
    const bool already = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullScreen && !already) {
        SDL_GetWindowPosition(sdl, &window->windowed.x, &window->windowed.y);
        SDL_GetWindowSize(sdl, &window->windowed.w, &window->windowed.h);
        // The request goes to the window manager; with none, the window would stay as it is.
        SDL_Rect bounds{};
        const int display = SDL_GetWindowDisplayIndex(sdl);
        if (SDL_GetDisplayBounds(display >= 0 ? display : 0, &bounds) == 0) {
            SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
            SDL_SetWindowSize(sdl, bounds.w, bounds.h);
        }
    }
    if (SDL_SetWindowFullscreen(sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        return false;
    }
    if (!fullScreen && already && window->windowed.w > 0) {
        SDL_SetWindowSize(sdl, window->windowed.w, window->windowed.h);
        SDL_SetWindowPosition(sdl, window->windowed.x, window->windowed.y);
    }
    return true;
}

BOOL SetWindowFullScreen(HWND window, BOOL fullScreen)
{
    return IsLive(window) && SwitchFullScreen(window, fullScreen != FALSE) ? TRUE : FALSE;
}

BOOL IsWindowFullScreen(HWND window)
{
    return IsLive(window) && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN) != 0 ? TRUE : FALSE;
}

HWND GetActiveWindow()
{
    return FindLive([](const PlatformWindow& window) { return window.focused; });
}

BOOL IsIconic(HWND window)
{
    return IsLive(window) && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0 ? TRUE : FALSE;
}

BOOL StartDesktopVideo()
{
#if !defined(_WIN32)
    // Windows has one desktop and SDL one driver for it; Wine's DISPLAY is no concern of ours.
    const auto isSet = [](const char* name) {
        const char* value = SDL_getenv(name);
        return value != nullptr && value[0] != '\0';
    };
    if (!VideoStarted && !isSet("SDL_VIDEODRIVER")) {
        const bool hasX11 = isSet("DISPLAY");
        const bool hasWayland = isSet("WAYLAND_DISPLAY");
        SDL_SetHint(SDL_HINT_VIDEODRIVER, hasX11 && hasWayland ? "x11,wayland" : (hasX11 ? "x11" : "wayland"));
    }
#endif
    return EnsureVideo() ? TRUE : FALSE;
}

BOOL EnumDisplaySettingsW(const char* deviceName, DWORD modeNumber, DEVMODEW* mode)
{
    SDL_DisplayMode current{};
    if (mode == nullptr || deviceName != nullptr || modeNumber != ENUM_CURRENT_SETTINGS || !EnsureVideo() ||
        SDL_GetCurrentDisplayMode(0, &current) != 0) {
        return FALSE;
    }
    mode->dmSize = sizeof(DEVMODEW);
    mode->dmPelsWidth = static_cast<DWORD>(current.w);
    mode->dmPelsHeight = static_cast<DWORD>(current.h);
    return TRUE;
}

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

HiddenGlWindow::HiddenGlWindow(const char* title, int width, int height)
{
    SDL_Window* sdl =
        EnsureVideo() ? SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN) : nullptr;
    if (sdl != nullptr) {
        window_ = new PlatformWindow{.sdl = sdl, .sdlId = SDL_GetWindowID(sdl)};
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

std::uint32_t WindowEventId(HWND window) { return window != nullptr ? window->sdlId : 0u; }
