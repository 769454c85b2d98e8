#pragma once

// The program's icon: the creature's head with its eyes on their stalks, on a transparent
// square, as PNG files for the window and the desktop's icon theme.

#include <cstdint>
#include <vector>

struct IconSpec {
    const char* file;  // under data/
    int size;          // square, in pixels
};

const std::vector<IconSpec>& Icons();

// The finished PNG file; the same bytes on every run.
std::vector<std::uint8_t> MakeIconFile(int size);
