#include "platform/gfx/internal/resources.h"

#include <cstdlib>
#include <cstring>

#include "platform/gfx/internal/device.h"

// ---- GfxChild ----

GfxChild::~GfxChild()
{
    if (device_ != nullptr) {
        device_->Disown(this);
    }
}

void GfxChild::Attach(GfxDevice* device, const char* idPrefix, bool adopt)
{
    device_ = device;
    recorder_ = device->Recorder();
    if (recorder_ != nullptr) {
        id_ = recorder_->NextId(idPrefix);
        recorder_->ObjectMade();
    }
    if (adopt) {
        device->Adopt(this);
    }
}

void GfxChild::Orphan()
{
    DropGpu();
    device_ = nullptr;
}

void GfxChild::Follow(GfxDevice* device)
{
    device_ = device;
    recorder_ = device != nullptr ? device->Recorder() : recorder_;
}

bool GfxChild::LastRelease(const char* name, IUnknown* self, ULONG left) const
{
    GFX_RECORD(recorder_, name, static_cast<HRESULT>(left), GfxArgObject(self));
    return left == 0;
}

static HRESULT OrphanResult(const GfxChild& child) { return child.Device() == nullptr ? D3DERR_INVALIDCALL : S_OK; }

// ---- vertex buffer ----

GfxVertexBuffer::GfxVertexBuffer(UINT len, DWORD use, DWORD format, D3DPOOL where)
    : length(len), usage(use), fvf(format), pool(where)
{
    // calloc of a large block maps fresh zero pages: only the pages written get committed.
    data = static_cast<std::byte*>(std::calloc(len, 1));
}

GfxVertexBuffer::~GfxVertexBuffer()
{
    DropGpu();
    std::free(data);
    if (recorder_ != nullptr) {
        recorder_->ObjectDestroyed();
    }
}

void GfxVertexBuffer::DropGpu()
{
    if (device_ != nullptr && gl.buffer != 0) {
        device_->DropBuffer(this);
    }
    gl.buffer = 0;
    gl.size = 0;
}

ULONG GfxVertexBuffer::AddRef() { return ++refs_; }

ULONG GfxVertexBuffer::Release()
{
    const ULONG left = --refs_;
    if (LastRelease("IDirect3DVertexBuffer9::Release", this, left)) {
        delete this;
    }
    return left;
}

HRESULT GfxVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    static constexpr const char* kName = "IDirect3DVertexBuffer9::Lock";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = OrphanResult(*this);
    }
    const std::uint64_t end =
        SizeToLock == 0 ? length : static_cast<std::uint64_t>(OffsetToLock) + static_cast<std::uint64_t>(SizeToLock);
    if (hr == S_OK && (ppbData == nullptr || locked || OffsetToLock > length || end > length)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        locked = true;
        lockBegin = OffsetToLock;
        lockEnd = (Flags & D3DLOCK_READONLY) != 0 ? OffsetToLock : static_cast<UINT>(end);
        *ppbData = data + OffsetToLock;
    } else if (ppbData != nullptr) {
        *ppbData = nullptr;
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgOf(OffsetToLock),
               GfxArgOf(SizeToLock), GfxArgOf(Flags));
    return hr;
}

HRESULT GfxVertexBuffer::Unlock()
{
    static constexpr const char* kName = "IDirect3DVertexBuffer9::Unlock";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = OrphanResult(*this);
    }
    if (hr == S_OK && !locked) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        locked = false;
        if (lockEnd > lockBegin) {
            if (dirtyEnd == dirtyBegin) {
                dirtyBegin = lockBegin;
                dirtyEnd = lockEnd;
            } else {
                dirtyBegin = lockBegin < dirtyBegin ? lockBegin : dirtyBegin;
                dirtyEnd = lockEnd > dirtyEnd ? lockEnd : dirtyEnd;
            }
            highWater = lockEnd > highWater ? lockEnd : highWater;
        }
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)));
    return hr;
}

HRESULT GfxVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc)
{
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
    return S_OK;
}

// ---- surfaces ----

GfxSurface::GfxSurface(GfxTexture* container, D3DFORMAT fmt, DWORD use, D3DPOOL where, UINT w, UINT h)
    : owner(container), format(fmt), usage(use), pool(where), width(w), height(h)
{
    pixels = static_cast<std::byte*>(std::calloc(static_cast<std::size_t>(w) * h, 4));
}

GfxSurface::~GfxSurface()
{
    if (owner == nullptr) {
        DropGpu();
        if (recorder_ != nullptr) {
            recorder_->ObjectDestroyed();
        }
    } else {
        device_ = nullptr;  // the texture is the child the device knows about
    }
    std::free(pixels);
}

void GfxSurface::DropGpu()
{
    if (device_ != nullptr) {
        device_->DropSurface(this);
    }
    gl.texture = 0;
    gl.framebuffer = 0;
}

ULONG GfxSurface::AddRef() { return owner != nullptr ? owner->AddRef() : ++refs_; }

ULONG GfxSurface::Release()
{
    if (owner != nullptr) {
        return owner->Release();
    }
    const ULONG left = --refs_;
    if (LastRelease("IDirect3DSurface9::Release", this, left)) {
        delete this;
    }
    return left;
}

HRESULT GfxSurface::GetDesc(D3DSURFACE_DESC* pDesc)
{
    static constexpr const char* kName = "IDirect3DSurface9::GetDesc";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && pDesc == nullptr) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        *pDesc = D3DSURFACE_DESC{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, width, height};
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)));
    return hr;
}

HRESULT GfxSurface::DoLock(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    if (device_ == nullptr || pLockedRect == nullptr || pRect != nullptr || locked || pixels == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if ((IsRenderTarget() || owner == nullptr) && !device_->ReadBackTarget(this)) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    locked = true;
    lockReadOnly = (Flags & D3DLOCK_READONLY) != 0;
    pLockedRect->Pitch = static_cast<INT>(Pitch());
    pLockedRect->pBits = pixels;
    return S_OK;
}

HRESULT GfxSurface::DoUnlock()
{
    if (device_ == nullptr || !locked) {
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    if (!lockReadOnly) {
        cpuDirty = true;
        // A target's GPU copy is the live one: put what was written there now, before
        // anything draws over it.
        if (IsRenderTarget() || owner == nullptr) {
            device_->UploadTarget(this);
        }
    }
    return S_OK;
}

HRESULT GfxSurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    static constexpr const char* kName = "IDirect3DSurface9::LockRect";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = DoLock(pLockedRect, pRect, Flags);
    }
    if (FAILED(hr) && pLockedRect != nullptr) {
        *pLockedRect = D3DLOCKED_RECT{0, nullptr};
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgPointer(pRect),
               GfxArgOf(Flags));
    return hr;
}

HRESULT GfxSurface::UnlockRect()
{
    static constexpr const char* kName = "IDirect3DSurface9::UnlockRect";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = DoUnlock();
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)));
    return hr;
}

// ---- textures ----

GfxTexture::GfxTexture(UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : surface_(this, format, usage, pool, width, height)
{
}

GfxTexture::~GfxTexture()
{
    DropGpu();
    if (recorder_ != nullptr) {
        recorder_->ObjectDestroyed();
    }
}

void GfxTexture::DropGpu()
{
    surface_.DropGpu();
    surface_.Follow(nullptr);
}

ULONG GfxTexture::AddRef() { return ++refs_; }

ULONG GfxTexture::Release()
{
    const ULONG left = --refs_;
    if (LastRelease("IDirect3DTexture9::Release", this, left)) {
        delete this;
    }
    return left;
}

HRESULT GfxTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc)
{
    static constexpr const char* kName = "IDirect3DTexture9::GetLevelDesc";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (Level != 0 || pDesc == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        *pDesc = D3DSURFACE_DESC{surface_.format, D3DRTYPE_SURFACE, surface_.usage, surface_.pool, D3DMULTISAMPLE_NONE,
                                 0, surface_.width, surface_.height};
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgOf(Level));
    return hr;
}

HRESULT GfxTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel)
{
    static constexpr const char* kName = "IDirect3DTexture9::GetSurfaceLevel";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK && (Level != 0 || ppSurfaceLevel == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        AddRef();
        *ppSurfaceLevel = &surface_;
    } else if (ppSurfaceLevel != nullptr) {
        *ppSurfaceLevel = nullptr;
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgOf(Level));
    return hr;
}

HRESULT GfxTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    static constexpr const char* kName = "IDirect3DTexture9::LockRect";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = Level != 0 ? D3DERR_INVALIDCALL : surface_.DoLock(pLockedRect, pRect, Flags);
    }
    if (FAILED(hr) && pLockedRect != nullptr) {
        *pLockedRect = D3DLOCKED_RECT{0, nullptr};
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgOf(Level),
               GfxArgPointer(pRect), GfxArgOf(Flags));
    return hr;
}

HRESULT GfxTexture::UnlockRect(UINT Level)
{
    static constexpr const char* kName = "IDirect3DTexture9::UnlockRect";
    HRESULT hr = device_ != nullptr ? device_->Inject(kName) : S_OK;
    if (hr == S_OK) {
        hr = Level != 0 ? D3DERR_INVALIDCALL : surface_.DoUnlock();
    }
    GFX_RECORD(CallRecorder(), kName, hr, GfxArgObject(static_cast<IUnknown*>(this)), GfxArgOf(Level));
    return hr;
}
