#pragma once

#include <cstdint>

#include "math/vector.h"
#include "math/vertex.h"
#include "platform/platform_types.h"
#include "world/box.h"
#include "world/cell_grid.h"

class IDirect3DVertexBuffer9;
class IDirect3DTexture9;

// The vertex buffer a level is made for: 131,072 vertices. A map whose mesh is
// larger gets a buffer sized from its vertex count instead.
constexpr std::uint32_t kWorldBufferBytes = 4718592;
constexpr std::int32_t kWorldBufferVertices = static_cast<std::int32_t>(kWorldBufferBytes / kVertexStride);

// The most vertices any 128 x 128 map can need: every cell is at most one block or spike,
// and a block costs a tuft, a block quad and a cap (18 vertices), a spike 6; plus the goal.
constexpr std::int32_t kWorldMeshCapacity = 18 * 16384 + 6;

// The map file of a level index; every index outside 0..6 plays "data/map5.tga".
const char* LevelMapName(int levelIndex);
extern const char* const kLevelMaps[7];

// The static level: drawn blocks (and, after the build, the grass caps), spikes, start and
// goal, and the world mesh in five consecutive vertex ranges.
class CWorld {
public:
    CWorld();
    ~CWorld();
    CWorld(const CWorld&) = delete;
    CWorld& operator=(const CWorld&) = delete;

    BoxList blocks{kWorldBoxCapacity};
    BoxList spikes{kWorldBoxCapacity};

    // Made, filled and released by the shell's level loading, drawn by src/render: this
    // library only carries the pointer.
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    // Size in bytes of vertexBuffer as created.
    std::uint32_t vertexBufferBytes = 0;

    std::int32_t vertexCount = 0;
    std::int32_t tuftEnd = 0;
    std::int32_t blockEnd = 0;
    std::int32_t capEnd = 0;
    std::int32_t goalEnd = 0;
    std::int32_t spikeEnd = 0;

    Vector4 startPoint{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 goalPoint{0.0f, 0.0f, 0.0f, 1.0f};

    // The mesh as built, kept in memory and copied to vertexBuffer in one lock. Allocated
    // once with the world; large enough for any map.
    Vertex* mesh = nullptr;
    // Room for the first vertex of every quad of the mesh: those in view, listed each frame.
    std::int32_t* visibleQuads = nullptr;

    // Re-creates the vertex buffer at its standard size and empties the blocks, the spikes
    // and the mesh. Start, goal and the creature's collision list are left alone.
    HRESULT Reset();
    void ReleaseBuffer();

    // The device-free half of Reset.
    void ClearContents();

    // The whole mesh build, into `mesh`; needs no device.
    void BuildMesh();
    // The same build with every exposure test and the block merge comparing all pairs:
    // the reference for tests and benchmarks.
    void BuildMeshPairwise();
    // Copies the built mesh into vertexBuffer, re-creating it larger when the mesh does
    // not fit.
    HRESULT UploadMesh();

    // The five ranges, each with its picture, through the effect; then the draw batch's
    // buffer is bound again. Every call blows the wind a little further.
    void Draw();

    // Strictly inside any spike's rectangle; z is not looked at.
    bool HitsSpike(const Vector4& point) const;

    // The steps of the build.
    void AddGrassTufts(BoxSearch search = BoxSearch::ByCell);
    void AddGrassCaps(BoxSearch search = BoxSearch::ByCell);
    void MergeBlocks(BoxSearch search = BoxSearch::ByCell);
    void AppendVertex(const Vector4& position, const float colour[4], const Vector4& normal, const Vector4& texcoord);
    void AppendBlockQuad(const Vector4& center, const Vector4& half, float uvScale);
    void AppendCornerQuad(const Vector4& center, const Vector4& half, float uvScale);
    void AppendSpikeQuad(const Vector4& base, const Vector4& size, std::int32_t kind, float uvScale);
    void AppendTuftQuad(const Vector4& base, const Vector4& size, float uvScale);

private:
    void Build(BoxSearch search);

    struct Corner {
        float x, y, u, v;
    };
    // Six vertices: top-left, top-right, bottom-left, bottom-left, bottom-right, top-right.
    void AppendQuad(const Corner& tl, const Corner& tr, const Corner& bl, const Corner& br, float z);
};

// Block i is exposed when the centre of the cell above it lies strictly inside none of the
// blocks 0..n-1 other than i. Compares block i with every other block: the reference.
bool IsBlockExposedPairwise(const BoxList& blocks, std::int32_t i, std::int32_t n);

// The same test against blocks 0..n-1 as they stand when this is made (the list must not
// change below n while it is in use). When all of them are single map cells (any kind)
// it counts them per cell and answers each test with one look-up; otherwise, and always
// with BoxSearch::Pairwise, it asks IsBlockExposedPairwise.
class BlockExposure {
public:
    BlockExposure(const BoxList& blocks, std::int32_t n, BoxSearch search = BoxSearch::ByCell);

    bool IsBlockExposed(std::int32_t i) const;
    // Whether the per-cell counts are in use.
    bool ByCell() const { return byCell_; }

private:
    const BoxList& blocks_;
    std::int32_t n_;
    bool byCell_ = false;
    std::uint16_t occupants_[kMapSize][kMapSize] = {};
};

extern CWorld World;
