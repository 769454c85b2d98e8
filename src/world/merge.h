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

// The two quadratic passes: horizontal runs, then vertical stacks of equal span. The
// lower-left box hands its min to its partner and is marked -1; no entry is removed, the
// count stays and no centre moves (the creature's head is pushed from every cell centre).
void MergeRectangles(BoxList& list, MergeRule rule);

// The block merge of the mesh build, over the world's drawn blocks.
void MergeBlockList(BoxList& blocks);
