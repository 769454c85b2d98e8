#include "world/cell_grid.h"

#include <algorithm>
#include <cmath>

#include "world/merge.h"

namespace {

// The lines must rise strictly (x) or fall strictly (y), meet edge to edge from cell to
// cell, and be told apart by the tolerance exactly when they differ.
bool LinesSeparate(const float* lines)
{
    for (int a = 0; a < CellGrid::kLines; ++a) {
        for (int b = 0; b < CellGrid::kLines; ++b) {
            if (NearlyEqual(lines[a], lines[b]) != (a == b)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

CellGrid::CellGrid()
{
    bool edgesMeet = true;
    for (int k = 0; k < kMapSize; ++k) {
        // The same steps as the scan: the cell centre, then Box::Set with half a cell.
        Box column;
        column.Set(CellCentre(k, 0), kHalfCell, kHalfCell, 0);
        Box row;
        row.Set(CellCentre(0, k), kHalfCell, kHalfCell, 0);
        if (k > 0) {
            edgesMeet = edgesMeet && x_[k] == column.min.x && y_[k] == row.max.y;
        }
        x_[k] = column.min.x;
        x_[k + 1] = column.max.x;
        y_[k] = row.max.y;
        y_[k + 1] = row.min.y;
    }
    bool ordered = true;
    for (int k = 1; k < kLines; ++k) {
        ordered = ordered && x_[k - 1] < x_[k] && y_[k - 1] > y_[k];
    }
    usable_ = edgesMeet && ordered && LinesSeparate(x_) && LinesSeparate(y_);
}

const CellGrid& CellGrid::Get()
{
    static const CellGrid grid;
    return grid;
}

// The lookups guess the index from the cell size and then decide with exact comparisons
// against the lines, so the guess only has to be close.

int CellGrid::XLine(float x) const
{
    if (!(x >= x_[0] && x <= x_[kMapSize])) {
        return -1;
    }
    const int k = static_cast<int>(std::lround((x - x_[0]) / kCellSize));
    return k >= 0 && k < kLines && x_[k] == x ? k : -1;
}

int CellGrid::YLine(float y) const
{
    if (!(y <= y_[0] && y >= y_[kMapSize])) {
        return -1;
    }
    const int k = static_cast<int>(std::lround((y_[0] - y) / kCellSize));
    return k >= 0 && k < kLines && y_[k] == y ? k : -1;
}

int CellGrid::ColumnAround(float x) const
{
    if (!(x > x_[0] && x < x_[kMapSize])) {
        return -1;
    }
    int c = std::clamp(static_cast<int>((x - x_[0]) / kCellSize), 0, kMapSize - 1);
    while (c > 0 && x <= x_[c]) {
        --c;
    }
    while (c < kMapSize - 1 && x >= x_[c + 1]) {
        ++c;
    }
    return x_[c] < x && x < x_[c + 1] ? c : -1;
}

int CellGrid::RowAround(float y) const
{
    if (!(y < y_[0] && y > y_[kMapSize])) {
        return -1;
    }
    int r = std::clamp(static_cast<int>((y_[0] - y) / kCellSize), 0, kMapSize - 1);
    while (r > 0 && y >= y_[r]) {
        --r;
    }
    while (r < kMapSize - 1 && y <= y_[r + 1]) {
        ++r;
    }
    return y_[r] > y && y > y_[r + 1] ? r : -1;
}

bool CellGrid::CellOf(const Box& box, MapCell& cell) const
{
    const int left = XLine(box.min.x);
    const int top = YLine(box.max.y);
    if (left < 0 || left >= kMapSize || top < 0 || top >= kMapSize) {
        return false;
    }
    if (XLine(box.max.x) != left + 1 || YLine(box.min.y) != top + 1) {
        return false;
    }
    cell.column = left;
    cell.row = top;
    return true;
}
