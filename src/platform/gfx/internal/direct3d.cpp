// The IDirect3D9 object and Direct3DCreate9: where the backend is chosen and devices are
// made, on a GL context or on the recorder; and the usual windowed device for tools.

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl.h"
#include "platform/gfx/windowed_device.h"

namespace {

bool BadPresentation(const D3DPRESENT_PARAMETERS& pp, bool noWindow)
{
    const bool badFormat = pp.BackBufferFormat != D3DFMT_UNKNOWN && pp.BackBufferFormat != D3DFMT_X8R8G8B8 &&
                           pp.BackBufferFormat != D3DFMT_A8R8G8B8;
    const bool badDepth = pp.EnableAutoDepthStencil != FALSE && pp.AutoDepthStencilFormat != D3DFMT_D16;
    const bool fullScreenUnsized = pp.Windowed == FALSE && (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0 ||
                                                            pp.BackBufferFormat == D3DFMT_UNKNOWN);
    return badFormat || badDepth || fullScreenUnsized || noWindow || pp.BackBufferCount > 1 ||
           pp.BackBufferWidth > 4096 || pp.BackBufferHeight > 4096;
}

}  // namespace

GfxDirect3D::GfxDirect3D(GfxRecorder* recorder) : recorder_(recorder)
{
    ready_ = recorder_ != nullptr || GfxGl::VideoUp();
    if (recorder_ != nullptr) {
        recorder_->ObjectMade();
    }
}

GfxDirect3D::~GfxDirect3D()
{
    if (recorder_ != nullptr) {
        recorder_->ObjectDestroyed();
    }
}

HRESULT GfxDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                  D3DPRESENT_PARAMETERS* pPresentationParameters,
                                  IDirect3DDevice9** ppReturnedDeviceInterface)
{
    static constexpr const char* kName = "IDirect3D9::CreateDevice";
    D3DPRESENT_PARAMETERS* pp = pPresentationParameters;
    const bool badArgs = Adapter != D3DADAPTER_DEFAULT || DeviceType != D3DDEVTYPE_HAL || pp == nullptr ||
                         ppReturnedDeviceInterface == nullptr;
    HRESULT hr = GfxCheck(recorder_, kName,
                          badArgs || BadPresentation(*pp, recorder_ == nullptr && hFocusWindow == nullptr &&
                                                              pp->hDeviceWindow == nullptr));
    GfxDevice* device = nullptr;
    UINT width = hr == S_OK ? pp->BackBufferWidth : 0;
    UINT height = hr == S_OK ? pp->BackBufferHeight : 0;
    GfxGl* gl = nullptr;
    if (hr == S_OK && recorder_ != nullptr) {
        width = width != 0 ? width : recorder_->WindowWidth();
        height = height != 0 ? height : recorder_->WindowHeight();
    } else if (hr == S_OK) {
        gl = GfxGl::Create(pp->hDeviceWindow != nullptr ? pp->hDeviceWindow : hFocusWindow, *pp, &width, &height, &hr);
    }
    if (hr == S_OK) {
        D3DPRESENT_PARAMETERS used = *pp;
        used.BackBufferWidth = width;
        used.BackBufferHeight = height;
        used.BackBufferCount = 1;
        if (used.BackBufferFormat == D3DFMT_UNKNOWN) {
            used.BackBufferFormat = D3DFMT_X8R8G8B8;
        }
        device = new GfxDevice(recorder_, gl, used, width, height);
        if (!device->Ready()) {
            device->Release();
            device = nullptr;
            hr = D3DERR_OUTOFVIDEOMEMORY;
        } else {
            *pp = used;
        }
    }
    GfxPut(ppReturnedDeviceInterface, device);
    // BehaviorFlags is logged only: vertex processing is always ours.
    return GFX_RESULT(recorder_, kName, hr, GfxArgOf(Adapter), GfxArgOf(DeviceType), GfxArgPointer(hFocusWindow),
                      GfxArgOf(BehaviorFlags), GfxArgPointer(pPresentationParameters));
}

// Chooses the backend for everything made from here on: the recorder, when one is set.
IDirect3D9* Direct3DCreate9(UINT SDKVersion)
{
    GfxRecorder* recorder = GfxActiveRecorder();
    const HRESULT hr = GfxCheck(recorder, "Direct3DCreate9", false);
    GfxDirect3D* d3d = nullptr;
    if (hr == S_OK && SDKVersion == D3D_SDK_VERSION) {
        d3d = new GfxDirect3D(recorder);
        if (!d3d->Ready()) {
            delete d3d;
            d3d = nullptr;
        }
    }
    GFX_RECORD(recorder, "Direct3DCreate9", d3d != nullptr ? S_OK : (hr != S_OK ? hr : E_FAIL), GfxArgOf(SDKVersion));
    return d3d;
}

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
