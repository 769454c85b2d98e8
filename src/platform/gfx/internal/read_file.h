#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/internal/tga.h"

// Largest file any picture we read can need: a 4096 x 4096 RLE picture of one-pixel
// packets at 4 bytes a pixel, with the longest ID and colour map.
constexpr std::uint64_t kMaxPictureFileBytes = 5ull * kGfxMaxTextureSide * kGfxMaxTextureSide + 18 + 255 + 65535 * 4;

// The whole file, or false with the reason. Only a regular file of at most maxBytes is
// read: a folder opens fine on Linux but reports a length of 2^63 - 1.
bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why);
