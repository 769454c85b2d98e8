#include "shell/desktop.h"

#include "shell/media_search.h"
#include "sound/music.h"

namespace {

HICON GameIcon = nullptr;

bool FirstKeyDown(LPARAM lParam) { return (lParam & KF_REPEAT_BIT) == 0; }

}  // namespace

void SetGameIcon(HWND window)
{
    char path[kMaxPath];
    if (GameIcon == nullptr && SUCCEEDED(FindMediaFile(path, kMaxPath, kIconFile))) {
        GameIcon = static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    }
    if (GameIcon != nullptr) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(GameIcon));
    }
}

void ReleaseGameIcon()
{
    DestroyIcon(GameIcon);
    GameIcon = nullptr;
}

bool IsDesktopKey(const MSG& message) { return message.message == WM_KEYDOWN && message.wParam == VK_F11; }

bool HandleDesktopKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool toggle = (message == WM_KEYDOWN && wParam == VK_F11) ||
                        (message == WM_SYSKEYDOWN && wParam == VK_RETURN && (lParam & KF_ALTDOWN_BIT) != 0);
    const bool mute = message == WM_KEYDOWN && wParam == 0x4D;  // M
    if (!toggle && !mute) {
        return false;
    }
    if (FirstKeyDown(lParam)) {
        if (toggle) {
            SetWindowFullScreen(window, IsWindowFullScreen(window) ? FALSE : TRUE);
        } else {
            SetMusicMuted(!MusicMuted());
        }
    }
    return true;
}

bool IsAway(HWND window) { return window != nullptr && (GetActiveWindow() != window || IsIconic(window)); }

LoopPass RunProgramPass(HWND window, MSG& message)
{
    // The look also takes in a focus change, so the frame after it already knows.
    MSG waiting;
    if (PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE) == FALSE && IsAway(window)) {
        WaitMessage();
        return LoopPass::Waited;
    }
    return RunLoopPass(message);
}
