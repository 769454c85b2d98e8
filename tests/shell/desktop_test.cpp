#include "shell/desktop.h"

#include <SDL.h>

#include <thread>

#include "game_fixture.h"
#include "platform/window/window_testing.h"

namespace {

using Desktop = GameFixture;

// A key message's lParam for the key at that position (repeat count 1).
LPARAM At(int position) { return 1 | (static_cast<LPARAM>(position) << kKeyPositionShift); }

MSG Key(UINT kind, WPARAM key, LPARAM lParam)
{
    MSG message{};
    message.message = kind;
    message.wParam = key;
    message.lParam = lParam;
    return message;
}

TEST_F(Desktop, KeysForTheDesktopActOnceAndNeverAdvanceAScreen)
{
    ASSERT_EQ(Start(), S_OK);
    ASSERT_NE(window, nullptr);
    const struct {
        MSG message;
        bool mutes;     // flips the music's mute
        bool switches;  // flips full screen
        bool advances;  // what the screens see
    } cases[] = {
        {Key(WM_KEYDOWN, 0x4D, At(16)), true, false, false},  // M
        {Key(WM_KEYDOWN, 0x4D, At(16) | KF_REPEAT_BIT), false, false, false},
        {Key(WM_KEYDOWN, VK_F11, At(68)), false, true, false},
        {Key(WM_KEYDOWN, VK_F11, At(68) | KF_REPEAT_BIT), false, false, false},
        {Key(WM_SYSKEYDOWN, VK_RETURN, At(kKeyEnter) | KF_ALTDOWN_BIT), false, true, false},
        {Key(WM_SYSKEYDOWN, VK_RETURN, At(kKeyEnter) | KF_ALTDOWN_BIT | KF_REPEAT_BIT), false, false, false},
        {Key(WM_KEYDOWN, VK_RETURN, At(kKeyEnter)), false, false, true},  // Enter alone is the game's
        {Key(WM_KEYDOWN, VK_F10, At(67)), false, false, false},
        {Key(WM_KEYUP, 0x4D, At(16) | KF_REPEAT_BIT | KF_UP_BIT), false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "message " << c.message.message << " key " << c.message.wParam
                                          << " lParam " << c.message.lParam);
        const bool muted = MusicMuted();
        const BOOL full = IsWindowFullScreen(window);
        SendMessageW(window, c.message.message, c.message.wParam, c.message.lParam);
        EXPECT_EQ(MusicMuted() != muted, c.mutes);
        EXPECT_EQ(IsWindowFullScreen(window) != full, c.switches);
        NoteNewMessage(c.message);
        EXPECT_TRUE(MapMessage(c.message));
        EXPECT_EQ(Input.keyTapped, c.advances);
        ForgetTaps();
    }
    SetMusicMuted(false);
}

TEST_F(Desktop, NoFrameRunsWhileThePlayerIsAway)
{
    StartPlaying();
    ASSERT_NE(window, nullptr);
    MSG message{};
    const std::size_t before = recorder.Count("IDirect3DDevice9::Present");
    ASSERT_EQ(RunProgramPass(window, message), LoopPass::RanFrame);
    ASSERT_EQ(recorder.Count("IDirect3DDevice9::Present"), before + 1);
    const Vector4 where = Creature.GetPosition();

    auto pushFocus = [this](bool gained) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowEventId(window);
        event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&event);
    };
    pushFocus(false);
    // Something arrives while the game sleeps: a mouse move over the window, from elsewhere.
    std::thread later([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = WindowEventId(window);
        SDL_PushEvent(&event);
    });
    EXPECT_EQ(RunProgramPass(window, message), LoopPass::Waited);
    later.join();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RunProgramPass(window, message), LoopPass::Dispatched);  // the move, then nothing waits
        if (i == 0) {
            PostMessageW(window, WM_USER, 0, 0);
            PostMessageW(window, WM_USER, 0, 0);
        }
    }
    EXPECT_EQ(recorder.Count("IDirect3DDevice9::Present"), before + 1);
    EXPECT_EQ(Creature.GetPosition().y, where.y);

    pushFocus(true);
    EXPECT_EQ(RunProgramPass(window, message), LoopPass::RanFrame);
    EXPECT_EQ(recorder.Count("IDirect3DDevice9::Present"), before + 2);
    EXPECT_EQ(RunLoopPass(message), LoopPass::RanFrame) << "the tools' pass never waits";
}

TEST_F(Desktop, TheWindowIsNamedAndCarriesTheIconWhenThereIsOne)
{
    for (bool withIcon : {false, true}) {
        SCOPED_TRACE(withIcon ? "with the icon" : "without");
        if (withIcon) {
            std::filesystem::copy_file(std::string(TARNWICK_SOURCE_DIR) + "/" + kIconFile, root / kIconFile);
        }
        ASSERT_EQ(Start(), S_OK);
        SDL_Window* sdl = SDL_GetWindowFromID(WindowEventId(window));
        ASSERT_NE(sdl, nullptr);
        EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Tarnwick");
        EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE, 0u);
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(sdl, &w, &h);
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
        // Setting none answers with the icon the window had.
        EXPECT_EQ(SendMessageW(window, WM_SETICON, ICON_BIG, 0) != 0, withIcon);
        // As the fixture ends a game, so the second start is a fresh one.
        EndGame();
        DestroyWindow(window);
        window = nullptr;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW(kWindowClassName, GetModuleHandleW(nullptr));
        GamePad.Reset();
        Audio.Reset();
    }
}

}  // namespace
