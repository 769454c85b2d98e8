#pragma once

// The game's twenty pictures, drawn from code.

#include <cstdint>
#include <string>
#include <vector>

class Font;

struct PictureSpec {
    const char* file;  // under data/
    int width;
    int height;
    bool alpha;  // false: stored as 24-bit colour
};

// In the order the game loads them.
const std::vector<PictureSpec>& Pictures();

// The finished TGA file, and the same picture as 8-bit BGRA rows for previews.
std::vector<std::uint8_t> MakePictureFile(const PictureSpec& spec, const Font& font);
std::vector<std::uint8_t> MakePicturePixels(const PictureSpec& spec, const Font& font);
