#include "render/draw_batch.h"

#include <cstring>

#include "math/vertex.h"
#include "render/texture_index.h"
#include "render/gpu/graphics_objects.h"

namespace {

constexpr std::int32_t kNoClosedEnd = -1;

std::int32_t Count = 0;
std::int32_t ClosedEnd = kNoClosedEnd;
bool RestartPending = false;
Vector4 LastPosition{0.0f, 0.0f, 0.0f, 1.0f};

struct TexCoord {
    float u, v;
};

bool WriteVertex(const Vector4& position, std::uint32_t color, float nx, float ny, float nz, const TexCoord& uv)
{
    if (Count >= kBatchVertexCapacity || SharedVertexBuffer == nullptr) {
        return true;
    }
    void* data = nullptr;
    const HRESULT hr =
        SharedVertexBuffer->Lock(static_cast<UINT>(Count) * kVertexStride, kVertexStride, &data, 0);
    if (FAILED(hr) || data == nullptr) {
        return true;
    }
    LastPosition = position;
    const Vertex vertex{position.x, position.y, position.z, nx, ny, nz, color, uv.u, uv.v};
    std::memcpy(data, &vertex, sizeof vertex);
    SharedVertexBuffer->Unlock();
    ++Count;
    return false;
}

bool Append(const Vector4& position, std::uint32_t color, float nx, float ny, float nz, const TexCoord& uv)
{
    if (RestartPending) {
        // The strip's first vertex is written twice, so the joint from the previous strip
        // has two equal corners and covers nothing.
        RestartPending = false;
        WriteVertex(position, color, nx, ny, nz, uv);
    }
    return WriteVertex(position, color, nx, ny, nz, uv);
}

void DrawClosedStrips()
{
    Device->SetFVF(kVertexFvf);
    // A batch closed with fewer than three vertices holds no triangle; asking for a
    // negative count would wrap to four billion.
    if (ClosedEnd > 2) {
        Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(ClosedEnd - 2));
    }
}

}  // namespace

void ResetBatch()
{
    Count = 0;
    ClosedEnd = kNoClosedEnd;
}

bool AddVertex(const Vector4& position, float r, float g, float b, float a, float nx, float ny, float nz, float u,
               float v)
{
    return Append(position, ColorFromFloats(r, g, b, a), nx, ny, nz, TexCoord{u, v});
}

bool AddVertex(const Vector4& position, float r, float g, float b, float a, float nx, float ny, float nz)
{
    return Append(position, ColorFromFloats(r, g, b, a), nx, ny, nz, TexCoord{0.0f, 0.0f});
}

bool EndStrip()
{
    const Vector4 last = LastPosition;
    const bool dropped = AddVertex(last, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    RestartPending = true;
    ClosedEnd = Count;
    return dropped;
}

void DrawBatch(int textureIndex)
{
    if (Device == nullptr || Effect == nullptr) {
        return;
    }
    const TextureIndexEntry& entry = LookupTextureIndex(textureIndex);
    Device->SetTexture(0, *entry.stage0);
    Effect->SetTexture("RenderTargetTexture", *entry.effect);

    Device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    if (entry.depthWritesOff) {
        Device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    }

    Effect->SetTechnique(WorldLightingTechnique);
    UINT passes = 0;
    Effect->Begin(&passes, 0);
    Effect->BeginPass(0);
    DrawClosedStrips();
    Effect->EndPass();
    Effect->End();

    Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

void DrawBatchAdditive(int textureIndex)
{
    if (Device == nullptr) {
        return;
    }
    Device->SetTexture(0, *LookupTextureIndex(textureIndex).stage0);
    Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    DrawClosedStrips();
}

void ClearBatchRestart() { RestartPending = false; }

BatchState GetBatchState() { return BatchState{Count, ClosedEnd, RestartPending, LastPosition}; }

void ResetBatchStateForTests()
{
    Count = 0;
    ClosedEnd = kNoClosedEnd;
    RestartPending = false;
    LastPosition = Vector4{0.0f, 0.0f, 0.0f, 1.0f};
}
