#include "platform/window/internal/messages_translate.h"

#include <cstring>

#include "platform/window/keys.h"

namespace {

struct KeyPair {
    SDL_Keycode key;
    WPARAM vk;
};

constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, VK_BACK},    {SDLK_TAB, VK_TAB},          {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN},   {SDLK_LSHIFT, VK_SHIFT},     {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},     {SDLK_RCTRL, VK_CONTROL},    {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},         {SDLK_PAUSE, VK_PAUSE},      {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE},     {SDLK_SPACE, VK_SPACE},      {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},     {SDLK_END, VK_END},          {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},         {SDLK_UP, VK_UP},            {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},         {SDLK_PRINTSCREEN, VK_SNAPSHOT}, {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},     {SDLK_LGUI, VK_LWIN},        {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, VK_APPS},  {SDLK_KP_MULTIPLY, VK_MULTIPLY}, {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_PERIOD, VK_DECIMAL}, {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK}, {SDLK_SCROLLLOCK, VK_SCROLL}, {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},   {SDLK_PLUS, VK_OEM_PLUS},    {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},   {SDLK_PERIOD, VK_OEM_PERIOD}, {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},   {SDLK_LEFTBRACKET, VK_OEM_4}, {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6}, {SDLK_QUOTE, VK_OEM_7},     {SDLK_LESS, VK_OEM_102},
};

// Keys whose Win32 translation types a control character (SDL's text input leaves these out).
WPARAM ControlCharacter(WPARAM vk, bool ctrl)
{
    if (ctrl) {
        if (vk >= 0x41 && vk <= 0x5A) {
            return vk - 0x40;  // Ctrl+A is 0x01 ... Ctrl+Z is 0x1A
        }
        switch (vk) {
        case VK_BACK: return 0x7F;
        case VK_RETURN: return 0x0A;
        case VK_ESCAPE: return 0x1B;
        default: return 0;
        }
    }
    switch (vk) {
    case VK_BACK: return 0x08;
    case VK_TAB: return 0x09;
    case VK_RETURN: return 0x0D;
    case VK_ESCAPE: return 0x1B;
    default: return 0;
    }
}

WPARAM MouseKeyFlags(Uint32 buttons, Uint16 keyMods)
{
    WPARAM flags = 0;
    if ((buttons & SDL_BUTTON_LMASK) != 0) flags |= MK_LBUTTON;
    if ((buttons & SDL_BUTTON_RMASK) != 0) flags |= MK_RBUTTON;
    if ((buttons & SDL_BUTTON_MMASK) != 0) flags |= MK_MBUTTON;
    if ((keyMods & KMOD_SHIFT) != 0) flags |= MK_SHIFT;
    if ((keyMods & KMOD_CTRL) != 0) flags |= MK_CONTROL;
    return flags;
}

// Decodes one UTF-8 sequence; malformed bytes are skipped one at a time.
bool NextCodePoint(const char*& text, const char* end, Uint32& codePoint)
{
    while (text < end) {
        const auto lead = static_cast<unsigned char>(*text);
        int length = 0;
        Uint32 value = 0;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07u;
        }
        bool ok = length > 0 && text + length <= end;
        for (int i = 1; ok && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[i]);
            ok = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (!ok) {
            ++text;
            continue;
        }
        text += length;
        codePoint = value;
        return true;
    }
    return false;
}

int Put(TranslatedMessage* out, int count, int capacity, const TranslatedMessage& message)
{
    if (count < capacity) {
        out[count] = message;
        return count + 1;
    }
    return count;
}

}  // namespace

LPARAM PackPoint(int x, int y)
{
    const DWORD packed = (static_cast<DWORD>(x) & 0xFFFFu) | ((static_cast<DWORD>(y) & 0xFFFFu) << 16);
    return static_cast<LPARAM>(packed);
}

WPARAM VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode)
{
    if (key >= SDLK_a && key <= SDLK_z) {
        return 0x41 + static_cast<WPARAM>(key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return 0x30 + static_cast<WPARAM>(key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
    }
    if (key >= SDLK_F13 && key <= SDLK_F24) {
        return VK_F1 + 12 + static_cast<WPARAM>(key - SDLK_F13);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return VK_NUMPAD0 + 1 + static_cast<WPARAM>(key - SDLK_KP_1);
    }
    if (key == SDLK_KP_0) {
        return VK_NUMPAD0;
    }
    for (const KeyPair& pair : kKeys) {
        if (pair.key == key) {
            return pair.vk;
        }
    }
    // Layouts whose letters are not Latin: the key's position decides, as a US keyboard's would.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 0x41 + static_cast<WPARAM>(scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return 0x31 + static_cast<WPARAM>(scancode - SDL_SCANCODE_1);
    }
    if (scancode == SDL_SCANCODE_0) {
        return 0x30;
    }
    return VK_UNMAPPED;
}

int TranslateSdlEvent(const SDL_Event& event, Uint16 keyMods, TranslatedMessage* out, int capacity)
{
    int count = 0;
    switch (event.type) {
    case SDL_QUIT:
        count = Put(out, count, capacity, {0, WM_CLOSE, 0, 0, true});
        break;

    case SDL_WINDOWEVENT: {
        const Uint32 id = event.window.windowID;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            count = Put(out, count, capacity, {id, WM_CLOSE, 0, 0, true});
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            count = Put(out, count, capacity, {id, WM_SETFOCUS, 0, 0, true});
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            count = Put(out, count, capacity, {id, WM_KILLFOCUS, 0, 0, true});
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            count = Put(out, count, capacity, {id, WM_SIZE, 0, PackPoint(event.window.data1, event.window.data2), true});
            break;
        default:
            break;
        }
        break;
    }

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
        if (keysym.scancode > 0 && keysym.scancode < kKeyPositionCount) {
            lParam |= static_cast<LPARAM>(keysym.scancode) << kKeyPositionShift;
        }
        if (alt) lParam |= KF_ALTDOWN_BIT;
        if (!down || event.key.repeat != 0) lParam |= KF_REPEAT_BIT;
        if (!down) lParam |= KF_UP_BIT;
        const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        count = Put(out, count, capacity, {event.key.windowID, message, vk, lParam, false});
        // Ctrl+Alt is AltGr on many layouts: its characters come as text, if at all.
        const WPARAM control = alt && ctrl ? 0 : ControlCharacter(vk, ctrl);
        if (down && control != 0) {
            count = Put(out, count, capacity, {event.key.windowID, WM_CHAR, control, lParam, false});
        }
        break;
    }

    case SDL_TEXTINPUT: {
        const char* text = event.text.text;
        const char* end = text + strnlen(text, sizeof event.text.text);
        Uint32 codePoint = 0;
        while (NextCodePoint(text, end, codePoint)) {
            count = Put(out, count, capacity, {event.text.windowID, WM_CHAR, codePoint, 1, false});
        }
        break;
    }

    case SDL_MOUSEMOTION:
        count = Put(out, count, capacity,
                    {event.motion.windowID, WM_MOUSEMOVE, MouseKeyFlags(event.motion.state, keyMods),
                     PackPoint(event.motion.x, event.motion.y), false});
        break;

    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        UINT message = 0;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: break;
        }
        if (message != 0) {
            const Uint32 held = down ? SDL_BUTTON(event.button.button) : 0;
            count = Put(out, count, capacity,
                        {event.button.windowID, message, MouseKeyFlags(held, keyMods),
                         PackPoint(event.button.x, event.button.y), false});
        }
        break;
    }

    case SDL_MOUSEWHEEL: {
        int steps = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
            steps = -steps;
        }
        if (steps != 0) {
            const WPARAM delta = static_cast<WPARAM>(static_cast<Uint16>(steps * WHEEL_DELTA));
            count = Put(out, count, capacity,
                        {event.wheel.windowID, WM_MOUSEWHEEL, (delta << 16) | MouseKeyFlags(0, keyMods),
                         PackPoint(event.wheel.mouseX, event.wheel.mouseY), false});
        }
        break;
    }

    default:
        break;
    }
    return count;
}
