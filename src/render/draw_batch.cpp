#include "render/draw_batch.h"

#include <cstring>

#include "math/vertex.h"
#include "render/texture_index.h"
#include "render/gpu/graphics_objects.h"

BatchState Batch;

namespace {

constexpr std::int32_t kNoClosedEnd = -1;

struct TexCoord {
    float u, v;
};

bool WriteVertex(const Vector4& position, std::uint32_t color, float nx, float ny, float nz, const TexCoord& uv)
{
    if (Batch.count >= kBatchVertexCapacity || Gpu.sharedVertexBuffer == nullptr) {
        return true;
    }
    void* data = nullptr;
    const HRESULT hr =
        Gpu.sharedVertexBuffer->Lock(static_cast<UINT>(Batch.count) * kVertexStride, kVertexStride, &data, 0);
    if (FAILED(hr) || data == nullptr) {
        return true;
    }
    Batch.lastPosition = position;
    const Vertex vertex{position.x, position.y, position.z, nx, ny, nz, color, uv.u, uv.v};
    std::memcpy(data, &vertex, sizeof vertex);
    Gpu.sharedVertexBuffer->Unlock();
    ++Batch.count;
    return false;
}

bool Append(const Vector4& position, std::uint32_t color, float nx, float ny, float nz, const TexCoord& uv)
{
    if (Batch.restartPending) {
        // The strip's first vertex is written twice, so the joint from the previous strip
        // has two equal corners and covers nothing.
        Batch.restartPending = false;
        WriteVertex(position, color, nx, ny, nz, uv);
    }
    return WriteVertex(position, color, nx, ny, nz, uv);
}

void DrawEffectStrips(int textureIndex, D3DXHANDLE technique, bool depth);

void DrawClosedStrips()
{
    Gpu.device->SetFVF(kVertexFvf);
    // A batch closed with fewer than three vertices holds no triangle; asking for a
    // negative count would wrap to four billion.
    if (Batch.closedEnd > 2) {
        Gpu.device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(Batch.closedEnd - 2));
    }
}

}  // namespace

void ResetBatch()
{
    Batch.count = 0;
    Batch.closedEnd = kNoClosedEnd;
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
    const Vector4 last = Batch.lastPosition;
    const bool dropped = AddVertex(last, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    Batch.restartPending = true;
    Batch.closedEnd = Batch.count;
    return dropped;
}

void DrawBatch(int textureIndex) { DrawBatch(textureIndex, Gpu.worldLightingTechnique); }

void DrawBatch(int textureIndex, D3DXHANDLE technique) { DrawEffectStrips(textureIndex, technique, true); }

void DrawScreenPicture(int textureIndex) { DrawEffectStrips(textureIndex, Gpu.screenPictureTechnique, false); }

namespace {

void DrawEffectStrips(int textureIndex, D3DXHANDLE technique, bool depth)
{
    if (Gpu.device == nullptr || Gpu.effect == nullptr) {
        return;
    }
    const TextureIndexEntry& entry = LookupTextureIndex(textureIndex);
    Gpu.device->SetTexture(0, *entry.stage0);
    Gpu.effect->SetTexture("RenderTargetTexture", *entry.effect);

    Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Gpu.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Gpu.device->SetRenderState(D3DRS_ZENABLE, depth ? D3DZB_TRUE : D3DZB_FALSE);
    Gpu.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Gpu.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    Gpu.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    if (entry.depthWritesOff) {
        Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    }

    Gpu.effect->SetTechnique(technique);
    UINT passes = 0;
    Gpu.effect->Begin(&passes, 0);
    Gpu.effect->BeginPass(0);
    DrawClosedStrips();
    Gpu.effect->EndPass();
    Gpu.effect->End();

    if (!depth) {
        Gpu.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    }
    Gpu.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

}  // namespace

void DrawBatchAdditive(int textureIndex, bool blend)
{
    if (Gpu.device == nullptr) {
        return;
    }
    Gpu.device->SetTexture(0, *LookupTextureIndex(textureIndex).stage0);
    Gpu.device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? TRUE : FALSE);
    Gpu.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    Gpu.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Gpu.device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    DrawClosedStrips();
}

void ClearBatchRestart() { Batch.restartPending = false; }
