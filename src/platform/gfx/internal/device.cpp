#include <cstring>

#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl.h"
#include "platform/gfx/internal/device.h"

// Builds the argument list only when a recorder listens.

namespace {

// Bytes of one vertex of a flexible vertex format, 0 for one we cannot size.
UINT FvfSize(DWORD fvf)
{
    UINT size = 0;
    if ((fvf & D3DFVF_XYZRHW) != 0) {
        size += 16;
    } else if ((fvf & D3DFVF_XYZ) != 0) {
        size += 12;
    }
    size += (fvf & D3DFVF_NORMAL) != 0 ? 12 : 0;
    size += (fvf & D3DFVF_DIFFUSE) != 0 ? 4 : 0;
    size += (fvf & D3DFVF_SPECULAR) != 0 ? 4 : 0;
    size += ((fvf >> 8) & 0xF) * 8;
    return size;
}

bool ValidRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    switch (state) {
    case D3DRS_ZENABLE:
        return value <= D3DZB_TRUE;
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_LIGHTING:
        return value <= 1;
    case D3DRS_ZFUNC:
    case D3DRS_ALPHAFUNC:
        return value >= D3DCMP_NEVER && value <= D3DCMP_ALWAYS;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
        return value >= D3DBLEND_ZERO && value <= D3DBLEND_INVDESTCOLOR;
    case D3DRS_BLENDOP:
        return value >= D3DBLENDOP_ADD && value <= D3DBLENDOP_MAX;
    case D3DRS_CULLMODE:
        return value >= D3DCULL_NONE && value <= D3DCULL_CCW;
    default:
        return true;
    }
}

// The states kept but not drawn with, and their slots.
int OtherStateSlot(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_FILLMODE: return 0;
    case D3DRS_SHADEMODE: return 1;
    case D3DRS_ALPHATESTENABLE: return 2;
    case D3DRS_ALPHAREF: return 3;
    case D3DRS_ALPHAFUNC: return 4;
    case D3DRS_DITHERENABLE: return 5;
    case D3DRS_FOGENABLE: return 6;
    case D3DRS_SPECULARENABLE: return 7;
    default: return -1;
    }
}

DWORD* StateSlot(GfxRenderStates& s, D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ZENABLE: return &s.zEnable;
    case D3DRS_ZWRITEENABLE: return &s.zWriteEnable;
    case D3DRS_ZFUNC: return &s.zFunc;
    case D3DRS_ALPHABLENDENABLE: return &s.alphaBlendEnable;
    case D3DRS_SRCBLEND: return &s.srcBlend;
    case D3DRS_DESTBLEND: return &s.destBlend;
    case D3DRS_BLENDOP: return &s.blendOp;
    case D3DRS_CULLMODE: return &s.cullMode;
    case D3DRS_LIGHTING: return &s.lighting;
    default: {
        const int slot = OtherStateSlot(state);
        return slot < 0 ? nullptr : &s.others[slot];
    }
    }
}

DWORD* StageSlot(GfxStageStates& s, D3DTEXTURESTAGESTATETYPE type)
{
    switch (type) {
    case D3DTSS_COLOROP: return &s.colorOp;
    case D3DTSS_COLORARG1: return &s.colorArg1;
    case D3DTSS_COLORARG2: return &s.colorArg2;
    case D3DTSS_ALPHAOP: return &s.alphaOp;
    case D3DTSS_ALPHAARG1: return &s.alphaArg1;
    case D3DTSS_ALPHAARG2: return &s.alphaArg2;
    default: return nullptr;
    }
}

std::uint64_t VerticesFor(D3DPRIMITIVETYPE type, UINT count)
{
    const std::uint64_t n = count;
    switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
    }
}

GfxArg MatrixArg(const D3DMATRIX* m) { return GfxArgPointer(m); }

}  // namespace

D3DMATRIX GfxIdentity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// ---- device ----

GfxDevice::GfxDevice(GfxRecorder* recorder, GfxGl* gl, const D3DPRESENT_PARAMETERS& params, UINT width,
                     UINT height)
    : recorder_(recorder), gl_(gl), params_(params), world_(GfxIdentity()), view_(GfxIdentity()),
      projection_(GfxIdentity())
{
    hasDepth_ = params.EnableAutoDepthStencil != FALSE;
    states_.zEnable = hasDepth_ ? D3DZB_TRUE : D3DZB_FALSE;
    const D3DFORMAT format = params.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : params.BackBufferFormat;
    auto* back = new GfxSurface(nullptr, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, width, height);
    back->Attach(this, "backbuffer", true);
    if (back->pixels == nullptr || (gl_ != nullptr && !gl_->MakeBackBuffer(back, hasDepth_))) {
        back->Release();
        return;
    }
    backBuffer_ = back;
    back->AddRef();
    renderTarget_ = back;
    if (gl_ != nullptr) {
        gl_->BindTarget(back);
    }
}

GfxDevice::~GfxDevice()
{
    if (activeEffect_ != nullptr) {
        activeEffect_ = nullptr;
    }
    if (stream_ != nullptr) {
        stream_->Release();
    }
    if (stageTexture_ != nullptr) {
        stageTexture_->Release();
    }
    if (renderTarget_ != nullptr) {
        renderTarget_->Release();
    }
    if (backBuffer_ != nullptr) {
        backBuffer_->Release();
    }
    // What the game still holds outlives us as orphans that fail every call.
    while (children_ != nullptr) {
        GfxChild* child = children_;
        Disown(child);
        child->Orphan();
    }
    delete gl_;
}

void GfxDevice::Adopt(GfxChild* child)
{
    child->prevChild = nullptr;
    child->nextChild = children_;
    if (children_ != nullptr) {
        children_->prevChild = child;
    }
    children_ = child;
}

void GfxDevice::Disown(GfxChild* child)
{
    if (child->prevChild != nullptr) {
        child->prevChild->nextChild = child->nextChild;
    } else if (children_ == child) {
        children_ = child->nextChild;
    }
    if (child->nextChild != nullptr) {
        child->nextChild->prevChild = child->prevChild;
    }
    child->prevChild = child->nextChild = nullptr;
}

HRESULT GfxDevice::Inject(const char* name) const { return recorder_ != nullptr ? recorder_->Injected(name) : S_OK; }

bool GfxDevice::BuildEffect(GfxEffectDesc& desc, const std::string& file, std::string* error)
{
    return gl_ == nullptr || gl_->BuildEffect(desc, file, error);
}

void GfxDevice::DropEffect(GfxEffectDesc& desc)
{
    if (gl_ != nullptr) {
        gl_->DropEffect(desc);
    }
}

void GfxDevice::DropBuffer(GfxVertexBuffer* buffer)
{
    if (gl_ != nullptr) {
        gl_->DropBuffer(buffer);
    }
}

void GfxDevice::DropSurface(GfxSurface* surface)
{
    if (gl_ != nullptr) {
        gl_->DropSurface(surface);
    }
}

bool GfxDevice::ReadBackTarget(GfxSurface* surface) { return gl_ == nullptr || gl_->ReadBack(surface); }

void GfxDevice::UploadTarget(GfxSurface* surface)
{
    if (gl_ != nullptr) {
        gl_->UploadTexture(surface);
    }
}

ULONG GfxDevice::AddRef() { return ++refs_; }

ULONG GfxDevice::Release()
{
    const ULONG left = --refs_;
    GFX_RECORD(recorder_, "IDirect3DDevice9::Release", static_cast<HRESULT>(left));
    if (left == 0) {
        if (recorder_ != nullptr) {
            recorder_->ObjectDestroyed();
        }
        delete this;
    }
    return left;
}

HRESULT GfxDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil)
{
    static constexpr const char* kName = "IDirect3DDevice9::Clear";
    HRESULT hr = Inject(kName);
    if (hr == S_OK) {
        const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
        const bool badRects = Count != 0 || pRects != nullptr;
        const bool badFlags = Flags == 0 || (Flags & ~known) != 0 ||
                              ((Flags & D3DCLEAR_ZBUFFER) != 0 && !hasDepth_) ||
                              ((Flags & D3DCLEAR_STENCIL) != 0 &&
                               !(hasDepth_ && params_.AutoDepthStencilFormat == D3DFMT_D24S8));
        const bool badZ = !(Z >= 0.0f && Z <= 1.0f);
        hr = (badRects || badFlags || badZ) ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK && gl_ != nullptr) {
        gl_->Clear(Flags, Color, Z);
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(Count), GfxArgPointer(pRects), GfxArgOf(Flags), GfxArgOf(Color),
               GfxArgOf(Z), GfxArgOf(Stencil));
    return hr;
}

HRESULT GfxDevice::BeginScene()
{
    static constexpr const char* kName = "IDirect3DDevice9::BeginScene";
    HRESULT hr = Inject(kName);
    if (hr == S_OK) {
        hr = inScene_ ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK) {
        inScene_ = true;
    }
    GFX_RECORD(recorder_, kName, hr);
    return hr;
}

HRESULT GfxDevice::EndScene()
{
    static constexpr const char* kName = "IDirect3DDevice9::EndScene";
    HRESULT hr = Inject(kName);
    if (hr == S_OK) {
        hr = inScene_ ? S_OK : D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        inScene_ = false;
    }
    GFX_RECORD(recorder_, kName, hr);
    return hr;
}

HRESULT GfxDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                           const RGNDATA* pDirtyRegion)
{
    static constexpr const char* kName = "IDirect3DDevice9::Present";
    HRESULT hr = Inject(kName);
    if (hr == S_OK && (pSourceRect != nullptr || pDestRect != nullptr || hDestWindowOverride != nullptr ||
                       pDirtyRegion != nullptr || inScene_)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK && gl_ != nullptr) {
        gl_->Present(backBuffer_);
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgPointer(pSourceRect), GfxArgPointer(pDestRect),
               GfxArgPointer(hDestWindowOverride), GfxArgPointer(pDirtyRegion));
    return hr;
}

HRESULT GfxDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                   UINT Stride)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetStreamSource";
    HRESULT hr = Inject(kName);
    auto* buffer = dynamic_cast<GfxVertexBuffer*>(pStreamData);
    if (hr == S_OK) {
        const bool foreign = pStreamData != nullptr && (buffer == nullptr || buffer->Device() != this);
        const bool badStride = pStreamData != nullptr && (Stride == 0 || Stride % 4 != 0 || OffsetInBytes % 4 != 0);
        hr = (StreamNumber != 0 || foreign || badStride) ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK) {
        if (buffer != nullptr) {
            buffer->AddRef();
        }
        if (stream_ != nullptr) {
            stream_->Release();
        }
        stream_ = buffer;
        streamOffset_ = OffsetInBytes;
        streamStride_ = Stride;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(StreamNumber), GfxArgObject(pStreamData), GfxArgOf(OffsetInBytes),
               GfxArgOf(Stride));
    return hr;
}

HRESULT GfxDevice::SetFVF(DWORD FVF)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetFVF";
    HRESULT hr = Inject(kName);
    if (hr == S_OK) {
        fvf_ = FVF;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(FVF));
    return hr;
}

HRESULT GfxDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetRenderState";
    HRESULT hr = Inject(kName);
    DWORD* slot = StateSlot(states_, State);
    if (hr == S_OK && (slot == nullptr || !ValidRenderState(State, Value))) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        *slot = Value;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(static_cast<DWORD>(State)), GfxArgOf(Value));
    return hr;
}

HRESULT GfxDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue)
{
    DWORD* slot = StateSlot(states_, State);
    if (slot == nullptr || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = *slot;
    return S_OK;
}

HRESULT GfxDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetTexture";
    HRESULT hr = Inject(kName);
    auto* texture = dynamic_cast<GfxTexture*>(pTexture);
    if (hr == S_OK && (Stage != 0 || (pTexture != nullptr && (texture == nullptr || texture->Device() != this)))) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        if (texture != nullptr) {
            texture->AddRef();
        }
        if (stageTexture_ != nullptr) {
            stageTexture_->Release();
        }
        stageTexture_ = texture;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(Stage), GfxArgObject(pTexture));
    return hr;
}

HRESULT GfxDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetTextureStageState";
    HRESULT hr = Inject(kName);
    DWORD* slot = StageSlot(stage_, Type);
    if (hr == S_OK) {
        const bool isOp = Type == D3DTSS_COLOROP || Type == D3DTSS_ALPHAOP;
        const bool badValue = isOp ? (Value < D3DTOP_DISABLE || Value > D3DTOP_ADD) : (Value & 0xF) > D3DTA_TFACTOR;
        hr = (Stage != 0 || slot == nullptr || badValue) ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK) {
        *slot = Value;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(Stage), GfxArgOf(static_cast<DWORD>(Type)), GfxArgOf(Value));
    return hr;
}

HRESULT GfxDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetTransform";
    HRESULT hr = Inject(kName);
    D3DMATRIX* slot = State == D3DTS_VIEW ? &view_ : State == D3DTS_PROJECTION ? &projection_
                                                   : State == D3DTS_WORLD     ? &world_
                                                                              : nullptr;
    if (hr == S_OK && (slot == nullptr || pMatrix == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        *slot = *pMatrix;
    }
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(static_cast<DWORD>(State)), MatrixArg(pMatrix));
    if (call != nullptr && pMatrix != nullptr) {
        std::memcpy(call->matrix, pMatrix->m, sizeof call->matrix);
    }
    return hr;
}

HRESULT GfxDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix)
{
    static constexpr const char* kName = "IDirect3DDevice9::GetTransform";
    HRESULT hr = Inject(kName);
    const D3DMATRIX* slot = State == D3DTS_VIEW ? &view_ : State == D3DTS_PROJECTION ? &projection_
                                                         : State == D3DTS_WORLD     ? &world_
                                                                                    : nullptr;
    if (hr == S_OK && (slot == nullptr || pMatrix == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        *pMatrix = *slot;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(static_cast<DWORD>(State)));
    return hr;
}

HRESULT GfxDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount)
{
    static constexpr const char* kName = "IDirect3DDevice9::DrawPrimitive";
    HRESULT hr = Inject(kName);
    const std::uint64_t vertices = VerticesFor(PrimitiveType, PrimitiveCount);
    if (hr == S_OK) {
        const bool badType = PrimitiveType < D3DPT_POINTLIST || PrimitiveType > D3DPT_TRIANGLEFAN;
        const bool badStream = stream_ == nullptr || stream_->locked || streamStride_ < kVertexStride;
        bool pastEnd = false;
        if (!badStream && PrimitiveCount != 0) {
            const std::uint64_t last = streamOffset_ + (static_cast<std::uint64_t>(StartVertex) + vertices - 1) *
                                                           static_cast<std::uint64_t>(streamStride_);
            pastEnd = last + kVertexStride > stream_->length;
        }
        hr = (!inScene_ || badType || badStream || pastEnd || fvf_ != kVertexFvf) ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK && PrimitiveCount != 0 && gl_ != nullptr &&
        !gl_->Draw(*this, stream_, streamOffset_, streamStride_, PrimitiveType, StartVertex,
                   static_cast<UINT>(vertices))) {
        hr = D3DERR_DRIVERINTERNALERROR;
    }
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(static_cast<DWORD>(PrimitiveType)), GfxArgOf(StartVertex),
                               GfxArgOf(PrimitiveCount));
    if (call != nullptr && hr == S_OK) {
        call->vertices.resize(PrimitiveCount != 0 ? vertices : 0);
        for (std::size_t i = 0; i < call->vertices.size(); ++i) {
            const std::size_t at = streamOffset_ + (StartVertex + i) * static_cast<std::size_t>(streamStride_);
            std::memcpy(&call->vertices[i], stream_->data + at, sizeof(Vertex));
        }
    }
    return hr;
}

HRESULT GfxDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                      IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle)
{
    static constexpr const char* kName = "IDirect3DDevice9::CreateVertexBuffer";
    HRESULT hr = Inject(kName);
    GfxVertexBuffer* buffer = nullptr;
    if (hr == S_OK) {
        const UINT vertexSize = FvfSize(FVF);
        const bool badLength = Length == 0 || (FVF != 0 && Length < vertexSize);
        const bool badPool = Pool > D3DPOOL_SYSTEMMEM;
        hr = (ppVertexBuffer == nullptr || pSharedHandle != nullptr || badLength || badPool) ? D3DERR_INVALIDCALL
                                                                                               : S_OK;
    }
    if (hr == S_OK) {
        buffer = new GfxVertexBuffer(Length, Usage, FVF, Pool);
        if (!buffer->Allocated()) {
            delete buffer;
            buffer = nullptr;
            hr = D3DERR_OUTOFVIDEOMEMORY;
        } else {
            buffer->Attach(this, "vb", true);
        }
    }
    if (ppVertexBuffer != nullptr) {
        *ppVertexBuffer = buffer;
    }
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(Length), GfxArgOf(Usage), GfxArgOf(FVF),
                               GfxArgOf(static_cast<DWORD>(Pool)), GfxArgPointer(pSharedHandle));
    if (call != nullptr && buffer != nullptr) {
        call->args.push_back(GfxArgObject(static_cast<IUnknown*>(buffer)));
    }
    return hr;
}

HRESULT GfxDevice::MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                               GfxTexture** out)
{
    *out = nullptr;
    const bool badSize = width == 0 || height == 0 || width > 4096 || height > 4096;
    const bool badFormat = format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_R32F;
    const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    const bool badPool = pool > D3DPOOL_SCRATCH || (renderTarget && pool != D3DPOOL_DEFAULT);
    if (badSize || badFormat || badPool || levels > 1 || (usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return D3DERR_INVALIDCALL;
    }
    auto* texture = new GfxTexture(width, height, usage, format, pool);
    if (!texture->Allocated()) {
        delete texture;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    texture->Attach(this, "tex", true);
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
    HRESULT hr = Inject(kName);
    GfxTexture* texture = nullptr;
    if (hr == S_OK) {
        hr = (ppTexture == nullptr || pSharedHandle != nullptr)
                 ? D3DERR_INVALIDCALL
                 : MakeTexture(Width, Height, Levels, Usage, Format, Pool, &texture);
    }
    if (ppTexture != nullptr) {
        *ppTexture = texture;
    }
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(Width), GfxArgOf(Height), GfxArgOf(Levels), GfxArgOf(Usage),
                               GfxArgOf(static_cast<DWORD>(Format)), GfxArgOf(static_cast<DWORD>(Pool)),
                               GfxArgPointer(pSharedHandle));
    if (call != nullptr && texture != nullptr) {
        call->args.push_back(GfxArgObject(static_cast<IUnknown*>(texture)));
    }
    return hr;
}

HRESULT GfxDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                 IDirect3DSurface9** ppBackBuffer)
{
    static constexpr const char* kName = "IDirect3DDevice9::GetBackBuffer";
    HRESULT hr = Inject(kName);
    if (hr == S_OK && (iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO ||
                       ppBackBuffer == nullptr || backBuffer_ == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        backBuffer_->AddRef();
        *ppBackBuffer = backBuffer_;
    } else if (ppBackBuffer != nullptr) {
        *ppBackBuffer = nullptr;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(iSwapChain), GfxArgOf(iBackBuffer), GfxArgOf(static_cast<DWORD>(Type)));
    return hr;
}

HRESULT GfxDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget)
{
    static constexpr const char* kName = "IDirect3DDevice9::GetRenderTarget";
    HRESULT hr = Inject(kName);
    if (hr == S_OK && (RenderTargetIndex != 0 || ppRenderTarget == nullptr || renderTarget_ == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        renderTarget_->AddRef();
        *ppRenderTarget = renderTarget_;
    } else if (ppRenderTarget != nullptr) {
        *ppRenderTarget = nullptr;
    }
    GfxCall* call = GFX_RECORD(recorder_, kName, hr, GfxArgOf(RenderTargetIndex));
    if (call != nullptr && hr == S_OK) {
        call->args.push_back(GfxArgObject(static_cast<IUnknown*>(renderTarget_)));
    }
    return hr;
}

HRESULT GfxDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget)
{
    static constexpr const char* kName = "IDirect3DDevice9::SetRenderTarget";
    HRESULT hr = Inject(kName);
    auto* surface = dynamic_cast<GfxSurface*>(pRenderTarget);
    if (hr == S_OK && (RenderTargetIndex != 0 || surface == nullptr || surface->Device() != this ||
                       !surface->IsRenderTarget())) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        surface->AddRef();
        renderTarget_->Release();
        renderTarget_ = surface;
        if (gl_ != nullptr) {
            gl_->BindTarget(surface);
        }
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(RenderTargetIndex), GfxArgObject(pRenderTarget));
    return hr;
}

void GfxDevice::SetActivePass(GfxEffect* effect, UINT pass)
{
    activeEffect_ = effect;
    activePass_ = pass;
}

UINT GfxDevice::ActivePass() const { return activePass_; }

// ---- IDirect3D9 ----

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
    } else if (ready_) {
        GfxGl::VideoDown();
    }
}

ULONG GfxDirect3D::AddRef() { return ++refs_; }

ULONG GfxDirect3D::Release()
{
    const ULONG left = --refs_;
    GFX_RECORD(recorder_, "IDirect3D9::Release", static_cast<HRESULT>(left));
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT GfxDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                  D3DPRESENT_PARAMETERS* pPresentationParameters,
                                  IDirect3DDevice9** ppReturnedDeviceInterface)
{
    static constexpr const char* kName = "IDirect3D9::CreateDevice";
    HRESULT hr = recorder_ != nullptr ? recorder_->Injected(kName) : S_OK;
    GfxDevice* device = nullptr;
    D3DPRESENT_PARAMETERS* pp = pPresentationParameters;
    if (hr == S_OK) {
        const bool badArgs = Adapter != D3DADAPTER_DEFAULT ||
                             (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF) || pp == nullptr ||
                             ppReturnedDeviceInterface == nullptr;
        bool badParams = false;
        if (!badArgs) {
            const bool badFormat = pp->BackBufferFormat != D3DFMT_UNKNOWN &&
                                   pp->BackBufferFormat != D3DFMT_X8R8G8B8 && pp->BackBufferFormat != D3DFMT_A8R8G8B8;
            const bool badDepth = pp->EnableAutoDepthStencil != FALSE && pp->AutoDepthStencilFormat != D3DFMT_D16 &&
                                  pp->AutoDepthStencilFormat != D3DFMT_D24S8;
            const bool fullScreenUnsized =
                pp->Windowed == FALSE && (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0 ||
                                          pp->BackBufferFormat == D3DFMT_UNKNOWN);
            const bool noWindow = recorder_ == nullptr && hFocusWindow == nullptr && pp->hDeviceWindow == nullptr;
            badParams = badFormat || badDepth || fullScreenUnsized || noWindow || pp->BackBufferCount > 1 ||
                        pp->BackBufferWidth > 4096 || pp->BackBufferHeight > 4096;
        }
        hr = (badArgs || badParams) ? D3DERR_INVALIDCALL : S_OK;
    }
    if (hr == S_OK) {
        UINT width = pp->BackBufferWidth;
        UINT height = pp->BackBufferHeight;
        GfxGl* gl = nullptr;
        if (recorder_ != nullptr) {
            width = width != 0 ? width : recorder_->WindowWidth();
            height = height != 0 ? height : recorder_->WindowHeight();
        } else {
            HWND window = pp->hDeviceWindow != nullptr ? pp->hDeviceWindow : hFocusWindow;
            gl = GfxGl::Create(window, *pp, &width, &height, &hr);
        }
        if (hr == S_OK) {
            D3DPRESENT_PARAMETERS used = *pp;
            used.BackBufferWidth = width;
            used.BackBufferHeight = height;
            used.BackBufferCount = 1;
            if (used.BackBufferFormat == D3DFMT_UNKNOWN) {
                used.BackBufferFormat = D3DFMT_X8R8G8B8;
            }
            if (recorder_ != nullptr) {
                recorder_->ObjectMade();
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
    }
    if (ppReturnedDeviceInterface != nullptr) {
        *ppReturnedDeviceInterface = device;
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(Adapter), GfxArgOf(static_cast<DWORD>(DeviceType)),
               GfxArgPointer(hFocusWindow), GfxArgOf(BehaviorFlags), GfxArgPointer(pPresentationParameters));
    (void)BehaviorFlags;  // vertex processing is always ours; the flag has nothing to choose
    return hr;
}

HRESULT GfxDirect3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode)
{
    static constexpr const char* kName = "IDirect3D9::GetAdapterDisplayMode";
    HRESULT hr = recorder_ != nullptr ? recorder_->Injected(kName) : S_OK;
    if (hr == S_OK && (Adapter != D3DADAPTER_DEFAULT || pMode == nullptr)) {
        hr = D3DERR_INVALIDCALL;
    }
    if (hr == S_OK) {
        if (recorder_ != nullptr) {
            *pMode = D3DDISPLAYMODE{recorder_->WindowWidth(), recorder_->WindowHeight(), 60, D3DFMT_X8R8G8B8};
        } else if (!GfxGl::DisplayMode(pMode)) {
            hr = D3DERR_NOTAVAILABLE;
        }
    }
    GFX_RECORD(recorder_, kName, hr, GfxArgOf(Adapter));
    return hr;
}

// Chooses the backend for everything made from here on: the recorder, when one is set.
IDirect3D9* Direct3DCreate9(UINT SDKVersion)
{
    GfxRecorder* recorder = GfxActiveRecorder();
    HRESULT hr = recorder != nullptr ? recorder->Injected("Direct3DCreate9") : S_OK;
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
