#include "world/box_index.h"

#include <algorithm>
#include <cmath>

#include "world/box.h"

namespace {

constexpr int kCellCount = BoxIndex::kCells * BoxIndex::kCells;

// Counting sort of (cell, entry) pairs into start offsets and items; entries are visited in
// ascending order, so every cell's list comes out ascending.
template <typename ForEachCell>
void Fill(std::int32_t count, std::vector<std::int32_t>& start, std::vector<std::int32_t>& items,
          ForEachCell forEachCell)
{
    start.assign(kCellCount + 1, 0);
    for (std::int32_t i = 0; i < count; ++i) {
        forEachCell(i, [&](int cell) { ++start[cell + 1]; });
    }
    for (int c = 0; c < kCellCount; ++c) {
        start[c + 1] += start[c];
    }
    items.resize(static_cast<std::size_t>(start[kCellCount]));
    std::vector<std::int32_t> next(start.begin(), start.end() - 1);
    for (std::int32_t i = 0; i < count; ++i) {
        forEachCell(i, [&](int cell) { items[next[cell]++] = i; });
    }
}

}  // namespace

int BoxIndex::CellOf(float v)
{
    // Callers pass finite values; clamping files everything outside under the border cells,
    // which both filing and queries do alike.
    const float cell = std::floor(v - kOrigin);
    if (cell < 0.0f) {
        return 0;
    }
    if (cell >= static_cast<float>(kCells - 1)) {
        return kCells - 1;
    }
    return static_cast<int>(cell);
}

void BoxIndex::Clear() { built_ = false; }

void BoxIndex::Build(const Box* entries, std::int32_t count)
{
    built_ = false;
    for (std::int32_t i = 0; i < count; ++i) {
        const Box& b = entries[i];
        if (!std::isfinite(b.min.x) || !std::isfinite(b.min.y) || !std::isfinite(b.max.x) || !std::isfinite(b.max.y) ||
            !std::isfinite(b.center.x) || !std::isfinite(b.center.y)) {
            return;  // left unbuilt: every query scans the whole list
        }
    }
    Fill(count, rectStart_, rectItems_, [&](std::int32_t i, auto file) {
        const Box& b = entries[i];
        if (b.kind == kBoxAbsorbed) {
            return;
        }
        const int x0 = CellOf(std::min(b.min.x, b.max.x) - kMargin);
        const int x1 = CellOf(std::max(b.min.x, b.max.x) + kMargin);
        const int y0 = CellOf(std::min(b.min.y, b.max.y) - kMargin);
        const int y1 = CellOf(std::max(b.min.y, b.max.y) + kMargin);
        for (int cy = y0; cy <= y1; ++cy) {
            for (int cx = x0; cx <= x1; ++cx) {
                file(cy * kCells + cx);
            }
        }
    });
    Fill(count, centerStart_, centerItems_,
         [&](std::int32_t i, auto file) { file(CellOf(entries[i].center.y) * kCells + CellOf(entries[i].center.x)); });
    count_ = count;
    built_ = true;
}

bool BoxIndex::RectCells(float xlo, float ylo, float xhi, float yhi, CellRange& range) const
{
    if (!built_ || !std::isfinite(xlo) || !std::isfinite(ylo) || !std::isfinite(xhi) || !std::isfinite(yhi)) {
        return false;
    }
    range = CellRange{CellOf(xlo), CellOf(ylo), CellOf(xhi), CellOf(yhi)};
    return range.x1 - range.x0 < kMaxQueryCells && range.y1 - range.y0 < kMaxQueryCells;
}

const std::int32_t* BoxIndex::RectCell(int cx, int cy, std::int32_t& n) const
{
    const int cell = cy * kCells + cx;
    n = rectStart_[cell + 1] - rectStart_[cell];
    return rectItems_.data() + rectStart_[cell];
}

std::int32_t BoxIndex::CentersNear(float x, float y, float radius, std::int32_t* out, std::int32_t capacity) const
{
    if (!built_ || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius)) {
        return -1;
    }
    const float reach = std::fabs(radius) + kMargin;
    const int x0 = CellOf(x - reach);
    const int x1 = CellOf(x + reach);
    const int y0 = CellOf(y - reach);
    const int y1 = CellOf(y + reach);
    std::int32_t n = 0;
    for (int cy = y0; cy <= y1; ++cy) {
        const int first = cy * kCells + x0;
        const int last = cy * kCells + x1 + 1;
        const std::int32_t span = centerStart_[last] - centerStart_[first];
        if (span > capacity - n) {
            return -1;
        }
        // A row of cells is one contiguous run of the items; each is already ascending
        // within its cell, and a centre sits in one cell only.
        std::copy(centerItems_.begin() + centerStart_[first], centerItems_.begin() + centerStart_[last], out + n);
        n += span;
    }
    std::sort(out, out + n);
    return n;
}
