// platform_probe SECONDS [--scripted]
//
// Opens the game's kind of window, prints every message it receives and the controller state
// once a second, and plays a 440 Hz tone, for SECONDS seconds (default 10); Esc or closing
// the window ends it early. --scripted attaches a virtual controller and pushes a few input
// events, then fails (exit 1) unless they came back as the right messages and state: the
// headless smoke run in CI.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "platform/input/dinput.h"
#include "platform/audio/dsound.h"
#include "platform/files/files.h"
#include "platform/window/window.h"
#include "platform/window/window_testing.h"

namespace {

constexpr const char* kClassName = "Platform Probe";

IDirectInput8W* Input = nullptr;
IDirectInputDevice8W* Controller = nullptr;
IDirectSound8* Sound = nullptr;
IDirectSoundBuffer* Tone = nullptr;
bool Destroyed = false;

const char* MessageName(UINT message)
{
    switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SIZE: return "WM_SIZE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_QUIT: return "WM_QUIT";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    default: return "message";
    }
}

void PrintMessage(const char* how, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::printf("%-8s %-15s 0x%04X wParam=0x%llX lParam=0x%llX", how, MessageName(message), message,
                static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
    if (message >= WM_MOUSEMOVE && message <= WM_LBUTTONUP) {
        std::printf(" (x=%d y=%d)", static_cast<std::int16_t>(lParam & 0xFFFF),
                    static_cast<std::int16_t>((lParam >> 16) & 0xFFFF));
    }
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        std::printf("%s", (lParam & KF_REPEAT_BIT) != 0 ? " (repeat)" : "");
    }
    std::printf("%s\n", window == nullptr ? " [thread]" : "");
}

LRESULT ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY || message == WM_CLOSE || message == WM_SETFOCUS || message == WM_KILLFOCUS ||
        message == WM_CREATE || message == WM_SHOWWINDOW) {
        PrintMessage("proc", window, message, wParam, lParam);
    }
    if (message == WM_DESTROY) {
        Destroyed = true;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL TakeFirst(const DIDEVICEINSTANCEW* instance, void* /*context*/)
{
    if (FAILED(Input->CreateDevice(instance->guidInstance, &Controller, nullptr))) {
        return DIENUM_CONTINUE;
    }
    std::printf("controller: %s\n", instance->tszProductName);
    return DIENUM_STOP;
}

BOOL SetRange(const DIDEVICEOBJECTINSTANCEW* object, void* /*context*/)
{
    if ((object->dwType & DIDFT_AXIS) == 0) {
        return DIENUM_CONTINUE;
    }
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = object->dwType;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = -1000;
    range.lMax = 1000;
    return FAILED(Controller->SetProperty(DIPROP_RANGE, &range.diph)) ? DIENUM_STOP : DIENUM_CONTINUE;
}

void SetUpController(HWND window)
{
    HRESULT hr =
        DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &Input, nullptr);
    if (FAILED(hr)) {
        std::printf("controller: no input object (0x%08X)\n", static_cast<unsigned>(hr));
        return;
    }
    Input->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirst, nullptr, DIEDFL_ATTACHEDONLY);
    if (Controller == nullptr) {
        std::printf("controller: none attached\n");
        return;
    }
    if (FAILED(Controller->SetDataFormat(&c_dfDIJoystick2)) ||
        FAILED(Controller->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND)) ||
        FAILED(Controller->EnumObjects(SetRange, nullptr, DIDFT_ALL))) {
        std::printf("controller: set-up failed\n");
    }
}

// The game's polling: a failed poll re-acquires; a good one reads the state.
bool PollController(DIJOYSTATE2& state)
{
    if (Controller == nullptr) {
        return false;
    }
    if (FAILED(Controller->Poll())) {
        HRESULT hr = Controller->Acquire();
        while (hr == DIERR_INPUTLOST) {
            hr = Controller->Acquire();
        }
        return false;
    }
    return SUCCEEDED(Controller->GetDeviceState(sizeof state, &state));
}

void StartTone()
{
    HRESULT hr = DirectSoundCreate8(nullptr, &Sound, nullptr);
    if (FAILED(hr)) {
        std::printf("sound: no output (0x%08X); running silent\n", static_cast<unsigned>(hr));
        return;
    }
    Sound->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = format.nAvgBytesPerSec;  // one second: 440 whole periods, so it loops cleanly
    desc.lpwfxFormat = &format;
    hr = Sound->CreateSoundBuffer(&desc, &Tone, nullptr);
    if (FAILED(hr)) {
        std::printf("sound: buffer refused (0x%08X)\n", static_cast<unsigned>(hr));
        return;
    }
    void* audio = nullptr;
    DWORD bytes = 0;
    if (SUCCEEDED(Tone->Lock(0, desc.dwBufferBytes, &audio, &bytes, nullptr, nullptr, 0))) {
        auto* samples = static_cast<std::int16_t*>(audio);
        for (DWORD i = 0; i < bytes / 2; ++i) {
            const float phase = 2.0f * 3.14159265f * 440.0f * static_cast<float>(i) / 22050.0f;
            samples[i] = static_cast<std::int16_t>(std::sin(phase) * 8000.0f);
        }
        Tone->Unlock(audio, bytes, nullptr, 0);
    }
    Tone->SetVolume(-600);
    hr = Tone->Play(0, 0, DSBPLAY_LOOPING);
    std::printf("sound: 440 Hz tone %s (0x%08X)\n", SUCCEEDED(hr) ? "playing" : "refused", static_cast<unsigned>(hr));
}

void PrintState(const DIJOYSTATE2& state, bool read)
{
    std::printf("state    %s lX=%ld lY=%ld lRx=%ld lRy=%ld buttons=", read ? "read " : "stale",
                static_cast<long>(state.lX), static_cast<long>(state.lY), static_cast<long>(state.lRx),
                static_cast<long>(state.lRy));
    for (int i = 0; i < 10; ++i) {
        std::printf("%c", state.rgbButtons[i] != 0 ? '1' : '0');
    }
    std::printf(" pov=%ld\n", static_cast<long>(static_cast<std::int32_t>(state.rgdwPOV[0])));
}

// --- The scripted run ----------------------------------------------------------------------

SDL_Joystick* Pad = nullptr;

void AttachScriptedPad()
{
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return;
    }
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Scripted Pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    Pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
}

void PushScriptedInput(Uint32 windowId)
{
    // Focus first: a foreground controller reads only while the window has it.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.windowID = windowId;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&focus);

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = windowId;
    motion.motion.x = -12;
    motion.motion.y = 34;
    SDL_PushEvent(&motion);

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = windowId;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_a;
    key.key.keysym.scancode = SDL_SCANCODE_A;
    SDL_PushEvent(&key);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = windowId;
    std::strcpy(text.text.text, "a");
    SDL_PushEvent(&text);

    if (Pad != nullptr) {
        SDL_JoystickSetVirtualAxis(Pad, SDL_CONTROLLER_AXIS_LEFTX, 32767);
        SDL_JoystickSetVirtualAxis(Pad, SDL_CONTROLLER_AXIS_RIGHTY, -32768);
        SDL_JoystickSetVirtualButton(Pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
        SDL_JoystickSetVirtualButton(Pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_PRESSED);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = 10;
    bool scripted = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scripted") == 0) {
            scripted = true;
        } else {
            char* end = nullptr;
            const long value = std::strtol(argv[i], &end, 10);
            if (end == argv[i] || *end != '\0' || value < 0 || value > 3600) {
                std::fprintf(stderr, "usage: platform_probe [SECONDS] [--scripted]\n");
                return 2;
            }
            seconds = static_cast<int>(value);
        }
    }

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = ProbeProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        std::printf("display: %lux%lu\n", static_cast<unsigned long>(mode.dmPelsWidth),
                    static_cast<unsigned long>(mode.dmPelsHeight));
    }
    const int x = static_cast<int>(static_cast<float>(mode.dmPelsWidth) * 0.5f - 320.0f);
    const int y = static_cast<int>(static_cast<float>(mode.dmPelsHeight) * 0.5f - 240.0f);
    HWND window = CreateWindowExW(0, kClassName, kClassName, WS_OVERLAPPED | WS_SYSMENU, x, y, 640, 480, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "platform_probe: no window: %s\n", SDL_GetError());
        return 1;
    }

    if (scripted) {
        AttachScriptedPad();
    }
    StartTone();
    SetUpController(window);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    if (scripted) {
        PushScriptedInput(WindowEventId(window));
    }

    bool sawMove = false;
    bool sawKey = false;
    bool sawChar = false;
    bool sawPad = false;
    DIJOYSTATE2 state{};
    const Uint64 start = SDL_GetTicks64();
    Uint64 nextReport = start;
    MSG msg{};
    bool running = true;
    while (running && SDL_GetTicks64() - start < static_cast<Uint64>(seconds) * 1000u) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            PrintMessage("queue", msg.hwnd, msg.message, msg.wParam, msg.lParam);
            sawMove |= msg.message == WM_MOUSEMOVE && static_cast<std::int16_t>(msg.lParam & 0xFFFF) == -12 &&
                       static_cast<std::int16_t>((msg.lParam >> 16) & 0xFFFF) == 34;
            sawKey |= msg.message == WM_KEYDOWN && msg.wParam == 0x41;
            sawChar |= msg.message == WM_CHAR && msg.wParam == 'a';
            if (msg.message == WM_QUIT || (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)) {
                running = false;
            }
        } else {
            Sleep(5);
        }
        const bool read = PollController(state);
        sawPad |= read && state.lX == 1000 && state.lRy == -1000 && state.rgbButtons[0] != 0 &&
                  state.rgbButtons[5] != 0 && state.rgbButtons[1] == 0;
        if (SDL_GetTicks64() >= nextReport) {
            nextReport += 1000;
            if (Controller != nullptr) {
                PrintState(state, read);
            }
            if (Tone != nullptr) {
                DWORD status = 0;
                Tone->GetStatus(&status);
                std::printf("sound    status=0x%lX\n", static_cast<unsigned long>(status));
            }
        }
    }
    if (Controller != nullptr) {
        PrintState(state, true);
    }

    if (Tone != nullptr) {
        Tone->Stop();
        Tone->Release();
    }
    if (Sound != nullptr) {
        Sound->Release();
    }
    if (Controller != nullptr) {
        Controller->Release();
    }
    if (Input != nullptr) {
        Input->Release();
    }
    if (!Destroyed) {
        DestroyWindow(window);
    }
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    if (Pad != nullptr) {
        SDL_JoystickClose(Pad);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    if (scripted) {
        const bool ok = sawMove && sawKey && sawChar && sawPad;
        std::printf("scripted: mouse %s, key %s, char %s, controller %s\n", sawMove ? "ok" : "MISSING",
                    sawKey ? "ok" : "MISSING", sawChar ? "ok" : "MISSING", sawPad ? "ok" : "MISSING");
        return ok ? 0 : 1;
    }
    return 0;
}
