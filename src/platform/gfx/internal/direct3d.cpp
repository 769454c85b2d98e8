// The IDirect3D9 object and Direct3DCreate9: where the backend is chosen and devices are
// made, on a GL context or on the recorder; and the usual windowed devices for tools and tests.

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

// Windowed, one back buffer of width x height (0: the window's size), a 16-bit depth buffer.
D3DPRESENT_PARAMETERS WindowedParams(UINT width, UINT height, UINT interval)
{
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = interval;
    return pp;
}

class GfxDirect3D final : public IDirect3D9 {
public:
    explicit GfxDirect3D(GfxRecorder* recorder) : recorder_(recorder) { GfxCountObject(recorder_, 1); }
    ~GfxDirect3D() override { GfxCountObject(recorder_, -1); }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return GfxUnref(this, refs_, recorder_, "IDirect3D9::Release"); }
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override;

private:
    // The device for checked parameters, which get the back buffer's size and format filled
    // in; null with the reason in *hr.
    GfxDevice* MakeDevice(HWND window, D3DPRESENT_PARAMETERS* pp, HRESULT* hr);

    ULONG refs_ = 1;
    GfxRecorder* recorder_;
};

HRESULT GfxDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                  D3DPRESENT_PARAMETERS* pPresentationParameters,
                                  IDirect3DDevice9** ppReturnedDeviceInterface)
{
    D3DPRESENT_PARAMETERS* pp = pPresentationParameters;
    const bool badArgs = Adapter != D3DADAPTER_DEFAULT || DeviceType != D3DDEVTYPE_HAL || pp == nullptr ||
                         ppReturnedDeviceInterface == nullptr;
    GfxCheck check(recorder_, "IDirect3D9::CreateDevice",
                   badArgs || BadPresentation(*pp, recorder_ == nullptr && hFocusWindow == nullptr &&
                                                       pp->hDeviceWindow == nullptr));
    HWND window = check.Ok() && pp->hDeviceWindow != nullptr ? pp->hDeviceWindow : hFocusWindow;
    GfxDevice* device = check.Ok() ? MakeDevice(window, pp, &check.hr) : nullptr;
    GfxPut(ppReturnedDeviceInterface, device);
    // BehaviorFlags is logged only: vertex processing is always ours.
    return GFX_RESULT(check, Adapter, DeviceType, hFocusWindow, BehaviorFlags, pPresentationParameters);
}

GfxDevice* GfxDirect3D::MakeDevice(HWND window, D3DPRESENT_PARAMETERS* pp, HRESULT* hr)
{
    D3DPRESENT_PARAMETERS used = *pp;
    used.BackBufferCount = 1;
    used.BackBufferFormat = used.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : used.BackBufferFormat;
    GfxGl* gl = nullptr;
    if (recorder_ != nullptr) {
        // The recorder has no window: a size of 0 takes the game window's.
        used.BackBufferWidth = used.BackBufferWidth != 0 ? used.BackBufferWidth : 640;
        used.BackBufferHeight = used.BackBufferHeight != 0 ? used.BackBufferHeight : 480;
    } else if ((gl = GfxGl::Create(window, &used, hr)) == nullptr) {
        return nullptr;
    }
    auto* device = new GfxDevice(recorder_, gl, used);
    if (!device->Ready()) {
        device->Release();
        *hr = D3DERR_OUTOFVIDEOMEMORY;
        return nullptr;
    }
    *pp = used;
    return device;
}

}  // namespace

// Chooses the backend for everything made from here on: the recorder, when one is set.
IDirect3D9* Direct3DCreate9(UINT SDKVersion)
{
    GfxRecorder* recorder = GfxActiveRecorder();
    GfxCheck check(recorder, "Direct3DCreate9", false);
    const bool up = check.Ok() && SDKVersion == D3D_SDK_VERSION && (recorder != nullptr || GfxGl::VideoUp());
    GfxDirect3D* d3d = up ? new GfxDirect3D(recorder) : nullptr;
    check.hr = check.Ok() && d3d == nullptr ? E_FAIL : check.hr;
    GFX_RECORD(check, SDKVersion);
    return d3d;
}

HRESULT GfxCreateWindowedDevice(IDirect3D9* d3d, HWND window, UINT interval, IDirect3DDevice9** device,
                                D3DPRESENT_PARAMETERS* used)
{
    if (d3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS pp = WindowedParams(0, 0, interval);
    const HRESULT hr =
        d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device);
    if (used != nullptr) {
        *used = pp;
    }
    return hr;
}

IDirect3DDevice9* GfxCreateRecordingDevice(GfxRecorder* recorder, UINT width, UINT height)
{
    if (recorder == nullptr) {
        return nullptr;
    }
    auto* device = new GfxDevice(recorder, nullptr, WindowedParams(width, height, D3DPRESENT_INTERVAL_DEFAULT));
    if (!device->Ready()) {
        device->Release();
        return nullptr;
    }
    return device;
}
