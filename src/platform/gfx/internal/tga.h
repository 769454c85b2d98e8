#pragma once

// TGA pictures for textures: checked against their own header before stb_image sees them,
// so a short or oversized file is a clean failure rather than uninitialised pixels or a
// giant allocation.

#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::uint32_t kGfxMaxTextureSide = 4096;

// Checks that the header describes a picture we read (true colour, grey or colour-mapped,
// plain or RLE, at most kGfxMaxTextureSide a side) and that the file holds every pixel the
// header promises. False with the reason in *why.
bool GfxCheckTga(const std::uint8_t* data, std::size_t size, std::uint32_t* width, std::uint32_t* height,
                 std::string* why);

// Decodes to rows top first, 4 bytes a pixel in the order blue, green, red, alpha, straight
// into `bgra`, which holds width x height x 4 bytes for the size GfxCheckTga reported, so a
// texture's own pixels need no second copy.
bool GfxDecodeTgaInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                      std::uint8_t* bgra, std::string* why);
