#include "creature/drop_burst.h"
#include "render/draw_batch.h"
#include "render/texture_index.h"

namespace {
constexpr float kDropHalf = 0.1f;
}

void DropParticle::EmitQuad(float r, float g, float b, float a)
{
    position.z = 0.0f;
    const float x = position.x;
    const float y = position.y;
    const float z = position.z;
    AddVertex(Vector4{x - kDropHalf, y + kDropHalf, 0.0f, 1.0f}, r, g, b, a, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    AddVertex(Vector4{x + kDropHalf, y + kDropHalf, z, 1.0f}, r, g, b, a, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f);
    AddVertex(Vector4{x - kDropHalf, y - kDropHalf, z, 1.0f}, r, g, b, a, 0.0f, 0.0f, -1.0f, 0.0f, 1.0f);
    AddVertex(Vector4{x + kDropHalf, y - kDropHalf, z, 1.0f}, r, g, b, a, 0.0f, 0.0f, -1.0f, 1.0f, 1.0f);
    EndStrip();
}

void CDropBurst::Draw()
{
    if (!active) {
        return;
    }
    ResetBatch();
    const float opacity = 1.0f - age;
    for (DropParticle& drop : particles) {
        drop.EmitQuad(1.0f, 1.0f, 1.0f, opacity);
    }
    DrawBatch(kind == 1 ? kTexKnee : kTexDrop);
}
