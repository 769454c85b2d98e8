#pragma once

// A small floating-point RGBA canvas for drawing the game's pictures: soft shapes made from
// signed distances, composited with straight alpha.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct Rgba {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

Rgba Mix(Rgba x, Rgba y, float t);
Rgba WithAlpha(Rgba c, float a);
Rgba Scaled(Rgba c, float k);  // rgb times k, alpha kept

float Clamp01(float x);
float SmoothStep(float e0, float e1, float x);
// Coverage of a shape edge with a signed distance d (negative inside), blurred over `soft` units.
float Cover(float d, float soft);

// Signed distances (negative inside) in whatever unit the caller works in.
float SdCircle(float x, float y, float cx, float cy, float r);
float SdEllipse(float x, float y, float cx, float cy, float rx, float ry);
float SdRoundBox(float x, float y, float cx, float cy, float hx, float hy, float radius);
float SdSegment(float x, float y, float ax, float ay, float bx, float by, float r);
float SdTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy);

// Smooth value noise, periodic over `period` lattice cells, from a lattice filled by the
// game's random stream.
class Noise {
public:
    Noise(std::uint32_t seed, int period);
    float At(float x, float y) const;  // 0..1
    float Fractal(float x, float y, int octaves) const;

private:
    int period_;
    std::vector<float> lattice_;
};

class Canvas {
public:
    Canvas(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const Rgba& At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    // Calls f(u, v) at every pixel centre, u and v in 0..1 (v = 0 the top row), and lays the
    // colour it returns over the pixel.
    template <class F>
    void Layer(F f)
    {
        LayerIn(0.0f, 0.0f, static_cast<float>(width_), static_cast<float>(height_), f);
    }
    // The same, only for the pixels whose centres may lie in the box from (x0, y0) to (x1, y1)
    // (pixels; clipped to the canvas), for shapes that cover a small part of a large picture.
    template <class F>
    void LayerIn(float x0, float y0, float x1, float y1, F f)
    {
        const int left = std::max(0, static_cast<int>(std::floor(x0)));
        const int top = std::max(0, static_cast<int>(std::floor(y0)));
        const int right = std::min(width_, static_cast<int>(std::ceil(x1)) + 1);
        const int bottom = std::min(height_, static_cast<int>(std::ceil(y1)) + 1);
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width_);
                const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height_);
                Over(x, y, f(u, v));
            }
        }
    }
    void Over(int x, int y, Rgba c);

    // Copies colour into fully transparent pixels from their neighbours, so that filtering
    // at the edge of a cut-out shape does not pull in black.
    void BleedEdges(int passes);
    // Transparent pixels become (0, 0, 0, 0): better compression, nothing visible changes.
    void ClearTransparent();
    // 8-bit BGRA rows, top row first.
    std::vector<std::uint8_t> Bgra() const;

private:
    int width_;
    int height_;
    std::vector<Rgba> pixels_;
};

std::uint8_t ToByte(float x);
