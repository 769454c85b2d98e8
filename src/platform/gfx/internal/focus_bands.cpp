#include "platform/gfx/internal/focus_bands.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kSlack = 1.0f;  // pixels: rounding in the viewport transform stays inside

struct Box {
    float x0, y0, x1, y1;
};

constexpr Box kEverywhere = {-kInf, -kInf, kInf, kInf};

// Where a vertex can land, in pixels, anywhere within `margin` of its place on each axis.
Box VertexBox(const float* p, const float* m, float margin, int width, int height)
{
    const auto row = [p, m](int j) { return p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j]; };
    const auto reach = [m, margin](int j) {
        return margin * (std::fabs(m[j]) + std::fabs(m[4 + j]) + std::fabs(m[8 + j]));
    };
    const float w = row(3);
    const float ew = reach(3);
    if (!(w - ew > 0.0f)) {
        return kEverywhere;  // may reach or cross the camera plane: clipping decides
    }
    // x / w over a box with w > 0 is least and greatest at its corners.
    const auto range = [w, ew](float c, float e, float* lo, float* hi) {
        *lo = std::min((c - e) / (w - ew), (c - e) / (w + ew));
        *hi = std::max((c + e) / (w - ew), (c + e) / (w + ew));
    };
    float xl = 0.0f, xh = 0.0f, yl = 0.0f, yh = 0.0f;
    range(row(0), reach(0), &xl, &xh);
    range(row(1), reach(1), &yl, &yh);
    const float sx = 0.5f * static_cast<float>(width);
    const float sy = 0.5f * static_cast<float>(height);
    // Rows count down from the top, view y up.
    return {(xl + 1.0f) * sx, (1.0f - yh) * sy, (xh + 1.0f) * sx, (1.0f - yl) * sy};
}

}  // namespace

bool GfxListBandTriangles(const GfxBandVertices& v, int width, int height, const GfxBand* bands, int bandCount,
                          unsigned first, GfxBandLists* out)
{
    out->indices.clear();
    out->boxes.clear();
    if (v.count < 0 || v.count % 3 != 0 || bandCount > kGfxMaxBands) {
        return false;
    }
    const int triangles = v.count / 3;
    for (int t = 0; t < triangles; ++t) {
        Box box = {kInf, kInf, -kInf, -kInf};
        for (int k = 0; k < 3; ++k) {
            float p[3];
            std::memcpy(p, v.first + static_cast<std::size_t>(t * 3 + k) * v.stride, sizeof p);
            const Box at = VertexBox(p, v.matrix, v.margin, width, height);
            box = {std::min(box.x0, at.x0), std::min(box.y0, at.y0), std::max(box.x1, at.x1), std::max(box.y1, at.y1)};
        }
        out->boxes.insert(out->boxes.end(), {box.x0, box.y0, box.x1, box.y1});
    }
    for (int b = 0; b < bandCount; ++b) {
        const float x0 = static_cast<float>(bands[b].x0) - kSlack;
        const float y0 = static_cast<float>(bands[b].y0) - kSlack;
        const float x1 = static_cast<float>(bands[b].x1) + kSlack;
        const float y1 = static_cast<float>(bands[b].y1) + kSlack;
        for (int t = 0; t < triangles; ++t) {
            const float* box = &out->boxes[static_cast<std::size_t>(t) * 4];
            // A NaN fails every test, so such a triangle is drawn in every band.
            if (!(box[2] < x0 || box[0] > x1 || box[3] < y0 || box[1] > y1)) {
                const unsigned at = first + static_cast<unsigned>(t) * 3;
                out->indices.insert(out->indices.end(), {at, at + 1, at + 2});
            }
        }
        out->ends[b] = out->indices.size();
    }
    return true;
}
