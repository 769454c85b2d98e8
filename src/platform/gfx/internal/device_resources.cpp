// The objects a device makes and hands out: vertex buffers, textures (also for the D3DX
// calls, through MakeTexture), the back buffer and the render target.

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl.h"

namespace {

// Bytes of one vertex of a flexible vertex format: position, normal, colour, texture coordinates.
UINT FvfSize(DWORD fvf)
{
    constexpr DWORD kNormal = 0x010;
    return ((fvf & D3DFVF_XYZ) != 0 ? 12 : 0) + ((fvf & kNormal) != 0 ? 12 : 0) +
           ((fvf & D3DFVF_DIFFUSE) != 0 ? 4 : 0) + ((fvf >> 8) & 0xF) * 8;
}

}  // namespace

HRESULT GfxDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                      IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle)
{
    static constexpr const char* kName = "IDirect3DDevice9::CreateVertexBuffer";
    const bool badLength = Length == 0 || (FVF != 0 && Length < FvfSize(FVF));
    HRESULT hr = GfxCheck(recorder_, kName,
                          ppVertexBuffer == nullptr || pSharedHandle != nullptr || badLength || Pool > D3DPOOL_MANAGED);
    GfxVertexBuffer* buffer = nullptr;
    if (hr == S_OK) {
        buffer = new GfxVertexBuffer(Length);
        if (!buffer->Allocated()) {
            delete buffer;
            buffer = nullptr;
            hr = D3DERR_OUTOFVIDEOMEMORY;
        } else {
            buffer->Attach(this, "vb");
        }
    }
    GfxPut(ppVertexBuffer, buffer);
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(Length), GfxArgOf(Usage), GfxArgOf(FVF), GfxArgOf(Pool),
                               GfxArgPointer(pSharedHandle));
    return GfxLogMade(call, buffer, hr);
}

HRESULT GfxDevice::MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                               GfxTexture** out)
{
    *out = nullptr;
    const bool badSize = width == 0 || height == 0 || width > 4096 || height > 4096;
    const bool badFormat = format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_R32F;
    const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    const bool badPool = pool > D3DPOOL_MANAGED || (renderTarget && pool != D3DPOOL_DEFAULT);
    if (badSize || badFormat || badPool || levels > 1 || (usage & ~D3DUSAGE_RENDERTARGET) != 0) {
        return D3DERR_INVALIDCALL;
    }
    auto* texture = new GfxTexture(width, height, usage, format, pool);
    if (!texture->Allocated()) {
        delete texture;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    texture->Attach(this, "tex");
    texture->Surface().Follow(this);
    if (recorder_ != nullptr) {
        texture->Surface().SetId(texture->Id() + "/0");
    }
    if (gl_ != nullptr && !gl_->MakeTexture(&texture->Surface())) {
        texture->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *out = texture;
    return S_OK;
}

HRESULT GfxDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle)
{
    static constexpr const char* kName = "IDirect3DDevice9::CreateTexture";
    HRESULT hr = GfxCheck(recorder_, kName, ppTexture == nullptr || pSharedHandle != nullptr);
    GfxTexture* texture = nullptr;
    if (hr == S_OK) {
        hr = MakeTexture(Width, Height, Levels, Usage, Format, Pool, &texture);
    }
    GfxPut(ppTexture, texture);
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(Width), GfxArgOf(Height), GfxArgOf(Levels),
                               GfxArgOf(Usage), GfxArgOf(Format), GfxArgOf(Pool), GfxArgPointer(pSharedHandle));
    return GfxLogMade(call, texture, hr);
}

HRESULT GfxDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                 IDirect3DSurface9** ppBackBuffer)
{
    static constexpr const char* kName = "IDirect3DDevice9::GetBackBuffer";
    const HRESULT hr = GfxCheck(recorder_, kName,
                                iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO ||
                                    ppBackBuffer == nullptr || backBuffer_ == nullptr);
    GfxPut(ppBackBuffer, hr == S_OK ? GfxShared(backBuffer_) : nullptr);
    return GFX_RESULT(recorder_, kName, hr, GfxArgOf(iSwapChain), GfxArgOf(iBackBuffer), GfxArgOf(Type));
}

HRESULT GfxDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget)
{
    static constexpr const char* kName = "IDirect3DDevice9::GetRenderTarget";
    const HRESULT hr =
        GfxCheck(recorder_, kName, RenderTargetIndex != 0 || ppRenderTarget == nullptr || renderTarget_ == nullptr);
    GfxPut(ppRenderTarget, hr == S_OK ? GfxShared(renderTarget_) : nullptr);
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(RenderTargetIndex));
    return GfxLogMade(call, hr == S_OK ? renderTarget_ : nullptr, hr);
}

HRESULT GfxDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetRenderTarget";
    auto* surface = dynamic_cast<GfxSurface*>(pRenderTarget);
    const HRESULT hr = GfxCheck(recorder_, kName,
                                RenderTargetIndex != 0 || surface == nullptr || surface->Device() != this ||
                                    !surface->IsRenderTarget());
    if (hr == S_OK) {
        GfxHold(renderTarget_, surface);
        if (gl_ != nullptr) {
            gl_->BindTarget(surface);
        }
    }
    return GFX_RESULT(recorder_, kName, hr, GfxArgOf(RenderTargetIndex), GfxArgObject(pRenderTarget));
}
