#include "offscreen.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include <stb_image_write.h>

OffscreenDevice::~OffscreenDevice()
{
    if (device_ != nullptr) {
        device_->Release();
    }
    window_.reset();
    if (d3d_ != nullptr) {
        d3d_->Release();
    }
}

bool OffscreenDevice::Open(const char* tool, int width, int height)
{
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (d3d_ == nullptr) {
        std::fprintf(stderr, "%s: no Direct3D object\n", tool);
        return false;
    }
    window_ = std::make_unique<HiddenGlWindow>(tool, width, height);
    if (window_->Handle() == nullptr) {
        std::fprintf(stderr, "%s: no window: %s\n", tool, HiddenGlWindow::Error());
        return false;
    }
    if (FAILED(GfxCreateWindowedDevice(d3d_, window_->Handle(), D3DPRESENT_INTERVAL_IMMEDIATE, &device_))) {
        std::fprintf(stderr, "%s: no device\n", tool);
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

bool OffscreenDevice::SavePng(const char* path) const
{
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3DLOCKED_RECT rect{};
    int written = 0;
    if (back != nullptr && SUCCEEDED(back->LockRect(&rect, nullptr, D3DLOCK_READONLY))) {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width_) * height_ * 3);
        for (int y = 0; y < height_; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + y * rect.Pitch;
            for (int x = 0; x < width_; ++x) {
                for (int k = 0; k < 3; ++k) {
                    rgb[(static_cast<std::size_t>(y) * width_ + x) * 3 + k] = row[x * 4 + 2 - k];
                }
            }
        }
        back->UnlockRect();
        written = stbi_write_png(path, width_, height_, 3, rgb.data(), width_ * 3);
    }
    if (back != nullptr) {
        back->Release();
    }
    return written != 0;
}
