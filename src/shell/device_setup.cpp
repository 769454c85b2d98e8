#include "shell/device_setup.h"

#include <cstdio>
#include <string>

#include "platform/gfx/device_problem.h"
#include "platform/gfx/prefetch.h"
#include "platform/gfx/problems.h"
#include "platform/window/window.h"
#include "shell/controller.h"
#include "render/gpu/graphics_objects.h"
#include "shell/input_state.h"
#include "shell/level_load.h"
#include "shell/media_search.h"
#include "world/world.h"

IDirect3D9* Direct3D = nullptr;
IDirect3DTexture9* SceneTarget = nullptr;
IDirect3DSurface9* SceneSurface = nullptr;
IDirect3DTexture9* ColorTarget64 = nullptr;
IDirect3DSurface9* ColorSurface64 = nullptr;
IDirect3DTexture9* FloatTarget64 = nullptr;
IDirect3DSurface9* FloatSurface64 = nullptr;
IDirect3DSurface9* KeptRenderTarget = nullptr;
bool FullScreenPresentation = false;
bool ImmediatePresentation = false;
StartupFailure LastStartupFailure{};

namespace {

constexpr UINT kSmallTargetSize = 64;

HRESULT Fail(HRESULT result, const char* format, const char* subject = "")
{
    std::snprintf(LastStartupFailure.what, sizeof LastStartupFailure.what, format, subject);
    LastStartupFailure.result = result;
    return result;
}

template <typename T>
void ReleaseOnce(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

void FillPresentation(D3DPRESENT_PARAMETERS& pp)
{
    pp = D3DPRESENT_PARAMETERS{};
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = nullptr;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    if (FullScreenPresentation) {
        DEVMODEW mode{};
        EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
        pp.BackBufferWidth = mode.dmPelsWidth;
        pp.BackBufferHeight = mode.dmPelsHeight;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Windowed = FALSE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        PointerSpan = kFullScreenPointerSpan;
    } else {
        pp.BackBufferFormat = D3DFMT_UNKNOWN;
        pp.Windowed = TRUE;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    }
    if (ImmediatePresentation) {
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    }
}

// The graphics layer's own line when it gave one (it names the file and says what is
// wrong), so that a refused file makes one line, not two.
HRESULT FailNaming(HRESULT result, const GfxProblemCapture& problem, const char* path, const char* otherwise)
{
    if (problem.Line().empty()) {
        std::snprintf(LastStartupFailure.what, sizeof LastStartupFailure.what, "%s %s", path, otherwise);
    } else {
        std::snprintf(LastStartupFailure.what, sizeof LastStartupFailure.what, "%s", problem.Line().c_str());
    }
    LastStartupFailure.result = result;
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
    HRESULT hr = D3DXCreateTexture(Device, width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                   &SceneTarget);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be created");
    }
    hr = D3DXCreateTexture(Device, kSmallTargetSize, kSmallTargetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                           D3DPOOL_DEFAULT, &ColorTarget64);
    if (FAILED(hr)) {
        return Fail(hr, "the 64 x 64 colour render target could not be created");
    }
    hr = D3DXCreateTexture(Device, kSmallTargetSize, kSmallTargetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                           D3DPOOL_DEFAULT, &FloatTarget64);
    if (FAILED(hr)) {
        return Fail(hr, "the 64 x 64 float render target could not be created");
    }
    if (FAILED(hr = SceneTarget->GetSurfaceLevel(0, &SceneSurface)) ||
        FAILED(hr = ColorTarget64->GetSurfaceLevel(0, &ColorSurface64)) ||
        FAILED(hr = FloatTarget64->GetSurfaceLevel(0, &FloatSurface64))) {
        return Fail(hr, "a render target's surface could not be read");
    }
    return S_OK;
}

// Each target is cleared once; the frames never draw into them.
HRESULT ClearTargets()
{
    Device->GetRenderTarget(0, &KeptRenderTarget);
    HRESULT hr = Device->SetRenderTarget(0, ColorSurface64);
    if (FAILED(hr)) {
        return Fail(hr, "the colour render target could not be selected");
    }
    Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    Device->SetRenderTarget(0, FloatSurface64);
    Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    hr = Device->SetRenderTarget(0, SceneSurface);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be selected");
    }
    hr = Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    if (FAILED(hr)) {
        return Fail(hr, "the scene render target could not be cleared");
    }
    hr = Device->SetRenderTarget(0, KeptRenderTarget);
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
    hr = D3DXCreateEffectFromFileW(Device, path, nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr, &Effect, nullptr);
    if (FAILED(hr)) {
        Effect = nullptr;
        return FailNaming(hr, problem, path, "could not be compiled");
    }
    hr = Effect->SetTexture("RenderTargetTexture", SceneTarget);
    if (FAILED(hr)) {
        return Fail(hr, "the effect has no parameter RenderTargetTexture");
    }
    D3DSURFACE_DESC desc{};
    SceneSurface->GetDesc(&desc);
    if (FAILED(hr = Effect->SetFloat("RenderTargetWidth", static_cast<float>(desc.Width)))) {
        return Fail(hr, "the effect has no parameter RenderTargetWidth");
    }
    if (FAILED(hr = Effect->SetFloat("RenderTargetHeight", static_cast<float>(desc.Height)))) {
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
        hr = D3DXCreateTextureFromFileW(Device, path, picture.texture);
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
    LastStartupFailure = StartupFailure{};
    MapTexture = nullptr;
    SetupController(window);

    Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (Direct3D == nullptr) {
        return Fail(E_FAIL, "no OpenGL 3.3 graphics is available");
    }
    D3DPRESENT_PARAMETERS pp;
    FillPresentation(pp);
    if (FAILED(Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &pp, &Device))) {
        Device = nullptr;
        return GfxDeviceProblem()[0] != '\0'
                   ? Fail(E_FAIL, "the graphics device could not be created: %s", GfxDeviceProblem())
                   : Fail(E_FAIL, "the graphics device could not be created");
    }
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Device->SetRenderState(D3DRS_LIGHTING, FALSE);

    D3DSURFACE_DESC backBuffer{};
    IDirect3DSurface9* surface = nullptr;
    if (SUCCEEDED(Device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface)) && surface != nullptr) {
        surface->GetDesc(&backBuffer);
        surface->Release();
    }

    HRESULT hr = CreateTargets(backBuffer.Width, backBuffer.Height);
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

    Device->SetTexture(0, HeadfaceTexture);
    Device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    Device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    WorldViewProjectionParam = Effect->GetParameterByName(nullptr, "mWorldViewProjection");
    LoadLevel(0);
    return S_OK;
}

void CreateSharedVertexBuffer()
{
    if (Device == nullptr) {
        return;
    }
    if (FAILED(Device->CreateVertexBuffer(kSharedVertexBufferBytes, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_DEFAULT,
                                          &SharedVertexBuffer, nullptr))) {
        SharedVertexBuffer = nullptr;
    }
}

void Shutdown()
{
    ReleaseOnce(SharedVertexBuffer);
    World.ReleaseBuffer();
    for (const TextureFile& picture : kTextureFiles) {
        ReleaseOnce(*picture.texture);
        if (picture.texture == &GameTitleTexture) {
            ReleaseOnce(MapTexture);
        }
    }
    if (Effect != nullptr) {
        Effect->OnLostDevice();
        ReleaseOnce(Effect);
    }
    WorldViewProjectionParam = nullptr;
    WorldLightingTechnique = nullptr;
    ReleaseOnce(SceneSurface);
    ReleaseOnce(FloatSurface64);
    ReleaseOnce(SceneTarget);
    ReleaseOnce(FloatTarget64);
    // Not in the game's list, but nothing may outlive the device.
    ReleaseOnce(ColorSurface64);
    ReleaseOnce(ColorTarget64);
    ReleaseOnce(KeptRenderTarget);
    ReleaseOnce(Device);
    ReleaseOnce(Direct3D);
}
