#pragma once

// Private to the graphics layer: the one implementation of the Direct3D objects, shared by
// both backends. Validation, state and CPU copies live here; a device with a GfxGl draws
// through OpenGL, a device with a GfxRecorder logs every call. A device may have both.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/recording.h"

class GfxDevice;
class GfxGl;
class GfxEffect;
class GfxTexture;

// The one recording hook: logs a call when `recorder` (a GfxRecorder*, may be null) is set,
// building its arguments only then. Gives the logged GfxCall*, or null.
#define GFX_RECORD(recorder, name, hr, ...) \
    ((recorder) != nullptr ? &(recorder)->Log(name, std::vector<GfxArg>{__VA_ARGS__}, hr) : nullptr)

// ---- argument capture for the recorder ----
inline GfxArg GfxArgOf(std::int64_t v) { GfxArg a; a.kind = GfxArg::Int; a.i = v; return a; }
inline GfxArg GfxArgOf(std::uint32_t v) { return GfxArgOf(static_cast<std::int64_t>(v)); }
inline GfxArg GfxArgOf(std::int32_t v) { return GfxArgOf(static_cast<std::int64_t>(v)); }
inline GfxArg GfxArgOf(float v) { GfxArg a; a.kind = GfxArg::Float; a.f = v; return a; }
inline GfxArg GfxArgText(const char* s) { GfxArg a; a.kind = GfxArg::Text; a.s = s ? s : "null"; return a; }
GfxArg GfxArgObject(const IUnknown* object);  // knows the ids of layer objects
inline GfxArg GfxArgPointer(const void* p) { GfxArg a; a.kind = GfxArg::Object; a.p = p; a.s = p ? "ptr" : "null"; return a; }

// Reference counting and the link to the device that made an object. When a device goes
// away before its children, it drops their GPU objects and clears `device_`; such an
// orphan fails every call with D3DERR_INVALIDCALL but can still be released.
class GfxChild {
public:
    virtual ~GfxChild();
    virtual void DropGpu() {}
    // Joins the device's list of children (Adopt) or just points at it (a texture's level).
    void Attach(GfxDevice* device, const char* idPrefix, bool adopt);
    void Orphan();
    // Points at the device without joining its list (a texture's level surface).
    void Follow(GfxDevice* device);
    GfxDevice* Device() const { return device_; }
    // The recorder that logs this object's calls: none once orphaned (its Release still logs).
    GfxRecorder* CallRecorder() const { return device_ != nullptr ? recorder_ : nullptr; }
    const std::string& Id() const { return id_; }
    void SetId(std::string id) { id_ = std::move(id); }

    GfxChild* prevChild = nullptr;
    GfxChild* nextChild = nullptr;

protected:
    // Logs the Release of `self` that left `left` references; true when it was the last.
    bool LastRelease(const char* name, IUnknown* self, ULONG left) const;
    // GetDevice for every child: the device with a reference added.
    HRESULT DeviceRef(IDirect3DDevice9** ppDevice) const;

    GfxDevice* device_ = nullptr;
    GfxRecorder* recorder_ = nullptr;  // kept past orphaning, so Release still logs
    std::string id_;
};

class GfxVertexBuffer final : public IDirect3DVertexBuffer9, public GfxChild {
public:
    GfxVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~GfxVertexBuffer() override;
    bool Allocated() const { return data != nullptr; }

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;
    void DropGpu() override;

    // The written bytes not yet on the GPU, [dirtyBegin, dirtyEnd), and the end of the
    // highest byte ever written.
    std::byte* data = nullptr;  // calloc'd: pages are committed only as they are written
    UINT length;
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
    bool locked = false;
    UINT lockBegin = 0, lockEnd = 0;
    UINT dirtyBegin = 0, dirtyEnd = 0;
    UINT highWater = 0;
    unsigned glBuffer = 0;
    UINT glSize = 0;

private:
    ULONG refs_ = 1;
};

class GfxSurface final : public IDirect3DSurface9, public GfxChild {
public:
    // A level of `owner` (references go to the texture), or a back buffer (owner null).
    GfxSurface(GfxTexture* owner, D3DFORMAT format, DWORD usage, D3DPOOL pool, UINT width, UINT height);
    ~GfxSurface() override;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect() override;
    void DropGpu() override;

    // Lock without logging, for the texture's LockRect.
    HRESULT DoLock(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags);
    HRESULT DoUnlock();
    bool IsRenderTarget() const { return (usage & D3DUSAGE_RENDERTARGET) != 0; }
    UINT BytesPerPixel() const { return 4; }
    UINT Pitch() const { return width * BytesPerPixel(); }

    GfxTexture* owner;
    D3DFORMAT format;
    DWORD usage;
    D3DPOOL pool;
    UINT width, height;
    std::byte* pixels = nullptr;  // rows top first, B G R A (or one float for R32F)
    bool locked = false;
    bool lockReadOnly = false;
    bool cpuDirty = false;  // CPU copy newer than the GPU texture
    unsigned glTexture = 0;
    unsigned glFramebuffer = 0;  // render targets and the back buffer
    bool glDepth = false;  // the device's depth buffer is attached to glFramebuffer

private:
    ULONG refs_ = 1;  // used only by back buffers
};

class GfxTexture final : public IDirect3DTexture9, public GfxChild {
public:
    GfxTexture(UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~GfxTexture() override;
    bool Allocated() const { return surface_.pixels != nullptr; }

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;
    void DropGpu() override;

    GfxSurface& Surface() { return surface_; }

private:
    ULONG refs_ = 1;
    GfxSurface surface_;
};

// Device states the GL backend turns into GL state at each draw.
struct GfxRenderStates {
    DWORD zEnable = D3DZB_TRUE;
    DWORD zWriteEnable = TRUE;
    DWORD zFunc = D3DCMP_LESSEQUAL;
    DWORD alphaBlendEnable = FALSE;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD blendOp = D3DBLENDOP_ADD;
    DWORD cullMode = D3DCULL_CCW;
    DWORD lighting = TRUE;
    DWORD others[8] = {};  // the states accepted and remembered but not drawn with
};

struct GfxStageStates {
    DWORD colorOp = D3DTOP_MODULATE;
    DWORD colorArg1 = D3DTA_TEXTURE;
    DWORD colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1;
    DWORD alphaArg1 = D3DTA_TEXTURE;
    DWORD alphaArg2 = D3DTA_CURRENT;
};

class GfxDevice final : public IDirect3DDevice9 {
public:
    // `gl` may be null (recording only); the device owns it.
    GfxDevice(GfxRecorder* recorder, GfxGl* gl, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height);
    ~GfxDevice() override;
    // False when the back buffer could not be made.
    bool Ready() const { return backBuffer_ != nullptr; }

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                            UINT Stride) override;
    HRESULT SetFVF(DWORD FVF) override;
    HRESULT GetFVF(DWORD* pFVF) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                          IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
    HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                          IDirect3DSurface9** ppBackBuffer) override;
    HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
    HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;

    // ---- for the rest of the layer ----
    GfxRecorder* Recorder() const { return recorder_; }
    GfxGl* Gl() const { return gl_; }
    void Adopt(GfxChild* child);
    void Disown(GfxChild* child);
    // Makes a texture without logging (D3DX functions log their own call).
    HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        GfxTexture** out);
    // The effect pass that draws until EndPass; null returns to the fixed-function path.
    void SetActivePass(GfxEffect* effect, UINT pass);
    GfxEffect* ActiveEffect() const { return activeEffect_; }
    UINT ActivePass() const;

    // The injected failure for this call, if any (S_OK when none or not recording).
    HRESULT Inject(const char* name) const;

    const GfxRenderStates& States() const { return states_; }
    const GfxStageStates& Stage() const { return stage_; }
    const D3DMATRIX& World() const { return world_; }
    const D3DMATRIX& View() const { return view_; }
    const D3DMATRIX& Projection() const { return projection_; }
    GfxTexture* StageTexture() const { return stageTexture_; }
    GfxSurface* RenderTarget() const { return renderTarget_; }

private:
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT start, UINT count, UINT vertexCount);

    ULONG refs_ = 1;
    GfxRecorder* recorder_;
    GfxGl* gl_;
    D3DPRESENT_PARAMETERS params_;
    GfxChild* children_ = nullptr;
    GfxSurface* backBuffer_ = nullptr;
    GfxSurface* renderTarget_ = nullptr;  // one reference held
    GfxVertexBuffer* stream_ = nullptr;   // one reference held
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
    GfxTexture* stageTexture_ = nullptr;  // one reference held
    DWORD fvf_ = 0;
    bool inScene_ = false;
    bool hasDepth_ = false;
    GfxRenderStates states_;
    GfxStageStates stage_;
    D3DMATRIX world_;
    D3DMATRIX view_;
    D3DMATRIX projection_;
    GfxEffect* activeEffect_ = nullptr;
    UINT activePass_ = 0;
};

class GfxDirect3D final : public IDirect3D9 {
public:
    explicit GfxDirect3D(GfxRecorder* recorder);
    ~GfxDirect3D() override;
    bool Ready() const { return ready_; }
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override;
    HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;

private:
    ULONG refs_ = 1;
    GfxRecorder* recorder_;
    bool ready_ = false;
};

// The recorder set with GfxUseRecordingBackend, or null for the GL backend.
GfxRecorder* GfxActiveRecorder();

// The identity as a D3DMATRIX.
D3DMATRIX GfxIdentity();
