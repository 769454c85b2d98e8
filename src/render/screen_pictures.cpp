#include "render/screen_pictures.h"

#include "creature/creature.h"
#include "render/camera.h"
#include "render/draw_batch.h"
#include "render/texture_index.h"
#include "render/gpu/graphics_objects.h"
#include "world/world.h"

namespace {

constexpr float kSkyHalf = 35.0f;
constexpr float kSkyZ = 5.0f;
constexpr float kArrowRise = 6.0f;
constexpr float kArrowHalfWidth = 2.0f;

// A white quad as one closed strip, corners in texture order (0,0), (1,0), (0,1), (1,1).
void AddQuad(const Vector4& c00, const Vector4& c10, const Vector4& c01, const Vector4& c11, float nx, float ny,
             float nz)
{
    AddVertex(c00, 1.0f, 1.0f, 1.0f, 1.0f, nx, ny, nz, 0.0f, 0.0f);
    AddVertex(c10, 1.0f, 1.0f, 1.0f, 1.0f, nx, ny, nz, 1.0f, 0.0f);
    AddVertex(c01, 1.0f, 1.0f, 1.0f, 1.0f, nx, ny, nz, 0.0f, 1.0f);
    AddVertex(c11, 1.0f, 1.0f, 1.0f, 1.0f, nx, ny, nz, 1.0f, 1.0f);
    EndStrip();
}

// p + a * sa + b * sb, keeping p's w.
Vector4 Offset(const Vector4& p, const Vector4& a, float sa, const Vector4& b, float sb)
{
    return Vector4{p.x + a.x * sa + b.x * sb, p.y + a.y * sa + b.y * sb, p.z + a.z * sa + b.z * sb, p.w};
}

void RestoreDepthWrites()
{
    if (Gpu.device != nullptr) {
        Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }
}

}  // namespace

void DrawSky()
{
    AddQuad(Vector4{-kSkyHalf, -kSkyHalf, kSkyZ, 1.0f}, Vector4{kSkyHalf, -kSkyHalf, kSkyZ, 1.0f},
            Vector4{-kSkyHalf, kSkyHalf, kSkyZ, 1.0f}, Vector4{kSkyHalf, kSkyHalf, kSkyZ, 1.0f}, 0.0f, 1.0f, 0.0f);
    // The first layer over the cleared target: added to black, it is the picture itself, and it
    // is behind everything, so neither blending nor the depth test changes a pixel; both
    // would cost a read of every pixel.
    if (Gpu.device != nullptr) {
        Gpu.device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    }
    DrawBatchAdditive(kTexSky, false);
    ResetBatch();
    if (Gpu.device != nullptr) {
        Gpu.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    }
    RestoreDepthWrites();
}

void AddScreenQuad(const Vector4& centre, float halfSize)
{
    D3DMATRIX view{};
    if (Gpu.device != nullptr) {
        Gpu.device->GetTransform(D3DTS_VIEW, &view);
    }
    // The view matrix's first two columns are the camera's right and up axes in the world.
    Vector4 right{view._11, view._21, view._31, 0.0f};
    Vector4 up{view._12, view._22, view._32, 0.0f};
    right.Scale(halfSize);
    up.Scale(halfSize);
    AddQuad(Offset(centre, right, -1.0f, up, 1.0f), Offset(centre, right, 1.0f, up, 1.0f),
            Offset(centre, right, -1.0f, up, -1.0f), Offset(centre, right, 1.0f, up, -1.0f), 1.0f, 1.0f, 1.0f);
}

void DrawGoalArrow()
{
    ResetBatch();
    const Vector4 from = Creature.GetPosition();
    Vector4 d{World.goalPoint.x - from.x, World.goalPoint.y - from.y, 0.0f, 1.0f};
    d.Normalize();
    Vector4 across;
    d.Cross(Vector4{0.0f, 0.0f, 1.0f, 1.0f}, across);
    across.Normalize();
    across.Scale(kArrowHalfWidth);
    const Vector4 anchor{Scene.cameraPoint.x, Scene.cameraPoint.y + kArrowRise, 0.0f, 1.0f};
    // The v = 1 edge of the picture faces the goal.
    AddQuad(Offset(anchor, across, -1.0f, d, -1.0f), Offset(anchor, across, 1.0f, d, -1.0f),
            Offset(anchor, across, -1.0f, d, 1.0f), Offset(anchor, across, 1.0f, d, 1.0f), 0.0f, 1.0f, 0.0f);
    DrawBatch(kTexArrow);
    ResetBatch();
    RestoreDepthWrites();
}
