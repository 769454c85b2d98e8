#include "shell/message_loop.h"

#include <cstdio>
#include <string>

#include "platform/files/files.h"
#include "platform/window/frame_loop.h"
#include "platform/window/desktop_conventions.h"
#include "platform/window/quit_signals.h"
#include "shell/controller.h"
#include "shell/desktop.h"
#include "shell/device_setup.h"
#include "shell/game_state.h"
#include "shell/input_state.h"
#include "shell/key_input.h"
#include "shell/media_search.h"
#include "shell/progress_file.h"
#include "sound/music.h"

namespace {

std::int16_t LowWord(LPARAM value) { return static_cast<std::int16_t>(value & 0xFFFF); }
std::int16_t HighWord(LPARAM value) { return static_cast<std::int16_t>((value >> 16) & 0xFFFF); }

}  // namespace

LRESULT GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        Shutdown();
        PostQuitMessage(0);
        return 0;
    }
    if (HandleDesktopKey(window, message, wParam, lParam)) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool MapMessage(const MSG& message)
{
    Input.keyPressed = false;
    switch (message.message) {
    case WM_MOUSEMOVE: {
        const float x = LowWord(message.lParam);
        const float y = HighWord(message.lParam);
        Session.pointerY = y * -2.0f / Input.pointerSpan.height + 1.0f;
        Session.pointerX = 2.0f * x / Input.pointerSpan.width - 1.0f;
        break;
    }
    case WM_LBUTTONDOWN: Input.clickHeld = 1; break;
    case WM_LBUTTONUP: Input.clickHeld = 0; break;
    default: break;
    }
    if (GamePad.present && GamePad.state.rgbButtons[0] != 0) {
        Input.keyPressed = true;
    }
    if (message.message == WM_KEYDOWN && !IsDesktopKey(message)) {
        Input.keyPressed = true;
        if ((message.lParam & KF_REPEAT_BIT) != 0) {
            return true;
        }
        switch (message.wParam & 0xFFFF) {
        case VK_ESCAPE:
            if (ProgramCanQuit()) {
                return false;
            }
            Session.screen = Screen::Title;  // a page cannot close its tab: Esc acts as W
            break;
        case VK_BACK: Session.screen = Screen::Title; break;
        case 0x57:  // W, unless the bindings steer with it
            if (!KeyIsBound(Input.keyBindings, kKeyW)) {
                Session.screen = Screen::Title;
            }
            break;
        default: break;
        }
        return true;
    }
    return message.message != WM_QUIT;
}

LoopPass RunLoopPass(MSG& message)
{
    LoopPass pass = LoopPass::Dispatched;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        NoteNewMessage(message);
    } else {
        RunFrame();
        ForgetTaps();
        RestartMusicIfStopped();
        pass = LoopPass::RanFrame;
    }
    PollController();
    NoteControllerPress();
    if (!MapMessage(message)) {
        return LoopPass::Quit;
    }
    return pass;
}

HRESULT StartGame(HWND& window)
{
    InstallQuitSignals();
    // The pictures decode on a second core while the window and the device start.
    PrefetchTextures();
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXW);
    windowClass.style = CS_CLASSDC;
    windowClass.lpfnWndProc = GameWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassExW(&windowClass);

    DEVMODEW desktop{};
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &desktop);
    Input.pointerSpan = kWindowedPointerSpan;
    const int x = static_cast<int>(static_cast<float>(desktop.dmPelsWidth) * 0.5f - 320.0f);
    const int y = static_cast<int>(static_cast<float>(desktop.dmPelsHeight) * 0.5f - 240.0f);
    window = CreateWindowExW(0, kWindowClassName, kWindowTitle, kWindowStyle, x, y, kWindowWidth, kWindowHeight,
                             nullptr, nullptr, module, nullptr);
    SetGameIcon(window);

    ResetGame();
    // Not through the media search: the music is the working folder's, or an installed copy's.
    char music[kMaxPath];
    FindWorkingOrInstalledFile(music, kMaxPath, kMusicFile);
    StartMusic(window, music);
    const HRESULT hr = SetupDevice(window);
    if (FAILED(hr)) {
        return hr;
    }
    ShowCursor(FALSE);
    CreateSharedVertexBuffer();
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    return hr;
}

void EndGame()
{
    Shutdown();
    UnregisterClassW(kWindowClassName, GetModuleHandleW(nullptr));
    ReleaseGameIcon();
}

namespace {

struct ProgramLoop {
    HWND window = nullptr;
    MSG message{};
};
ProgramLoop Program;  // outlives RunGame where the browser owns the loop

// Every waiting message, then one frame (or one rest while away).
bool PassesUntilFrame(void* context)
{
    auto& loop = *static_cast<ProgramLoop*>(context);
    for (;;) {
        const LoopPass pass = RunProgramPass(loop.window, loop.message);
        if (pass != LoopPass::Dispatched) {
            return pass != LoopPass::Quit;
        }
    }
}

void EndProgramLoop(void*) { EndGame(); }

}  // namespace

int RunGame()
{
    DiscardStartupRandoms();
    LoadKeyBindings();
    const HRESULT hr = StartGame(Program.window);
    if (FAILED(hr)) {
        EndGame();
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
        ReportStartupRefusal(std::string("Tarnwick: cannot start: ") + Startup.lastFailure.what + " (" + code + ")\n");
        return 1;
    }
    std::printf("%s\n", ControlsLine(GamePad.device != nullptr ? GamePad.name : nullptr).c_str());
    std::fflush(stdout);
    LoadProgress(ProgressPath());
    RunPassLoop(PassesUntilFrame, EndProgramLoop, &Program);
    return 0;
}
