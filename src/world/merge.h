#pragma once

#include "world/box.h"

// Tolerance of the rectangle merges: |a - b| < 0.01, all in 32-bit floats.
constexpr float kMergeEpsilon = 0.01f;

bool NearlyEqual(float a, float b);

// Which pairs a merge skips besides i == j. The collision merge skips absorbed boxes and
// boxes of different kinds; the block merge skips every box of negative kind (absorbed
// blocks and grass caps) and does not compare kinds.
enum class MergeRule {
    Collision,
    Blocks,
};

// Two passes, horizontal runs and then vertical stacks of equal span, with the outcome
// of comparing every ordered pair (i outer, j inner, in list order): the lower-left box
// hands its min to its partner and is marked -1. No entry is removed, the count stays
// and no centre moves (the creature's head is pushed from every cell centre).
//
// Lists whose merging entries are distinct single map cells (every list a scan makes)
// are merged through the cell grid in linear time. Returns false when some entry is not,
// or two share a cell; the list is then merged by MergeRectanglesPairwise.
bool MergeRectangles(BoxList& list, MergeRule rule);

// The original quadratic loops, kept as the reference for tests and benchmarks.
void MergeRectanglesPairwise(BoxList& list, MergeRule rule);

// The block merge of the mesh build, over the world's drawn blocks.
void MergeBlockList(BoxList& blocks);
