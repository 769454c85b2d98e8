#include <SDL.h>

#include "platform/window/window_testing.h"

#include <fstream>

#include "game_fixture.h"

namespace {

using Loop = GameFixture;

MSG Message(UINT kind, WPARAM wParam = 0, LPARAM lParam = 0)
{
    MSG message{};
    message.message = kind;
    message.wParam = wParam;
    message.lParam = lParam;
    return message;
}

LPARAM Point(int x, int y)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) | (x & 0xFFFF));
}

TEST_F(Loop, EscAndWActOnTheFirstKeyDownOnly)
{
    Session.screen = Screen::Playing;
    EXPECT_TRUE(MapMessage(Message(WM_KEYDOWN, 0x57, 1 | KF_REPEAT_BIT)));
    EXPECT_TRUE(Input.keyPressed) << "a repeat still counts as a key press";
    EXPECT_EQ(Session.screen, Screen::Playing);
    EXPECT_TRUE(MapMessage(Message(WM_KEYDOWN, VK_ESCAPE, 1 | KF_REPEAT_BIT)));

    EXPECT_TRUE(MapMessage(Message(WM_KEYDOWN, 0x57, 1)));
    EXPECT_EQ(Session.screen, Screen::Title);
    EXPECT_FALSE(MapMessage(Message(WM_KEYDOWN, VK_ESCAPE, 1)));
    EXPECT_FALSE(MapMessage(Message(WM_QUIT)));
    EXPECT_TRUE(MapMessage(Message(WM_KEYUP, VK_ESCAPE, 1 | KF_REPEAT_BIT | KF_UP_BIT)));
    EXPECT_FALSE(Input.keyPressed);
}

TEST_F(Loop, MouseIsNormalisedByTheSpanAndNotClamped)
{
    const struct {
        PointerSize span;
        int x, y;
        float px, py;
    } cases[] = {
        {kWindowedPointerSpan, 0, 0, -1.0f, 1.0f},
        {kWindowedPointerSpan, 635, 450, 1.0f, -1.0f},
        {kWindowedPointerSpan, 1270, 900, 3.0f, -3.0f},
        {kFullScreenPointerSpan, 1920, 1080, 2.0f * 1920.0f / 1152.0f - 1.0f, 1080.0f * -2.0f / 864.0f + 1.0f},
        {kWindowedPointerSpan, -10, -20, 2.0f * -10.0f / 635.0f - 1.0f, -20.0f * -2.0f / 450.0f + 1.0f},
    };
    for (const auto& c : cases) {
        Input.pointerSpan = c.span;
        MapMessage(Message(WM_MOUSEMOVE, 0, Point(c.x, c.y)));
        EXPECT_FLOAT_EQ(Session.pointerX, c.px) << c.x;
        EXPECT_FLOAT_EQ(Session.pointerY, c.py) << c.y;
    }
    MapMessage(Message(WM_LBUTTONDOWN, 0, Point(1, 1)));
    EXPECT_EQ(Input.clickHeld, 1);
    MapMessage(Message(WM_LBUTTONUP, 0, Point(1, 1)));
    EXPECT_EQ(Input.clickHeld, 0);
}

TEST_F(Loop, ButtonZeroPressesAKeyInEveryPassWhileTheControllerCounts)
{
    GamePad.state.rgbButtons[0] = 0x80;
    for (UINT kind : {WM_NULL, WM_MOUSEMOVE, WM_KEYUP, WM_CHAR}) {
        MapMessage(Message(kind));
        EXPECT_TRUE(Input.keyPressed) << kind;
    }
    GamePad.present = false;
    MapMessage(Message(WM_NULL));
    EXPECT_FALSE(Input.keyPressed);
}

// Input through the platform: SDL events, translated and queued, then the loop's passes.
class LoopPlatform : public GameFixture {
protected:
    void Push(Uint32 type, SDL_Keycode key)
    {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = WindowEventId(window);
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void PushText(const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = WindowEventId(window);
        std::strncpy(event.text.text, text, sizeof event.text.text - 1);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Passes until one runs a frame; how many passes dispatched a message before it.
    int PassesUntilFrame(MSG& message)
    {
        int dispatched = 0;
        for (int i = 0; i < 100; ++i) {
            const LoopPass pass = RunLoopPass(message);
            if (pass == LoopPass::RanFrame) {
                return dispatched;
            }
            EXPECT_NE(pass, LoopPass::Quit);
            ++dispatched;
        }
        return -1;
    }
};

TEST_F(LoopPlatform, ACharacterKeyNeverReachesTheScreens)
{
    ASSERT_EQ(Start(), S_OK);
    MSG message{};
    PassesUntilFrame(message);
    Push(SDL_KEYDOWN, SDLK_a);
    PushText("a");
    EXPECT_EQ(PassesUntilFrame(message), 2) << "the key-down, then its character";
    EXPECT_EQ(message.message, WM_CHAR);
    EXPECT_FALSE(Input.keyPressed);
    EXPECT_EQ(Session.screen, Screen::Title);
}

TEST_F(LoopPlatform, AKeyWithoutACharacterStaysPressedUntilTheNextMessage)
{
    ASSERT_EQ(Start(), S_OK);
    MSG message{};
    PassesUntilFrame(message);
    RunLoopPass(message);
    ASSERT_TRUE(Session.clickArmed || !Input.clickHeld);
    Push(SDL_KEYDOWN, SDLK_RIGHT);
    EXPECT_EQ(PassesUntilFrame(message), 1);
    EXPECT_TRUE(Input.keyPressed) << "the key-down is mapped again in the frame's pass";
    EXPECT_EQ(Session.screen, Screen::Title) << "an arrow, held or not, never moves a screen on";
    Push(SDL_KEYUP, SDLK_RIGHT);
    PassesUntilFrame(message);
    EXPECT_FALSE(Input.keyPressed);
}

TEST_F(LoopPlatform, EscEndsTheLoopAndAHeldEscDoesNot)
{
    ASSERT_EQ(Start(), S_OK);
    MSG message{};
    ASSERT_TRUE(PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1 | KF_REPEAT_BIT));
    EXPECT_EQ(RunLoopPass(message), LoopPass::Dispatched);
    ASSERT_TRUE(PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 1));
    EXPECT_EQ(RunLoopPass(message), LoopPass::Quit);
}

TEST_F(LoopPlatform, ClosingTheWindowShutsDownTwiceAndTheSecondReleasesNothing)
{
    ASSERT_EQ(Start(), S_OK);
    MSG message{};
    PassesUntilFrame(message);
    ASSERT_GT(recorder.LiveObjects(), 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(recorder.LiveObjects(), 0) << "the window procedure ran Shutdown";
    LoopPass pass = LoopPass::Dispatched;
    for (int i = 0; i < 10 && pass != LoopPass::Quit; ++i) {
        pass = RunLoopPass(message);
        EXPECT_NE(pass, LoopPass::RanFrame) << "no frame runs on a released device";
    }
    EXPECT_EQ(pass, LoopPass::Quit);
    const std::size_t calls = recorder.Calls().size();
    EndGame();
    EXPECT_EQ(recorder.Calls().size(), calls) << "the second Shutdown calls nothing";
}

}  // namespace

namespace {

// A tenth of a second of 16-bit mono silence as the game's music.
void WriteMusic(const std::filesystem::path& file)
{
    const std::uint32_t samples = 2205;
    const std::uint32_t dataBytes = samples * 2;
    std::string wav = "RIFF";
    auto put32 = [&wav](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&wav](std::uint16_t v) {
        wav += static_cast<char>(v & 0xFF);
        wav += static_cast<char>(v >> 8);
    };
    put32(36 + dataBytes);
    wav += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(22050);
    put32(44100);
    put16(2);
    put16(16);
    wav += "data";
    put32(dataBytes);
    wav += std::string(dataBytes, '\0');
    std::ofstream(file, std::ios::binary) << wav;
}

TEST_F(LoopPlatform, StoppedMusicRestartsOnlyInPassesThatRunAFrame)
{
    WriteMusic(root / "data/VelmoraMusic.wav");
    ASSERT_EQ(Start(), S_OK);
    ASSERT_NE(Audio.music, nullptr);
    ASSERT_TRUE(Audio.music->IsPlaying());
    MSG message{};
    PassesUntilFrame(message);
    ASSERT_EQ(Audio.music->Buffer(0)->Stop(), S_OK);
    ASSERT_FALSE(Audio.music->IsPlaying());
    ASSERT_TRUE(PostMessageW(window, WM_NULL, 0, 0));
    EXPECT_EQ(RunLoopPass(message), LoopPass::Dispatched);
    EXPECT_FALSE(Audio.music->IsPlaying()) << "a pass that dispatched a message leaves the music alone";
    EXPECT_EQ(RunLoopPass(message), LoopPass::RanFrame);
    EXPECT_TRUE(Audio.music->IsPlaying());
}

}  // namespace
