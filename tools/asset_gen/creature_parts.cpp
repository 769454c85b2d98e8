#include "creature_parts.h"

#include <algorithm>
#include <cmath>

#include "palette.h"

using namespace palette;

Rgba Blob(float x, float y, float cx, float cy, float rx, float ry, Rgba base, Rgba deep, float rim)
{
    const float d = SdEllipse(x, y, cx, cy, rx, ry);
    const float cover = Cover(d, 1.3f);
    if (cover <= 0.0f) {
        return {};
    }
    const float nx = (x - cx) / rx;
    const float ny = (y - cy) / ry;
    // Light from the upper left, a soft shadow towards the lower right.
    const float lit = Clamp01(0.62f - 0.45f * (nx * 0.6f + ny * 0.8f));
    Rgba c = Mix(deep, base, SmoothStep(0.05f, 0.75f, lit));
    const float shine = SmoothStep(0.30f, 0.0f, std::hypot(nx + 0.35f, ny + 0.42f));
    c = Mix(c, kCream, shine * 0.55f);
    c = Mix(c, kInk, Cover(-d - rim, 1.3f));
    return WithAlpha(c, cover);
}

Rgba Eye(float x, float y, float cx, float cy, float r)
{
    Rgba c = Blob(x, y, cx, cy, r, r, kCream, Rgba{0.78f, 0.80f, 0.92f, 1.0f}, r * 0.10f);
    if (c.a <= 0.0f) {
        return c;
    }
    const float ix = cx + r * 0.06f;
    const float iy = cy + r * 0.12f;
    const float iris = SdCircle(x, y, ix, iy, r * 0.46f);
    c = Mix(c, Mix(kTeal, kLeafDeep, Clamp01((y - iy) / (r * 0.5f) + 0.3f)), Cover(iris, 1.2f));
    c = Mix(c, kInk, Cover(SdCircle(x, y, ix, iy, r * 0.25f), 1.2f));
    c = Mix(c, kCream, Cover(SdCircle(x, y, ix - r * 0.16f, iy - r * 0.17f, r * 0.11f), 1.0f));
    return c;
}

float SdArc(float x, float y, float cx, float cy, float radius, float a0, float a1, float half)
{
    constexpr int kSteps = 24;
    float d = 1e30f;
    float px = cx + std::cos(a0) * radius;
    float py = cy + std::sin(a0) * radius;
    for (int i = 1; i <= kSteps; ++i) {
        const float a = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(kSteps);
        const float qx = cx + std::cos(a) * radius;
        const float qy = cy + std::sin(a) * radius;
        d = std::min(d, SdSegment(x, y, px, py, qx, qy, half));
        px = qx;
        py = qy;
    }
    return d;
}

Rgba Head(float x, float y, float cx, float cy, float r)
{
    // A round head, a little wider than tall, with a wide smile and rosy cheeks; its eyes sit
    // on the antennae.
    const float hx = r * 0.96f;
    const float hy = r * 0.86f;
    const float hcy = cy + r * 0.08f;
    Rgba c = Blob(x, y, cx, hcy, hx, hy, kCoral, kCoralDeep, r * 0.075f);
    if (c.a <= 0.0f) {
        return c;
    }
    // A lighter muzzle under the smile.
    const float muzzle = SdEllipse(x, y, cx, cy + r * 0.38f, r * 0.46f, r * 0.28f);
    c = Mix(c, kCoralLight, Cover(muzzle, r * 0.12f) * 0.75f);
    for (float side : {-1.0f, 1.0f}) {
        const float cheek = SdEllipse(x, y, cx + side * r * 0.56f, cy + r * 0.26f, r * 0.17f, r * 0.11f);
        c = Mix(c, kBlush, Cover(cheek, r * 0.10f) * 0.8f);
        // Short raised brows high on the head, under the eye stalks: they read as brows, not
        // as a second pair of eyes.
        const float brow = SdArc(x, y, cx + side * r * 0.30f, cy - r * 0.36f, r * 0.16f, -2.3f, -0.84f, r * 0.032f);
        c = Mix(c, kInk, Cover(brow, 1.2f) * 0.8f);
        const float nostril = SdEllipse(x, y, cx + side * r * 0.09f, cy + r * 0.16f, r * 0.035f, r * 0.025f);
        c = Mix(c, kInk, Cover(nostril, 1.0f) * 0.8f);
    }
    // Open smile with a tongue.
    const float mouth = std::max(SdEllipse(x, y, cx, cy + r * 0.34f, r * 0.34f, r * 0.24f), cy + r * 0.36f - y);
    c = Mix(c, Rgba{0.42f, 0.12f, 0.20f, 1.0f}, Cover(mouth, 1.2f));
    const float tongue = std::max(SdEllipse(x, y, cx + r * 0.06f, cy + r * 0.58f, r * 0.16f, r * 0.10f), mouth);
    c = Mix(c, kBlush, Cover(tongue, 1.2f));
    const float lip = SdArc(x, y, cx, cy + r * 0.36f, r * 0.34f, 0.0f, 3.14159265f, r * 0.03f);
    const float lipTop = SdSegment(x, y, cx - r * 0.34f, cy + r * 0.36f, cx + r * 0.34f, cy + r * 0.36f, r * 0.03f);
    c = Mix(c, kInk, Cover(std::min(lip * 1.0f, lipTop), 1.2f));
    return c;
}

Rgba Limb(float x, float y, float ax, float ay, float bx, float by, float w)
{
    const float d = SdSegment(x, y, ax, ay, bx, by, w);
    const float cover = Cover(d, 1.2f);
    if (cover <= 0.0f) {
        return {};
    }
    const float across = Clamp01(-d / w);  // 0 at the rim, 1 on the centre line
    Rgba c = Mix(kCoralDeep, kCoral, SmoothStep(0.0f, 0.7f, across));
    c = Mix(c, kCoralLight, SmoothStep(0.6f, 1.0f, across) * 0.45f);
    c = Mix(c, kInk, 1.0f - SmoothStep(0.10f, 0.26f, across));
    return WithAlpha(c, cover);
}

Rgba Joint(float x, float y, float cx, float cy, float r)
{
    Rgba c = Blob(x, y, cx, cy, r, r, kGold, Rgba{0.86f, 0.50f, 0.22f, 1.0f}, r * 0.12f);
    const float ring = std::fabs(SdCircle(x, y, cx, cy, r * 0.52f)) - r * 0.05f;
    return c.a > 0.0f ? Mix(c, Rgba{0.80f, 0.48f, 0.20f, c.a}, Cover(ring, 1.2f) * 0.6f) : c;
}

Rgba Foot(float x, float y, float cx, float cy, float r)
{
    Rgba c = Blob(x, y, cx, cy, r, r * 0.92f, kCoral, kCoralDeep, r * 0.12f);
    if (c.a <= 0.0f) {
        return c;
    }
    for (int i = 0; i < 3; ++i) {
        const float tx = cx + (static_cast<float>(i) - 1.0f) * r * 0.42f;
        const float ty = cy + r * (i == 1 ? 0.42f : 0.30f);
        c = Mix(c, kCoralLight, Cover(SdEllipse(x, y, tx, ty, r * 0.17f, r * 0.14f), 1.2f) * 0.9f);
    }
    return c;
}
