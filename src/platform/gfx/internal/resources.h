#pragma once

// Private to the graphics layer: vertex buffers, surfaces and textures, shared by both
// backends. Each holds its CPU copy and validation; what GL adds is grouped in its `gl` part.

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/internal/recording.h"

class GfxDevice;
class GfxTexture;

// Points `slot` at `object`, holding a reference to it and dropping the one to what it held.
template <class T>
void GfxHold(T*& slot, std::type_identity_t<T>* object)
{
    if (object != nullptr) {
        object->AddRef();
    }
    if (slot != nullptr) {
        slot->Release();
    }
    slot = object;
}

// `object` with a reference added for the caller.
template <class T>
T* GfxShared(T* object)
{
    object->AddRef();
    return object;
}

// Fills a call's out-pointer when the caller gave one.
template <class T>
void GfxPut(T** out, std::type_identity_t<T>* value)
{
    if (out != nullptr) {
        *out = value;
    }
}

// Reference counting and the link to the device that made an object. When a device goes
// away before its children, it drops their GPU objects and clears `device_`; such an
// orphan fails every call with D3DERR_INVALIDCALL but can still be released.
class GfxChild {
public:
    virtual ~GfxChild();
    virtual void DropGpu() {}
    // Joins the device's list of children, with an id for the recorder.
    void Attach(GfxDevice* device, const char* idPrefix);
    void Orphan()
    {
        DropGpu();
        device_ = nullptr;
    }
    // Points at the device without joining its list (a texture's level surface).
    void Follow(GfxDevice* device);
    GfxDevice* Device() const { return device_; }
    // The recorder that logs this object's calls: none once orphaned (its Release still logs).
    GfxRecorder* CallRecorder() const { return device_ != nullptr ? recorder_ : nullptr; }
    const std::string& Id() const { return id_; }
    // This object as the recorder logs it.
    GfxArg Self() const { return dynamic_cast<const IUnknown*>(this); }
    void SetId(std::string id) { id_ = std::move(id); }

protected:
    // The check of this object's call: an orphan's calls are all invalid.
    GfxCheck Check(const char* name, bool invalid) const
    {
        return GfxCheck(CallRecorder(), name, device_ == nullptr || invalid);
    }
    // Drops a reference and logs the Release `name`; destroys this with the last.
    ULONG Unref(const char* name) { return GfxUnref(this, refs_, recorder_, name, dynamic_cast<IUnknown*>(this)); }

    GfxDevice* device_ = nullptr;
    GfxRecorder* recorder_ = nullptr;  // kept past orphaning, so Release still logs
    bool counted_ = false;             // among the recorder's live objects (Attach)
    ULONG refs_ = 1;
    std::string id_;
};

class GfxVertexBuffer final : public IDirect3DVertexBuffer9, public GfxChild {
public:
    explicit GfxVertexBuffer(UINT length);
    ~GfxVertexBuffer() override;
    bool Allocated() const { return data != nullptr; }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return Unref("IDirect3DVertexBuffer9::Release"); }
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    void DropGpu() override;

    // The written bytes not yet on the GPU, [dirtyBegin, dirtyEnd), and the end of the
    // highest byte ever written.
    std::byte* data = nullptr;  // calloc'd: pages are committed only as they are written
    UINT length;
    bool locked = false;
    UINT lockBegin = 0, lockEnd = 0;
    UINT dirtyBegin = 0, dirtyEnd = 0;
    UINT highWater = 0;
    // The GL side; stays empty on the recording backend.
    struct {
        unsigned buffer = 0;
        UINT size = 0;
    } gl;
};

class GfxSurface final : public IDirect3DSurface9, public GfxChild {
public:
    // A level of `owner` (references go to the texture), or a back buffer (owner null).
    GfxSurface(GfxTexture* owner, D3DFORMAT format, DWORD usage, D3DPOOL pool, UINT width, UINT height);
    ~GfxSurface() override;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect() override;
    void DropGpu() override;

    // Lock and unlock without logging, for this surface's and its texture's calls (`name`).
    GfxCheck DoLock(const char* name, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags,
                    bool badLevel = false);
    GfxCheck DoUnlock(const char* name, bool badLevel);
    bool IsRenderTarget() const { return (usage & D3DUSAGE_RENDERTARGET) != 0; }
    D3DSURFACE_DESC Desc() const { return D3DSURFACE_DESC{format, usage, width, height}; }

    GfxTexture* owner;
    D3DFORMAT format;
    DWORD usage;
    D3DPOOL pool;
    UINT width, height;
    std::byte* pixels = nullptr;  // rows top first, B G R A (or one float for R32F)
    bool locked = false;
    bool lockReadOnly = false;
    bool cpuDirty = false;  // CPU copy newer than the GPU texture
    // The GL side; stays empty on the recording backend.
    struct {
        unsigned texture = 0;
        unsigned framebuffer = 0;  // render targets and the back buffer
        bool depth = false;        // the device's depth buffer is attached to `framebuffer`
        bool stored = false;       // GL holds storage for the pixels (managed ones: from first use)
        bool window = false;       // a back buffer drawn straight into the window (framebuffer 0)
    } gl;
};

class GfxTexture final : public IDirect3DTexture9, public GfxChild {
public:
    GfxTexture(UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool)
        : surface_(this, format, usage, pool, width, height)
    {
    }
    ~GfxTexture() override { DropGpu(); }
    bool Allocated() const { return surface_.pixels != nullptr; }

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return Unref("IDirect3DTexture9::Release"); }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;
    void DropGpu() override;

    GfxSurface& Surface() { return surface_; }

private:
    GfxSurface surface_;
};
