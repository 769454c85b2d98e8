#include <cstring>

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "render/draw_batch.h"
#include "render/gpu/graphics_objects.h"
#include "render/scene_state.h"
#include "render/view_cull.h"
#include "world/world.h"

namespace {

// The float nearest 0.1, added in double and rounded back to float.
constexpr double kWindStep = static_cast<double>(0.1f);
// The wind moves a tuft's top by at most 0.21 across and 0.03 down.
constexpr float kSwayMargin = 0.5f;
constexpr std::int32_t kQuadVertices = 6;

// Copies the listed quads, in order, into the batch buffer from vertex `at`. False when they do
// not fit or the buffer refuses the lock.
bool CopyQuads(const Vertex* mesh, const std::int32_t* quads, std::int32_t count, std::int32_t at)
{
    const std::int32_t vertices = count * kQuadVertices;
    if (Gpu.sharedVertexBuffer == nullptr || at + vertices > kBatchVertexCapacity) {
        return false;
    }
    void* data = nullptr;
    const HRESULT hr = Gpu.sharedVertexBuffer->Lock(static_cast<UINT>(at) * kVertexStride,
                                                    static_cast<UINT>(vertices) * kVertexStride, &data, 0);
    if (FAILED(hr) || data == nullptr) {
        return false;
    }
    auto* out = static_cast<Vertex*>(data);
    for (std::int32_t i = 0; i < count; ++i) {
        std::memcpy(out + i * kQuadVertices, mesh + quads[i], kQuadVertices * sizeof(Vertex));
    }
    Gpu.sharedVertexBuffer->Unlock();
    return true;
}

}  // namespace

void CWorld::Draw()
{
    if (Gpu.device == nullptr || Gpu.effect == nullptr) {
        return;
    }
    Scene.windAmount = static_cast<float>(static_cast<double>(Scene.windAmount) + kWindStep);
    Gpu.effect->SetFloat("WindAmount", Scene.windAmount);

    struct Range {
        IDirect3DTexture9* texture;
        std::int32_t end;
    };
    const Range ranges[5] = {
        {Gpu.textures[kPicGrass2], tuftEnd}, {Gpu.textures[kPicGround], blockEnd}, {Gpu.textures[kPicGrass], capEnd},
        {Gpu.textures[kPicEnd], goalEnd},    {Gpu.textures[kPicSpikes], spikeEnd},
    };
    IDirect3DVertexBuffer9* bound = vertexBuffer;
    Gpu.device->SetStreamSource(0, vertexBuffer, 0, kVertexStride);
    const auto bind = [&bound](IDirect3DVertexBuffer9* buffer) {
        if (bound != buffer) {
            Gpu.device->SetStreamSource(0, buffer, 0, kVertexStride);
            bound = buffer;
        }
    };
    // The batch buffer is free until the next batch starts: the quads in view are drawn from
    // there, one range after the other.
    std::int32_t copied = 0;
    std::int32_t start = 0;
    for (const Range& range : ranges) {
        Gpu.effect->SetTexture("RenderTargetTexture", range.texture);
        Gpu.effect->SetTechnique(Gpu.worldLightingTechnique);
        UINT passes = 0;
        Gpu.effect->Begin(&passes, 0);
        Gpu.effect->BeginPass(0);
        // Only the quads in view, in the mesh's order: the same triangles in the same order
        // cover the same pixels. A range that cannot be listed or copied is drawn whole.
        const std::int32_t count =
            Scene.viewKnown ? VisibleQuadList(mesh, start, range.end, Scene.viewProjection, kSwayMargin, visibleQuads)
                            : -1;
        if (count > 0 && CopyQuads(mesh, visibleQuads, count, copied)) {
            bind(Gpu.sharedVertexBuffer);
            Gpu.device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(copied), static_cast<UINT>(count * 2));
            copied += count * kQuadVertices;
        } else if (count != 0 && range.end > start) {
            bind(vertexBuffer);
            Gpu.device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(start),
                                      static_cast<UINT>((range.end - start) / 3));
        }
        Gpu.effect->EndPass();
        Gpu.effect->End();
        start = range.end;
    }
    Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
}
