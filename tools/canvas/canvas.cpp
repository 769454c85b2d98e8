#include "canvas.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>

PixelCanvas::PixelCanvas(int w, int h)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3, 0)
{
}

void PixelCanvas::Put(int x, int y, std::uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= width || y >= height) {
        return;
    }
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    pixels[i] = static_cast<unsigned char>(rgb >> 16);
    pixels[i + 1] = static_cast<unsigned char>(rgb >> 8);
    pixels[i + 2] = static_cast<unsigned char>(rgb);
}

void PixelCanvas::Fill(int x0, int y0, int x1, int y1, std::uint32_t rgb)
{
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Put(x, y, rgb);
        }
    }
}

void PixelCanvas::Disc(float cx, float cy, float r, std::uint32_t rgb)
{
    for (int y = static_cast<int>(cy - r); y <= static_cast<int>(cy + r); ++y) {
        for (int x = static_cast<int>(cx - r); x <= static_cast<int>(cx + r); ++x) {
            const float dx = static_cast<float>(x) - cx;
            const float dy = static_cast<float>(y) - cy;
            if (dx * dx + dy * dy <= r * r) {
                Put(x, y, rgb);
            }
        }
    }
}

void PixelCanvas::Line(float x0, float y0, float x1, float y1, std::uint32_t rgb, int thickness)
{
    const int n = static_cast<int>(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        for (int w = 0; w < thickness; ++w) {
            Put(static_cast<int>(x0 + (x1 - x0) * t) + w, static_cast<int>(y0 + (y1 - y0) * t), rgb);
        }
    }
}

bool PixelCanvas::WritePng(const std::string& path) const
{
    return stbi_write_png(path.c_str(), width, height, 3, pixels.data(), width * 3) != 0;
}
