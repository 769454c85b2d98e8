// The device's drawing calls: Clear, the vertex stream and its format, and DrawPrimitive,
// which checks the draw against the stream and hands it to GL and the recorder.

#include <cstring>

#include "platform/gfx/internal/device.h"
#include "platform/gfx/internal/gl.h"

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
    return GFX_RESULT(check, GfxArgOf(Count), GfxArgPointer(pRects), GfxArgOf(Flags), GfxArgOf(Color),
                      GfxArgOf(Z), GfxArgOf(Stencil));
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
    return GFX_RESULT(check, GfxArgOf(StreamNumber), GfxArgObject(pStreamData), GfxArgOf(OffsetInBytes),
                      GfxArgOf(Stride));
}

HRESULT GfxDevice::SetFVF(DWORD FVF)
{
    const GfxCheck check(recorder_, "IDirect3DDevice9::SetFVF", false);
    if (check.Ok()) {
        fvf_ = FVF;
    }
    return GFX_RESULT(check, GfxArgOf(FVF));
}

HRESULT GfxDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount)
{
    const bool list = PrimitiveType == D3DPT_TRIANGLELIST;
    const bool badType = !list && PrimitiveType != D3DPT_TRIANGLESTRIP;
    const std::uint64_t vertices = badType ? 0 : list ? 3 * std::uint64_t{PrimitiveCount} : PrimitiveCount + 2ull;
    const bool badStream = stream_ == nullptr || stream_->locked || streamStride_ < kVertexStride;
    const bool pastEnd = !badType && !badStream && PrimitiveCount != 0 &&
                         streamOffset_ + (StartVertex + vertices - 1) * streamStride_ + kVertexStride > stream_->length;
    GfxCheck check(recorder_, "IDirect3DDevice9::DrawPrimitive",
                   !inScene_ || badType || badStream || pastEnd || fvf_ != kVertexFvf);
    if (check.Ok() && PrimitiveCount != 0 && gl_ != nullptr &&
        !gl_->Draw(*this, stream_, streamOffset_, streamStride_, PrimitiveType, StartVertex,
                   static_cast<UINT>(vertices))) {
        check.hr = D3DERR_DRIVERINTERNALERROR;
    }
    GfxCall* call = GFX_RECORD(check, GfxArgOf(PrimitiveType), GfxArgOf(StartVertex), GfxArgOf(PrimitiveCount));
    if (call != nullptr && check.Ok()) {
        call->vertices.resize(PrimitiveCount != 0 ? vertices : 0);
        for (std::size_t i = 0; i < call->vertices.size(); ++i) {
            const std::size_t at = streamOffset_ + (StartVertex + i) * static_cast<std::size_t>(streamStride_);
            std::memcpy(&call->vertices[i], stream_->data + at, sizeof(Vertex));
        }
    }
    return check.hr;
}
