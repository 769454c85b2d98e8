#include "platform/window/internal/window_internal.h"
#include "platform/window/keys.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mods = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = type;
    event.key.windowID = 7;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mods;
    return event;
}

SDL_Event Motion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = 3;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.state = SDL_BUTTON_LMASK;  // held buttons are not passed on
    return event;
}

int Translate(const SDL_Event& event, TranslatedMessage* out)
{
    return TranslateSdlEvent(event, out, kMaxTranslatedMessages);
}

int SignedLow(LPARAM l) { return static_cast<std::int16_t>(l & 0xFFFF); }
int SignedHigh(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

TEST(TranslateMouse, MovePacksClientCoordinatesAsSignedWords)
{
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(Motion(635, 450), out), 1);
    EXPECT_EQ(out[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(out[0].sdlWindowId, 3u);
    EXPECT_FALSE(out[0].sent);
    EXPECT_EQ(out[0].lParam, (450 << 16) | 635);
    EXPECT_EQ(out[0].wParam, 0u);

    // Captured drags report positions left of and above the window.
    ASSERT_EQ(Translate(Motion(-5, -300), out), 1);
    EXPECT_EQ(SignedLow(out[0].lParam), -5);
    EXPECT_EQ(SignedHigh(out[0].lParam), -300);
    EXPECT_EQ(out[0].lParam, static_cast<LPARAM>(0xFED4FFFBu));  // zero-extended, as MAKELPARAM

    ASSERT_EQ(Translate(Motion(-1, 20000), out), 1);
    EXPECT_EQ(SignedLow(out[0].lParam), -1);
    EXPECT_EQ(SignedHigh(out[0].lParam), 20000);
}

TEST(TranslateMouse, ButtonsBecomeButtonMessagesAtTheirPosition)
{
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = 3;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = 12;
    event.button.y = -4;
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(out[0].wParam, 0u);
    EXPECT_EQ(SignedLow(out[0].lParam), 12);
    EXPECT_EQ(SignedHigh(out[0].lParam), -4);

    event.type = SDL_MOUSEBUTTONUP;
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].message, WM_LBUTTONUP);

    // Only the left button has messages.
    for (const Uint8 button : {Uint8{SDL_BUTTON_RIGHT}, Uint8{SDL_BUTTON_MIDDLE}, Uint8{SDL_BUTTON_X1}}) {
        event.button.button = button;
        EXPECT_EQ(Translate(event, out), 0) << int{button};
    }
}

TEST(TranslateKeys, VirtualKeyCodesFollowWin32)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 0x1Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 0x41u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_w, SDL_SCANCODE_W), 0x57u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 0x5Au);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), 0x30u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), 0x39u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1), 0x70u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 0x7Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 0x10u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), 0x10u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 0x11u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LALT, SDL_SCANCODE_LALT), 0x12u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE), 0x20u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0Du);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F24, SDL_SCANCODE_F24), 0x87u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 0x0Du);
    // Keys the game reads by position alone have no code of their own.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), VK_UNMAPPED);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_7, SDL_SCANCODE_KP_7), VK_UNMAPPED);
    // A Cyrillic layout's letter key: its position decides.
    EXPECT_EQ(VirtualKeyFromSdl(0x0444, SDL_SCANCODE_A), 0x41u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), VK_UNMAPPED);
}

TEST(TranslateKeys, KeyDownCarriesTheRepeatBitOnlyOnAutoRepeat)
{
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W), out), 1);
    EXPECT_EQ(out[0].message, WM_KEYDOWN);
    EXPECT_EQ(out[0].wParam, 0x57u);
    EXPECT_EQ(out[0].sdlWindowId, 7u);
    EXPECT_EQ(out[0].lParam & KF_REPEAT_BIT, 0);
    EXPECT_EQ(out[0].lParam & 0xFFFF, 1);  // repeat count
    EXPECT_EQ(out[0].lParam & KF_UP_BIT, 0);
    EXPECT_EQ(KeyPositionOf(out[0].lParam), SDL_SCANCODE_W) << "the key's place, whatever its layout";

    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W, KMOD_NONE, 1), out), 1);
    EXPECT_EQ(out[0].message, WM_KEYDOWN);
    EXPECT_NE(out[0].lParam & KF_REPEAT_BIT, 0);

    ASSERT_EQ(Translate(KeyEvent(SDL_KEYUP, SDLK_w, SDL_SCANCODE_W), out), 1);
    EXPECT_EQ(out[0].message, WM_KEYUP);
    EXPECT_NE(out[0].lParam & KF_REPEAT_BIT, 0);
    EXPECT_NE(out[0].lParam & KF_UP_BIT, 0);
}

TEST(TranslateKeys, OnlyKeysThatTypeControlCharactersAddACharacterThemselves)
{
    TranslatedMessage out[kMaxTranslatedMessages];
    // Printable characters come from text input, never from the key itself.
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A), out), 1);
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT), out), 1);
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F5, SDL_SCANCODE_F5), out), 1);
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), out), 1);

    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN), out), 2);
    EXPECT_EQ(out[0].message, WM_KEYDOWN);
    EXPECT_EQ(out[1].message, WM_CHAR);
    EXPECT_EQ(out[1].wParam, 0x0Du);
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), out), 2);
    EXPECT_EQ(out[1].wParam, 0x1Bu);
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE, 1), out), 2);
    EXPECT_EQ(out[1].wParam, 0x08u);
    // Releases type nothing.
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN), out), 1);

    // Ctrl with a letter types its control code; Ctrl with an arrow still types nothing.
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL), out), 2);
    EXPECT_EQ(out[1].wParam, 0x03u);
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RCTRL), out), 2);
    EXPECT_EQ(out[1].wParam, 0x0Au);
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_LCTRL), out), 1);
    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LCTRL), out), 1);
}

TEST(TranslateKeys, AltCombinationsAndF10AreSystemKeys)
{
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), out), 1);
    EXPECT_EQ(out[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(out[0].wParam, VK_F4);
    EXPECT_NE(out[0].lParam & KF_ALTDOWN_BIT, 0);

    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10), out), 1);
    EXPECT_EQ(out[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(out[0].lParam & KF_ALTDOWN_BIT, 0);

    ASSERT_EQ(Translate(KeyEvent(SDL_KEYUP, SDLK_LALT, SDL_SCANCODE_LALT), out), 1);
    EXPECT_EQ(out[0].message, WM_SYSKEYUP);

    // With Ctrl also held (AltGr on many layouts) it is an ordinary key.
    ASSERT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_LALT | KMOD_LCTRL), out), 1);
    EXPECT_EQ(out[0].message, WM_KEYDOWN);
}

TEST(TranslateText, EachCodePointBecomesACharacter)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = 9;
    std::strcpy(event.text.text, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");  // a, e-acute, euro, emoji
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(event, out), 4);
    EXPECT_EQ(out[0].wParam, 0x61u);
    EXPECT_EQ(out[1].wParam, 0xE9u);
    EXPECT_EQ(out[2].wParam, 0x20ACu);
    EXPECT_EQ(out[3].wParam, 0x1F600u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].message, WM_CHAR);
        EXPECT_EQ(out[i].sdlWindowId, 9u);
    }

    // A broken sequence is skipped, not read past.
    std::strcpy(event.text.text, "\xC3x\xE2\x82");
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].wParam, static_cast<WPARAM>('x'));

    // The output never runs past its capacity.
    std::strcpy(event.text.text, "abcdefghijklmnop");
    EXPECT_EQ(TranslateSdlEvent(event, out, 3), 3);
}

TEST(TranslateWindow, CloseFocusAndQuitAreSentNotQueued)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = 5;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    TranslatedMessage out[kMaxTranslatedMessages];
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].message, WM_CLOSE);
    EXPECT_EQ(out[0].sdlWindowId, 5u);
    EXPECT_TRUE(out[0].sent);

    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].message, WM_KILLFOCUS);
    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    ASSERT_EQ(Translate(event, out), 1);
    EXPECT_EQ(out[0].message, WM_SETFOCUS);
    event.window.event = SDL_WINDOWEVENT_EXPOSED;
    EXPECT_EQ(Translate(event, out), 0);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(Translate(quit, out), 1);
    EXPECT_EQ(out[0].message, WM_CLOSE);
    EXPECT_EQ(out[0].sdlWindowId, 0u);
    EXPECT_TRUE(out[0].sent);
}

}  // namespace
