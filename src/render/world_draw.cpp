#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "render/gpu/graphics_objects.h"
#include "render/scene_state.h"
#include "render/view_cull.h"
#include "world/world.h"

namespace {

// The float nearest 0.1, added in double and rounded back to float.
constexpr double kWindStep = static_cast<double>(0.1f);
// The wind moves a tuft's top by at most 0.21 across and 0.03 down.
constexpr float kSwayMargin = 0.5f;

}  // namespace

void CWorld::Draw()
{
    if (Gpu.device == nullptr || Gpu.effect == nullptr) {
        return;
    }
    Gpu.device->SetStreamSource(0, vertexBuffer, 0, kVertexStride);
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
    std::int32_t start = 0;
    for (const Range& range : ranges) {
        Gpu.effect->SetTexture("RenderTargetTexture", range.texture);
        Gpu.effect->SetTechnique(Gpu.worldLightingTechnique);
        UINT passes = 0;
        Gpu.effect->Begin(&passes, 0);
        Gpu.effect->BeginPass(0);
        // An empty range (a level without spikes) draws nothing; the quads out of view are
        // left out, as they would cover no pixel.
        VertexSpan span{start, range.end};
        if (Scene.viewKnown) {
            span = VisibleQuads(mesh, start, range.end, Scene.viewProjection, kSwayMargin);
        }
        if (span.end > span.first) {
            Gpu.device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(span.first),
                                      static_cast<UINT>((span.end - span.first) / 3));
        }
        Gpu.effect->EndPass();
        Gpu.effect->End();
        start = range.end;
    }
    Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
}
