#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <random>
#include <vector>

#include "creature/verlet.h"
#include "support/map_pixels.h"

// The merged collision list is indexed so that edge tests and the head's push visit only
// nearby boxes. These runs hold every result to the full scan's, bit for bit.

namespace {

struct Level {
    const char* name;
    double solid;  // chance of a solid cell
    bool checker;  // alternate cells, so the merge leaves many small boxes
};

void PrintTo(const Level& level, std::ostream* os) { *os << level.name; }

void FillMap(const Level& level, std::mt19937& rng, MapPixels& map)
{
    std::bernoulli_distribution solid(level.solid);
    for (int r = 0; r < kMapSize; ++r) {
        for (int c = 0; c < kMapSize; ++c) {
            if (level.checker ? ((r + c) % 2 == 0 && solid(rng)) : solid(rng)) {
                map.Solid(c, r);
            }
        }
    }
}

// The same entries without the index: written in place after the appends, so the list is
// never merged and scans in full.
void CopyUnindexed(const BoxList& from, BoxList& to)
{
    to.Empty();
    for (std::int32_t i = 0; i < from.count; ++i) {
        to.Append(from[i].center, 0.0f, 0.0f, 0);
        to[i] = from[i];
    }
}

bool SameBits(const VerletParticle& a, const VerletParticle& b)
{
    return std::memcmp(&a.position, &b.position, sizeof a.position) == 0 && a.contact == b.contact;
}

bool SameBits(const Vector4& a, const Vector4& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class IndexedCollision : public ::testing::TestWithParam<Level> {};

TEST_P(IndexedCollision, EveryMoveAndPushMatchesTheFullScan)
{
    std::mt19937 rng(12345);
    MapPixels map;
    FillMap(GetParam(), rng, map);
    ScanLists lists(map);
    BoxList& indexed = lists.collision;
    indexed.MergeBoxes();
    ASSERT_TRUE(indexed.Indexed());
    auto plain = std::make_unique<BoxList>(kCollisionBoxCapacity);
    CopyUnindexed(indexed, *plain);
    ASSERT_FALSE(plain->Indexed());

    // Edge values themselves make the touching and corner cases that rounding decides.
    std::vector<float> edges;
    for (std::int32_t i = 0; i < indexed.count; ++i) {
        edges.insert(edges.end(), {indexed[i].min.x, indexed[i].max.x, indexed[i].min.y, indexed[i].max.y});
    }
    if (edges.empty()) {
        edges.push_back(0.5f);
    }
    std::uniform_real_distribution<float> anywhere(-31.0f, 31.0f);
    std::uniform_int_distribution<std::size_t> anyEdge(0, edges.size() - 1);
    std::uniform_int_distribution<int> kind(0, 5);
    const float reaches[] = {0.0f, 1e-6f, 0.05f, 0.4f, 2.5f, 12.0f};
    auto coordinate = [&](float near) {
        switch (kind(rng)) {
        case 0: return edges[anyEdge(rng)];
        case 1: return 0.0f;
        case 2: return anywhere(rng);
        default: return near + reaches[kind(rng)] * (anywhere(rng) / 31.0f);
        }
    };

    int contacts = 0;
    int pushes = 0;
    for (int trial = 0; trial < 8000; ++trial) {
        VerletParticle p;
        p.collides = true;
        p.collisionOffset = Vector4{trial % 3 == 0 ? 0.0f : 0.125f, trial % 5 == 0 ? -0.5f : 0.0f, 0.0f, 0.0f};
        p.previous = Vector4{anywhere(rng), anywhere(rng), 0.0f, 1.0f};
        p.position = Vector4{coordinate(p.previous.x), coordinate(p.previous.y), 0.0f, 1.0f};
        if (kind(rng) == 0) {
            p.previous.x = coordinate(p.position.x);
        }
        VerletParticle q = p;
        indexed.CollideParticle(p);
        plain->CollideParticle(q);
        ASSERT_TRUE(SameBits(p, q)) << "move " << trial;
        contacts += p.contact ? 1 : 0;

        Vector4 head{coordinate(p.previous.x), coordinate(p.previous.y), 0.0f, 1.0f};
        const Vector4 before = head;
        Vector4 same = head;
        indexed.PushPointOut(head, 1.5f);
        plain->PushPointOut(same, 1.5f);
        ASSERT_TRUE(SameBits(head, same)) << "push " << trial;
        pushes += SameBits(head, before) ? 0 : 1;
    }
    // Runs that never touch anything would prove nothing.
    if (indexed.count > 0) {
        EXPECT_GT(contacts, 200);
        EXPECT_GT(pushes, 200);
    }
    std::printf("%s: %d boxes, %d contacts, %d pushes\n", GetParam().name, indexed.count, contacts, pushes);
}

INSTANTIATE_TEST_SUITE_P(Maps, IndexedCollision,
                         ::testing::Values(Level{"empty", 0.0, false}, Level{"sparse", 0.08, false},
                                           Level{"dense", 0.3, false}, Level{"checker", 0.9, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IndexedCollisionList, AppendAndEmptyDropTheIndexAndAMergeBuildsIt)
{
    BoxList list(64);
    list.Append(Vector4{0.0f, 0.0f, 0.0f, 1.0f}, 0.5f, 0.5f, 0);
    EXPECT_FALSE(list.Indexed());
    list.MergeBoxes();
    EXPECT_TRUE(list.Indexed());
    list.Append(Vector4{5.0f, 0.0f, 0.0f, 1.0f}, 0.5f, 0.5f, 0);
    EXPECT_FALSE(list.Indexed()) << "a box added after the merge would be missed";
    list.MergeBoxes();
    list.count = 0;
    EXPECT_FALSE(list.Indexed()) << "a count set by hand no longer matches the index";
    list.count = 2;
    list.Empty();
    EXPECT_FALSE(list.Indexed());
}

}  // namespace
