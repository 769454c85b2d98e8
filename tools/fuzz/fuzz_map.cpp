// The level loader on a map file: header check, decode, texture, lock, scan, mesh and both
// merges on the recording device. A refused map must leave the last loaded level exactly as
// it was. Maps with many filled cells are skipped: the merges are quadratic, and one input
// must stay fast.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "fuzz_input.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

constexpr int kMaxFilledCells = 300;
// Pictures of another size are refused from the header, but keep one input fast whatever
// the loader does.
constexpr std::uint64_t kMaxPixels = 512 * 512;

GfxRecorder recorder;
std::string folder;

// A small valid level the loader falls back to: a floor with a start and a goal.
std::vector<std::uint8_t> BaselineMap()
{
    std::vector<std::uint8_t> tga(18 + kMapSize * kMapSize * 3, 0);
    tga[2] = 2;
    tga[12] = kMapSize;
    tga[14] = kMapSize;
    tga[16] = 24;
    tga[17] = 0x20;  // top row first
    auto pixel = [&](int column, int row, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* p = &tga[18 + (static_cast<std::size_t>(row) * kMapSize + column) * 3];
        p[0] = b;
        p[1] = g;
        p[2] = r;
    };
    for (int column = 10; column < 60; ++column) {
        pixel(column, 70, 255, 255, 255);
    }
    pixel(12, 69, 255, 0, 0);  // start
    pixel(50, 69, 0, 0, 255);  // goal
    return tga;
}

struct Snapshot {
    std::int32_t blocks = 0;
    std::int32_t spikes = 0;
    std::int32_t collision = 0;
    std::int32_t vertices = 0;
    float start[2] = {};
    float goal[2] = {};

    static Snapshot Take()
    {
        Snapshot s;
        s.blocks = World.blocks.count;
        s.spikes = World.spikes.count;
        s.collision = Creature.bodySystem.boxes.count;
        s.vertices = World.vertexCount;
        s.start[0] = World.startPoint.x;
        s.start[1] = World.startPoint.y;
        s.goal[0] = World.goalPoint.x;
        s.goal[1] = World.goalPoint.y;
        return s;
    }
    bool operator==(const Snapshot& o) const
    {
        return blocks == o.blocks && spikes == o.spikes && collision == o.collision && vertices == o.vertices &&
               std::memcmp(start, o.start, sizeof start) == 0 && std::memcmp(goal, o.goal, sizeof goal) == 0;
    }
};

// What a refused map must leave in place: the last level that loaded.
Snapshot lastLoaded;

// Level index 0 reads data/map1.tga, index 1 data/map3.tga.
void LoadBaseline() { FuzzCheck(LoadLevel(1) == S_OK); }

// Decodes the map already written to `path` the way the loader will, to count its cells.
bool TooManyCells(const std::string& path)
{
    D3DXIMAGE_INFO info{};
    if (FAILED(D3DXGetImageInfoFromFileW(path.c_str(), &info))) {
        return false;
    }
    if (std::uint64_t{info.Width} * info.Height > kMaxPixels) {
        return true;
    }
    if (info.Width != kMapSize || info.Height != kMapSize) {
        return false;
    }
    IDirect3DTexture9* image = nullptr;
    if (FAILED(D3DXCreateTextureFromFileW(Gpu.device, path.c_str(), &image))) {
        return false;
    }
    D3DLOCKED_RECT locked{};
    FuzzCheck(image->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == S_OK);
    int filled = 0;
    for (int row = 0; row < kMapSize; ++row) {
        const auto* p = static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(row) * locked.Pitch;
        for (int column = 0; column < kMapSize; ++column, p += 4) {
            filled += ClassifyPixel(p[2], p[1], p[0]) != PixelClass::Empty ? 1 : 0;
        }
    }
    image->UnlockRect(0);
    image->Release();
    return filled > kMaxFilledCells;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20)) {
        return 0;
    }
    if (folder.empty()) {
        folder = FuzzFolder();
        FuzzCheck(std::system(("mkdir -p '" + folder + "/data'").c_str()) == 0);
        static FilesHook files;  // the map is looked for beside this made-up program
        files.modulePath = folder + "/tarnwick";
        Gpu.device = GfxCreateRecordingDevice(&recorder);
        FuzzCheck(Gpu.device != nullptr);
        const std::vector<std::uint8_t> map = BaselineMap();
        FuzzWriteFile(folder + "/data/map3.tga", map.data(), map.size());
        LoadBaseline();
        lastLoaded = Snapshot::Take();
    }
    const std::string map = folder + "/data/map1.tga";
    FuzzWriteFile(map, data, size);
    if (TooManyCells(map)) {
        return 0;
    }
    recorder.ClearCalls();
    if (FAILED(LoadLevel(0))) {
        FuzzCheck(Snapshot::Take() == lastLoaded);
        return 0;
    }
    lastLoaded = Snapshot::Take();
    return 0;
}
