// The grid search against the pairwise reference: the same boxes absorbed, the same min
// and max bit for bit, centres untouched, the same mesh and the same random draws.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "build_comparison.h"
#include "map_recipes.h"
#include "world/cell_grid.h"
#include "world/merge.h"

namespace {

struct Cell {
    int column;
    int row;
    PixelClass what;
};

MapBits MapOf(const std::vector<Cell>& cells)
{
    MapBits map;
    for (const Cell& c : cells) {
        map.Set(c.column, c.row, c.what);
    }
    return map;
}

std::vector<Cell> Rect(int c0, int r0, int w, int h, PixelClass what = PixelClass::Solid)
{
    std::vector<Cell> cells;
    for (int c = c0; c < c0 + w; ++c) {
        for (int r = r0; r < r0 + h; ++r) {
            cells.push_back({c, r, what});
        }
    }
    return cells;
}

std::vector<Cell> Join(std::vector<std::vector<Cell>> parts)
{
    std::vector<Cell> all;
    for (auto& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

constexpr PixelClass kSolid = PixelClass::Solid;
constexpr PixelClass kScenery = PixelClass::Scenery;

struct EdgeCase {
    const char* name;
    MapBits map;
};

std::vector<EdgeCase> EdgeCases()
{
    std::vector<EdgeCase> cases;
    cases.push_back({"empty", MapBits{}});
    cases.push_back({"cell at 64,64 (centre y is -0)", MapOf({{64, 64, kSolid}})});
    cases.push_back({"run of three", MapOf(Rect(10, 40, 3, 1))});
    cases.push_back({"stack of three", MapOf(Rect(5, 60, 1, 3))});
    cases.push_back({"2 x 2 square", MapOf(Rect(30, 30, 2, 2))});
    cases.push_back({"run of two over run of three", MapOf(Join({Rect(50, 10, 2, 1), Rect(50, 11, 3, 1)}))});
    cases.push_back({"right edges flush, left not", MapOf(Join({Rect(51, 10, 2, 1), Rect(50, 11, 3, 1)}))});
    cases.push_back({"row 64 across the map", MapOf(Rect(0, 64, 128, 1))});
    cases.push_back({"rows 63..65 and column 64", MapOf(Join({Rect(0, 63, 128, 3), Rect(64, 0, 1, 128)}))});
    cases.push_back({"scenery merges with solid in the block list only",
                     MapOf(Join({Rect(20, 20, 2, 1), Rect(22, 20, 2, 1, kScenery), Rect(20, 21, 4, 1)}))});
    cases.push_back({"scenery over solid, spikes, start and goal above",
                     MapOf(Join({Rect(0, 100, 40, 3), Rect(3, 99, 1, 1, kScenery),
                                 std::vector<Cell>{{5, 99, PixelClass::SpikeUp},
                                                   {6, 99, PixelClass::SpikeDown},
                                                   {7, 99, PixelClass::Start},
                                                   {8, 99, PixelClass::Goal}}}))});
    cases.push_back({"edges of the map", MapOf(Join({Rect(0, 0, 128, 1), Rect(0, 127, 128, 1), Rect(0, 0, 1, 128),
                                                     Rect(127, 0, 1, 128)}))});
    // Chains: a staircase (every run one longer than the one above) and a pyramid.
    std::vector<Cell> stairs;
    std::vector<Cell> pyramid;
    for (int k = 0; k < 40; ++k) {
        auto step = Rect(10, 20 + k, k + 1, 1);
        stairs.insert(stairs.end(), step.begin(), step.end());
        auto layer = Rect(80 - k / 2, 60 + k, 1 + (k / 2) * 2, 1, k % 3 == 0 ? kScenery : kSolid);
        pyramid.insert(pyramid.end(), layer.begin(), layer.end());
    }
    cases.push_back({"staircase", MapOf(stairs)});
    cases.push_back({"pyramid", MapOf(pyramid)});
    cases.push_back({"towers of equal spans", MapOf(Join({Rect(10, 10, 3, 90), Rect(14, 10, 3, 89), Rect(18, 11, 3, 90),
                                                          Rect(22, 10, 1, 118)}))});
    cases.push_back({"sparse floor", SparseFloorMap()});
    cases.push_back({"checkerboard", CheckerboardMap()});
    cases.push_back({"solid", SolidMap()});
    return cases;
}

TEST(BuildDifferential, EdgeCasesMatchThePairwiseBuild)
{
    BuildComparison check;
    std::uint32_t seed = 11;
    for (const EdgeCase& c : EdgeCases()) {
        EXPECT_EQ(check.CompareLevel(c.map.bytes.data(), kMapRowBytes, seed), "") << c.name;
        EXPECT_EQ(check.CompareShuffled(c.map.bytes.data(), kMapRowBytes, seed), "") << c.name;
        seed += 101;
    }
}

// A fixed sample of the sweep's maps; merge_sweep runs thousands of them.
class RandomMaps : public ::testing::TestWithParam<int> {};

TEST_P(RandomMaps, MatchThePairwiseBuild)
{
    const auto recipe = static_cast<Recipe>(GetParam());
    BuildComparison check;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const MapBits map = RandomMap(recipe, seed);
        EXPECT_EQ(check.CompareLevel(map.bytes.data(), kMapRowBytes, seed * 7919u), "")
            << RecipeName(recipe) << " seed " << seed;
        if (seed == 1) {
            EXPECT_EQ(check.CompareShuffled(map.bytes.data(), kMapRowBytes, seed), "")
                << RecipeName(recipe) << " seed " << seed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryRecipe, RandomMaps, ::testing::Range(0, kRecipeCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = RecipeName(static_cast<Recipe>(info.param));
                             for (char& ch : name) {
                                 ch = ch == '-' ? '_' : ch;
                             }
                             return name;
                         });

TEST(BuildDifferential, ComparisonSeesADifference)
{
    // The checker itself must be able to fail: one changed bit of a min is reported.
    BoxList a(4);
    BoxList b(4);
    a.Append(CellCentre(3, 4), kHalfCell, kHalfCell, 0);
    b.Append(CellCentre(3, 4), kHalfCell, kHalfCell, 0);
    EXPECT_EQ(CompareBoxLists(a, b, "list"), "");
    b[0].min.y = std::nextafter(b[0].min.y, 0.0f);
    EXPECT_NE(CompareBoxLists(a, b, "list"), "");
    b[0].min.y = a[0].min.y;
    b[0].center.y = -a[0].center.y;
    EXPECT_NE(CompareBoxLists(a, b, "list"), "");
    b.count = 0;
    EXPECT_NE(CompareBoxLists(a, b, "list"), "");
}

TEST(CellGrid, LinesAreTheScansEdgesAndFarApart)
{
    const CellGrid& grid = CellGrid::Get();
    ASSERT_TRUE(grid.Usable());
    EXPECT_EQ(grid.XAt(0), -30.0f);
    EXPECT_EQ(grid.XAt(128), 30.0f);
    EXPECT_EQ(grid.YAt(0), 30.234375f);
    EXPECT_EQ(grid.YAt(128), -29.765625f);
    for (int k = 0; k + 1 < CellGrid::kLines; ++k) {
        EXPECT_FALSE(NearlyEqual(grid.XAt(k), grid.XAt(k + 1))) << k;
        EXPECT_FALSE(NearlyEqual(grid.YAt(k), grid.YAt(k + 1))) << k;
    }

    // Row 64's centre is -0; its edges are still lines 64 and 65.
    Box box;
    box.Set(CellCentre(64, 64), kHalfCell, kHalfCell, 0);
    ASSERT_TRUE(std::signbit(box.center.y));
    MapCell cell;
    ASSERT_TRUE(grid.CellOf(box, cell));
    EXPECT_EQ(cell.column, 64);
    EXPECT_EQ(cell.row, 64);
    EXPECT_EQ(grid.XLine(-0.0f), 64);
    EXPECT_EQ(grid.XLine(0.0f), 64);

    // Not a cell: a spike, half a cell, an edge off the lines.
    box.Set(CellCentre(10, 10, 1.0f), kHalfCell, kSpikeHalfHeight, 0);
    EXPECT_FALSE(grid.CellOf(box, cell));
    box.Set(CellCentre(10, 10), kHalfCell / 2, kHalfCell, 0);
    EXPECT_FALSE(grid.CellOf(box, cell));
    box.Set(CellCentre(10, 10), kHalfCell, kHalfCell, 0);
    box.max.x = std::nextafter(box.max.x, 100.0f);
    EXPECT_FALSE(grid.CellOf(box, cell));

    // Strictly inside: a point on a line belongs to no column or row.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Around {
        float value;
        int index;
    };
    const Around columns[] = {{CellCentre(7, 9).x, 7},
                              {grid.XAt(7), -1},
                              {-30.0f, -1},
                              {30.0f, -1},
                              {-31.0f, -1},
                              {nan, -1},
                              {std::nextafter(grid.XAt(8), 0.0f), 8}};
    for (const Around& a : columns) {
        EXPECT_EQ(grid.ColumnAround(a.value), a.index) << a.value;
    }
    const Around rows[] = {{CellCentre(0, 9).y, 9}, {grid.YAt(9), -1}, {30.46875f, -1},
                           {-29.765625f, -1},       {nan, -1},         {std::nextafter(grid.YAt(9), 0.0f), 9}};
    for (const Around& a : rows) {
        EXPECT_EQ(grid.RowAround(a.value), a.index) << a.value;
    }
}

TEST(MergeByCell, FallsBackWhereTheGridCannotDecide)
{
    struct Case {
        const char* name;
        bool addDuplicate;
        bool offGrid;
        bool otherKind;
        MergeRule rule;
        bool byCell;
    };
    const Case cases[] = {
        {"scanned cells", false, false, false, MergeRule::Collision, true},
        {"two boxes on one cell", true, false, false, MergeRule::Collision, false},
        {"a box off the grid", false, true, false, MergeRule::Collision, false},
        {"mixed kinds, collision rule", false, false, true, MergeRule::Collision, false},
        {"mixed kinds, block rule", false, false, true, MergeRule::Blocks, true},
    };
    for (const Case& c : cases) {
        BoxList a(16);
        for (int k = 0; k < 4; ++k) {
            a.Append(CellCentre(20 + k % 2, 30 + k / 2), kHalfCell, kHalfCell, 0);
        }
        if (c.addDuplicate) {
            a.Append(CellCentre(21, 31), kHalfCell, kHalfCell, 0);
        }
        if (c.offGrid) {
            a.Append(Vector4{CellCentre(22, 31).x + 0.005f, CellCentre(22, 31).y, 0, 1}, kHalfCell, kHalfCell, 0);
        }
        if (c.otherKind) {
            a[1].kind = 2;
        }
        BoxList b(16);
        for (int k = 0; k < a.count; ++k) {
            b.Append(a[k].center, kHalfCell, kHalfCell, 0);
            b[k] = a[k];
        }
        EXPECT_EQ(MergeRectangles(a, c.rule), c.byCell) << c.name;
        MergeRectanglesPairwise(b, c.rule);
        EXPECT_EQ(CompareBoxLists(a, b, c.name), "");
    }
}

TEST(MergeByCell, EveryListOrderOfAShapeMatches)
{
    // Two rows of two over a row of three, and a column beside them: every one of the
    // 720 orders of these six cells, each merged both ways. Chains form in different
    // orders (a box absorbed after it took another hands on its moved min).
    const int shape[6][2] = {{10, 20}, {11, 20}, {10, 21}, {11, 21}, {12, 22}, {10, 22}};
    int order[6] = {0, 1, 2, 3, 4, 5};
    int orders = 0;
    do {
        BoxList fast(8);
        BoxList reference(8);
        for (int k : order) {
            fast.Append(CellCentre(shape[k][0], shape[k][1]), kHalfCell, kHalfCell, 0);
            reference.Append(CellCentre(shape[k][0], shape[k][1]), kHalfCell, kHalfCell, 0);
        }
        ASSERT_TRUE(MergeRectangles(fast, MergeRule::Collision));
        MergeRectanglesPairwise(reference, MergeRule::Collision);
        ASSERT_EQ(CompareBoxLists(fast, reference, "shape"), "") << "order " << orders;
        ++orders;
    } while (std::next_permutation(order, order + 6));
    EXPECT_EQ(orders, 720);
}

}  // namespace
