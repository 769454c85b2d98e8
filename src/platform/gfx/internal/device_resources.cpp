// The objects a device makes and hands out: vertex buffers, textures (also for the D3DX
// calls, through MakeTexture), the back buffer and the render target.

#include <cstring>

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
    const bool badLength = Length == 0 || (FVF != 0 && Length < FvfSize(FVF));
    GfxCheck check(recorder_, "IDirect3DDevice9::CreateVertexBuffer",
                   ppVertexBuffer == nullptr || pSharedHandle != nullptr || badLength || Pool > D3DPOOL_MANAGED);
    GfxVertexBuffer* buffer = check.Ok() ? new GfxVertexBuffer(Length) : nullptr;
    if (buffer != nullptr && !buffer->Allocated()) {
        delete buffer;
        buffer = nullptr;
        check.hr = D3DERR_OUTOFVIDEOMEMORY;
    } else if (buffer != nullptr) {
        buffer->Attach(this, "vb");
    }
    GfxPut(ppVertexBuffer, buffer);
    return GfxLogMade(GFX_RECORD(check, Length, Usage, FVF, Pool, pSharedHandle), buffer, check.hr);
}

GfxTexture* GfxDevice::MakeTexture(GfxCheck& check, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                   D3DPOOL pool)
{
    const bool badSize = width == 0 || height == 0 || width > 4096 || height > 4096;
    const bool badFormat = format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_R32F;
    const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    const bool badPool = pool > D3DPOOL_MANAGED || (renderTarget && pool != D3DPOOL_DEFAULT);
    if (check.Ok() && (badSize || badFormat || badPool || levels > 1 || (usage & ~D3DUSAGE_RENDERTARGET) != 0)) {
        check.hr = D3DERR_INVALIDCALL;
    }
    if (!check.Ok()) {
        return nullptr;
    }
    auto* texture = new GfxTexture(width, height, usage, format, pool);
    if (!texture->Allocated()) {
        delete texture;
        check.hr = D3DERR_OUTOFVIDEOMEMORY;
        return nullptr;
    }
    texture->Attach(this, "tex");
    texture->Surface().Follow(this);
    if (recorder_ != nullptr) {
        texture->Surface().SetId(texture->Id() + "/0");
    }
    if (gl_ != nullptr && !gl_->MakeTexture(&texture->Surface())) {
        texture->Release();
        check.hr = D3DERR_OUTOFVIDEOMEMORY;
        return nullptr;
    }
    return texture;
}

HRESULT GfxDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle)
{
    GfxCheck check(recorder_, "IDirect3DDevice9::CreateTexture", ppTexture == nullptr || pSharedHandle != nullptr);
    GfxTexture* texture = MakeTexture(check, Width, Height, Levels, Usage, Format, Pool);
    GfxPut(ppTexture, texture);
    GfxCall* call = GFX_RECORD(check, Width, Height, Levels, Usage, Format, Pool, pSharedHandle);
    return GfxLogMade(call, texture, check.hr);
}

HRESULT GfxDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                 IDirect3DSurface9** ppBackBuffer)
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::GetBackBuffer",
                         iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO ||
                             ppBackBuffer == nullptr || backBuffer_ == nullptr);
    GfxPut(ppBackBuffer, check.Ok() ? GfxShared(backBuffer_) : nullptr);
    return GFX_RESULT(check, iSwapChain, iBackBuffer, Type);
}

HRESULT GfxDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget)
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::GetRenderTarget",
                         RenderTargetIndex != 0 || ppRenderTarget == nullptr || renderTarget_ == nullptr);
    GfxPut(ppRenderTarget, check.Ok() ? GfxShared(renderTarget_) : nullptr);
    return GfxLogMade(GFX_RECORD(check, RenderTargetIndex), check.Ok() ? renderTarget_ : nullptr, check.hr);
}

HRESULT GfxDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget)
{
    auto* surface = dynamic_cast<GfxSurface*>(pRenderTarget);
    const GfxCheck check(
        recorder_, "IDirect3DDevice9::SetRenderTarget",
        RenderTargetIndex != 0 || surface == nullptr || surface->Device() != this || !surface->IsRenderTarget());
    if (check.Ok()) {
        GfxHold(renderTarget_, surface);
        if (gl_ != nullptr) {
            gl_->BindTarget(surface);
        }
    }
    return GFX_RESULT(check, RenderTargetIndex, pRenderTarget);
}

HRESULT GfxDevice::StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                               IDirect3DSurface9* pDestSurface, const RECT* pDestRect, D3DTEXTUREFILTERTYPE Filter)
{
    auto* from = dynamic_cast<GfxSurface*>(pSourceSurface);
    auto* to = dynamic_cast<GfxSurface*>(pDestSurface);
    const auto target = [this](const GfxSurface* s) {
        return s != nullptr && s->Device() == this && s->IsRenderTarget();
    };
    const bool badSurfaces = !target(from) || !target(to) || from == to ||
                             (from->width != to->width || from->height != to->height || from->format != to->format);
    const GfxCheck check(recorder_, "IDirect3DDevice9::StretchRect",
                         badSurfaces || pSourceRect != nullptr || pDestRect != nullptr || Filter > D3DTEXF_LINEAR);
    if (check.Ok()) {
        if (gl_ != nullptr) {
            gl_->Copy(*from, *to);
        } else if (from->pixels != nullptr && to->pixels != nullptr) {
            std::memcpy(to->pixels, from->pixels, static_cast<std::size_t>(to->width) * to->height * 4);
        }
    }
    return GFX_RESULT(check, pSourceSurface, pSourceRect, pDestSurface, pDestRect, Filter);
}
