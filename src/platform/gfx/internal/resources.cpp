// Vertex buffers, surfaces and textures: reference counts, the link to their device, the
// CPU copies and the checks of every call on them. Their GPU side is in gl.cpp.

#include "platform/gfx/internal/resources.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl.h"

GfxChild::~GfxChild()
{
    if (device_ != nullptr) {
        device_->Disown(this);
    }
    if (counted_) {
        recorder_->CountObject(-1);
    }
}

void GfxChild::Attach(GfxDevice* device, const char* idPrefix)
{
    device_ = device;
    recorder_ = device->Recorder();
    if (recorder_ != nullptr) {
        id_ = recorder_->NextId(idPrefix);
        recorder_->CountObject(1);
        counted_ = true;
    }
    device->Adopt(this);
}

void GfxChild::Follow(GfxDevice* device)
{
    device_ = device;
    recorder_ = device != nullptr ? device->Recorder() : recorder_;
}

GfxVertexBuffer::GfxVertexBuffer(UINT len) : length(len)
{
    // calloc of a large block maps fresh zero pages: only the pages written get committed.
    data = static_cast<std::byte*>(std::calloc(len, 1));
}

GfxVertexBuffer::~GfxVertexBuffer()
{
    DropGpu();
    std::free(data);
}

void GfxVertexBuffer::DropGpu()
{
    if (device_ != nullptr && device_->Gl() != nullptr && gl.buffer != 0) {
        device_->Gl()->DropBuffer(this);
    }
    gl = {};
}

HRESULT GfxVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    const std::uint64_t end = SizeToLock == 0 ? length : std::uint64_t{OffsetToLock} + SizeToLock;
    const GfxCheck check =
        Check("IDirect3DVertexBuffer9::Lock", ppbData == nullptr || locked || OffsetToLock > length || end > length);
    if (check.Ok()) {
        locked = true;
        lockBegin = OffsetToLock;
        lockEnd = (Flags & D3DLOCK_READONLY) != 0 ? OffsetToLock : static_cast<UINT>(end);
        *ppbData = data + OffsetToLock;
    } else if (ppbData != nullptr) {
        *ppbData = nullptr;
    }
    return GFX_RESULT(check, Self(), OffsetToLock, SizeToLock, Flags);
}

HRESULT GfxVertexBuffer::Unlock()
{
    const GfxCheck check = Check("IDirect3DVertexBuffer9::Unlock", !locked);
    if (check.Ok()) {
        locked = false;
        if (lockEnd > lockBegin) {
            const bool clean = dirtyEnd == dirtyBegin;
            dirtyBegin = clean ? lockBegin : std::min(lockBegin, dirtyBegin);
            dirtyEnd = clean ? lockEnd : std::max(lockEnd, dirtyEnd);
            highWater = std::max(lockEnd, highWater);
        }
    }
    return GFX_RESULT(check, Self());
}

GfxSurface::GfxSurface(GfxTexture* container, D3DFORMAT fmt, DWORD use, D3DPOOL where, UINT w, UINT h)
    : owner(container), format(fmt), usage(use), pool(where), width(w), height(h)
{
    pixels = static_cast<std::byte*>(std::calloc(static_cast<std::size_t>(w) * h, 4));
}

GfxSurface::~GfxSurface()
{
    if (owner == nullptr) {
        DropGpu();
    } else {
        device_ = nullptr;  // the texture is the child the device knows about
    }
    std::free(pixels);
}

void GfxSurface::DropGpu()
{
    if (device_ != nullptr && device_->Gl() != nullptr) {
        device_->Gl()->DropSurface(this);
    }
    gl = {};
}

ULONG GfxSurface::AddRef() { return owner != nullptr ? owner->AddRef() : ++refs_; }

// A level's references are its texture's; a back buffer counts its own.
ULONG GfxSurface::Release() { return owner != nullptr ? owner->Release() : Unref("IDirect3DSurface9::Release"); }

HRESULT GfxSurface::GetDesc(D3DSURFACE_DESC* pDesc)
{
    const GfxCheck check(CallRecorder(), "IDirect3DSurface9::GetDesc", pDesc == nullptr);
    if (check.Ok()) {
        *pDesc = Desc();
    }
    return GFX_RESULT(check, Self());
}

GfxCheck GfxSurface::DoLock(const char* name, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags,
                            bool badLevel)
{
    GfxCheck check = Check(name, badLevel || pLockedRect == nullptr || pRect != nullptr || locked || pixels == nullptr);
    // A target's GPU copy is the live one: read it before a lock, write it back after.
    GfxGl* gl = check.Ok() && (IsRenderTarget() || owner == nullptr) ? device_->Gl() : nullptr;
    if (gl != nullptr && !gl->ReadBack(this)) {
        check.hr = D3DERR_DRIVERINTERNALERROR;
    }
    if (check.Ok()) {
        locked = true;
        lockReadOnly = (Flags & D3DLOCK_READONLY) != 0;
    }
    if (pLockedRect != nullptr) {
        *pLockedRect = check.Ok() ? D3DLOCKED_RECT{static_cast<INT>(width * 4), pixels} : D3DLOCKED_RECT{0, nullptr};
    }
    return check;
}

GfxCheck GfxSurface::DoUnlock(const char* name, bool badLevel)
{
    const GfxCheck check = Check(name, badLevel || !locked);
    if (!check.Ok()) {
        return check;
    }
    locked = false;
    if (!lockReadOnly) {
        cpuDirty = true;
        // A target's GPU copy is the live one: put what was written there now, before
        // anything draws over it.
        if ((IsRenderTarget() || owner == nullptr) && device_->Gl() != nullptr) {
            device_->Gl()->UploadTexture(this);
        }
    }
    return check;
}

HRESULT GfxSurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    const GfxCheck check = DoLock("IDirect3DSurface9::LockRect", pLockedRect, pRect, Flags);
    return GFX_RESULT(check, Self(), pRect, Flags);
}

HRESULT GfxSurface::UnlockRect()
{
    const GfxCheck check = DoUnlock("IDirect3DSurface9::UnlockRect", false);
    return GFX_RESULT(check, Self());
}

void GfxTexture::DropGpu()
{
    surface_.DropGpu();
    surface_.Follow(nullptr);
}

HRESULT GfxTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc)
{
    const GfxCheck check(CallRecorder(), "IDirect3DTexture9::GetLevelDesc", Level != 0 || pDesc == nullptr);
    if (check.Ok()) {
        *pDesc = surface_.Desc();
    }
    return GFX_RESULT(check, Self(), Level);
}

HRESULT GfxTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel)
{
    const GfxCheck check(CallRecorder(), "IDirect3DTexture9::GetSurfaceLevel", Level != 0 || ppSurfaceLevel == nullptr);
    GfxPut(ppSurfaceLevel, check.Ok() ? GfxShared(&surface_) : nullptr);
    return GFX_RESULT(check, Self(), Level);
}

HRESULT GfxTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    const GfxCheck check = surface_.DoLock("IDirect3DTexture9::LockRect", pLockedRect, pRect, Flags, Level != 0);
    return GFX_RESULT(check, Self(), Level, pRect, Flags);
}

HRESULT GfxTexture::UnlockRect(UINT Level)
{
    const GfxCheck check = surface_.DoUnlock("IDirect3DTexture9::UnlockRect", Level != 0);
    return GFX_RESULT(check, Self(), Level);
}
