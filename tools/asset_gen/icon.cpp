#include "icon.h"

#include <stb_image_write.h>

#include "canvas.h"
#include "creature_parts.h"

namespace {

void Append(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

const std::vector<IconSpec>& Icons()
{
    static const std::vector<IconSpec> icons = {{"icon256.png", 256}, {"icon64.png", 64}};
    return icons;
}

std::vector<std::uint8_t> MakeIconFile(int size)
{
    Canvas c(size, size);
    const float s = static_cast<float>(size);
    // The head fills the lower part; the eyes stand above it, apart, so the face reads at 64 px.
    const float headX = s * 0.5f;
    const float headY = s * 0.63f;
    const float headR = s * 0.33f;
    const float eyeR = s * 0.13f;
    for (float side : {-1.0f, 1.0f}) {
        const float eyeX = headX + side * s * 0.26f;
        const float eyeY = s * 0.17f;
        const float baseX = headX + side * s * 0.12f;
        const float baseY = headY - headR * 0.6f;
        c.Layer([&](float u, float v) { return Limb(u * s, v * s, baseX, baseY, eyeX, eyeY, s * 0.028f + 0.6f); });
    }
    c.Layer([&](float u, float v) { return Head(u * s, v * s, headX, headY, headR); });
    for (float side : {-1.0f, 1.0f}) {
        const float eyeX = headX + side * s * 0.26f;
        c.Layer([&](float u, float v) { return Eye(u * s, v * s, eyeX, s * 0.17f, eyeR); });
    }
    c.ClearTransparent();

    const std::vector<std::uint8_t> bgra = c.Bgra();
    std::vector<std::uint8_t> rgba(bgra.size());
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        rgba[i] = bgra[i + 2];
        rgba[i + 1] = bgra[i + 1];
        rgba[i + 2] = bgra[i];
        rgba[i + 3] = bgra[i + 3];
    }
    std::vector<std::uint8_t> png;
    stbi_write_png_to_func(Append, &png, size, size, 4, rgba.data(), size * 4);
    return png;
}
