#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "math/random.h"

Rgba Mix(Rgba x, Rgba y, float t)
{
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

Rgba WithAlpha(Rgba c, float a) { return {c.r, c.g, c.b, a}; }

Rgba Scaled(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

float Clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }

float SmoothStep(float e0, float e1, float x)
{
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float Cover(float d, float soft) { return Clamp01(0.5f - d / soft); }

float SdCircle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float SdEllipse(float x, float y, float cx, float cy, float rx, float ry)
{
    // Scaled circle distance: exact on the axes, close enough for soft edges elsewhere.
    const float k = std::min(rx, ry);
    return (std::hypot((x - cx) / rx, (y - cy) / ry) - 1.0f) * k;
}

float SdRoundBox(float x, float y, float cx, float cy, float hx, float hy, float radius)
{
    const float qx = std::fabs(x - cx) - hx + radius;
    const float qy = std::fabs(y - cy) - hy + radius;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float r)
{
    const float px = x - ax;
    const float py = y - ay;
    const float dx = bx - ax;
    const float dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0.0f ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t) - r;
}

float SdTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy)
{
    const float e[3][4] = {{ax, ay, bx, by}, {bx, by, cx, cy}, {cx, cy, ax, ay}};
    float d = 1e30f;
    int sign = 0;
    for (const auto& s : e) {
        d = std::min(d, SdSegment(x, y, s[0], s[1], s[2], s[3], 0.0f));
        const float cross = (s[2] - s[0]) * (y - s[1]) - (s[3] - s[1]) * (x - s[0]);
        sign += cross > 0.0f ? 1 : -1;
    }
    const bool inside = sign == 3 || sign == -3;
    return inside ? -d : d;
}

Noise::Noise(std::uint32_t seed, int period) : period_(period)
{
    const std::uint32_t saved = GetRandState();
    SetRandState(seed);
    lattice_.resize(static_cast<std::size_t>(period) * period);
    for (float& value : lattice_) {
        value = static_cast<float>(Rand()) / static_cast<float>(kRandMax);
    }
    SetRandState(saved);
}

float Noise::At(float x, float y) const
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const auto wrap = [this](int i) { return ((i % period_) + period_) % period_; };
    const auto lat = [&](int i, int j) { return lattice_[static_cast<std::size_t>(wrap(j)) * period_ + wrap(i)]; };
    const float tx = SmoothStep(0.0f, 1.0f, x - fx);
    const float ty = SmoothStep(0.0f, 1.0f, y - fy);
    const float top = lat(ix, iy) + (lat(ix + 1, iy) - lat(ix, iy)) * tx;
    const float bottom = lat(ix, iy + 1) + (lat(ix + 1, iy + 1) - lat(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

float Noise::Fractal(float x, float y, int octaves) const
{
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    float scale = 1.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += At(x * scale, y * scale) * weight;
        total += weight;
        weight *= 0.5f;
        scale *= 2.0f;
    }
    return sum / total;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height)
{
}

void Canvas::Over(int x, int y, Rgba c)
{
    const float a = Clamp01(c.a);
    if (a <= 0.0f) {
        return;
    }
    Rgba& d = At(x, y);
    const float out = a + d.a * (1.0f - a);
    const auto blend = [&](float src, float dst) { return (src * a + dst * d.a * (1.0f - a)) / out; };
    d = {blend(c.r, d.r), blend(c.g, d.g), blend(c.b, d.b), out};
}

void Canvas::BleedEdges(int passes)
{
    for (int pass = 0; pass < passes; ++pass) {
        std::vector<Rgba> next = pixels_;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (At(x, y).a > 0.0f) {
                    continue;
                }
                Rgba sum;
                float n = 0.0f;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const Rgba& o = At((x + dx + width_) % width_, (y + dy + height_) % height_);
                        if (o.a > 0.0f) {
                            sum = {sum.r + o.r, sum.g + o.g, sum.b + o.b, 0.0f};
                            n += 1.0f;
                        }
                    }
                }
                if (n > 0.0f) {
                    // Marked with a sliver of alpha so the next pass spreads it; cleared below.
                    next[static_cast<std::size_t>(y) * width_ + x] = {sum.r / n, sum.g / n, sum.b / n, 1e-6f};
                }
            }
        }
        pixels_ = std::move(next);
    }
    for (Rgba& p : pixels_) {
        if (p.a < 1e-5f) {
            p.a = 0.0f;
        }
    }
}

void Canvas::ClearTransparent()
{
    for (Rgba& p : pixels_) {
        if (ToByte(p.a) == 0) {
            p = Rgba{};
        }
    }
}

std::uint8_t ToByte(float x) { return static_cast<std::uint8_t>(Clamp01(x) * 255.0f + 0.5f); }

std::vector<std::uint8_t> Canvas::Bgra() const
{
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const Rgba& p : pixels_) {
        out.push_back(ToByte(p.b));
        out.push_back(ToByte(p.g));
        out.push_back(ToByte(p.r));
        out.push_back(ToByte(p.a));
    }
    return out;
}
