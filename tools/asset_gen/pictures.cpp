#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "canvas.h"
#include "creature_parts.h"
#include "math/random.h"
#include "palette.h"
#include "text.h"
#include "tga_file.h"

using namespace palette;

namespace {

constexpr float kPi = 3.14159265f;

float Frac(float x) { return x - std::floor(x); }

// Textures wrap: the row at v = 1 is filtered into the row at v = 0. Pictures whose top edge
// is open (tuft tips, spike points) keep their bottom row clear, hidden in the block anyway.
void ClearEdgeRows(Canvas& c)
{
    for (int x = 0; x < c.Width(); ++x) {
        c.At(x, c.Height() - 1) = Rgba{};
    }
}

// ---- the creature's sprites ----

void DrawLeg(Canvas& c, const Font&)
{
    // u runs across the limb, v along it; the pattern repeats along v so any length reads.
    const float w = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) {
        const float x = u * w;
        Rgba col = Limb(x, 0.0f, w * 0.5f, -1.0f, w * 0.5f, 1.0f, w * 0.42f);
        if (col.a > 0.0f) {
            const float band = std::fabs(Frac(v * 3.0f) - 0.5f);
            col = Mix(col, kCoralDeep, SmoothStep(0.40f, 0.5f, band) * 0.35f);
        }
        return col;
    });
    c.BleedEdges(2);
}

void DrawKnee(Canvas& c, const Font&)
{
    const float s = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) { return Foot(u * s, v * s, s * 0.5f, s * 0.5f, s * 0.44f); });
    c.BleedEdges(2);
}

void DrawAntenna(Canvas& c, const Font&)
{
    const int s = c.Width();
    const float f = static_cast<float>(s);
    c.Layer([&](float u, float v) { return Joint(u * f, v * f, f * 0.5f, f * 0.5f, f * 0.44f); });
    c.BleedEdges(2);
    // The digits take the colour of texel (0, 0); filtering there mixes all four corners.
    for (int y : {0, s - 1}) {
        for (int x : {0, s - 1}) {
            c.At(x, y) = kGoldLight;
        }
    }
}

void DrawEye(Canvas& c, const Font&)
{
    const float s = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) { return Eye(u * s, v * s, s * 0.5f, s * 0.5f, s * 0.45f); });
    c.BleedEdges(2);
}

void DrawHeadface(Canvas& c, const Font&)
{
    const float s = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) { return Head(u * s, v * s, s * 0.5f, s * 0.5f, s * 0.47f); });
    c.BleedEdges(2);
}

// ---- the world ----

void DrawSky(Canvas& c, const Font&)
{
    // Added onto black, so these colours are what the player sees. The picture's first row is
    // the bottom of the sky.
    const Noise clouds(7, 16);
    const Noise hills(11, 8);
    c.Layer([&](float u, float v) {
        const float up = v;  // 0 at the bottom of the world, 1 at the top
        Rgba col = up < 0.45f ? Mix(kSkyLow, kSkyMid, SmoothStep(0.0f, 0.45f, up))
                              : Mix(kSkyMid, kSkyHigh, SmoothStep(0.45f, 1.0f, up));
        const float glow = SmoothStep(0.55f, 0.0f, std::hypot((u - 0.68f) * 1.2f, up - 0.30f));
        col = Mix(col, kGoldLight, glow * 0.45f);
        const float band = SmoothStep(0.18f, 0.32f, up) * SmoothStep(0.85f, 0.55f, up);
        if (band > 0.0f) {
            const float puff = SmoothStep(0.52f, 0.80f, clouds.Fractal(u * 6.0f, up * 14.0f, 4)) * band;
            col = Mix(col, Mix(kCream, kCoralLight, 0.3f), puff * 0.55f);
        }
        for (int layer = 0; layer < 2 && up < 0.25f; ++layer) {
            const float fl = static_cast<float>(layer);
            const float ridge = 0.10f + 0.05f * fl + 0.06f * hills.Fractal(u * (3.0f + fl * 2.0f) + fl * 3.7f, fl, 3);
            const Rgba far = Mix(Rgba{0.55f, 0.48f, 0.72f, 1.0f}, Rgba{0.36f, 0.32f, 0.56f, 1.0f}, fl);
            col = Mix(col, far, Cover((up - ridge) * 512.0f, 2.0f) * (0.85f - 0.2f * fl));
        }
        if (up > 0.7f) {
            const float stars =
                SmoothStep(0.82f, 0.97f, clouds.At(u * 240.0f, up * 240.0f)) * SmoothStep(0.7f, 0.95f, up);
            col = Mix(col, kCream, stars * 0.5f);
        }
        return WithAlpha(col, 1.0f);
    });
}

void DrawGround(Canvas& c, const Font&)
{
    // Tiles seamlessly: neighbouring blocks continue each other's texture.
    const Noise soil(21, 16);
    const Noise grain(22, 64);
    c.Layer([&](float u, float v) {
        const float n = soil.Fractal(u * 16.0f, v * 16.0f, 4);
        const float strata = 0.5f + 0.5f * std::sin((v * 12.0f + n * 1.5f) * 2.0f * kPi);
        Rgba col = Mix(kEarthDeep, kEarth, SmoothStep(0.25f, 0.75f, n));
        col = Mix(col, kEarthLight, strata * 0.18f);
        col = Scaled(col, 0.92f + 0.16f * grain.At(u * 64.0f, v * 64.0f));
        return WithAlpha(col, 1.0f);
    });
    // Pebbles, wrapped at the edges.
    const std::uint32_t saved = GetRandState();
    SetRandState(31);
    const float s = static_cast<float>(c.Width());
    for (int i = 0; i < 110; ++i) {
        const float px = static_cast<float>(Rand()) / kRandMax * s;
        const float py = static_cast<float>(Rand()) / kRandMax * s;
        const float r = 1.5f + static_cast<float>(Rand() % 5);
        const float squash = 0.6f + static_cast<float>(Rand() % 40) / 100.0f;
        const Rgba stone = Mix(kEarthLight, Rgba{0.62f, 0.55f, 0.62f, 1.0f}, static_cast<float>(Rand() % 100) / 100.0f);
        const int lo = static_cast<int>(-r - 3.0f);
        const int hi = static_cast<int>(r + 3.0f);
        for (int dy = lo; dy <= hi; ++dy) {
            for (int dx = lo; dx <= hi; ++dx) {
                const int x = (static_cast<int>(px) + dx + c.Width()) % c.Width();
                const int y = (static_cast<int>(py) + dy + c.Height()) % c.Height();
                const float fx = std::floor(px) + static_cast<float>(dx) + 0.5f;
                const float fy = std::floor(py) + static_cast<float>(dy) + 0.5f;
                const Rgba b = Blob(fx, fy, px, py, r, r * squash, stone, kEarthDeep, 0.0f);
                const float shadow = Cover(SdEllipse(fx, fy, px + 1.0f, py + 1.5f, r, r * squash), 2.0f);
                c.Over(x, y, WithAlpha(kEarthDeep, shadow * 0.5f));
                c.Over(x, y, WithAlpha(b, b.a * 0.9f));
            }
        }
    }
    SetRandState(saved);
}

void DrawGrassCap(Canvas& c, const Font&)
{
    // Each cap shows a quarter of the picture turned half a turn, so the picture is a 4 x 4
    // tiling of one cell drawn upside down: the grass edge along each tile's bottom.
    c.Layer([&](float u, float v) {
        const float across = 1.0f - Frac(u * 4.0f);
        const float down = 1.0f - Frac(v * 4.0f);  // 0 at the top of the block on screen
        const float scallop = 0.5f + 0.5f * std::cos(across * 3.0f * 2.0f * kPi);
        const float edge = 0.30f + 0.16f * scallop;
        const float d = (down - edge) * 32.0f;
        const float cover = Cover(d, 1.5f);
        if (cover <= 0.0f) {
            return Rgba{};
        }
        Rgba col = Mix(kLeafLight, kLeaf, SmoothStep(0.0f, 0.16f, down));
        col = Mix(col, kLeafDeep, SmoothStep(-4.0f, -0.5f, d));
        return WithAlpha(col, cover);
    });
    c.BleedEdges(2);
}

// A curved blade from its root to its tip, `w` wide at the root.
float SdBlade(float x, float y, float rx, float ry, float tx, float ty, float bend, float w)
{
    constexpr int kSteps = 12;
    float d = 1e30f;
    float px = rx;
    float py = ry;
    for (int i = 1; i <= kSteps; ++i) {
        const float t = static_cast<float>(i) / kSteps;
        const float qx = rx + (tx - rx) * t + bend * t * (1.0f - t) * 4.0f;
        const float qy = ry + (ty - ry) * t;
        const float width = w * (1.0f - t * 0.9f);
        d = std::min(d, SdSegment(x, y, px, py, qx, qy, width));
        px = qx;
        py = qy;
    }
    return d;
}

void DrawGrassTufts(Canvas& c, const Font&)
{
    // v = 0 is the tuft's top edge (the edge that sways), v = 1 its root inside the block.
    const float w = static_cast<float>(c.Width());
    const float h = static_cast<float>(c.Height());
    struct Blade {
        float root, tip, top, bend, width;
    };
    const Blade blades[] = {{0.30f, 0.12f, 0.22f, -4.0f, 5.0f}, {0.72f, 0.88f, 0.30f, 4.0f, 5.0f},
                            {0.44f, 0.34f, 0.04f, -3.0f, 6.0f}, {0.58f, 0.70f, 0.10f, 3.0f, 6.0f},
                            {0.50f, 0.52f, 0.34f, 1.0f, 5.5f},  {0.22f, 0.10f, 0.50f, -2.0f, 4.0f},
                            {0.80f, 0.90f, 0.55f, 2.0f, 4.0f}};
    for (const Blade& b : blades) {
        c.Layer([&](float u, float v) {
            const float x = u * w;
            const float y = v * h;
            const float d = SdBlade(x, y, b.root * w, h + 2.0f, b.tip * w, b.top * h, b.bend, b.width);
            const float cover = Cover(d, 1.2f);
            if (cover <= 0.0f) {
                return Rgba{};
            }
            Rgba col = Mix(kLeafLight, kLeafDeep, SmoothStep(0.0f, 1.0f, v));
            col = Mix(col, kLeafDeep, SmoothStep(-1.8f, -0.3f, d) * 0.85f);
            return WithAlpha(col, cover);
        });
    }
    c.BleedEdges(2);
    ClearEdgeRows(c);
}

void DrawSpikes(Canvas& c, const Font&)
{
    // v = 0 is the tip of a standing spike; hanging spikes get the picture upside down.
    const float w = static_cast<float>(c.Width());
    const float h = static_cast<float>(c.Height());
    c.Layer([&](float u, float v) {
        const float x = u * w;
        const float y = v * h;
        const float d = SdTriangle(x, y, w * 0.08f, h, w * 0.92f, h, w * 0.5f, h * 0.015f) - 1.5f;
        const float cover = Cover(d, 1.3f);
        if (cover <= 0.0f) {
            return Rgba{};
        }
        const float side = x < w * 0.5f ? 1.0f : 0.55f;  // two facets, lit from the left
        Rgba col = Mix(kCrystalDeep, kCrystal, side * (0.55f + 0.45f * (1.0f - v)));
        col = Mix(col, kBlush, SmoothStep(0.55f, 1.0f, v) * 0.45f);
        col = Mix(col, kInk, SmoothStep(-3.5f, -1.5f, d));
        return WithAlpha(col, cover);
    });
    c.BleedEdges(2);
    ClearEdgeRows(c);
}

void DrawGoal(Canvas& c, const Font&)
{
    // A 4 x 4 marker drawn over whatever reaches it: a glowing ring round a star, open enough
    // to see the creature through.
    const float s = static_cast<float>(c.Width());
    const float cx = s * 0.5f;
    c.Layer([&](float u, float v) {
        const float x = u * s;
        const float y = v * s;
        const float r = std::hypot(x - cx, y - cx);
        const float glow = SmoothStep(s * 0.5f, s * 0.30f, r) * 0.35f;
        return WithAlpha(kGoldLight, glow);
    });
    c.Layer([&](float u, float v) {
        const float x = u * s;
        const float y = v * s;
        const float ring = std::fabs(SdCircle(x, y, cx, cx, s * 0.40f)) - s * 0.035f;
        const float cover = Cover(ring, 1.5f);
        Rgba col = Mix(kGold, kGoldLight, SmoothStep(cx + s * 0.4f, cx - s * 0.4f, y));
        col = Mix(col, Rgba{0.80f, 0.48f, 0.20f, 1.0f}, SmoothStep(-3.0f, 0.0f, ring) * 0.7f);
        return WithAlpha(col, cover);
    });
    // A five-pointed star and a ring of sparkles.
    c.Layer([&](float u, float v) {
        const float x = u * s - cx;
        const float y = v * s - cx;
        const float a = std::atan2(y, x) + kPi * 0.5f;
        const float spoke = std::fabs(std::cos(a * 2.5f));
        const float radius = s * (0.07f + 0.08f * std::pow(spoke, 3.0f));
        const float d = std::hypot(x, y) - radius;
        Rgba col = Mix(kGoldLight, kGold, Clamp01(std::hypot(x, y) / radius));
        col = Mix(col, Rgba{0.80f, 0.48f, 0.20f, 1.0f}, SmoothStep(-2.5f, 0.0f, d));
        return WithAlpha(col, Cover(d, 1.5f));
    });
    for (int i = 0; i < 8; ++i) {
        const float a = static_cast<float>(i) * kPi / 4.0f + kPi / 8.0f;
        const float px = cx + std::cos(a) * s * 0.40f;
        const float py = cx + std::sin(a) * s * 0.40f;
        c.Layer([&](float u, float v) {
            const float d = SdCircle(u * s, v * s, px, py, s * 0.028f);
            return WithAlpha(kCream, Cover(d, 1.5f));
        });
    }
    c.BleedEdges(2);
}

void DrawDrop(Canvas& c, const Font&)
{
    const float s = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) {
        return Blob(u * s, v * s, s * 0.5f, s * 0.5f, s * 0.38f, s * 0.38f, kWater, kTeal, 0.0f);
    });
    c.BleedEdges(2);
}

void DrawArrow(Canvas& c, const Font&)
{
    // The v = 1 edge faces the goal. The game stretches the picture to 4 units across and 2
    // along, so the head is drawn half as long as it should look.
    const float s = static_cast<float>(c.Width());
    c.Layer([&](float u, float v) {
        const float x = u * s;
        const float y = v * s;
        const float head = SdTriangle(x, y, s * 0.24f, s * 0.42f, s * 0.76f, s * 0.42f, s * 0.5f, s * 0.90f) - 4.0f;
        const float shaft = SdRoundBox(x, y, s * 0.5f, s * 0.28f, s * 0.09f, s * 0.18f, 4.0f);
        const float d = std::min(head, shaft);
        const float cover = Cover(d, 1.5f);
        if (cover <= 0.0f) {
            return Rgba{};
        }
        Rgba col = Mix(kGoldLight, kGold, SmoothStep(0.1f, 0.9f, v));
        col = Mix(col, kInk, SmoothStep(-5.0f, -2.5f, d));
        return WithAlpha(col, cover);
    });
    c.BleedEdges(2);
}

// ---- the screens ----

// Text with a soft ink outline and shadow, its fill running from `top` to `bottom`.
void DrawText(Canvas& c, const Font& font, const std::string& text, float size, float centreX, float baseline, Rgba top,
              Rgba bottom, float outline)
{
    const int w = c.Width();
    const int h = c.Height();
    const float reach = outline * 2.5f + 4.0f;
    const std::vector<float> field = font.Distance(text, size, centreX, baseline, w, h, reach);
    const float shadowX = std::max(1.0f, outline * 0.45f);
    const float shadowY = std::max(2.0f, outline * 0.7f);
    // Glyphs reach at most a text height above the baseline and a third below it.
    const float half = font.Measure(text, size) * 0.5f + reach + shadowX;
    const int colLeft = std::max(0, static_cast<int>(centreX - half) - 1);
    const int colRight = std::min(w, static_cast<int>(centreX + half) + 2);
    const int rowTop = std::max(0, static_cast<int>(baseline - size - reach) - 1);
    const int rowBottom = std::min(h, static_cast<int>(baseline + size * 0.35f + reach + shadowY) + 2);
    for (int y = rowTop; y < rowBottom; ++y) {
        for (int x = colLeft; x < colRight; ++x) {
            const int sx = static_cast<int>(static_cast<float>(x) - shadowX);
            const int sy = static_cast<int>(static_cast<float>(y) - shadowY);
            if (sx >= 0 && sy >= 0) {
                const float ds = field[static_cast<std::size_t>(sy) * w + sx];
                c.Over(x, y, WithAlpha(kInk, Cover(ds - outline, outline * 0.9f + 1.0f) * 0.55f));
            }
        }
    }
    for (int y = rowTop; y < rowBottom; ++y) {
        for (int x = colLeft; x < colRight; ++x) {
            const float d = field[static_cast<std::size_t>(y) * w + x];
            c.Over(x, y, WithAlpha(kInk, Cover(d - outline, 1.2f)));
            const float t = Clamp01((static_cast<float>(y) - (baseline - size * 0.72f)) / (size * 0.75f));
            c.Over(x, y, WithAlpha(Mix(top, bottom, t), Cover(d, 1.0f)));
        }
    }
}

// A dark translucent band behind text, so it reads on any sky.
void DrawPanel(Canvas& c, float cy, float halfHeight, float alpha)
{
    const float s = static_cast<float>(c.Width());
    c.LayerIn(0.0f, cy - halfHeight - 10.0f, s, cy + halfHeight + 10.0f, [&](float u, float v) {
        const float d = SdRoundBox(u * s, v * s, s * 0.5f, cy, s * 0.46f, halfHeight, halfHeight * 0.8f);
        return WithAlpha(kInk, Cover(d, 14.0f) * alpha);
    });
}

// The whole creature standing as the game draws it, in head radii `unit`: legs from under the
// head out to the knees and down to the feet, antennae carrying the eyes just above the head.
void DrawCreature(Canvas& c, float cx, float headY, float unit, float lean)
{
    const float w = static_cast<float>(c.Width());
    const float h = static_cast<float>(c.Height());
    // Each part is drawn only inside its own box, padded by `r`.
    const auto part = [&](float ax, float ay, float bx, float by, float r, auto f) {
        c.LayerIn(std::min(ax, bx) - r, std::min(ay, by) - r, std::max(ax, bx) + r, std::max(ay, by) + r,
                  [&](float u, float v) { return f(u * w, v * h); });
    };
    for (float side : {-1.0f, 1.0f}) {
        const float topX = cx + side * unit * 0.78f;
        const float kneeX = cx + side * unit * 2.5f + lean;
        const float kneeY = headY + unit * 3.0f;
        const float footX = cx + side * unit * 1.6f + lean;
        const float footY = headY + unit * 6.6f;
        const float limb = unit * 0.16f + 2.0f;
        part(topX, headY, kneeX, kneeY, limb,
             [&](float x, float y) { return Limb(x, y, topX, headY, kneeX, kneeY, unit * 0.16f); });
        part(kneeX, kneeY, footX, footY, limb,
             [&](float x, float y) { return Limb(x, y, kneeX, kneeY, footX, footY, unit * 0.16f); });
        const float ball = unit * 0.31f + 2.0f;
        part(kneeX, kneeY, kneeX, kneeY, ball,
             [&](float x, float y) { return Joint(x, y, kneeX, kneeY, unit * 0.31f); });
        part(footX, footY, footX, footY, ball,
             [&](float x, float y) { return Foot(x, y, footX, footY, unit * 0.31f); });
        const float eyeX = cx + side * unit * 1.15f - lean * 0.3f;
        const float eyeY = headY - unit * 1.6f + (side > 0.0f ? unit * 0.1f : 0.0f);
        part(topX, headY, eyeX, eyeY, unit * 0.08f + 2.0f,
             [&](float x, float y) { return Limb(x, y, topX, headY, eyeX, eyeY, unit * 0.08f); });
    }
    part(cx, headY, cx, headY, unit * 1.1f, [&](float x, float y) { return Head(x, y, cx, headY, unit); });
    for (float side : {-1.0f, 1.0f}) {
        const float eyeX = cx + side * unit * 1.15f - lean * 0.3f;
        const float eyeY = headY - unit * 1.6f + (side > 0.0f ? unit * 0.1f : 0.0f);
        part(eyeX, eyeY, eyeX, eyeY, unit * 0.6f + 2.0f,
             [&](float x, float y) { return Eye(x, y, eyeX, eyeY, unit * 0.55f); });
    }
}

void DrawSparkle(Canvas& c, float cx, float cy, float r, Rgba colour)
{
    c.LayerIn(cx - r - 2.0f, cy - r - 2.0f, cx + r + 2.0f, cy + r + 2.0f, [&](float u, float v) {
        const float x = std::fabs(u * static_cast<float>(c.Width()) - cx);
        const float y = std::fabs(v * static_cast<float>(c.Height()) - cy);
        // A four-pointed twinkle: two thin diamonds crossed.
        const float d = std::min(x / r + y / (r * 0.22f), y / r + x / (r * 0.22f)) - 1.0f;
        return WithAlpha(colour, Cover(d * r * 0.25f, 1.2f));
    });
}

void DrawTitle(Canvas& c, const Font& font)
{
    const float s = static_cast<float>(c.Width());
    DrawPanel(c, s * 0.135f, s * 0.095f, 0.35f);
    DrawCreature(c, s * 0.5f, s * 0.30f, s * 0.022f, s * 0.01f);
    DrawText(c, font, "Tarnwick", s * 0.17f, s * 0.5f, s * 0.19f, kGoldLight, kCoral, s * 0.014f);
    // Level 1 has no picture before it: the first move is taught here.
    DrawPanel(c, s * 0.497f, s * 0.03f, 0.45f);
    DrawText(c, font, "To walk: reach one foot ahead, then the other", s * 0.036f, s * 0.5f, s * 0.495f, kLeafLight,
             kLeafLight, s * 0.006f);
    // The two ways to play side by side, each foot and grip named.
    DrawPanel(c, s * 0.69f, s * 0.16f, 0.45f);
    const struct {
        float x;
        const char* heading;
        const char* rows[3];
    } columns[] = {
        {0.27f, "Keyboard", {"Left foot: T F G H", "Right foot: arrows", "Grips: Space, R-Ctrl"}},
        {0.73f, "Controller", {"Left foot: left stick", "Right foot: right stick", "Grips: LB, RB"}},
    };
    for (const auto& column : columns) {
        DrawText(c, font, column.heading, s * 0.052f, s * column.x, s * 0.605f, kGoldLight, kGold, s * 0.006f);
        for (int row = 0; row < 3; ++row) {
            DrawText(c, font, column.rows[row], s * 0.034f, s * column.x,
                     s * (0.665f + 0.055f * static_cast<float>(row)), kCream, kCream, s * 0.005f);
        }
    }
    DrawText(c, font, "1 to 8: a level reached    Backspace: title    Esc: quit", s * 0.029f, s * 0.5f, s * 0.83f,
             kLeafLight, kLeafLight, s * 0.005f);
    DrawPanel(c, s * 0.925f, s * 0.05f, 0.45f);
    DrawText(c, font, "Space, Enter, click or controller A to start", s * 0.042f, s * 0.5f, s * 0.945f, kCream, kCream,
             s * 0.007f);
    DrawSparkle(c, s * 0.12f, s * 0.07f, s * 0.03f, kGoldLight);
    DrawSparkle(c, s * 0.88f, s * 0.24f, s * 0.024f, kCream);
    c.ClearTransparent();
}

// `tip`: two lines teaching the move the next level brings, or null.
void DrawLevelUpWith(Canvas& c, const Font& font, const char* const* tip)
{
    const float s = static_cast<float>(c.Width());
    DrawPanel(c, s * 0.45f, s * 0.21f, 0.40f);
    DrawText(c, font, "Level complete!", s * 0.12f, s * 0.5f, s * 0.42f, kGoldLight, kGold, s * 0.012f);
    if (tip != nullptr) {
        DrawText(c, font, tip[0], s * 0.04f, s * 0.5f, s * 0.495f, kLeafLight, kLeafLight, s * 0.006f);
        DrawText(c, font, tip[1], s * 0.04f, s * 0.5f, s * 0.545f, kLeafLight, kLeafLight, s * 0.006f);
    } else {
        DrawText(c, font, "Well climbed.", s * 0.065f, s * 0.5f, s * 0.52f, kLeafLight, kLeafLight, s * 0.008f);
    }
    DrawText(c, font, "Space, Enter, click or controller A to go on", s * 0.042f, s * 0.5f, s * 0.61f, kCream, kCream,
             s * 0.007f);
    // Over the level's time and its best, which the game draws in below them.
    DrawText(c, font, "Time", s * 0.045f, s * 0.27f, s * 0.70f, kGoldLight, kGold, s * 0.006f);
    DrawText(c, font, "Best", s * 0.045f, s * 0.77f, s * 0.70f, kGoldLight, kGold, s * 0.006f);
    for (int i = 0; i < 3; ++i) {
        DrawSparkle(c, s * (0.38f + 0.12f * static_cast<float>(i)), s * 0.21f, s * (i == 1 ? 0.05f : 0.035f),
                    kGoldLight);
    }
    DrawCreature(c, s * 0.5f, s * 0.76f, s * 0.026f, s * 0.01f);
    c.ClearTransparent();
}

void DrawLevelUp(Canvas& c, const Font& font) { DrawLevelUpWith(c, font, nullptr); }
void DrawLevelUpStep(Canvas& c, const Font& font)
{
    const char* const tip[] = {"Next: lift one foot high onto the step,", "then bring the other up after it"};
    DrawLevelUpWith(c, font, tip);
}
void DrawLevelUpClimb(Canvas& c, const Font& font)
{
    const char* const tip[] = {"Next: grip the wall, then push that foot", "down to lift yourself"};
    DrawLevelUpWith(c, font, tip);
}
void DrawLevelUpSwing(Canvas& c, const Font& font)
{
    const char* const tip[] = {"Next: grip the overhang with one foot", "and swing the other on to the next hold"};
    DrawLevelUpWith(c, font, tip);
}

void DrawGameEnd(Canvas& c, const Font& font)
{
    // Drawn twice: first added onto the sky (the colour of even the clear parts shines
    // through as a warm glow), then blended over it.
    const float s = static_cast<float>(c.Width());
    // Clear pixels keep their colour for the additive pass: the glow is written straight in.
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / s;
            const float v = (static_cast<float>(y) + 0.5f) / s;
            const float r = std::hypot(u - 0.5f, (v - 0.42f) * 1.1f);
            const float rays = 0.5f + 0.5f * std::cos(std::atan2(v - 0.42f, u - 0.5f) * 12.0f);
            const float glow = SmoothStep(0.75f, 0.0f, r) * (0.22f + 0.10f * rays);
            c.At(x, y) = Rgba{kGold.r * glow, kGold.g * glow * 0.85f, kGold.b * glow * 0.6f, 0.0f};
        }
    }
    DrawPanel(c, s * 0.22f, s * 0.12f, 0.35f);
    DrawCreature(c, s * 0.5f, s * 0.52f, s * 0.042f, -s * 0.03f);
    DrawText(c, font, "Congratulations!", s * 0.115f, s * 0.5f, s * 0.25f, kGoldLight, kGold, s * 0.012f);
    DrawText(c, font, "All eight levels climbed", s * 0.058f, s * 0.5f, s * 0.33f, kCream, kCream, s * 0.008f);
    DrawPanel(c, s * 0.895f, s * 0.05f, 0.45f);
    DrawText(c, font, "Space, Enter, click or controller A: title", s * 0.042f, s * 0.5f, s * 0.91f, kCream, kCream,
             s * 0.007f);
    for (int i = 0; i < 6; ++i) {
        const float a = static_cast<float>(i) * kPi / 3.0f;
        DrawSparkle(c, s * (0.5f + 0.36f * std::cos(a)), s * (0.55f + 0.20f * std::sin(a)), s * 0.03f, kGoldLight);
    }
}

void DrawRetry(Canvas& c, const Font& font)
{
    const float s = static_cast<float>(c.Width());
    DrawPanel(c, s * 0.47f, s * 0.22f, 0.40f);
    DrawText(c, font, "Ouch!", s * 0.16f, s * 0.5f, s * 0.40f, kCoralLight, kCoral, s * 0.014f);
    DrawText(c, font, "Try again: Space, Enter, click or A", s * 0.048f, s * 0.5f, s * 0.53f, kCream, kCream,
             s * 0.008f);
    DrawText(c, font, "B for the title", s * 0.05f, s * 0.5f, s * 0.62f, kLeafLight, kLeafLight, s * 0.007f);
    DrawCreature(c, s * 0.5f, s * 0.78f, s * 0.024f, -s * 0.03f);
    c.ClearTransparent();
}

using Painter = void (*)(Canvas&, const Font&);

const std::map<std::string, Painter>& Painters()
{
    static const std::map<std::string, Painter> painters = {
        {"Leg.tga", DrawLeg},
        {"sky.tga", DrawSky},
        {"ground.tga", DrawGround},
        {"knee.tga", DrawKnee},
        {"headface.tga", DrawHeadface},
        {"spikes.tga", DrawSpikes},
        {"eye.tga", DrawEye},
        {"Antenna.tga", DrawAntenna},
        {"GameTitle.tga", DrawTitle},
        {"grass.tga", DrawGrassCap},
        {"end.tga", DrawGoal},
        {"LevelUp.tga", DrawLevelUp},
        {"GameEnd.tga", DrawGameEnd},
        {"Grass2.tga", DrawGrassTufts},
        {"ParticleDrop.tga", DrawDrop},
        {"arrow.tga", DrawArrow},
        {"retry.tga", DrawRetry},
        {"LevelUpStep.tga", DrawLevelUpStep},
        {"LevelUpClimb.tga", DrawLevelUpClimb},
        {"LevelUpSwing.tga", DrawLevelUpSwing},
    };
    return painters;
}

}  // namespace

const std::vector<PictureSpec>& Pictures()
{
    // Grass2 alone is 64 x 128: the effect recognises the tufts by that size.
    static const std::vector<PictureSpec> pictures = {
        {"Leg.tga", 32, 128, true},
        {"sky.tga", 512, 512, false},
        {"ground.tga", 512, 512, false},
        {"knee.tga", 64, 64, true},
        {"headface.tga", 128, 128, true},
        {"spikes.tga", 64, 256, true},
        {"eye.tga", 64, 64, true},
        {"Antenna.tga", 64, 64, true},
        {"GameTitle.tga", 512, 512, true},
        {"grass.tga", 128, 128, true},
        {"end.tga", 256, 256, true},
        {"LevelUp.tga", 512, 512, true},
        {"GameEnd.tga", 512, 512, true},
        {"Grass2.tga", 64, 128, true},
        {"ParticleDrop.tga", 32, 32, true},
        {"arrow.tga", 128, 128, true},
        {"retry.tga", 512, 512, true},
        {"LevelUpStep.tga", 512, 512, true},
        {"LevelUpClimb.tga", 512, 512, true},
        {"LevelUpSwing.tga", 512, 512, true},
    };
    return pictures;
}

std::vector<std::uint8_t> MakePicturePixels(const PictureSpec& spec, const Font& font)
{
    Canvas canvas(spec.width, spec.height);
    Painters().at(spec.file)(canvas, font);
    return canvas.Bgra();
}

std::vector<std::uint8_t> MakePictureFile(const PictureSpec& spec, const Font& font)
{
    return EncodeTga(MakePicturePixels(spec, font), spec.width, spec.height, spec.alpha);
}
