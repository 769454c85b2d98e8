// TGA pictures: the header and length check that guards the decoder, and the decoding
// into texture rows through stb_image.

#include "platform/gfx/internal/tga.h"

#include <climits>
#include <cstdlib>

#include <stb_image.h>

namespace {

std::uint32_t Read16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8); }

bool Refuse(std::string* why, std::string reason)
{
    *why = std::move(reason);
    return false;
}

}  // namespace

bool GfxCheckTga(const std::uint8_t* data, std::size_t size, std::uint32_t* width, std::uint32_t* height,
                 std::string* why)
{
    constexpr std::size_t kHeader = 18;
    if (data == nullptr || size < kHeader) {
        return Refuse(why, "shorter than a TGA header");
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        return Refuse(why, "too large");
    }
    const std::uint32_t idLength = data[0];
    const std::uint32_t mapType = data[1];
    const std::uint32_t type = data[2];
    const std::uint32_t mapLength = Read16(data + 5);
    const std::uint32_t mapEntryBits = data[7];
    const std::uint32_t w = Read16(data + 12);
    const std::uint32_t h = Read16(data + 14);
    const std::uint32_t bits = data[16];
    const bool rle = type >= 9;
    const std::uint32_t base = rle ? type - 8 : type;
    if ((type < 1 || type > 3) && (type < 9 || type > 11)) {
        return Refuse(why, "not a TGA picture type we read");
    }
    if ((base == 1) != (mapType == 1) || mapType > 1) {
        return Refuse(why, "colour map does not match the picture type");
    }
    const bool bitsOk = base == 1   ? (bits == 8 && mapLength > 0 &&
                                     (mapEntryBits == 15 || mapEntryBits == 16 || mapEntryBits == 24 || mapEntryBits == 32))
                        : base == 2 ? (bits == 15 || bits == 16 || bits == 24 || bits == 32)
                                    : (bits == 8 || bits == 16);
    if (!bitsOk) {
        return Refuse(why, "unsupported bits per pixel");
    }
    if (w == 0 || h == 0 || w > kGfxMaxTextureSide || h > kGfxMaxTextureSide) {
        return Refuse(why, "picture size outside 1.." + std::to_string(kGfxMaxTextureSide));
    }
    const std::uint64_t pixelBytes = (bits + 7) / 8;
    std::uint64_t pos = kHeader + idLength + (mapType == 1 ? mapLength * static_cast<std::uint64_t>((mapEntryBits + 7) / 8) : 0);
    const std::uint64_t pixels = static_cast<std::uint64_t>(w) * h;
    if (!rle) {
        pos += pixels * pixelBytes;
    } else {
        std::uint64_t done = 0;
        while (done < pixels && pos < size) {
            const std::uint32_t packet = data[pos];
            const std::uint64_t count = (packet & 0x7Fu) + 1;
            pos += 1 + ((packet & 0x80u) != 0 ? pixelBytes : count * pixelBytes);
            done += count;
        }
        if (done < pixels) {
            return Refuse(why, "the RLE data ends before the last pixel");
        }
    }
    if (pos > size) {
        return Refuse(why, "the file ends before the last pixel");
    }
    *width = w;
    *height = h;
    return true;
}

bool GfxDecodeTgaInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                      std::uint8_t* bgra, std::string* why)
{
    int x = 0, y = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &x, &y, &channels, 4);
    if (rgba == nullptr) {
        const char* reason = stbi_failure_reason();
        return Refuse(why, reason != nullptr ? reason : "undecodable");
    }
    if (static_cast<std::uint32_t>(x) != width || static_cast<std::uint32_t>(y) != height) {
        stbi_image_free(rgba);
        return Refuse(why, "decoded size differs from the header");
    }
    const std::size_t count = static_cast<std::size_t>(width) * height;
    for (std::size_t i = 0; i < count; ++i) {
        bgra[i * 4 + 0] = rgba[i * 4 + 2];
        bgra[i * 4 + 1] = rgba[i * 4 + 1];
        bgra[i * 4 + 2] = rgba[i * 4 + 0];
        bgra[i * 4 + 3] = rgba[i * 4 + 3];
    }
    stbi_image_free(rgba);
    return true;
}
