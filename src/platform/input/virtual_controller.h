#pragma once

// A game controller made in software, for tools and tests that script what the game reads:
// once attached it is listed and read like a plugged-in controller.

#include "platform/platform_types.h"

class VirtualController {
public:
    VirtualController() = default;
    ~VirtualController();
    VirtualController(const VirtualController&) = delete;
    VirtualController& operator=(const VirtualController&) = delete;

    bool Attach(const char* name);
    // Stick values as DIJOYSTATE2 reads them once the axes' range is -1000..1000 (y down).
    void SetSticks(LONG lx, LONG ly, LONG rx, LONG ry);
    // A DIJOYSTATE2 button index (0 = A, 1 = B, 4 and 5 the shoulders).
    void SetButton(int index, bool down);

private:
    struct Device;
    Device* device_ = nullptr;
};
