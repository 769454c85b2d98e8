#pragma once

#include <cstdint>

// The one vertex layout of every vertex buffer: flexible vertex format 0x152
// (position, normal, diffuse colour, one texture coordinate pair), stride 36.

constexpr std::uint32_t kVertexFvf = 0x152;
constexpr std::uint32_t kVertexStride = 36;

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    std::uint32_t color;  // A8R8G8B8: alpha in the top byte, then red, green, blue
    float u, v;
};

static_assert(sizeof(Vertex) == kVertexStride, "Vertex must stay 36 bytes");

// One colour channel as a byte: 1 or more is 255, 0 or less is 0, otherwise
// the integer part of value * 255 + 0.5. NaN fails both comparisons and lands in the
// last branch, so it is mapped to 0 explicitly rather than through an undefined cast.
constexpr std::uint32_t ColorChannelToByte(float value)
{
    if (value >= 1.0f) {
        return 255u;
    }
    if (value <= 0.0f || value != value) {
        return 0u;
    }
    return static_cast<std::uint32_t>(value * 255.0f + 0.5f);
}

// Packs four float channels (red, green, blue, alpha) into A8R8G8B8.
constexpr std::uint32_t ColorFromFloats(float r, float g, float b, float a)
{
    return (ColorChannelToByte(a) << 24) | (ColorChannelToByte(r) << 16) | (ColorChannelToByte(g) << 8) |
           ColorChannelToByte(b);
}
