#include "render/number_display.h"

#include <initializer_list>

#include "render/draw_batch.h"
#include "render/texture_index.h"

namespace {

constexpr float kHalfThickness = 0.1f;
constexpr float kDigitStep = 1.5f;

struct BarCorner {
    // Each coordinate is origin +- h +- size +- t (h = size / 2, t the half thickness),
    // each term present when its factor is non-zero.
    float hx, tx, sx;
    float hy, ty, sy;
};

// The four corners of each bar in strip order, row i for bar bit 1 << i.
constexpr BarCorner kBars[7][4] = {
    {{-1, 0, 0, 0, 1, 1}, {1, 0, 0, 0, 1, 1}, {-1, 0, 0, 0, -1, 1}, {1, 0, 0, 0, -1, 1}},
    {{-1, 1, 0, 0, 0, 1}, {-1, 1, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, 1}, {-1, -1, 0, 0, 0, 0}},
    {{-1, 0, 0, 0, 1, 0}, {1, 0, 0, 0, 1, 0}, {-1, 0, 0, 0, -1, 0}, {1, 0, 0, 0, -1, 0}},
    {{1, 1, 0, 0, 0, 1}, {1, 1, 0, 0, 0, 0}, {1, -1, 0, 0, 0, 1}, {1, -1, 0, 0, 0, 0}},
    {{-1, 1, 0, 0, 0, 0}, {-1, 1, 0, 0, 0, -1}, {-1, -1, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, -1}},
    {{-1, 0, 0, 0, 1, -1}, {1, 0, 0, 0, 1, -1}, {-1, 0, 0, 0, -1, -1}, {1, 0, 0, 0, -1, -1}},
    {{1, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 0, -1}, {1, -1, 0, 0, 0, 0}, {1, -1, 0, 0, 0, -1}},
};

// origin + a * p + b * q + c * r, adding the terms in that order, each only when present,
// so the float rounding is that of writing the sum out by hand.
float Sum(float origin, float a, float p, float b, float q, float c, float r)
{
    float value = origin;
    if (a != 0.0f) {
        value = a > 0.0f ? value + p : value - p;
    }
    if (b != 0.0f) {
        value = b > 0.0f ? value + q : value - q;
    }
    if (c != 0.0f) {
        value = c > 0.0f ? value + r : value - r;
    }
    return value;
}

}  // namespace

namespace {

void AddDigit(std::int32_t digit, float x, const Vector4& origin, float size)
{
    const std::int32_t mask = kSegmentFont[digit];
    for (std::int32_t bit = 1; bit <= 64; bit <<= 1) {
        if ((mask & bit) != 0) {
            DrawSegment(bit, x, origin.y, origin.z, size);
        }
    }
}

}  // namespace

void DrawSegment(std::int32_t bit, float x, float y, float z, float size)
{
    int row = -1;
    for (int i = 0; i < 7; ++i) {
        if (bit == (1 << i)) {
            row = i;
        }
    }
    if (row < 0) {
        return;
    }
    const float h = size / 2.0f;
    for (const BarCorner& c : kBars[row]) {
        const Vector4 p{Sum(x, c.hx, h, c.sx, size, c.tx, kHalfThickness),
                        Sum(y, c.hy, h, c.sy, size, c.ty, kHalfThickness), z, 1.0f};
        AddVertex(p, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    EndStrip();
}

void DrawNumber(std::int32_t n, const Vector4& origin, float size)
{
    ResetBatch();
    float x = origin.x;
    for (std::int32_t rest = n; rest > 0; rest /= 10) {
        x = x - kDigitStep * size;
        AddDigit(rest % 10, x, origin, size);
    }
    DrawBatch(kTexAntenna);
}

void DrawTenths(std::int32_t tenths, const Vector4& origin, float size)
{
    ResetBatch();
    float x = origin.x - kDigitStep * size;
    AddDigit(tenths % 10, x, origin, size);
    // The point sits low in the gap, which is a digit's width wider than the others.
    const float px = x - size;
    const float py = origin.y - size;
    for (const float dy : {kHalfThickness, -kHalfThickness}) {
        for (const float dx : {-kHalfThickness, kHalfThickness}) {
            AddVertex(Vector4{px + dx, py + dy, origin.z, 1.0f}, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    EndStrip();
    x = x - 2.0f * size;
    std::int32_t rest = tenths / 10;
    do {
        AddDigit(rest % 10, x, origin, size);
        x = x - kDigitStep * size;
        rest /= 10;
    } while (rest > 0);
    DrawBatch(kTexAntenna);
}

float NumberWidth(std::int32_t n, float size)
{
    float width = 0.0f;
    for (std::int32_t rest = n; rest > 0; rest /= 10) {
        width = width + kDigitStep * size;
    }
    return width - kDigitStep * size;
}
