#pragma once

#include <cstdint>
#include <vector>

#include "world/level_scan.h"

// 128 x 128 maps in the locked layout the scan reads (blue, green, red, alpha; rows 512
// bytes apart), generated to exercise the level build: benchmarks, the differential tests
// and the merge sweep all draw from here.
struct MapBits {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(static_cast<std::size_t>(kMapRowBytes) * kMapSize, 0);

    void Set(int column, int row, PixelClass what);
    PixelClass At(int column, int row) const;
    int Count(PixelClass what) const;
};

// The fixed shapes the benchmarks time.
MapBits SparseFloorMap();   // one solid floor row, a few ledges, spikes, start and goal
MapBits CheckerboardMap();  // 6,912 solid cells, none touching another along an edge
MapBits SolidMap();         // every cell solid

enum class Recipe {
    Scatter,      // every cell drawn on its own, from a random mix of all pixel classes
    Rectangles,   // overlapping filled rectangles of solid or scenery cells
    StackedRuns,  // rows of runs, each row often repeating the spans of the row above
    Stripes,      // whole rows or columns, with random gaps
    Holes,        // solid or scenery everywhere, with random holes and other classes
    Axes,         // dense around row 64 and column 64, where the coordinates pass zero
};
constexpr int kRecipeCount = 6;

// A map from a recipe and a seed; the density and the mix of pixel classes are drawn from
// the seed too, from empty to full. Draws from the game's generator and puts its state back.
MapBits RandomMap(Recipe recipe, std::uint32_t seed);

const char* RecipeName(Recipe recipe);
