// One SDL event as the Win32 messages it stands for: keys (virtual-key codes, the key's
// position in lParam, control characters), typed text, the left button and moves, and the
// window events the game answers; key positions by name and by the player's layout.

#include "platform/window/internal/window_internal.h"

#include <cstring>
#include <iterator>
#include <span>

#include "platform/window/keys.h"

namespace {

// `count` SDL codes from `first` on become the virtual keys from `vk` on.
struct KeyRun {
    int first;
    WPARAM vk;
    int count = 1;
};

constexpr KeyRun kKeyRuns[] = {
    {SDLK_a, 0x41, 26},        {SDLK_0, 0x30, 10},      {SDLK_F1, VK_F1, 12},     {SDLK_F13, VK_F1 + 12, 12},
    {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB},      {SDLK_RETURN, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_LSHIFT, VK_SHIFT},   {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL}, {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU},      {SDLK_RALT, VK_MENU},    {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_SPACE, VK_SPACE},
};

// Layouts whose letters are not Latin: the key's position decides, as a US keyboard's would.
constexpr KeyRun kPositionRuns[] = {{SDL_SCANCODE_A, 0x41, 26}, {SDL_SCANCODE_1, 0x31, 9}, {SDL_SCANCODE_0, 0x30}};

WPARAM FromRuns(std::span<const KeyRun> runs, int code)
{
    for (const KeyRun& run : runs) {
        if (code >= run.first && code < run.first + run.count) {
            return run.vk + static_cast<WPARAM>(code - run.first);
        }
    }
    return VK_UNMAPPED;
}

// Keys whose Win32 translation types a control character (SDL's text input leaves these out).
WPARAM ControlCharacter(WPARAM vk, bool ctrl)
{
    if (ctrl && vk >= 0x41 && vk <= 0x5A) {
        return vk - 0x40;  // Ctrl+A is 0x01 ... Ctrl+Z is 0x1A
    }
    struct Control {
        WPARAM vk, plain, withCtrl;
    };
    constexpr Control kControls[] = {
        {VK_BACK, 0x08, 0x7F}, {VK_TAB, 0x09, 0}, {VK_RETURN, 0x0D, 0x0A}, {VK_ESCAPE, 0x1B, 0x1B}};
    for (const Control& c : kControls) {
        if (c.vk == vk) {
            return ctrl ? c.withCtrl : c.plain;
        }
    }
    return 0;
}

// The window events the game answers, each sent to the procedure at once.
struct WindowEventMessage {
    Uint8 event;
    UINT message;
};
constexpr WindowEventMessage kWindowEvents[] = {{SDL_WINDOWEVENT_CLOSE, WM_CLOSE},
                                                {SDL_WINDOWEVENT_FOCUS_GAINED, WM_SETFOCUS},
                                                {SDL_WINDOWEVENT_FOCUS_LOST, WM_KILLFOCUS},
                                                {SDL_WINDOWEVENT_SIZE_CHANGED, WM_SIZE}};

// UTF-8 lead bytes: the bits under `mask` say the sequence's length; the others are the
// code point's first bits.
struct Lead {
    unsigned char mask;
    unsigned char pattern;
    int length;
};
constexpr Lead kLeads[] = {{0x80, 0x00, 1}, {0xE0, 0xC0, 2}, {0xF0, 0xE0, 3}, {0xF8, 0xF0, 4}};

// Decodes one UTF-8 sequence; malformed bytes are skipped one at a time.
bool NextCodePoint(const char*& text, const char* end, Uint32& codePoint)
{
    for (; text < end; ++text) {
        const auto lead = static_cast<unsigned char>(*text);
        const Lead* kind = std::begin(kLeads);
        while (kind != std::end(kLeads) && (lead & kind->mask) != kind->pattern) {
            ++kind;
        }
        bool ok = kind != std::end(kLeads) && text + kind->length <= end;
        Uint32 value = ok ? lead & ~kind->mask & 0xFFu : 0;
        for (int i = 1; ok && i < kind->length; ++i) {
            const auto next = static_cast<unsigned char>(text[i]);
            ok = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (ok) {
            text += kind->length;
            codePoint = value;
            return true;
        }
    }
    return false;
}

// x in the low 16 bits and y in the high 16 bits, each two's complement, as MAKELPARAM.
LPARAM PackPoint(int x, int y)
{
    return static_cast<LPARAM>((static_cast<DWORD>(x) & 0xFFFFu) | ((static_cast<DWORD>(y) & 0xFFFFu) << 16));
}

bool IsPosition(int position) { return position > 0 && position < kKeyPositionCount; }

}  // namespace

WPARAM VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode)
{
    const WPARAM byKey = FromRuns(kKeyRuns, key);
    return byKey != VK_UNMAPPED ? byKey : FromRuns(kPositionRuns, scancode);
}

int TranslateSdlEvent(const SDL_Event& event, TranslatedMessage* out, int capacity)
{
    int count = 0;
    const auto put = [&](const TranslatedMessage& message) {
        if (count < capacity) {
            out[count++] = message;
        }
    };
    switch (event.type) {
    case SDL_QUIT: put({0, WM_CLOSE, 0, 0, true}); break;

    case SDL_WINDOWEVENT:
        for (const WindowEventMessage& w : kWindowEvents) {
            if (w.event == event.window.event) {
                const LPARAM size = w.message == WM_SIZE ? PackPoint(event.window.data1, event.window.data2) : 0;
                put({event.window.windowID, w.message, 0, size, true});
            }
        }
        break;

    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const SDL_Keysym& keysym = event.key.keysym;
        const WPARAM vk = VirtualKeyFromSdl(keysym.sym, keysym.scancode);
        const bool down = event.type == SDL_KEYDOWN;
        const bool alt = (keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
        const bool ctrl = (keysym.mod & KMOD_CTRL) != 0;
        // Win32 routes Alt combinations and F10 to the system key messages.
        const bool system = vk == VK_F10 || (alt && !ctrl);
        LPARAM lParam = 1;  // repeat count
        // Where Win32 keeps the scan code: the key's position, whatever the layout.
        if (IsPosition(keysym.scancode)) {
            lParam |= static_cast<LPARAM>(keysym.scancode) << kKeyPositionShift;
        }
        if (alt) lParam |= KF_ALTDOWN_BIT;
        if (!down || event.key.repeat != 0) lParam |= KF_REPEAT_BIT;
        if (!down) lParam |= KF_UP_BIT;
        const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        put({event.key.windowID, message, vk, lParam, false});
        // Ctrl+Alt is AltGr on many layouts: its characters come as text, if at all.
        const WPARAM control = alt && ctrl ? 0 : ControlCharacter(vk, ctrl);
        if (down && control != 0) {
            put({event.key.windowID, WM_CHAR, control, lParam, false});
        }
        break;
    }

    case SDL_TEXTINPUT: {
        const char* text = event.text.text;
        const char* end = text + strnlen(text, sizeof event.text.text);
        Uint32 codePoint = 0;
        while (NextCodePoint(text, end, codePoint)) {
            put({event.text.windowID, WM_CHAR, codePoint, 1, false});
        }
        break;
    }

    case SDL_MOUSEMOTION:
        put({event.motion.windowID, WM_MOUSEMOVE, 0, PackPoint(event.motion.x, event.motion.y), false});
        break;

    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            const UINT message = event.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            put({event.button.windowID, message, 0, PackPoint(event.button.x, event.button.y), false});
        }
        break;

    default: break;
    }
    return count;
}

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
