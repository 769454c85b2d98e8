// The view test of the world's quads: clip-space corners against the view's four edges.

#include "render/view_cull.h"

namespace {

constexpr std::int32_t kQuad = 6;

bool MayReachView(const Vertex* quad, const D3DXMATRIX& m, float margin)
{
    float left = quad[0].x;
    float right = quad[0].x;
    float bottom = quad[0].y;
    float top = quad[0].y;
    for (std::int32_t i = 1; i < kQuad; ++i) {
        left = quad[i].x < left ? quad[i].x : left;
        right = quad[i].x > right ? quad[i].x : right;
        bottom = quad[i].y < bottom ? quad[i].y : bottom;
        top = quad[i].y > top ? quad[i].y : top;
    }
    const float xs[2] = {left - margin, right + margin};
    const float ys[2] = {bottom - margin, top + margin};
    const float z = quad[0].z;
    // One bit per view edge a corner lies beyond; a quad goes when every corner shares one.
    unsigned shared = 0xF;
    for (float x : xs) {
        for (float y : ys) {
            const float cx = x * m._11 + y * m._21 + z * m._31 + m._41;
            const float cy = x * m._12 + y * m._22 + z * m._32 + m._42;
            const float cw = x * m._14 + y * m._24 + z * m._34 + m._44;
            if (!(cw > 0.0f)) {
                return true;
            }
            shared &= (cx < -cw ? 1u : 0u) | (cx > cw ? 2u : 0u) | (cy < -cw ? 4u : 0u) | (cy > cw ? 8u : 0u);
        }
    }
    return shared == 0;
}

}  // namespace

std::int32_t VisibleQuadList(const Vertex* mesh, std::int32_t begin, std::int32_t end, const D3DXMATRIX& viewProjection,
                             float margin, std::int32_t* quads)
{
    if (end > begin && (end - begin) % kQuad != 0) {
        return -1;
    }
    std::int32_t count = 0;
    for (std::int32_t q = begin; q < end; q += kQuad) {
        if (MayReachView(mesh + q, viewProjection, margin)) {
            quads[count++] = q;
        }
    }
    return count;
}
