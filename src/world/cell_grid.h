#pragma once

#include <cstdint>

#include "world/box.h"
#include "world/level_scan.h"

// How the level build finds neighbouring boxes: through the map's cell grid (linear in
// the box count), or by comparing every pair as the original loops did (quadratic; kept
// as the reference that tests and benchmarks hold the grid search to).
enum class BoxSearch {
    ByCell,
    Pairwise,
};

struct MapCell {
    std::int32_t column = -1;
    std::int32_t row = -1;
};

// The lines between map cells, with exactly the floats the scan gives a cell's edges:
// x line k is the left edge of column k and y line k the top edge of row k (k = 0..128,
// row 0 at the top). Every box the scan makes has its four edges on these lines, and any
// two different lines are further apart than the merge tolerance, so "nearly equal" on
// them is "the same line" and neighbours can be found by index.
class CellGrid {
public:
    static constexpr int kLines = kMapSize + 1;

    static const CellGrid& Get();

    // False if the lines turned out closer than the tolerance; callers then fall back to
    // comparing pairs.
    bool Usable() const { return usable_; }

    // The line a value lies exactly on, or -1.
    int XLine(float x) const;
    int YLine(float y) const;

    // The column (row) whose open span holds x (y) strictly, or -1 when x is outside
    // every span, on a line, or not a number.
    int ColumnAround(float x) const;
    int RowAround(float y) const;

    // True when the box's min and max are exactly one cell's edges.
    bool CellOf(const Box& box, MapCell& cell) const;

    float XAt(int line) const { return x_[line]; }
    float YAt(int line) const { return y_[line]; }

private:
    CellGrid();

    float x_[kLines];
    float y_[kLines];
    bool usable_ = false;
};
