#pragma once

// Win32-shaped windows and messages over SDL2: a window class table, windows created hidden,
// and a message queue fed from SDL's events with Win32's parameter packing. Strings are UTF-8.
// Everything runs on the thread that created the window.

#include "platform/platform_types.h"

using ATOM = WORD;
using HICON = void*;
using HMENU = void*;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    friend bool operator==(const MSG&, const MSG&) = default;
};

// The fields the game sets; the rest of Win32's record is left out.
struct WNDCLASSEXW {
    UINT cbSize;  // sizeof(WNDCLASSEXW)
    UINT style;
    WNDPROC lpfnWndProc;
    HINSTANCE hInstance;
    const char* lpszClassName;
};

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_USER = 0x0400;

// Key message lParam bits.
constexpr LPARAM KF_ALTDOWN_BIT = LPARAM{1} << 29;
constexpr LPARAM KF_REPEAT_BIT = LPARAM{1} << 30;
constexpr LPARAM KF_UP_BIT = LPARAM{1} << 31;

// Virtual keys: only those the game or the translation tells apart have a code of their own;
// the game reads the others by their place on the keyboard (keys.h).
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_F1 = 0x70;  // F1 to F24 follow in order
constexpr WPARAM VK_F4 = 0x73;
constexpr WPARAM VK_F10 = 0x79;
constexpr WPARAM VK_F11 = 0x7A;
// Letters and digits are their ASCII capitals; any other key arrives with this code.
constexpr WPARAM VK_UNMAPPED = 0xFF;

constexpr UINT CS_CLASSDC = 0x0040;

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;  // resizable
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_VISIBLE = 0x10000000;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWDEFAULT = 10;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Fails (0) for a missing record, a wrong cbSize, no procedure, no or a taken class name.
ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
// FALSE when the class is unknown or a window of it still exists.
BOOL UnregisterClassW(const char* className, HINSTANCE instance);

// Hidden unless the style has WS_VISIBLE; width and height are the client size. The procedure
// gets WM_CREATE before this returns, and -1 from it fails the creation. Null when the class
// is unknown, SDL's video cannot start or the window table is full.
HWND CreateWindowExW(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY, then closes the window; its queued messages are dropped. FALSE if not a window.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// SW_HIDE, or SW_SHOWDEFAULT: shown with the input focus. Whether it was visible before.
BOOL ShowWindow(HWND window, int command);
// Sends WM_PAINT if the window is visible and has not been painted since it was shown.
BOOL UpdateWindow(HWND window);
// The display counter: the cursor shows while it is 0 or more. Starts at 0.
int ShowCursor(BOOL show);
// Desktop-sized full screen, or back to the window's own size and place. The window is first
// laid over the whole display, so it covers it even where no window manager answers.
BOOL SetWindowFullScreen(HWND window, BOOL fullScreen);
BOOL IsWindowFullScreen(HWND window);
// Ours that has the keyboard focus, or null while the player is in another program.
HWND GetActiveWindow();
BOOL IsIconic(HWND window);  // minimised
// Sleeps until a message waits or an event was sent to a procedure (the focus came back, say).
BOOL WaitMessage();

// Starts the video for the desktop the environment names (DISPLAY: X11, WAYLAND_DISPLAY:
// Wayland) and no back end that shows nothing, unless SDL_VIDEODRIVER names one.
BOOL StartDesktopVideo();

// Takes SDL's pending events into the queue, then its oldest message. The whole queue only
// (`window` null, filter 0, 0). WM_QUIT comes once nothing else waits.
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Posts WM_CHAR (WM_SYSCHAR) right behind a key-down that typed characters. TRUE for any key
// message.
BOOL TranslateMessage(const MSG* message);
// Calls the window's procedure; 0 for thread messages and dead windows.
LRESULT DispatchMessageW(const MSG* message);
// Close destroys the window; Alt+F4 closes it. Everything else: 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// FALSE when the window is dead or the queue is full. A null window posts a thread message.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_SETICON's wParam; DefWindowProcW shows the icon (both sizes are one picture here) and
// returns the previous one.
constexpr WPARAM ICON_BIG = 1;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_LOADFROMFILE = 0x0010;

// IMAGE_ICON with LR_LOADFROMFILE only: a PNG or TGA file as an icon of its own size (cx, cy
// ignored). Null when the file cannot be read as a picture.
void* LoadImageW(HINSTANCE instance, const char* name, UINT type, int cx, int cy, UINT flags);
// FALSE for a null icon. An icon still set on a window must not be destroyed.
BOOL DestroyIcon(HICON icon);

constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFFu;

// The fields the game reads.
struct DEVMODEW {
    WORD dmSize;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
};

// The primary display's mode in use: `deviceName` null and ENUM_CURRENT_SETTINGS only.
BOOL EnumDisplaySettingsW(const char* deviceName, DWORD modeNumber, DEVMODEW* mode);
