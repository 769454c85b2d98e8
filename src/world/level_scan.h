#pragma once

#include <cstdint>

#include "math/vector.h"
#include "world/box.h"

// A level map is 128 x 128 pixels, 4 bytes each in memory order blue, green, red, alpha.
constexpr int kMapSize = 128;
constexpr int kMapPixelBytes = 4;
constexpr int kMapRowBytes = kMapSize * kMapPixelBytes;

constexpr float kCellSize = 0.46875f;
constexpr float kHalfCell = 0.234375f;
constexpr float kSpikeHalfHeight = 1.234375f;

// Only whether each colour channel is zero matters; alpha is ignored.
enum class PixelClass {
    Empty,
    Solid,
    SpikeUp,
    SpikeDown,
    Start,
    Goal,
    Scenery,
};

PixelClass ClassifyPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The cell centre of column c, row r (row 0 at the top), with the same float steps the
// scan uses: (c - 64, r - 64) scaled by the cell size, x moved by half a cell, y flipped.
// `yBase` is 0 for a cell, 1 for an upward spike's box and -1 for a downward one.
Vector4 CellCentre(int column, int row, float yBase = 0.0f);

// Where the scan put things, for callers that report on a map (the level tool).
struct MapScanCounts {
    std::int32_t solid = 0;
    std::int32_t scenery = 0;
    std::int32_t spikes = 0;
    std::int32_t starts = 0;
    std::int32_t goals = 0;
};

// Turns the pixels into boxes, column by column from the left, each column from the top.
// Appends to the three lists (callers empty them first) and overwrites the start and goal
// points only where the map has such pixels: the last one scanned wins. `pitch` is the
// byte distance between rows and must be at least kMapRowBytes.
MapScanCounts ScanMap(const std::uint8_t* bits, std::int32_t pitch, BoxList& blocks, BoxList& spikes,
                      BoxList& collision, Vector4& startPoint, Vector4& goalPoint);
