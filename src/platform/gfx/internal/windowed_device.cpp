// The windowed device with the usual presentation parameters, for tools, benchmarks and
// tests.

#include "platform/gfx/windowed_device.h"

HRESULT GfxCreateWindowedDevice(IDirect3D9* d3d, HWND window, UINT interval, IDirect3DDevice9** device,
                                D3DPRESENT_PARAMETERS* used)
{
    if (d3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferFormat = D3DFMT_UNKNOWN;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = interval;
    const HRESULT hr =
        d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device);
    if (used != nullptr) {
        *used = pp;
    }
    return hr;
}
