#pragma once

#include <cstdint>
#include <vector>

struct Box;

// A uniform grid over a merged collision list, so a particle's edge tests and the head's
// push look at the boxes near them instead of every box in the level. It only ever narrows
// a scan to entries that could act: skipped entries must be exact no-ops, so results are
// bit for bit those of the full scan. Built at a level load; queries never allocate.
class BoxIndex {
public:
    // One cell is one world unit; the grid spans the clamped world with a unit to spare.
    static constexpr int kCells = 64;
    static constexpr float kOrigin = -32.0f;
    // Boxes are filed under every cell within this distance of their rectangle: far more
    // than the rounding of an edge crossing, so a crossing never lands in an unfiled cell.
    static constexpr float kMargin = 0.25f;
    // A move spanning more cells than this is cheaper to test against every box.
    static constexpr int kMaxQueryCells = 4;

    struct CellRange {
        int x0, y0, x1, y1;
    };

    void Build(const Box* entries, std::int32_t count);
    void Clear();
    // Whether the index was built over exactly `count` entries (a list whose count was set by
    // hand is scanned in full).
    bool BuiltFor(std::int32_t count) const { return built_ && count == count_; }

    // The cells whose boxes include every non-absorbed box that could touch the rectangle
    // [xlo, xhi] x [ylo, yhi]; false when the rectangle is too large or not finite.
    bool RectCells(float xlo, float ylo, float xhi, float yhi, CellRange& range) const;
    // The boxes filed under one cell, ascending; a box may be filed under several cells.
    const std::int32_t* RectCell(int cx, int cy, std::int32_t& n) const;

    // Every entry (absorbed ones too) whose centre may lie within `radius` of (x, y) on both
    // axes, ascending and each once. Returns how many were written, or -1 when the answer
    // would not fit or the point is not finite (the caller then scans every entry).
    std::int32_t CentersNear(float x, float y, float radius, std::int32_t* out, std::int32_t capacity) const;

private:
    static int CellOf(float v);

    bool built_ = false;
    std::int32_t count_ = 0;
    // Per grid: where each cell's entry indices start (kCells^2 + 1 values), then the indices.
    std::vector<std::int32_t> rectStart_;
    std::vector<std::int32_t> rectItems_;
    std::vector<std::int32_t> centerStart_;
    std::vector<std::int32_t> centerItems_;
};
