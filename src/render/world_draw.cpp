#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "render/gpu/graphics_objects.h"
#include "world/world.h"

float WindAmount = 0.0f;

namespace {

// The float nearest 0.1, added in double and rounded back to float.
constexpr double kWindStep = static_cast<double>(0.1f);

}  // namespace

void CWorld::Draw()
{
    if (Device == nullptr || Effect == nullptr) {
        return;
    }
    Device->SetStreamSource(0, vertexBuffer, 0, kVertexStride);
    WindAmount = static_cast<float>(static_cast<double>(WindAmount) + kWindStep);
    Effect->SetFloat("WindAmount", WindAmount);

    struct Range {
        IDirect3DTexture9* texture;
        std::int32_t end;
    };
    const Range ranges[5] = {
        {Grass2Texture, tuftEnd}, {GroundTexture, blockEnd}, {GrassTexture, capEnd},
        {EndTexture, goalEnd},    {SpikesTexture, spikeEnd},
    };
    std::int32_t start = 0;
    for (const Range& range : ranges) {
        Effect->SetTexture("RenderTargetTexture", range.texture);
        Effect->SetTechnique(WorldLightingTechnique);
        UINT passes = 0;
        Effect->Begin(&passes, 0);
        Effect->BeginPass(0);
        // An empty range (a level without spikes) draws nothing.
        if (range.end > start) {
            Device->DrawPrimitive(D3DPT_TRIANGLELIST, static_cast<UINT>(start),
                                  static_cast<UINT>((range.end - start) / 3));
        }
        Effect->EndPass();
        Effect->End();
        start = range.end;
    }
    Device->SetStreamSource(0, SharedVertexBuffer, 0, kVertexStride);
}
