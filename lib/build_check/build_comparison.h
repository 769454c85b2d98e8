#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "world/world.h"

// Builds the same map twice, once with the grid search the game uses and once with the
// pairwise reference, and compares the results byte for byte: the three box lists (every
// min, max, centre and kind), the counts, the mesh with its range ends, and the position
// of the random stream afterwards. Used by the differential tests and the merge sweep.
class BuildComparison {
public:
    BuildComparison();
    ~BuildComparison();
    BuildComparison(const BuildComparison&) = delete;
    BuildComparison& operator=(const BuildComparison&) = delete;

    // The scan, the mesh build and the collision merge, from the same random state.
    // Returns "" when both agree and the grid search was used throughout, otherwise what
    // differs first.
    std::string CompareLevel(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t randState);

    // Both merges on the scanned lists in a shuffled order (drawn from `seed`), some
    // entries already absorbed and, in the block list, grass caps and other kinds mixed in:
    // the grid search must follow the pair order whatever the order of the list.
    std::string CompareShuffled(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t seed);

    // Boxes compared in the last call (all lists, both builds counted once).
    std::int64_t BoxesCompared() const { return boxes_; }

private:
    struct Side;
    std::unique_ptr<Side> fast_;
    std::unique_ptr<Side> reference_;
    std::int64_t boxes_ = 0;
};

// "" when both lists hold the same count and the same bytes in every entry below it.
std::string CompareBoxLists(const BoxList& a, const BoxList& b, const char* name);
