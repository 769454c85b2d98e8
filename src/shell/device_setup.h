#pragma once

// The graphics device and everything made with it at start-up, and their release.

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/platform_types.h"
#include "render/gpu/graphics_objects.h"

// The full-screen picture: the window's proportion as large as the desktop holds it, between
// bars. The back buffer is made this size, so it is drawn where it is shown, not drawn at the
// desktop's size and then narrowed.
struct PictureSize {
    UINT width;
    UINT height;
};
PictureSize FullScreenPicture(UINT desktopWidth, UINT desktopHeight);

constexpr const char* kEffectFile = "data/myshader.fx";
constexpr UINT kSharedVertexBufferBytes = 72000000;

// Why start-up stopped, for the one line the program prints: what failed ("data/sky.tga not
// found") and the call's result.
struct StartupFailure {
    char what[kMaxPath + 64];
    HRESULT result;
};

// How the device is to be made, set by each program before start-up, and why the last
// start-up stopped.
struct StartupState {
    // The one build-time choice: full screen at the desktop's size, or the 640 x 480 window.
    bool fullScreenPresentation = false;
    // Presents as fast as frames come, unpaced; for the frame benchmark only.
    bool immediatePresentation = false;
    StartupFailure lastFailure{};

    void Reset() { *this = StartupState{}; }
};
extern StartupState Startup;

// Starts reading the twenty pictures in the background, so that SetupDevice finds them
// decoded; called before the window is made. Changes no result of SetupDevice.
void PrefetchTextures();

// Controller, device, render targets, effect, the twenty pictures, every level's map
// checked (CheckLevelMap), stage-0 defaults and the first level. 0, or the first stopping failure's result (E_FAIL when
// no device could be made); what was made stays for Shutdown.
HRESULT SetupDevice(HWND window);
// The draw batch's store; whether it could be made is not looked at.
void CreateSharedVertexBuffer();
// Releases what exists, once, in a fixed order; safe to call any number of times.
void Shutdown();
