#include "world/merge.h"

#include <cmath>

bool NearlyEqual(float a, float b)
{
    const float difference = a - b;
    return std::fabs(difference) < kMergeEpsilon;
}

namespace {

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

}  // namespace

void MergeRectangles(BoxList& list, MergeRule rule)
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

void MergeBlockList(BoxList& blocks) { MergeRectangles(blocks, MergeRule::Blocks); }

void BoxList::MergeBoxes() { MergeRectangles(*this, MergeRule::Collision); }
