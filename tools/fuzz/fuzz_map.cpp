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
#include "platform/gfx/internal/tga.h"
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
    tga[17] = 0x20; // top row first
    auto pixel = [&](int column, int row, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* p = &tga[18 + (static_cast<std::size_t>(row) * kMapSize + column) * 3];
        p[0] = b;
        p[1] = g;
        p[2] = r;
    };
    for (int column = 10; column < 60; ++column) {
        pixel(column, 70, 255, 255, 255);
    }
    pixel(12, 69, 255, 0, 0); // start
    pixel(50, 69, 0, 0, 255); // goal
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
        return blocks == o.blocks && spikes == o.spikes && collision == o.collision && vertices == o.vertices
            && std::memcmp(start, o.start, sizeof start) == 0 && std::memcmp(goal, o.goal, sizeof goal) == 0;
    }
};

// What a refused map must leave in place: the last level that loaded.
Snapshot lastLoaded;

// Level index 0 reads data/map1.tga, index 1 data/map3.tga.
void LoadBaseline()
{
    FuzzCheck(LoadLevel(1) == S_OK);
}

// Counts the filled cells of a map-sized picture with the game's own decoder; pictures of
// another size are refused from the header without decoding.
bool TooManyCells(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string why;
    if (!GfxCheckTga(data, size, &width, &height, &why)) {
        return false;
    }
    if (std::uint64_t{width} * height > kMaxPixels) {
        return true;
    }
    if (width != kMapSize || height != kMapSize) {
        return false;
    }
    static std::vector<std::uint8_t> bgra(std::size_t{kMapSize} * kMapSize * 4);
    if (!GfxDecodeTgaInto(data, size, width, height, bgra.data(), &why)) {
        return false;
    }
    int filled = 0;
    for (std::size_t cell = 0; cell < std::size_t{kMapSize} * kMapSize; ++cell) {
        const std::uint8_t* p = &bgra[cell * 4];
        filled += ClassifyPixel(p[2], p[1], p[0]) != PixelClass::Empty ? 1 : 0;
    }
    return filled > kMaxFilledCells;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20)) {
        return 0;
    }
    if (folder.empty()) {
        folder = FuzzFolder();
        FuzzCheck(std::system(("mkdir -p '" + folder + "/data'").c_str()) == 0);
        SetModuleFileNameForTests((folder + "/tarnwick").c_str());
        Gpu.device = GfxCreateRecordingDevice(&recorder);
        FuzzCheck(Gpu.device != nullptr);
        const std::vector<std::uint8_t> map = BaselineMap();
        FuzzWriteFile(folder + "/data/map3.tga", map.data(), map.size());
        LoadBaseline();
        lastLoaded = Snapshot::Take();
    }
    if (TooManyCells(data, size)) {
        return 0;
    }
    FuzzWriteFile(folder + "/data/map1.tga", data, size);
    recorder.ClearCalls();
    if (FAILED(LoadLevel(0))) {
        FuzzCheck(Snapshot::Take() == lastLoaded);
        return 0;
    }
    lastLoaded = Snapshot::Take();
    return 0;
}
