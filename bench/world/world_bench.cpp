// The level build, grid search against the pairwise reference, side by side: the whole
// LoadLevel through the recording device, the collision merge, the block merge and one
// pass of exposure tests over every block. Maps: a sparse floor, a 6,912-cell
// checkerboard, a fully solid map and every shipped level map that exists.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "creature/creature.h"
#include "map_recipes.h"
#include "map_text.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "shell/media_search.h"
#include "support/temp_folder.h"
#include "world/merge.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

struct BenchMap {
    std::string name;
    fs::path source;  // a shipped map; empty for a generated one
    MapBits bits;     // as the loader scanned it
};

fs::path Root;
GfxRecorder* Recorder = nullptr;

// Every map is loaded as level 0 from the private data folder.
bool Install(const BenchMap& map)
{
    const fs::path target = Root / "data" / "map1.tga";
    std::error_code ec;
    if (!map.source.empty()) {
        return fs::copy_file(map.source, target, fs::copy_options::overwrite_existing, ec);
    }
    MapImage image;
    image.bgra = map.bits.bytes;
    std::string error;
    return WriteTga(target.string(), image, error);
}

// The bits the loader scans, read back from the map image it holds.
bool ReadBack(MapBits& bits)
{
    D3DLOCKED_RECT locked{};
    if (Gpu.mapTexture == nullptr || FAILED(Gpu.mapTexture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    for (int r = 0; r < kMapSize; ++r) {
        std::memcpy(&bits.bytes[static_cast<std::size_t>(r) * kMapRowBytes],
                    static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(r) * locked.Pitch,
                    kMapRowBytes);
    }
    Gpu.mapTexture->UnlockRect(0);
    return true;
}

// LoadLevel's steps for a map that loads cleanly, with the pairwise build and merge.
void LoadLevelPairwise()
{
    char path[kMaxPath];
    FindMediaFile(path, kMaxPath, LevelMapName(0));
    IDirect3DTexture9* image = nullptr;
    D3DXCreateTextureFromFileW(Gpu.device, path, &image);
    D3DLOCKED_RECT locked{};
    image->LockRect(0, &locked, nullptr, D3DLOCK_READONLY | D3DLOCK_DONOTWAIT);
    World.Reset();
    BoxList& collision = Creature.bodySystem.boxes;
    collision.Empty();
    ScanMap(static_cast<const std::uint8_t*>(locked.pBits), locked.Pitch, World.blocks, World.spikes, collision,
            World.startPoint, World.goalPoint);
    image->UnlockRect(0);
    World.BuildMeshPairwise();
    World.UploadMesh();
    MergeRectanglesPairwise(collision, MergeRule::Collision);
    if (Gpu.mapTexture != nullptr) {
        Gpu.mapTexture->Release();
    }
    Gpu.mapTexture = image;
}

struct Lists {
    BoxList blocks{kWorldBoxCapacity};
    BoxList spikes{kWorldBoxCapacity};
    BoxList collision{kCollisionBoxCapacity};
    BoxList work{kWorldBoxCapacity};
    Vector4 start{0, 0, 0, 1};
    Vector4 goal{0, 0, 0, 1};

    explicit Lists(const MapBits& bits)
    {
        ScanMap(bits.bytes.data(), kMapRowBytes, blocks, spikes, collision, start, goal);
    }

    void Copy(const BoxList& from)
    {
        work.count = from.count;
        std::memcpy(work.entries, from.entries, sizeof(Box) * static_cast<std::size_t>(from.count));
    }
};

void Load(benchmark::State& state, const BenchMap* map, BoxSearch search)
{
    if (!Install(*map)) {
        state.SkipWithError("cannot write the map");
        return;
    }
    for (auto _ : state) {
        if (search == BoxSearch::ByCell) {
            benchmark::DoNotOptimize(LoadLevel(0));
        } else {
            LoadLevelPairwise();
        }
        Recorder->ClearCalls();
    }
    state.counters["blocks"] = static_cast<double>(World.blocks.count);
    state.counters["vertices"] = static_cast<double>(World.vertexCount);
}

void Merge(benchmark::State& state, const BenchMap* map, BoxSearch search, MergeRule rule)
{
    Lists lists(map->bits);
    BoxList* source = &lists.collision;
    // The block merge runs on the blocks with their caps appended.
    auto world = std::make_unique<CWorld>();
    if (rule == MergeRule::Blocks) {
        world->blocks.count = lists.blocks.count;
        std::memcpy(world->blocks.entries, lists.blocks.entries,
                    sizeof(Box) * static_cast<std::size_t>(lists.blocks.count));
        world->AddGrassCaps();
        source = &world->blocks;
    }
    for (auto _ : state) {
        state.PauseTiming();
        lists.Copy(*source);
        state.ResumeTiming();
        if (search == BoxSearch::ByCell) {
            benchmark::DoNotOptimize(MergeRectangles(lists.work, rule));
        } else {
            MergeRectanglesPairwise(lists.work, rule);
        }
    }
    state.counters["boxes"] = static_cast<double>(source->count);
}

void Exposure(benchmark::State& state, const BenchMap* map, BoxSearch search)
{
    Lists lists(map->bits);
    const BoxList& blocks = lists.blocks;
    std::int32_t exposed = 0;
    for (auto _ : state) {
        const BlockExposure exposure(blocks, blocks.count, search);
        exposed = 0;
        for (std::int32_t i = 0; i < blocks.count; ++i) {
            exposed += exposure.IsBlockExposed(i) ? 1 : 0;
        }
        benchmark::DoNotOptimize(exposed);
    }
    state.counters["exposed"] = static_cast<double>(exposed);
}

const char* SearchName(BoxSearch search) { return search == BoxSearch::ByCell ? "grid" : "pairwise"; }

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);

    TempFolder folder("tarnwick-bench");
    if (!folder.Enter()) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 1;
    }
    Root = folder.Path();
    fs::create_directories(Root / "data");
    fs::create_directories(Root / "bin");
    FilesHook files;
    files.modulePath = (Root / "bin/tarnwick").string();
    GfxRecorder recorder;
    Recorder = &recorder;
    Gpu.device = GfxCreateRecordingDevice(&recorder);

    std::vector<BenchMap> maps;
    maps.push_back({"sparse_floor", {}, SparseFloorMap()});
    maps.push_back({"checkerboard", {}, CheckerboardMap()});
    maps.push_back({"solid", {}, SolidMap()});
    for (int k = 1; k <= 8; ++k) {
        const fs::path shipped = fs::path(TARNWICK_SOURCE_DIR) / "data" / ("map" + std::to_string(k) + ".tga");
        if (fs::exists(shipped)) {
            maps.push_back({"map" + std::to_string(k), shipped, MapBits{}});
        } else {
            std::fprintf(stderr, "%s is absent: skipped\n", shipped.c_str());
        }
    }
    // Every map as the loader sees it: installed, loaded, and its scanned bits read back.
    for (BenchMap& map : maps) {
        if (!Install(map) || FAILED(LoadLevel(0)) || !ReadBack(map.bits)) {
            std::fprintf(stderr, "%s does not load\n", map.name.c_str());
            return 1;
        }
    }

    for (const BenchMap& map : maps) {
        for (BoxSearch search : {BoxSearch::ByCell, BoxSearch::Pairwise}) {
            const std::string tail = "/" + map.name + "/" + SearchName(search);
            const BenchMap* m = &map;
            benchmark::RegisterBenchmark(("LoadLevel" + tail).c_str(), Load, m, search)->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("CollisionMerge" + tail).c_str(), Merge, m, search, MergeRule::Collision)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("BlockMerge" + tail).c_str(), Merge, m, search, MergeRule::Blocks)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Exposure" + tail).c_str(), Exposure, m, search)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    World.ReleaseBuffer();
    Gpu.Reset();
    return 0;
}
