#pragma once

// The device tools, benchmarks and tests draw with, usually on a HiddenGlWindow
// (platform/window/hidden_gl_window.h): windowed, one back buffer of the window's size, a
// 16-bit depth buffer, presents paced by `interval`. The parameters used come back in
// *used (the back buffer's size filled in) when it is not null.

#include "platform/gfx/d3d9.h"

HRESULT GfxCreateWindowedDevice(IDirect3D9* d3d, HWND window, UINT interval, IDirect3DDevice9** device,
                                D3DPRESENT_PARAMETERS* used = nullptr);
