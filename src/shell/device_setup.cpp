#include "shell/device_setup.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/gfx/prefetch.h"
#include "platform/gfx/problems.h"
#include "platform/ref_counted.h"
#include "platform/window/window.h"
#include "shell/controller.h"
#include "render/gpu/graphics_objects.h"
#include "shell/input_state.h"
#include "shell/level_load.h"
#include "shell/message_loop.h"
#include "shell/media_search.h"
#include "world/world.h"

StartupState Startup;

PictureSize FullScreenPicture(UINT desktopWidth, UINT desktopHeight)
{
    const std::uint64_t dw = desktopWidth;
    const std::uint64_t dh = desktopHeight;
    const std::uint64_t pw = kWindowWidth;
    const std::uint64_t ph = kWindowHeight;
    if (dw * ph > dh * pw) {
        return {static_cast<UINT>((dh * pw + ph / 2) / ph), desktopHeight};
    }
    return {desktopWidth, static_cast<UINT>((dw * ph + pw / 2) / pw)};
}

namespace {

constexpr UINT kSmallTargetSize = 64;

HRESULT Fail(HRESULT result, const char* format, const char* subject = "")
{
    std::snprintf(Startup.lastFailure.what, sizeof Startup.lastFailure.what, format, subject);
    Startup.lastFailure.result = result;
    return result;
}

void FillPresentation(D3DPRESENT_PARAMETERS& pp)
{
    pp = D3DPRESENT_PARAMETERS{};
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = nullptr;
    // No depth buffer: everything drawn with the depth test on lies in the plane z = 0 facing
    // the camera, where LESSEQUAL always passes, so the test could never hide a pixel.
    pp.EnableAutoDepthStencil = FALSE;
    if (Startup.fullScreenPresentation) {
        DEVMODEW mode{};
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
        const PictureSize picture = FullScreenPicture(mode.dmPelsWidth, mode.dmPelsHeight);
        pp.BackBufferWidth = picture.width;
        pp.BackBufferHeight = picture.height;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Windowed = FALSE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        Input.pointerSpan = kFullScreenPointerSpan;
    } else {
        pp.BackBufferFormat = D3DFMT_UNKNOWN;
        pp.Windowed = TRUE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    }
    if (Startup.immediatePresentation) {
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    }
}

// The graphics layer's own line when it gave one (it names the file and says what is
// wrong), so that a refused file makes one line, not two.
HRESULT FailNaming(HRESULT result, const GfxProblemCapture& problem, const char* path, const char* otherwise)
{
    if (problem.Line().empty()) {
        std::snprintf(Startup.lastFailure.what, sizeof Startup.lastFailure.what, "%s %s", path, otherwise);
    } else {
        std::snprintf(Startup.lastFailure.what, sizeof Startup.lastFailure.what, "%s", problem.Line().c_str());
    }
    Startup.lastFailure.result = result;
    return result;
}

// Every level's map, before anything is played: a map the game cannot play stops start-up
// as a bad picture does, rather than letting its level be skipped later.
HRESULT CheckLevelMaps()
{
    for (int level = 0; level < kLevelCount; ++level) {
        std::string why;
        const HRESULT hr = CheckLevelMap(level, &why);
        if (FAILED(hr)) {
            return Fail(hr, "%s", why.c_str());
        }
    }
    return S_OK;
}

HRESULT CreateTargets(UINT width, UINT height)
{
    HRESULT hr = D3DXCreateTexture(Gpu.device, width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                   D3DPOOL_DEFAULT, &Gpu.sceneTarget);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be created");
    }
    hr = D3DXCreateTexture(Gpu.device, kSmallTargetSize, kSmallTargetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                           D3DPOOL_DEFAULT, &Gpu.colorTarget64);
    if (FAILED(hr)) {
        return Fail(hr, "the 64 x 64 colour render target could not be created");
    }
    hr = D3DXCreateTexture(Gpu.device, kSmallTargetSize, kSmallTargetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                           D3DPOOL_DEFAULT, &Gpu.floatTarget64);
    if (FAILED(hr)) {
        return Fail(hr, "the 64 x 64 float render target could not be created");
    }
    if (FAILED(hr = Gpu.sceneTarget->GetSurfaceLevel(0, &Gpu.sceneSurface)) ||
        FAILED(hr = Gpu.colorTarget64->GetSurfaceLevel(0, &Gpu.colorSurface64)) ||
        FAILED(hr = Gpu.floatTarget64->GetSurfaceLevel(0, &Gpu.floatSurface64))) {
        return Fail(hr, "a render target's surface could not be read");
    }
    return S_OK;
}

// Each target is cleared once; the frames never draw into them.
HRESULT ClearTargets()
{
    Gpu.device->GetRenderTarget(0, &Gpu.keptRenderTarget);
    HRESULT hr = Gpu.device->SetRenderTarget(0, Gpu.colorSurface64);
    if (FAILED(hr)) {
        return Fail(hr, "the colour render target could not be selected");
    }
    Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    Gpu.device->SetRenderTarget(0, Gpu.floatSurface64);
    Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    hr = Gpu.device->SetRenderTarget(0, Gpu.sceneSurface);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be selected");
    }
    hr = Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be cleared");
    }
    hr = Gpu.device->SetRenderTarget(0, Gpu.keptRenderTarget);
    if (FAILED(hr)) {
        return Fail(hr, "the back buffer could not be selected again");
    }
    return S_OK;
}

HRESULT CreateEffect()
{
    char path[kMaxPath];
    HRESULT hr = FindMediaFile(path, kMaxPath, kEffectFile);
    if (FAILED(hr)) {
        return Fail(hr, "%s not found", kEffectFile);
    }
    GfxProblemCapture problem;
    hr = D3DXCreateEffectFromFileW(Gpu.device, path, nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr, &Gpu.effect,
                                   nullptr);
    if (FAILED(hr)) {
        Gpu.effect = nullptr;
        return FailNaming(hr, problem, path, "could not be compiled");
    }
    hr = Gpu.effect->SetTexture("RenderTargetTexture", Gpu.sceneTarget);
    if (FAILED(hr)) {
        return Fail(hr, "the effect has no parameter RenderTargetTexture");
    }
    D3DSURFACE_DESC desc{};
    Gpu.sceneSurface->GetDesc(&desc);
    if (FAILED(hr = Gpu.effect->SetFloat("RenderTargetWidth", static_cast<float>(desc.Width)))) {
        return Fail(hr, "the effect has no parameter RenderTargetWidth");
    }
    if (FAILED(hr = Gpu.effect->SetFloat("RenderTargetHeight", static_cast<float>(desc.Height)))) {
        return Fail(hr, "the effect has no parameter RenderTargetHeight");
    }
    return S_OK;
}

HRESULT LoadTextures()
{
    for (const TextureFile& picture : kTextureFiles) {
        char path[kMaxPath];
        HRESULT hr = FindMediaFile(path, kMaxPath, picture.file);
        if (FAILED(hr)) {
            return Fail(hr, "%s not found", picture.file);
        }
        GfxProblemCapture problem;
        hr = D3DXCreateTextureFromFileW(Gpu.device, path, picture.texture);
        if (FAILED(hr)) {
            *picture.texture = nullptr;
            return FailNaming(hr, problem, path, "could not be read as a TGA picture");
        }
    }
    return S_OK;
}

}  // namespace

void PrefetchTextures()
{
    char paths[kTextureFileCount][kMaxPath];
    const char* found[kTextureFileCount] = {};
    for (int i = 0; i < kTextureFileCount; ++i) {
        if (SUCCEEDED(FindMediaFile(paths[i], kMaxPath, kTextureFiles[i].file))) {
            found[i] = paths[i];
        }
    }
    GfxPrefetchPictures(found, kTextureFileCount);
}

HRESULT SetupDevice(HWND window)
{
    Startup.lastFailure = StartupFailure{};
    Gpu.mapTexture = nullptr;
    SetupController(window);

    Gpu.direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (Gpu.direct3D == nullptr) {
        return Fail(E_FAIL, "no OpenGL 3.3 graphics is available");
    }
    D3DPRESENT_PARAMETERS pp;
    FillPresentation(pp);
    if (FAILED(Gpu.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &Gpu.device))) {
        Gpu.device = nullptr;
        return GfxDeviceProblem()[0] != '\0'
                   ? Fail(E_FAIL, "the graphics device could not be created: %s", GfxDeviceProblem())
                   : Fail(E_FAIL, "the graphics device could not be created");
    }
    Gpu.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Gpu.device->SetRenderState(D3DRS_LIGHTING, FALSE);

    D3DSURFACE_DESC backBuffer{};
    IDirect3DSurface9* surface = nullptr;
    if (SUCCEEDED(Gpu.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) && surface != nullptr) {
        surface->GetDesc(&backBuffer);
        surface->Release();
    }

    // The lens is shaped for the desktop's proportion in full screen, as players know it.
    UINT sceneWidth = backBuffer.Width;
    UINT sceneHeight = backBuffer.Height;
    DEVMODEW desktop{};
    if (Startup.fullScreenPresentation && EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &desktop)) {
        sceneWidth = desktop.dmPelsWidth;
        sceneHeight = desktop.dmPelsHeight;
    }
    HRESULT hr = CreateTargets(sceneWidth, sceneHeight);
    if (SUCCEEDED(hr)) {
        hr = ClearTargets();
    }
    if (SUCCEEDED(hr)) {
        hr = CreateEffect();
    }
    if (SUCCEEDED(hr)) {
        hr = LoadTextures();
    }
    if (SUCCEEDED(hr)) {
        hr = CheckLevelMaps();
    }
    if (FAILED(hr)) {
        return hr;
    }

    Gpu.device->SetTexture(0, Gpu.textures[kPicHeadface]);
    Gpu.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Gpu.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Gpu.device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Gpu.device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    Gpu.worldViewProjectionParam = Gpu.effect->GetParameterByName(nullptr, "mWorldViewProjection");
    LoadLevel(0);
    return S_OK;
}

void CreateSharedVertexBuffer()
{
    if (Gpu.device == nullptr) {
        return;
    }
    if (FAILED(Gpu.device->CreateVertexBuffer(kSharedVertexBufferBytes, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT,
                                              &Gpu.sharedVertexBuffer, nullptr))) {
        Gpu.sharedVertexBuffer = nullptr;
    }
}

void Shutdown()
{
    // The shared buffer first, then the world's, then everything else the device made.
    ReleaseOnce(Gpu.sharedVertexBuffer);
    World.ReleaseBuffer();
    Gpu.Reset();
}
