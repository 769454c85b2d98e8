// The device's life and state: construction, its list of children, scenes and Present, the
// render, stage and transform states, and the drawing calls, which check each draw against
// the stream before GL and the recorder see it. The objects it makes are in device_resources.cpp.

#include "platform/gfx/internal/device.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "platform/gfx/internal/effect.h"
#include "platform/gfx/internal/gl.h"

namespace {

// The render states the device keeps, where, and the values each takes.
constexpr DWORD kOffOn[] = {FALSE, TRUE};
constexpr DWORD kCompares[] = {D3DCMP_LESSEQUAL, D3DCMP_ALWAYS};
constexpr DWORD kBlends[] = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA};
constexpr DWORD kBlendOps[] = {D3DBLENDOP_ADD};
constexpr DWORD kCulls[] = {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW};

struct StateRule {
    D3DRENDERSTATETYPE state;
    DWORD GfxRenderStates::*slot;
    std::span<const DWORD> values;
};

constexpr StateRule kStateRules[] = {
    {D3DRS_ZENABLE, &GfxRenderStates::zEnable, kOffOn},
    {D3DRS_ZWRITEENABLE, &GfxRenderStates::zWriteEnable, kOffOn},
    {D3DRS_ZFUNC, &GfxRenderStates::zFunc, kCompares},
    {D3DRS_ALPHABLENDENABLE, &GfxRenderStates::alphaBlendEnable, kOffOn},
    {D3DRS_SRCBLEND, &GfxRenderStates::srcBlend, kBlends},
    {D3DRS_DESTBLEND, &GfxRenderStates::destBlend, kBlends},
    {D3DRS_BLENDOP, &GfxRenderStates::blendOp, kBlendOps},
    {D3DRS_CULLMODE, &GfxRenderStates::cullMode, kCulls},
    {D3DRS_LIGHTING, &GfxRenderStates::lighting, kOffOn},
};

// The slot `value` goes to, or null when the state is unknown or the value not one of its own.
DWORD* StateSlot(GfxRenderStates& s, D3DRENDERSTATETYPE state, DWORD value)
{
    for (const StateRule& rule : kStateRules) {
        if (rule.state == state) {
            const bool valid = std::find(rule.values.begin(), rule.values.end(), value) != rule.values.end();
            return valid ? &(s.*rule.slot) : nullptr;
        }
    }
    return nullptr;
}

DWORD* StageSlot(GfxStageStates& s, D3DTEXTURESTAGESTATETYPE type)
{
    return type == D3DTSS_COLOROP     ? &s.colorOp
           : type == D3DTSS_COLORARG1 ? &s.colorArg1
           : type == D3DTSS_COLORARG2 ? &s.colorArg2
           : type == D3DTSS_ALPHAOP   ? &s.alphaOp
                                      : nullptr;
}

}  // namespace

D3DMATRIX GfxIdentity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

GfxDevice::GfxDevice(GfxRecorder* recorder, GfxGl* gl, const D3DPRESENT_PARAMETERS& params)
    : recorder_(recorder), gl_(gl), world_(GfxIdentity()), view_(GfxIdentity()), projection_(GfxIdentity())
{
    GfxCountObject(recorder_, 1);
    hasDepth_ = params.EnableAutoDepthStencil != FALSE;
    states_.zEnable = hasDepth_ ? D3DZB_TRUE : D3DZB_FALSE;
    auto* back = new GfxSurface(nullptr, params.BackBufferFormat, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                params.BackBufferWidth, params.BackBufferHeight);
    back->Attach(this, "backbuffer");
    if (back->pixels == nullptr || (gl_ != nullptr && !gl_->MakeBackBuffer(back, hasDepth_))) {
        back->Release();
        return;
    }
    backBuffer_ = back;
    renderTarget_ = GfxShared(back);
    if (gl_ != nullptr) {
        gl_->BindTarget(back);
    }
}

GfxDevice::~GfxDevice()
{
    GfxCountObject(recorder_, -1);
    GfxHold(stream_, nullptr);
    GfxHold(stageTexture_, nullptr);
    GfxHold(renderTarget_, nullptr);
    GfxHold(backBuffer_, nullptr);
    // What the game still holds outlives us as orphans that fail every call.
    std::for_each(children_.rbegin(), children_.rend(), [](GfxChild* child) { child->Orphan(); });
    delete gl_;
}

// ---- IDirect3DDevice9: scenes and states ----

HRESULT GfxDevice::BeginScene()
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::BeginScene", inScene_);
    inScene_ = inScene_ || check.Ok();
    return GFX_RESULT(check);
}

HRESULT GfxDevice::EndScene()
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::EndScene", !inScene_);
    inScene_ = inScene_ && !check.Ok();
    return GFX_RESULT(check);
}

HRESULT GfxDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                           const RGNDATA* pDirtyRegion)
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::Present",
                         pSourceRect != nullptr || pDestRect != nullptr || hDestWindowOverride != nullptr ||
                             pDirtyRegion != nullptr || inScene_);
    if (check.Ok() && gl_ != nullptr) {
        gl_->Present(backBuffer_);
    }
    return GFX_RESULT(check, pSourceRect, pDestRect, hDestWindowOverride, pDirtyRegion);
}

HRESULT GfxDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    DWORD* slot = StateSlot(states_, State, Value);
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetRenderState", slot == nullptr);
    if (check.Ok()) {
        *slot = Value;
    }
    return GFX_RESULT(check, State, Value);
}

HRESULT GfxDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    auto* texture = dynamic_cast<GfxTexture*>(pTexture);
    const bool foreign = pTexture != nullptr && (texture == nullptr || texture->Device() != this);
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetTexture", Stage != 0 || foreign);
    if (check.Ok()) {
        GfxHold(stageTexture_, texture);
    }
    return GFX_RESULT(check, Stage, pTexture);
}

HRESULT GfxDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value)
{
    DWORD* slot = StageSlot(stage_, Type);
    const bool isOp = Type == D3DTSS_COLOROP || Type == D3DTSS_ALPHAOP;
    const bool badValue = isOp ? (Value != D3DTOP_DISABLE && Value != D3DTOP_SELECTARG1 && Value != D3DTOP_MODULATE)
                               : (Value & 0xF) > D3DTA_TEXTURE;
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetTextureStageState",
                         Stage != 0 || slot == nullptr || badValue);
    if (check.Ok()) {
        *slot = Value;
    }
    return GFX_RESULT(check, Stage, Type, Value);
}

D3DMATRIX* GfxDevice::TransformSlot(D3DTRANSFORMSTATETYPE state)
{
    return state == D3DTS_VIEW         ? &view_
           : state == D3DTS_PROJECTION ? &projection_
           : state == D3DTS_WORLD      ? &world_
                                       : nullptr;
}

HRESULT GfxDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    D3DMATRIX* slot = TransformSlot(State);
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetTransform", slot == nullptr || pMatrix == nullptr);
    if (check.Ok()) {
        *slot = *pMatrix;
    }
    GfxCall* call = GFX_RECORD(check, State, pMatrix);
    if (call != nullptr && pMatrix != nullptr) {
        std::memcpy(call->matrix, pMatrix->m, sizeof call->matrix);
    }
    return check.hr;
}

HRESULT GfxDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix)
{
    const D3DMATRIX* slot = TransformSlot(State);
    const GfxCheck check(recorder_, "IDirect3DDevice9::GetTransform", slot == nullptr || pMatrix == nullptr);
    if (check.Ok()) {
        *pMatrix = *slot;
    }
    return GFX_RESULT(check, State);
}

// ---- IDirect3DDevice9: drawing ----

HRESULT GfxDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil)
{
    const bool badRects = Count != 0 || pRects != nullptr;
    const bool badFlags = Flags == 0 || (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) != 0 ||
                          ((Flags & D3DCLEAR_ZBUFFER) != 0 && !hasDepth_);
    const bool badZ = !(Z >= 0.0f && Z <= 1.0f);
    const GfxCheck check(recorder_, "IDirect3DDevice9::Clear", badRects || badFlags || badZ);
    if (check.Ok() && gl_ != nullptr) {
        gl_->Clear(Flags, Color, Z);
    }
    return GFX_RESULT(check, Count, pRects, Flags, Color, Z, Stencil);
}

HRESULT GfxDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                   UINT Stride)
{
    auto* buffer = dynamic_cast<GfxVertexBuffer*>(pStreamData);
    const bool foreign = pStreamData != nullptr && (buffer == nullptr || buffer->Device() != this);
    const bool badStride = pStreamData != nullptr && (Stride == 0 || Stride % 4 != 0 || OffsetInBytes % 4 != 0);
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetStreamSource", StreamNumber != 0 || foreign || badStride);
    if (check.Ok()) {
        GfxHold(stream_, buffer);
        streamOffset_ = OffsetInBytes;
        streamStride_ = Stride;
    }
    return GFX_RESULT(check, StreamNumber, pStreamData, OffsetInBytes, Stride);
}

HRESULT GfxDevice::SetFVF(DWORD FVF)
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetFVF", false);
    if (check.Ok()) {
        fvf_ = FVF;
    }
    return GFX_RESULT(check, FVF);
}

HRESULT GfxDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount)
{
    const bool list = PrimitiveType == D3DPT_TRIANGLELIST;
    const bool badType = !list && PrimitiveType != D3DPT_TRIANGLESTRIP;
    const std::uint64_t vertices = badType ? 0 : list ? 3 * std::uint64_t{PrimitiveCount} : PrimitiveCount + 2ull;
    const bool badStream = stream_ == nullptr || stream_->locked || streamStride_ < kVertexStride;
    const bool pastEnd = !badType && !badStream && PrimitiveCount != 0 &&
                         streamOffset_ + (StartVertex + vertices - 1) * streamStride_ + kVertexStride > stream_->length;
    const GfxCheck check(recorder_, "IDirect3DDevice9::DrawPrimitive",
                         !inScene_ || badType || badStream || pastEnd || fvf_ != kVertexFvf);
    if (check.Ok() && PrimitiveCount != 0 && gl_ != nullptr) {
        gl_->Draw(*this, stream_, streamOffset_, streamStride_, PrimitiveType, StartVertex,
                  static_cast<UINT>(vertices));
    }
    GfxCall* call = GFX_RECORD(check, PrimitiveType, StartVertex, PrimitiveCount);
    if (call != nullptr && check.Ok()) {
        call->vertices.resize(PrimitiveCount != 0 ? vertices : 0);
        for (std::size_t i = 0; i < call->vertices.size(); ++i) {
            const std::size_t at = streamOffset_ + (StartVertex + i) * static_cast<std::size_t>(streamStride_);
            std::memcpy(&call->vertices[i], stream_->data + at, sizeof(Vertex));
        }
    }
    return check.hr;
}
