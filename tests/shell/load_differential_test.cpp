// LoadLevel through the recording device against the scan, build and merge done pairwise
// from the same pixels and the same random state.

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "build_comparison.h"
#include "creature/creature.h"
#include "map_recipes.h"
#include "map_text.h"
#include "math/random.h"
#include "platform/gfx/d3d9.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "support/loaded_level.h"
#include "support/temp_folder.h"
#include "world/merge.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

TEST(LoadDifferential, LoadedWorldMatchesThePairwiseBuild)
{
    TempFolder folder("tarnwick-load");
    ASSERT_TRUE(folder.Enter());
    const fs::path root = folder.Path();
    fs::create_directories(root / "data");
    fs::create_directories(root / "bin");
    FilesHook files;
    files.modulePath = (root / "bin/tarnwick").string();
    GfxRecorder recorder;
    Gpu.device = GfxCreateRecordingDevice(&recorder);
    ASSERT_NE(Gpu.device, nullptr);
    const std::uint32_t savedRand = GetRandState();

    const MapBits maps[] = {RandomMap(Recipe::Rectangles, 3), RandomMap(Recipe::Scatter, 2),
                            RandomMap(Recipe::Axes, 4)};
    auto reference = std::make_unique<CWorld>();
    BoxList collision(kCollisionBoxCapacity);
    std::uint32_t state = 977;
    for (const MapBits& bits : maps) {
        MapImage image;
        image.bgra = bits.bytes;
        std::string error;
        ASSERT_TRUE(WriteTga((root / "data/map1.tga").string(), image, error)) << error;
        SetRandState(state);
        // Random maps have no start or goal, which only the level tool's loads accept.
        ASSERT_EQ(LoadLevelFile((root / "data/map1.tga").string().c_str()), S_OK);
        const std::uint32_t loadedRand = GetRandState();

        reference->ClearContents();
        collision.Empty();
        reference->startPoint = World.startPoint;
        reference->goalPoint = World.goalPoint;
        ScanMap(bits.bytes.data(), kMapRowBytes, reference->blocks, reference->spikes, collision, reference->startPoint,
                reference->goalPoint);
        SetRandState(state);
        reference->BuildMeshPairwise();
        MergeRectanglesPairwise(collision, MergeRule::Collision);

        EXPECT_EQ(loadedRand, GetRandState());
        EXPECT_GT(World.blocks.count, 0);
        EXPECT_EQ(CompareBoxLists(World.blocks, reference->blocks, "blocks"), "");
        EXPECT_EQ(CompareBoxLists(World.spikes, reference->spikes, "spikes"), "");
        EXPECT_EQ(CompareBoxLists(Creature.bodySystem.boxes, collision, "collision"), "");
        ASSERT_EQ(World.vertexCount, reference->vertexCount);
        EXPECT_EQ(World.tuftEnd, reference->tuftEnd);
        EXPECT_EQ(World.blockEnd, reference->blockEnd);
        EXPECT_EQ(World.capEnd, reference->capEnd);
        EXPECT_EQ(World.goalEnd, reference->goalEnd);
        const std::size_t bytes = sizeof(Vertex) * static_cast<std::size_t>(World.vertexCount);
        EXPECT_EQ(std::memcmp(World.mesh, reference->mesh, bytes), 0);
        // And what reached the device.
        void* uploaded = nullptr;
        ASSERT_NE(World.vertexBuffer, nullptr);
        ASSERT_EQ(World.vertexBuffer->Lock(0, static_cast<UINT>(bytes), &uploaded, D3DLOCK_READONLY), S_OK);
        EXPECT_EQ(std::memcmp(uploaded, reference->mesh, bytes), 0);
        World.vertexBuffer->Unlock();
        state += 7;
    }

    SetRandState(savedRand);
    ForgetLoadedLevel();
    Gpu.device->Release();
    Gpu.device = nullptr;
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

}  // namespace
