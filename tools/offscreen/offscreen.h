#pragma once

// A graphics device on a hidden window for the tools that render pictures headless
// (SDL_VIDEODRIVER=offscreen), and the back buffer written out as a PNG.

#include <memory>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/windowed_device.h"
#include "platform/window/hidden_gl_window.h"

class OffscreenDevice {
public:
    OffscreenDevice() = default;
    ~OffscreenDevice();
    OffscreenDevice(const OffscreenDevice&) = delete;
    OffscreenDevice& operator=(const OffscreenDevice&) = delete;

    // A windowed device with a depth buffer, its back buffer width x height. False, with the
    // reason printed after `tool`, when there is no video or no device.
    bool Open(const char* tool, int width, int height);
    IDirect3DDevice9* Device() const { return device_; }

    // The back buffer as an RGB PNG.
    bool SavePng(const char* path) const;

private:
    IDirect3D9* d3d_ = nullptr;
    std::unique_ptr<HiddenGlWindow> window_;
    IDirect3DDevice9* device_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
