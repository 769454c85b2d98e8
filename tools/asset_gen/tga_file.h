#pragma once

#include <cstdint>
#include <vector>

// A run-length encoded true-colour TGA, top row first. `bgra` holds 4 bytes per pixel; with
// `alpha` false the file stores 24-bit colour and drops the alpha bytes.
std::vector<std::uint8_t> EncodeTga(const std::vector<std::uint8_t>& bgra, int width, int height, bool alpha);
