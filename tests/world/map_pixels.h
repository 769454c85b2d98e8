#pragma once

#include <cstdint>
#include <vector>

#include "world/level_scan.h"

// A 128 x 128 map in the locked layout the scan reads: blue, green, red, alpha.
struct MapPixels {
    std::int32_t pitch = kMapRowBytes;
    std::vector<std::uint8_t> bytes;

    explicit MapPixels(std::int32_t rowPitch = kMapRowBytes)
        : pitch(rowPitch), bytes(static_cast<std::size_t>(rowPitch) * kMapSize, 0)
    {
    }

    void Set(int column, int row, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
    {
        std::uint8_t* p = &bytes[static_cast<std::size_t>(row) * pitch + static_cast<std::size_t>(column) * 4];
        p[0] = blue;
        p[1] = green;
        p[2] = red;
        p[3] = alpha;
    }

    void Solid(int c, int r) { Set(c, r, 255, 255, 255); }
    void Scenery(int c, int r) { Set(c, r, 0, 200, 0); }
    void SpikeUp(int c, int r) { Set(c, r, 255, 0, 255); }
    void SpikeDown(int c, int r) { Set(c, r, 255, 255, 0); }
    void Start(int c, int r) { Set(c, r, 255, 0, 0); }
    void Goal(int c, int r) { Set(c, r, 0, 0, 255); }
};
