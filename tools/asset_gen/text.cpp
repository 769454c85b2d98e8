#include "text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_truetype.h>
#pragma GCC diagnostic pop

namespace {
stbtt_fontinfo* Info(void* p) { return static_cast<stbtt_fontinfo*>(p); }
}  // namespace

Font::Font(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes_.empty()) {
        return;
    }
    auto* info = new stbtt_fontinfo;
    if (stbtt_InitFont(info, bytes_.data(), stbtt_GetFontOffsetForIndex(bytes_.data(), 0)) == 0) {
        delete info;
        return;
    }
    info_ = info;
}

Font::~Font() { delete Info(info_); }

float Font::Measure(const std::string& text, float pixelHeight) const
{
    const float scale = stbtt_ScaleForPixelHeight(Info(info_), pixelHeight);
    float x = 0.0f;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int advance = 0;
        int bearing = 0;
        stbtt_GetCodepointHMetrics(Info(info_), text[i], &advance, &bearing);
        x += static_cast<float>(advance) * scale;
        if (i + 1 < text.size()) {
            x += static_cast<float>(stbtt_GetCodepointKernAdvance(Info(info_), text[i], text[i + 1])) * scale;
        }
    }
    return x;
}

std::vector<float> Font::Distance(const std::string& text, float pixelHeight, float centreX, float baseline, int width,
                                  int height, float reach) const
{
    std::vector<float> field(static_cast<std::size_t>(width) * height, reach);
    const float scale = stbtt_ScaleForPixelHeight(Info(info_), pixelHeight);
    const int padding = static_cast<int>(std::ceil(reach)) + 1;
    constexpr float kEdge = 128.0f;
    const float perPixel = kEdge / static_cast<float>(padding);
    float x = centreX - Measure(text, pixelHeight) * 0.5f;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int w = 0;
        int h = 0;
        int xoff = 0;
        int yoff = 0;
        unsigned char* sdf = stbtt_GetCodepointSDF(Info(info_), scale, text[i], padding,
                                                   static_cast<unsigned char>(kEdge), perPixel, &w, &h, &xoff, &yoff);
        const int left = static_cast<int>(std::lround(x)) + xoff;
        const int top = static_cast<int>(std::lround(baseline)) + yoff;
        for (int gy = 0; sdf != nullptr && gy < h; ++gy) {
            for (int gx = 0; gx < w; ++gx) {
                const int px = left + gx;
                const int py = top + gy;
                if (px < 0 || py < 0 || px >= width || py >= height) {
                    continue;
                }
                const float d = (kEdge - static_cast<float>(sdf[gy * w + gx])) / perPixel;
                float& f = field[static_cast<std::size_t>(py) * width + px];
                f = std::min(f, d);
            }
        }
        stbtt_FreeSDF(sdf, nullptr);
        int advance = 0;
        int bearing = 0;
        stbtt_GetCodepointHMetrics(Info(info_), text[i], &advance, &bearing);
        x += static_cast<float>(advance) * scale;
        if (i + 1 < text.size()) {
            x += static_cast<float>(stbtt_GetCodepointKernAdvance(Info(info_), text[i], text[i + 1])) * scale;
        }
    }
    return field;
}
