// Differential sweep of the level build: seeded maps of every recipe in turn, each built
// with the grid search and with the pairwise reference, plus both merges on the scanned
// lists in shuffled orders. Reports every 60 maps and at the end; exits 1 at the first
// map whose builds differ, naming its recipe and seed.
//
//   merge_sweep [maps, default 3000] [first seed, default 1]
//               [shuffled merges on every n-th map, default 4]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "build_comparison.h"
#include "map_recipes.h"

namespace {

struct Tally {
    long maps = 0;
    long solidMin = kMapSize * kMapSize;
    long solidMax = 0;
    long blocksMax = 0;
    long long boxes = 0;
};

void Report(const Tally (&tally)[kRecipeCount], double seconds)
{
    long maps = 0;
    long long boxes = 0;
    for (int k = 0; k < kRecipeCount; ++k) {
        const Tally& t = tally[k];
        std::printf("  %-13s %5ld maps  solid cells %5ld..%5ld  blocks up to %5ld  %10lld boxes compared\n",
                    RecipeName(static_cast<Recipe>(k)), t.maps, t.maps > 0 ? t.solidMin : 0, t.solidMax, t.blocksMax,
                    t.boxes);
        maps += t.maps;
        boxes += t.boxes;
    }
    std::printf("%ld maps, %lld boxes compared, all identical (%.0f s)\n", maps, boxes, seconds);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3000;
    const long firstSeed = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1;
    const long shuffleEvery = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 4;
    if (count <= 0 || shuffleEvery <= 0) {
        std::fprintf(stderr, "usage: merge_sweep [maps] [first seed] [shuffle every n-th map]\n");
        return 2;
    }
    BuildComparison check;
    Tally tally[kRecipeCount];
    const auto begin = std::chrono::steady_clock::now();
    for (long m = 0; m < count; ++m) {
        const int k = static_cast<int>(m % kRecipeCount);
        const auto recipe = static_cast<Recipe>(k);
        const long s = firstSeed + m / kRecipeCount;
        const auto seed = static_cast<std::uint32_t>(s);
        const MapBits map = RandomMap(recipe, seed);
        std::string d = check.CompareLevel(map.bytes.data(), kMapRowBytes, seed * 7919u);
        Tally& t = tally[k];
        t.boxes += check.BoxesCompared();
        if (d.empty() && (m / kRecipeCount) % shuffleEvery == 0) {
            d = check.CompareShuffled(map.bytes.data(), kMapRowBytes, seed);
            t.boxes += check.BoxesCompared();
        }
        if (!d.empty()) {
            std::printf("DIFFERENCE: recipe %s seed %ld: %s\n", RecipeName(recipe), s, d.c_str());
            return 1;
        }
        const long solid = map.Count(PixelClass::Solid);
        const long blocks = solid + map.Count(PixelClass::Scenery);
        ++t.maps;
        t.solidMin = solid < t.solidMin ? solid : t.solidMin;
        t.solidMax = solid > t.solidMax ? solid : t.solidMax;
        t.blocksMax = blocks > t.blocksMax ? blocks : t.blocksMax;
        if ((m + 1) % 60 == 0 || m + 1 == count) {
            Report(tally, std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        }
    }
    return 0;
}
