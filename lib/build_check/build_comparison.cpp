#include "build_comparison.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "math/random.h"
#include "world/level_scan.h"
#include "world/merge.h"

struct BuildComparison::Side {
    CWorld world;
    BoxList collision{kCollisionBoxCapacity};
    BoxList scratch{kWorldBoxCapacity};

    void Scan(const std::uint8_t* bits, std::int32_t pitch)
    {
        world.ClearContents();
        collision.Empty();
        world.startPoint = Vector4{0, 0, 0, 1};
        world.goalPoint = Vector4{0, 0, 0, 1};
        ScanMap(bits, pitch, world.blocks, world.spikes, collision, world.startPoint, world.goalPoint);
    }
};

namespace {

std::string Describe(const char* name, std::int32_t index, const Box& a, const Box& b)
{
    char text[320];
    std::snprintf(text, sizeof text,
                  "%s[%d]: kind %d/%d min (%a, %a, %a, %a)/(%a, %a, %a, %a) max (%a, %a)/(%a, %a) centre (%a, %a)/(%a, "
                  "%a)",
                  name, index, a.kind, b.kind, a.min.x, a.min.y, a.min.z, a.min.w, b.min.x, b.min.y, b.min.z, b.min.w,
                  a.max.x, a.max.y, b.max.x, b.max.y, a.center.x, a.center.y, b.center.x, b.center.y);
    return text;
}

std::string CompareCounts(const char* what, std::int64_t a, std::int64_t b)
{
    if (a == b) {
        return {};
    }
    return std::string(what) + " " + std::to_string(a) + " vs " + std::to_string(b);
}

// Copies `from` into `to` in an order drawn from the game's stream.
void Shuffle(const BoxList& from, BoxList& to)
{
    to.count = from.count;
    std::memcpy(to.entries, from.entries, sizeof(Box) * static_cast<std::size_t>(from.count));
    for (std::int32_t i = to.count - 1; i > 0; --i) {
        const std::int32_t j = (Rand() * (kRandMax + 1) + Rand()) % (i + 1);
        std::swap(to.entries[i], to.entries[j]);
    }
}

}  // namespace

std::string CompareBoxLists(const BoxList& a, const BoxList& b, const char* name)
{
    if (a.count != b.count) {
        return CompareCounts((std::string(name) + " count").c_str(), a.count, b.count);
    }
    for (std::int32_t i = 0; i < a.count; ++i) {
        if (std::memcmp(&a.entries[i], &b.entries[i], sizeof(Box)) != 0) {
            return Describe(name, i, a.entries[i], b.entries[i]);
        }
    }
    return {};
}

BuildComparison::BuildComparison() : fast_(std::make_unique<Side>()), reference_(std::make_unique<Side>()) {}

BuildComparison::~BuildComparison() = default;

std::string BuildComparison::CompareLevel(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t randState)
{
    const std::uint32_t saved = GetRandState();
    fast_->Scan(bits, pitch);
    reference_->Scan(bits, pitch);

    CWorld& f = fast_->world;
    CWorld& r = reference_->world;
    // The grid search must be what runs, or the comparison proves nothing.
    const bool exposureByCell = BlockExposure(f.blocks, f.blocks.count).ByCell();

    SetRandState(randState);
    f.BuildMesh();
    const std::uint32_t fastRand = GetRandState();
    SetRandState(randState);
    r.BuildMeshPairwise();
    const std::uint32_t referenceRand = GetRandState();
    SetRandState(saved);

    const bool mergeByCell = MergeRectangles(fast_->collision, MergeRule::Collision);
    MergeRectanglesPairwise(reference_->collision, MergeRule::Collision);
    boxes_ = f.blocks.count + f.spikes.count + fast_->collision.count;

    std::string d;
    if (!exposureByCell) {
        return "exposure test fell back to pairwise";
    }
    if (!mergeByCell) {
        return "collision merge fell back to pairwise";
    }
    if (!(d = CompareCounts("random stream", fastRand, referenceRand)).empty() ||
        !(d = CompareBoxLists(fast_->collision, reference_->collision, "collision")).empty() ||
        !(d = CompareBoxLists(f.blocks, r.blocks, "blocks")).empty() ||
        !(d = CompareBoxLists(f.spikes, r.spikes, "spikes")).empty() ||
        !(d = CompareCounts("vertexCount", f.vertexCount, r.vertexCount)).empty() ||
        !(d = CompareCounts("tuftEnd", f.tuftEnd, r.tuftEnd)).empty() ||
        !(d = CompareCounts("blockEnd", f.blockEnd, r.blockEnd)).empty() ||
        !(d = CompareCounts("capEnd", f.capEnd, r.capEnd)).empty() ||
        !(d = CompareCounts("goalEnd", f.goalEnd, r.goalEnd)).empty() ||
        !(d = CompareCounts("spikeEnd", f.spikeEnd, r.spikeEnd)).empty()) {
        return d;
    }
    if (std::memcmp(f.mesh, r.mesh, sizeof(Vertex) * static_cast<std::size_t>(f.vertexCount)) != 0) {
        for (std::int32_t v = 0; v < f.vertexCount; ++v) {
            if (std::memcmp(&f.mesh[v], &r.mesh[v], sizeof(Vertex)) != 0) {
                return "mesh vertex " + std::to_string(v);
            }
        }
    }
    return {};
}

std::string BuildComparison::CompareShuffled(const std::uint8_t* bits, std::int32_t pitch, std::uint32_t seed)
{
    const std::uint32_t saved = GetRandState();
    SetRandState(seed);
    fast_->Scan(bits, pitch);
    CWorld& w = fast_->world;
    // Caps appended as the build appends them, before the block merge.
    w.AddGrassCaps();
    const int absorbedPercent = Rand() % 3 == 0 ? Rand() % 20 : 0;
    const int otherKindPercent = Rand() % 3 == 0 ? Rand() % 50 : 0;

    struct Case {
        const BoxList* source;
        MergeRule rule;
        const char* name;
    };
    const Case cases[2] = {{&fast_->collision, MergeRule::Collision, "shuffled collision"},
                           {&w.blocks, MergeRule::Blocks, "shuffled blocks"}};
    std::string d;
    boxes_ = 0;
    for (const Case& c : cases) {
        BoxList& a = fast_->scratch;
        BoxList& b = reference_->scratch;
        Shuffle(*c.source, a);
        for (std::int32_t i = 0; i < a.count; ++i) {
            if (Rand() % 100 < absorbedPercent) {
                a.entries[i].kind = kBoxAbsorbed;
            } else if (c.rule == MergeRule::Blocks && a.entries[i].kind >= 0 && Rand() % 100 < otherKindPercent) {
                a.entries[i].kind = 1 + Rand() % 3;
            }
        }
        b.count = a.count;
        std::memcpy(b.entries, a.entries, sizeof(Box) * static_cast<std::size_t>(a.count));
        const bool byCell = MergeRectangles(a, c.rule);
        MergeRectanglesPairwise(b, c.rule);
        boxes_ += a.count;
        if (!byCell) {
            d = std::string(c.name) + " fell back to pairwise";
            break;
        }
        if (!(d = CompareBoxLists(a, b, c.name)).empty()) {
            break;
        }
    }
    SetRandState(saved);
    return d;
}
