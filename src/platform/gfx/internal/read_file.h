#pragma once

// Private to the graphics layer: reading the files pictures and effects come from.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/internal/tga.h"

// Largest file any picture we read can need: a 4096 x 4096 RLE picture of one-pixel
// packets at 4 bytes a pixel, with the longest ID and colour map.
constexpr std::uint64_t kMaxPictureFileBytes = 5ull * kGfxMaxTextureSide * kGfxMaxTextureSide + 18 + 255 + 65535 * 4;

// ReadRegularFile, with the reason alone (no path in front) on failure.
bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why);
