#include "platform/window/window.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/window/hidden_gl_window.h"
#include "platform/window/quit_signals.h"
#include "platform/window/internal/window_handle.h"
#include "platform/window/window_testing.h"

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> Log;
bool QuitOnDestroy = true;
bool FailCreate = false;

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log.push_back({window, message, wParam, lParam});
    if (message == WM_CREATE && FailCreate) {
        return -1;
    }
    if (message == WM_DESTROY && QuitOnDestroy) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Logged(UINT message)
{
    for (const Received& r : Log) {
        if (r.message == message) {
            return true;
        }
    }
    return false;
}

WNDCLASSEXW TestClass(const char* name)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = RecordingProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    return wc;
}

// Headless: SDL's offscreen video, with events pushed by hand as if a user made them.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log.clear();
        QuitOnDestroy = true;
        FailCreate = false;
        const WNDCLASSEXW wc = TestClass("Test Window");
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window_ = CreateWindowExW(0, "Test Window", "Test Window", WS_OVERLAPPED | WS_SYSMENU, 10, 20, 640, 480,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        EXPECT_TRUE(UnregisterClassW("Test Window", GetModuleHandleW(nullptr)));
    }

    Uint32 Id() const { return SDL_GetWindowID(window_->sdl); }

    void PushKey(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint8 repeat = 0)
    {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = Id();
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = scancode;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    void PushText(const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = Id();
        std::strcpy(event.text.text, text);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    void PushMotion(int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = Id();
        event.motion.x = x;
        event.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    void PushWindowEvent(Uint8 which)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = Id();
        event.window.event = which;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    // The game's loop step: peek with remove, translate, dispatch.
    bool Next(MSG& msg)
    {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    }

    HWND window_ = nullptr;
};

TEST(WindowClass, RegistrationRefusesBadRecordsAndDuplicates)
{
    WNDCLASSEXW wc = TestClass("Zubo Proto");
    EXPECT_EQ(RegisterClassExW(nullptr), 0);
    wc.cbSize = 48;  // a 32-bit program's size is not this platform's record
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.lpfnWndProc = RecordingProcedure;
    wc.lpszClassName = "";
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    wc.lpszClassName = "Zubo Proto";
    const ATOM atom = RegisterClassExW(&wc);
    EXPECT_NE(atom, 0);
    EXPECT_EQ(RegisterClassExW(&wc), 0);  // taken
    wc.lpszClassName = "ZUBO PROTO";      // class names ignore case
    EXPECT_EQ(RegisterClassExW(&wc), 0);

    EXPECT_FALSE(UnregisterClassW("Nobody", nullptr));
    EXPECT_EQ(CreateWindowExW(0, "Nobody", "x", 0, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr), nullptr);

    HWND window = CreateWindowExW(0, "Zubo Proto", "Zubo Proto", WS_OVERLAPPED | WS_SYSMENU, 0, 0, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassW("Zubo Proto", nullptr));  // a window of it still exists
    QuitOnDestroy = false;
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassW("Zubo Proto", nullptr));
    EXPECT_FALSE(UnregisterClassW("Zubo Proto", nullptr));
    wc.lpszClassName = "Zubo Proto";
    EXPECT_NE(RegisterClassExW(&wc), 0);  // the freed slot and its name can be taken again
    EXPECT_TRUE(UnregisterClassW("zubo proto", nullptr));
}

TEST_F(WindowTest, CreatedHiddenAtItsPlaceAndSizeAndShownOnRequest)
{
    EXPECT_TRUE(Logged(WM_CREATE));
    const Uint32 flags = SDL_GetWindowFlags(window_->sdl);
    EXPECT_NE(flags & SDL_WINDOW_HIDDEN, 0u);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window_->sdl, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    char title[64];
    std::snprintf(title, sizeof title, "%s", SDL_GetWindowTitle(window_->sdl));
    EXPECT_STREQ(title, "Test Window");

    Log.clear();
    EXPECT_FALSE(ShowWindow(window_, SW_SHOWDEFAULT));  // was hidden
    EXPECT_EQ(SDL_GetWindowFlags(window_->sdl) & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_TRUE(Logged(WM_SHOWWINDOW));
    EXPECT_TRUE(Logged(WM_SETFOCUS));
    EXPECT_TRUE(window_->focused);
    EXPECT_TRUE(ShowWindow(window_, SW_SHOWDEFAULT));  // was visible

    EXPECT_TRUE(UpdateWindow(window_));
    EXPECT_TRUE(Logged(WM_PAINT));
    Log.clear();
    EXPECT_TRUE(UpdateWindow(window_));
    EXPECT_FALSE(Logged(WM_PAINT));  // nothing left to paint

    EXPECT_TRUE(ShowWindow(window_, SW_HIDE));
    EXPECT_TRUE(Logged(WM_KILLFOCUS));
    EXPECT_FALSE(window_->focused);
    Log.clear();
    EXPECT_FALSE(ShowWindow(window_, SW_HIDE));  // already hidden: nothing is sent
    EXPECT_TRUE(Log.empty());
    EXPECT_FALSE(ShowWindow(window_, SW_SHOWDEFAULT));
    EXPECT_TRUE(UpdateWindow(window_));
    EXPECT_TRUE(Logged(WM_PAINT));  // shown again, it is painted afresh
    EXPECT_TRUE(ShowWindow(window_, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window_, 5));  // the other commands are not offered
    EXPECT_FALSE(ShowWindow(nullptr, SW_SHOWDEFAULT));
    EXPECT_FALSE(UpdateWindow(nullptr));
}

TEST_F(WindowTest, CreationRefusedByTheProcedureLeavesNoWindow)
{
    FailCreate = true;
    QuitOnDestroy = false;
    HWND refused = CreateWindowExW(0, "Test Window", "x", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(refused, nullptr);
    EXPECT_TRUE(Logged(WM_DESTROY));
}

TEST_F(WindowTest, MouseMovesArriveWithSignedClientCoordinates)
{
    PushMotion(100, 200);
    MSG msg{};
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.hwnd, window_);
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_EQ(static_cast<std::int16_t>(msg.lParam & 0xFFFF), 100);
    EXPECT_EQ(static_cast<std::int16_t>((msg.lParam >> 16) & 0xFFFF), 200);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));

    // Consecutive moves fold into the newest, as Win32's queue does.
    PushMotion(-3, 5);
    PushMotion(-7, -9);
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(static_cast<std::int16_t>(msg.lParam & 0xFFFF), -7);
    EXPECT_EQ(static_cast<std::int16_t>((msg.lParam >> 16) & 0xFFFF), -9);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, CharacterFollowsOnlyAKeyThatTypedOne)
{
    PushKey(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    PushText("a");
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    PushKey(SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT);

    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, 0x41u);
    // Until translated, the character is not in the queue.
    MSG peeked{};
    ASSERT_TRUE(PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(peeked.message, WM_KEYDOWN);
    EXPECT_EQ(peeked.wParam, VK_UNMAPPED);  // the game knows the arrows by position
    EXPECT_TRUE(TranslateMessage(&msg));
    DispatchMessageW(&msg);

    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(msg.hwnd, window_);

    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, VK_UNMAPPED);
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_KEYUP);  // no character for the arrow
    EXPECT_FALSE(Next(msg));

    // Translating a message twice, or one that is not a key, adds nothing.
    EXPECT_TRUE(TranslateMessage(&msg));
    MSG mouse{};
    mouse.message = WM_MOUSEMOVE;
    EXPECT_FALSE(TranslateMessage(&mouse));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, HeldKeyRepeatsWithTheRepeatBitAndItsCharacterEachTime)
{
    PushKey(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE);
    PushText(" ");
    PushKey(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 1);
    PushText(" ");
    PushKey(SDL_KEYDOWN, SDLK_F1, SDL_SCANCODE_F1);
    PushKey(SDL_KEYDOWN, SDLK_F1, SDL_SCANCODE_F1, 1);

    const UINT expected[] = {WM_KEYDOWN, WM_CHAR, WM_KEYDOWN, WM_CHAR, WM_KEYDOWN, WM_KEYDOWN};
    const bool repeat[] = {false, false, true, true, false, true};
    MSG msg{};
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(Next(msg)) << i;
        EXPECT_EQ(msg.message, expected[i]) << i;
        EXPECT_EQ((msg.lParam & KF_REPEAT_BIT) != 0, repeat[i]) << i;
    }
    EXPECT_EQ(msg.wParam, VK_F1);
    EXPECT_FALSE(Next(msg));
}

TEST_F(WindowTest, EnterAndEscapeTypeControlCharactersLikeWin32)
{
    PushKey(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN);
    MSG msg{};
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, 0x0Du);
    EXPECT_FALSE(Next(msg));
}

TEST_F(WindowTest, TextWithoutAKeyDownStillArrives)
{
    PushText("\xC3\xA9");
    MSG msg{};
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_CHAR);
    EXPECT_EQ(msg.wParam, 0xE9u);
}

TEST_F(WindowTest, CloseDestroysTheWindowAndTheQuitMessageFollows)
{
    ShowWindow(window_, SW_SHOWDEFAULT);
    PushKey(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    Log.clear();

    MSG msg{};
    ASSERT_TRUE(Next(msg));
    // The close was handled inside the peek: the procedure saw WM_CLOSE, then WM_DESTROY.
    ASSERT_GE(Log.size(), 2u);
    size_t close = Log.size();
    size_t destroy = Log.size();
    for (size_t i = 0; i < Log.size(); ++i) {
        if (Log[i].message == WM_CLOSE && close == Log.size()) close = i;
        if (Log[i].message == WM_DESTROY && destroy == Log.size()) destroy = i;
    }
    ASSERT_LT(close, Log.size());
    ASSERT_LT(destroy, Log.size());
    EXPECT_LT(close, destroy);
    EXPECT_FALSE(IsWindow(window_));
    // The key-down queued for the dead window is gone; the quit comes next.
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(DispatchMessageW(&msg), 0);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // only once
    EXPECT_FALSE(DestroyWindow(window_));
}

// Each quit signal closes every window at the next look at the queue, and the quit follows.
TEST_F(WindowTest, QuitSignalsCloseTheWindowAndTheQuitFollows)
{
    InstallQuitSignals();
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        if (!IsWindow(window_)) {
            window_ = CreateWindowExW(0, "Test Window", "signal", WS_OVERLAPPED, 0, 0, 64, 64, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(window_, nullptr);
        }
        Log.clear();
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(IsWindow(window_)) << "nothing happens inside the handler";
        MSG msg{};
        ASSERT_TRUE(Next(msg)) << signal;
        EXPECT_TRUE(Logged(WM_CLOSE)) << signal;
        EXPECT_FALSE(IsWindow(window_)) << signal;
        EXPECT_EQ(msg.message, WM_QUIT) << signal;
        EXPECT_EQ(msg.wParam, 0u) << signal;
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "acted on once";
    }
}

TEST_F(WindowTest, AltF4ClosesThroughTheDefaultProcedure)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = Id();
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_F4;
    event.key.keysym.scancode = SDL_SCANCODE_F4;
    event.key.keysym.mod = KMOD_LALT;
    ASSERT_EQ(SDL_PushEvent(&event), 1);

    MSG msg{};
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_SYSKEYDOWN);
    EXPECT_TRUE(Logged(WM_CLOSE));
    EXPECT_TRUE(Logged(WM_DESTROY));
    EXPECT_FALSE(IsWindow(window_));
    ASSERT_TRUE(Next(msg));
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(WindowTest, QuitWaitsBehindPostedMessagesAndCarriesTheExitCode)
{
    PostQuitMessage(3);
    EXPECT_TRUE(PostMessageW(window_, WM_USER, 1, 2));
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PeekTakesTheWholeQueueInOrderAndNothingNarrower)
{
    EXPECT_TRUE(PostMessageW(window_, WM_USER + 5, 0, 0));
    EXPECT_TRUE(PostMessageW(nullptr, WM_USER + 1, 0, 0));
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, window_, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER + 2, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 5);
    EXPECT_EQ(msg.hwnd, window_);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, PostingFailsForDeadWindowsAndAFullQueue)
{
    HWND dead = window_;
    QuitOnDestroy = false;
    ASSERT_TRUE(DestroyWindow(window_));
    EXPECT_FALSE(PostMessageW(dead, WM_USER, 0, 0));
    int posted = 0;
    while (PostMessageW(nullptr, WM_USER, 0, 0) && posted < 100000) {
        ++posted;
    }
    EXPECT_GT(posted, 100);
    EXPECT_LT(posted, 100000);
}

TEST_F(WindowTest, FocusEventsReachTheProcedureAndTheWindowState)
{
    ShowWindow(window_, SW_SHOWDEFAULT);
    Log.clear();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    MSG msg{};
    EXPECT_FALSE(Next(msg));  // sent to the procedure, not queued
    EXPECT_TRUE(Logged(WM_KILLFOCUS));
    EXPECT_FALSE(window_->focused);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_FALSE(Next(msg));
    EXPECT_TRUE(Logged(WM_SETFOCUS));
    EXPECT_TRUE(window_->focused);
}

TEST_F(WindowTest, InputForUnknownWindowsIsDropped)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = Id() + 1000;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(Display, CurrentModeGivesTheDesktopSize)
{
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    SDL_DisplayMode current{};
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &current), 0);
    EXPECT_EQ(mode.dmPelsWidth, static_cast<DWORD>(current.w));
    EXPECT_EQ(mode.dmPelsHeight, static_cast<DWORD>(current.h));
    EXPECT_GT(mode.dmPelsWidth, 0u);

    // Only the primary display's mode in use is offered.
    DEVMODEW named{};
    EXPECT_FALSE(EnumDisplaySettingsW("\\\\.\\DISPLAY1", ENUM_CURRENT_SETTINGS, &named));
    EXPECT_FALSE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, nullptr));
    EXPECT_FALSE(EnumDisplaySettingsW(nullptr, 100000, &named));
}

TEST(Cursor, DisplayCounterShowsWhileNotNegative)
{
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(ShowCursor(FALSE), 0);
}

TEST(Headless, DriversArriveAndVideoStarts)
{
    const char* video = std::getenv("SDL_VIDEODRIVER");
    const char* audio = std::getenv("SDL_AUDIODRIVER");
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_STREQ(video, "offscreen");
    EXPECT_STREQ(audio, "dummy");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Tools and tests draw on it: a GL-capable hidden window that the window table, and so the
// message queue, knows nothing of.
TEST(HiddenGlWindowTest, IsAHiddenGlWindowOutsideTheWindowTable)
{
    HiddenGlWindow hidden("hidden", 32, 24);
    ASSERT_NE(hidden.Handle(), nullptr) << HiddenGlWindow::Error();
    SDL_Window* sdl = hidden.Handle()->sdl;
    ASSERT_NE(sdl, nullptr);
    const Uint32 flags = SDL_GetWindowFlags(sdl);
    EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
    EXPECT_NE(flags & SDL_WINDOW_HIDDEN, 0u);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 24);
    EXPECT_FALSE(IsWindow(hidden.Handle()));
    EXPECT_EQ(WindowEventId(hidden.Handle()), SDL_GetWindowID(sdl));
    EXPECT_EQ(WindowEventId(nullptr), 0u);
}

}  // namespace
