// The window calls the programs use to live on a desktop: icons, the full-screen switch,
// the active window and waiting for messages.

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/window/window.h"
#include "platform/window/window_testing.h"

namespace {

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class DesktopWindow : public ::testing::Test {
protected:
    HWND window = nullptr;

    void SetUp() override
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.lpszClassName = "Desktop Test";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window = CreateWindowExW(0, "Desktop Test", "Desktop Test", WS_OVERLAPPED | WS_SYSMENU | WS_THICKFRAME, 30, 40,
                                 640, 480, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW("Desktop Test", nullptr);
    }
    void PushFocus(bool gained)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowEventId(window);
        event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // takes the event in
    }
};

TEST_F(DesktopWindow, IconsLoadFromPictureFilesOnly)
{
    const std::string icon = std::string(TARNWICK_SOURCE_DIR) + "/data/icon64.png";
    const struct {
        std::string file;
        UINT type;
        UINT flags;
        bool loads;
    } cases[] = {
        {icon, IMAGE_ICON, LR_LOADFROMFILE, true},
        {std::string(TARNWICK_SOURCE_DIR) + "/data/knee.tga", IMAGE_ICON, LR_LOADFROMFILE, true},
        {icon, IMAGE_ICON, 0, false},       // a resource name: we have none
        {icon, 0, LR_LOADFROMFILE, false},  // a bitmap is not an icon
        {icon + ".missing", IMAGE_ICON, LR_LOADFROMFILE, false},
        {std::string(TARNWICK_SOURCE_DIR) + "/data/myshader.fx", IMAGE_ICON, LR_LOADFROMFILE, false},
    };
    for (const auto& c : cases) {
        void* loaded = LoadImageW(nullptr, c.file.c_str(), c.type, 0, 0, c.flags);
        EXPECT_EQ(loaded != nullptr, c.loads) << c.file;
        if (loaded != nullptr) {
            EXPECT_EQ(static_cast<SDL_Surface*>(loaded)->w, 64) << c.file;  // both pictures are 64 wide
            EXPECT_TRUE(DestroyIcon(loaded));
        }
    }
    EXPECT_FALSE(DestroyIcon(nullptr));
}

TEST_F(DesktopWindow, SetIconAnswersWithThePreviousIcon)
{
    const std::string file = std::string(TARNWICK_SOURCE_DIR) + "/data/icon64.png";
    void* first = LoadImageW(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    void* second = LoadImageW(nullptr, file.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(first)), 0);
    EXPECT_EQ(SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(second)),
              reinterpret_cast<LRESULT>(first));
    DestroyWindow(window);
    DestroyIcon(first);
    DestroyIcon(second);
}

TEST_F(DesktopWindow, FullScreenCoversTheDisplayAndLeavingPutsTheWindowBack)
{
    SDL_Rect bounds{};
    ASSERT_EQ(SDL_GetDisplayBounds(0, &bounds), 0);
    EXPECT_FALSE(IsWindowFullScreen(window));
    ShowWindow(window, SW_SHOWDEFAULT);
    ASSERT_TRUE(SetWindowFullScreen(window, TRUE));
    EXPECT_TRUE(IsWindowFullScreen(window));
    ASSERT_TRUE(SetWindowFullScreen(window, TRUE));  // twice: the window's own place is not lost
    ASSERT_TRUE(SetWindowFullScreen(window, FALSE));
    EXPECT_FALSE(IsWindowFullScreen(window));
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    SDL_Window* sdl = SDL_GetWindowFromID(WindowEventId(window));
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_FALSE(SetWindowFullScreen(nullptr, TRUE));
    EXPECT_FALSE(IsWindowFullScreen(nullptr));
}

TEST_F(DesktopWindow, TheActiveWindowFollowsTheFocus)
{
    EXPECT_EQ(GetActiveWindow(), nullptr) << "hidden, never focused";
    ShowWindow(window, SW_SHOWDEFAULT);
    EXPECT_EQ(GetActiveWindow(), window);
    PushFocus(false);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    PushFocus(true);
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_FALSE(IsIconic(window));
    EXPECT_FALSE(IsIconic(nullptr));
}

TEST_F(DesktopWindow, WaitMessageReturnsOnceAMessageWaits)
{
    ASSERT_TRUE(PostMessageW(window, WM_USER, 0, 0));
    EXPECT_TRUE(WaitMessage());
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));

    // An input event still in SDL's queue wakes it as well.
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = WindowEventId(window);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    EXPECT_TRUE(WaitMessage());
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_MOUSEMOVE));

    // So does the focus coming back, which queues nothing.
    ShowWindow(window, SW_SHOWDEFAULT);
    PushFocus(false);
    event = SDL_Event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowEventId(window);
    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    EXPECT_TRUE(WaitMessage());
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
