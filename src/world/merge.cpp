#include "world/merge.h"

#include <cmath>
#include <memory>
#include <vector>

#include "world/cell_grid.h"

bool NearlyEqual(float a, float b)
{
    const float difference = a - b;
    return std::fabs(difference) < kMergeEpsilon;
}

namespace {

bool Merges(std::int32_t kind, MergeRule rule) { return rule == MergeRule::Blocks ? kind >= 0 : kind != kBoxAbsorbed; }

bool SkipPair(const BoxList& list, std::int32_t i, std::int32_t j, MergeRule rule)
{
    if (i == j) {
        return true;
    }
    const std::int32_t ki = list.entries[i].kind;
    const std::int32_t kj = list.entries[j].kind;
    if (rule == MergeRule::Blocks) {
        return ki < 0 || kj < 0;
    }
    return ki == kBoxAbsorbed || kj == kBoxAbsorbed || ki != kj;
}

void Absorb(Box& from, Box& into)
{
    into.min = from.min;
    from.kind = kBoxAbsorbed;
}

constexpr std::int32_t kNone = -1;
constexpr int kLines = CellGrid::kLines;

// Why the grid gives the pairwise outcome. Every merging entry is one cell; max never
// changes, so an entry keeps its cell's right edge and top. Only the box i of the outer
// loop is ever absorbed, so it is alive when its turn comes, and the inner loop ends at
// its first partner. Live boxes stay disjoint rectangles (each merge joins two that share
// a whole edge), so i has at most one partner, and which j comes first does not matter:
// - pass 1: the live box in i's row whose left edge is i's right edge;
// - pass 2: the live box in i's column (right edge) whose bottom is i's top, if its left
//   edge is i's left edge.
// An earlier absorption moved i's min, and i hands that on: the chains come out right.
struct CellMerge {
    std::vector<MapCell> cell;
    std::vector<std::int16_t> left;    // x line of the current min
    std::vector<std::int16_t> bottom;  // y line of the current min
    // Pass 1: the live box by row and left line. Pass 2: by column and bottom line.
    std::int32_t at[kMapSize][kLines];

    void Clear()
    {
        for (auto& line : at) {
            for (std::int32_t& e : line) {
                e = kNone;
            }
        }
    }

    // Fails when an entry that takes part is not a single cell, when two share a cell, or
    // (collision rule) when their kinds differ, which would split them into groups.
    bool Index(const BoxList& list, MergeRule rule)
    {
        const CellGrid& grid = CellGrid::Get();
        if (!grid.Usable()) {
            return false;
        }
        const std::int32_t n = list.count;
        cell.assign(static_cast<std::size_t>(n), MapCell{});
        left.assign(static_cast<std::size_t>(n), 0);
        bottom.assign(static_cast<std::size_t>(n), 0);
        Clear();
        bool haveKind = false;
        std::int32_t kind = 0;
        for (std::int32_t e = 0; e < n; ++e) {
            const Box& box = list.entries[e];
            if (!Merges(box.kind, rule)) {
                continue;
            }
            if (rule == MergeRule::Collision) {
                if (haveKind && box.kind != kind) {
                    return false;
                }
                haveKind = true;
                kind = box.kind;
            }
            MapCell& c = cell[static_cast<std::size_t>(e)];
            if (!grid.CellOf(box, c) || at[c.row][c.column] != kNone) {
                return false;
            }
            at[c.row][c.column] = e;
            left[static_cast<std::size_t>(e)] = static_cast<std::int16_t>(c.column);
            bottom[static_cast<std::size_t>(e)] = static_cast<std::int16_t>(c.row + 1);
        }
        return true;
    }

    void Runs(BoxList& list, MergeRule rule)
    {
        Box* e = list.entries;
        for (std::int32_t i = 0; i < list.count; ++i) {
            if (!Merges(e[i].kind, rule)) {
                continue;
            }
            const auto si = static_cast<std::size_t>(i);
            const MapCell c = cell[si];
            const std::int32_t j = at[c.row][c.column + 1];
            if (j == kNone) {
                continue;
            }
            Absorb(e[i], e[j]);
            at[c.row][c.column + 1] = kNone;
            at[c.row][left[si]] = j;
            left[static_cast<std::size_t>(j)] = left[si];
            bottom[static_cast<std::size_t>(j)] = bottom[si];
        }
    }

    void Stacks(BoxList& list, MergeRule rule)
    {
        Box* e = list.entries;
        Clear();
        for (std::int32_t i = 0; i < list.count; ++i) {
            if (Merges(e[i].kind, rule)) {
                const auto si = static_cast<std::size_t>(i);
                at[cell[si].column][bottom[si]] = i;
            }
        }
        for (std::int32_t i = 0; i < list.count; ++i) {
            if (!Merges(e[i].kind, rule)) {
                continue;
            }
            const auto si = static_cast<std::size_t>(i);
            const MapCell c = cell[si];
            // i's top line is its row; the box above has its bottom there.
            const std::int32_t j = at[c.column][c.row];
            if (j == kNone || left[static_cast<std::size_t>(j)] != left[si]) {
                continue;
            }
            Absorb(e[i], e[j]);
            at[c.column][c.row] = kNone;
            at[c.column][bottom[si]] = j;
            bottom[static_cast<std::size_t>(j)] = bottom[si];
        }
    }
};

}  // namespace

void MergeRectanglesPairwise(BoxList& list, MergeRule rule)
{
    const std::int32_t n = list.count;
    Box* e = list.entries;

    // Horizontal: box i touches box j from the left with level tops. In column-major order
    // a run ends held by the entry of its rightmost cell.
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            if (SkipPair(list, i, j, rule)) {
                continue;
            }
            if (NearlyEqual(e[i].max.y, e[j].max.y) && NearlyEqual(e[i].max.x, e[j].min.x)) {
                Absorb(e[i], e[j]);
            }
        }
    }

    // Vertical: box i lies directly under box j across the same columns.
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            if (SkipPair(list, i, j, rule)) {
                continue;
            }
            if (NearlyEqual(e[i].max.x, e[j].max.x) && NearlyEqual(e[i].min.x, e[j].min.x) &&
                NearlyEqual(e[i].max.y, e[j].min.y)) {
                Absorb(e[i], e[j]);
            }
        }
    }
}

bool MergeRectangles(BoxList& list, MergeRule rule)
{
    if (list.count <= 0) {
        return true;
    }
    // About 200 KB of scratch for a full map, once per merge, at a level load.
    auto merge = std::make_unique<CellMerge>();
    if (!merge->Index(list, rule)) {
        MergeRectanglesPairwise(list, rule);
        return false;
    }
    merge->Runs(list, rule);
    merge->Stacks(list, rule);
    return true;
}

void MergeBlockList(BoxList& blocks) { MergeRectangles(blocks, MergeRule::Blocks); }

void BoxList::MergeBoxes()
{
    index_.Clear();
    MergeRectangles(*this, MergeRule::Collision);
    index_.Build(entries, count);
}
