#include "world/world.h"

#include "math/random.h"
#include "world/merge.h"

const char* const kLevelMaps[7] = {
    "data/map1.tga", "data/map3.tga", "data/map4.tga", "data/map2.tga",
    "data/map6.tga", "data/map7.tga", "data/map8.tga",
};

const char* LevelMapName(int levelIndex)
{
    if (levelIndex < 0 || levelIndex >= 7) {
        return "data/map5.tga";
    }
    return kLevelMaps[levelIndex];
}

CWorld::CWorld() : mesh(new Vertex[kWorldMeshCapacity]), visibleQuads(new std::int32_t[kWorldMeshCapacity / 6]) {}

CWorld::~CWorld()
{
    delete[] mesh;
    delete[] visibleQuads;
}

void CWorld::ClearContents()
{
    blocks.Empty();
    spikes.Empty();
    vertexCount = 0;
}

bool CWorld::HitsSpike(const Vector4& point) const
{
    for (std::int32_t i = 0; i < spikes.count; ++i) {
        const Box& s = spikes.entries[i];
        if (s.min.x < point.x && point.x < s.max.x && s.min.y < point.y && point.y < s.max.y) {
            return true;
        }
    }
    return false;
}

namespace {

// The centre of the cell above a block, as the exposure test has always rounded it.
void PointAbove(const Box& b, float& px, float& py)
{
    const float rise = b.max.y - b.center.y;
    const float twice = 2.0f * rise;
    px = b.center.x;
    py = b.center.y + twice;
}

}  // namespace

bool IsBlockExposedPairwise(const BoxList& blocks, std::int32_t i, std::int32_t n)
{
    float px = 0.0f;
    float py = 0.0f;
    PointAbove(blocks.entries[i], px, py);
    for (std::int32_t j = 0; j < n; ++j) {
        if (j == i) {
            continue;
        }
        const Box& o = blocks.entries[j];
        if (o.min.x < px && px < o.max.x && o.min.y < py && py < o.max.y) {
            return false;
        }
    }
    return true;
}

BlockExposure::BlockExposure(const BoxList& blocks, std::int32_t n, BoxSearch search) : blocks_(blocks), n_(n)
{
    const CellGrid& grid = CellGrid::Get();
    if (search != BoxSearch::ByCell || !grid.Usable()) {
        return;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        MapCell cell;
        if (!grid.CellOf(blocks.entries[j], cell)) {
            return;
        }
        ++occupants_[cell.row][cell.column];
    }
    byCell_ = true;
}

bool BlockExposure::IsBlockExposed(std::int32_t i) const
{
    if (!byCell_) {
        return IsBlockExposedPairwise(blocks_, i, n_);
    }
    // A single cell holds the point strictly exactly when it is the cell whose open spans
    // hold its x and y.
    const Box& b = blocks_.entries[i];
    float px = 0.0f;
    float py = 0.0f;
    PointAbove(b, px, py);
    const CellGrid& grid = CellGrid::Get();
    const int column = grid.ColumnAround(px);
    const int row = grid.RowAround(py);
    if (column < 0 || row < 0) {
        return true;
    }
    int cover = occupants_[row][column];
    MapCell own;
    if (i >= 0 && i < n_ && grid.CellOf(b, own) && own.column == column && own.row == row) {
        --cover;  // a block never covers itself
    }
    return cover == 0;
}

void CWorld::AddGrassTufts(BoxSearch search)
{
    const std::int32_t n = blocks.count;
    const BlockExposure exposure(blocks, n, search);
    for (std::int32_t i = 0; i < n; ++i) {
        const Box& b = blocks.entries[i];
        if (b.kind < 0 || !exposure.IsBlockExposed(i)) {
            continue;
        }
        // One draw per tuft, in block order: the heights are part of the shared stream.
        const int r = Rand();
        const Vector4 base{b.center.x, b.max.y - 0.1f, b.center.z, 1.0f};
        const float height = 1.0f + static_cast<float>(r) / static_cast<float>(kRandMax);
        const Vector4 size{0.25f, height, 0.0f, 1.0f};
        AppendTuftQuad(base, size, 1.0f);
    }
}

void CWorld::AddGrassCaps(BoxSearch search)
{
    const std::int32_t n = blocks.count;
    // Made before any cap is appended: caps are neither visited nor tested against.
    const BlockExposure exposure(blocks, n, search);
    for (std::int32_t i = 0; i < n; ++i) {
        if (!exposure.IsBlockExposed(i)) {
            continue;
        }
        // Copied first: appending writes into the same array.
        const Box b = blocks.entries[i];
        const float d = b.max.y - b.center.y;
        blocks.Append(b.center, d, d, kBoxGrassCap);
    }
}

void CWorld::MergeBlocks(BoxSearch search)
{
    if (search == BoxSearch::ByCell) {
        MergeBlockList(blocks);
    } else {
        MergeRectanglesPairwise(blocks, MergeRule::Blocks);
    }
}

void CWorld::AppendVertex(const Vector4& position, const float colour[4], const Vector4& normal,
                          const Vector4& texcoord)
{
    // Any 128 x 128 map fits; hand-made lists larger than a map can hold stop here.
    if (vertexCount < 0 || vertexCount >= kWorldMeshCapacity) {
        return;
    }
    Vertex& v = mesh[vertexCount];
    v.x = position.x;
    v.y = position.y;
    v.z = position.z;
    v.nx = normal.x;
    v.ny = normal.y;
    v.nz = normal.z;
    v.color = ColorFromFloats(colour[0], colour[1], colour[2], colour[3]);
    v.u = texcoord.x;
    v.v = texcoord.y;
    ++vertexCount;
}

void CWorld::AppendQuad(const Corner& tl, const Corner& tr, const Corner& bl, const Corner& br, float z)
{
    // Whole quads only: a range must hold whole triangles.
    if (vertexCount < 0 || vertexCount > kWorldMeshCapacity - 6) {
        return;
    }
    static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const Vector4 normal{0.0f, 0.0f, -1.0f, 1.0f};
    const Corner* order[6] = {&tl, &tr, &bl, &bl, &br, &tr};
    for (const Corner* c : order) {
        AppendVertex(Vector4{c->x, c->y, z, 1.0f}, kWhite, normal, Vector4{c->u, c->v, 0.0f, 1.0f});
    }
}

void CWorld::AppendBlockQuad(const Vector4& center, const Vector4& half, float uvScale)
{
    const float left = center.x - half.x;
    const float right = center.x + half.x;
    const float top = center.y + half.y;
    const float bottom = center.y - half.y;
    // Texture coordinates follow the position, so neighbouring quads meet seamlessly.
    AppendQuad({left, top, left * uvScale, top * uvScale}, {right, top, right * uvScale, top * uvScale},
               {left, bottom, left * uvScale, bottom * uvScale}, {right, bottom, right * uvScale, bottom * uvScale},
               center.z);
}

void CWorld::AppendCornerQuad(const Vector4& center, const Vector4& half, float uvScale)
{
    const float left = center.x - half.x;
    const float right = center.x + half.x;
    const float top = center.y + half.y;
    const float bottom = center.y - half.y;
    AppendQuad({left, top, 0.0f * uvScale, 0.0f * uvScale}, {right, top, 1.0f * uvScale, 0.0f * uvScale},
               {left, bottom, 0.0f * uvScale, 1.0f * uvScale}, {right, bottom, 1.0f * uvScale, 1.0f * uvScale},
               center.z);
}

void CWorld::AppendSpikeQuad(const Vector4& base, const Vector4& size, std::int32_t kind, float uvScale)
{
    const float left = base.x - size.x;
    const float right = base.x + size.x;
    if (kind == 0) {
        AppendTuftQuad(base, size, uvScale);
        return;
    }
    // Hanging from the base, texture upside down so the points face down.
    const float top = base.y;
    const float bottom = base.y - size.y;
    AppendQuad({left, top, 0.0f * uvScale, 1.0f * uvScale}, {right, top, 1.0f * uvScale, 1.0f * uvScale},
               {left, bottom, 0.0f * uvScale, 0.0f * uvScale}, {right, bottom, 1.0f * uvScale, 0.0f * uvScale}, base.z);
}

void CWorld::AppendTuftQuad(const Vector4& base, const Vector4& size, float uvScale)
{
    const float left = base.x - size.x;
    const float right = base.x + size.x;
    const float top = base.y + size.y;
    const float bottom = base.y;
    AppendQuad({left, top, 0.0f * uvScale, 0.0f * uvScale}, {right, top, 1.0f * uvScale, 0.0f * uvScale},
               {left, bottom, 0.0f * uvScale, 1.0f * uvScale}, {right, bottom, 1.0f * uvScale, 1.0f * uvScale}, base.z);
}

namespace {

// (min + max) * 0.5 and (max - min) * halfScale, as the build has always rounded them.
void MiddleAndHalfSize(const Box& b, float halfScale, Vector4& centre, Vector4& half)
{
    centre = b.min;
    centre.Add(b.max);
    centre.Scale(0.5f);
    half = b.max;
    half.Sub(b.min);
    half.Scale(halfScale);
}

}  // namespace

void CWorld::BuildMesh() { Build(BoxSearch::ByCell); }

void CWorld::BuildMeshPairwise() { Build(BoxSearch::Pairwise); }

void CWorld::Build(BoxSearch search)
{
    AddGrassTufts(search);
    tuftEnd = vertexCount;

    AddGrassCaps(search);
    MergeBlocks(search);

    for (std::int32_t i = 0; i < blocks.count; ++i) {
        const Box& b = blocks.entries[i];
        if (b.kind != 0) {
            continue;
        }
        Vector4 centre;
        Vector4 half;
        MiddleAndHalfSize(b, 0.5f, centre, half);
        AppendBlockQuad(centre, half, 0.025f);
    }
    blockEnd = vertexCount;

    for (std::int32_t i = 0; i < blocks.count; ++i) {
        const Box& b = blocks.entries[i];
        if (b.kind != kBoxGrassCap) {
            continue;
        }
        // Negative half extents swap every corner with its opposite: the grass texture
        // lies turned by half a turn.
        Vector4 centre;
        Vector4 half;
        MiddleAndHalfSize(b, -0.5f, centre, half);
        AppendCornerQuad(centre, half, 0.25f);
    }
    capEnd = vertexCount;

    AppendCornerQuad(goalPoint, Vector4{2.0f, 2.0f, 0.0f, 1.0f}, 1.0f);
    goalEnd = vertexCount;

    for (std::int32_t i = 0; i < spikes.count; ++i) {
        // Discarded, to keep the shared random stream where the rest of the game expects it.
        static_cast<void>(Rand());
        const Box& s = spikes.entries[i];
        Vector4 base = s.center;
        base.y = (s.kind == 0 ? s.min.y : s.max.y) - 0.1f;
        const Vector4 size{(s.max.x - s.min.x) * 0.5f, s.max.y - s.min.y, 0.0f, 1.0f};
        AppendSpikeQuad(base, size, s.kind, 1.0f);
    }
    spikeEnd = vertexCount;
}

CWorld World;
