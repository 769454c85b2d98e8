#pragma once

// A hidden window a GL device can be made on, for tools, benchmarks and tests that draw
// without showing anything (it works on SDL's offscreen driver). It stands outside the
// window table: no class, no procedure, no messages; pass Handle() to CreateDevice.

#include "platform/platform_types.h"

class HiddenGlWindow {
public:
    HiddenGlWindow(const char* title, int width, int height);
    ~HiddenGlWindow();
    HiddenGlWindow(const HiddenGlWindow&) = delete;
    HiddenGlWindow& operator=(const HiddenGlWindow&) = delete;

    // Null when no window could be made; Error() then says why.
    HWND Handle() const { return window_; }
    static const char* Error();

private:
    HWND window_ = nullptr;
};
