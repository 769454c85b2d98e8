#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "creature/creature.h"
#include "map_text.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "support/loaded_level.h"
#include "support/temp_folder.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

// Loads levels through the recording device from maps written into a private folder that
// is also the working folder.
class LevelLoad : public ::testing::Test {
protected:
    GfxRecorder recorder;
    FilesHook files;
    TempFolder folder{"tarnwick-level"};
    fs::path root;

    void SetUp() override
    {
        ASSERT_TRUE(folder.Enter());
        root = folder.Path();
        fs::create_directories(root / "data");
        fs::create_directories(root / "bin");
        files.modulePath = (root / "bin/tarnwick").string();

        Gpu.device = GfxCreateRecordingDevice(&recorder);
        ASSERT_NE(Gpu.device, nullptr);
        ForgetLoadedLevel();
    }

    void TearDown() override
    {
        ForgetLoadedLevel();
        if (Gpu.device != nullptr) {
            Gpu.device->Release();
            Gpu.device = nullptr;
        }
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }

    void WriteMap(const char* file, const std::string& picture)
    {
        MapImage map;
        std::string error;
        ASSERT_TRUE(TextToMap(picture, map, error)) << error;
        ASSERT_TRUE(WriteTga((root / file).string(), map, error)) << error;
    }

    void WriteBytes(const char* file, const std::string& bytes)
    {
        std::ofstream(root / file, std::ios::binary) << bytes;
    }

    // The uploaded mesh, read back from the world's vertex buffer.
    bool BufferMatchesMesh()
    {
        if (World.vertexBuffer == nullptr) {
            return false;
        }
        void* data = nullptr;
        const UINT bytes = static_cast<UINT>(World.vertexCount) * kVertexStride;
        if (FAILED(World.vertexBuffer->Lock(0, bytes, &data, D3DLOCK_READONLY))) {
            return false;
        }
        const bool same = std::memcmp(data, World.mesh, bytes) == 0;
        World.vertexBuffer->Unlock();
        return same;
    }

    static int Live(const BoxList& list, int kind)
    {
        int n = 0;
        for (int i = 0; i < list.count; ++i) {
            n += list[i].kind == kind ? 1 : 0;
        }
        return n;
    }
};

// Every pixel class: start, goal (blue), scenery over a solid row, spikes both ways.
const char* const kEveryClass =
    "................\n"
    "..S....+....G...\n"
    "..^....+....v...\n"
    "################\n";

TEST_F(LevelLoad, EveryPixelClassEndToEnd)
{
    WriteMap("data/map1.tga", kEveryClass);
    ASSERT_EQ(LoadLevel(0), S_OK);

    EXPECT_EQ(World.startPoint.x, CellCentre(2, 1).x);
    EXPECT_EQ(World.startPoint.y, CellCentre(2, 1).y);
    EXPECT_EQ(World.goalPoint.x, CellCentre(12, 1).x);
    EXPECT_EQ(World.goalPoint.y, CellCentre(12, 1).y);
    ASSERT_EQ(World.spikes.count, 2);
    EXPECT_EQ(World.spikes[0].kind, 0);
    EXPECT_EQ(World.spikes[1].kind, 1);

    // 16 solid cells make one collision box held by the rightmost entry.
    const BoxList& collision = Creature.bodySystem.boxes;
    ASSERT_EQ(collision.count, 16);
    EXPECT_EQ(Live(collision, 0), 1);
    EXPECT_EQ(collision[15].kind, 0);
    EXPECT_EQ(collision[15].min.x, -30.0f);
    EXPECT_EQ(collision[15].max.x, CellCentre(15, 3).x + kHalfCell);

    // 18 blocks (16 solid, 2 scenery); exposed: 15 ground cells and the top scenery cell.
    EXPECT_EQ(World.blocks.count, 18 + 16);
    EXPECT_EQ(Live(World.blocks, kBoxGrassCap), 16);
    EXPECT_EQ(World.tuftEnd, 16 * 6);
    EXPECT_EQ(World.blockEnd - World.tuftEnd, 2 * 6);  // the ground row and the scenery stack
    EXPECT_EQ(World.capEnd - World.blockEnd, 16 * 6);
    EXPECT_EQ(World.goalEnd - World.capEnd, 6);
    EXPECT_EQ(World.spikeEnd - World.goalEnd, 12);
    EXPECT_EQ(World.vertexCount, World.spikeEnd);

    // The device side: the standard buffer, the map locked read-only, the mesh uploaded.
    const auto creates = recorder.Find("CreateVertexBuffer");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0]->Int(0), 4718592);
    EXPECT_EQ(creates[0]->Int(1), 0);
    EXPECT_EQ(creates[0]->Int(2), 0x42);
    EXPECT_EQ(creates[0]->Int(3), D3DPOOL_DEFAULT);
    const auto locks = recorder.Find("IDirect3DTexture9::LockRect");
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0]->Int(0), 0);
    EXPECT_EQ(locks[0]->args.back().i, static_cast<std::int64_t>(D3DLOCK_READONLY | D3DLOCK_DONOTWAIT));
    EXPECT_EQ(recorder.Count("IDirect3DTexture9::UnlockRect"), 1u);
    EXPECT_NE(Gpu.mapTexture, nullptr);
    EXPECT_TRUE(BufferMatchesMesh());
}

TEST_F(LevelLoad, StartLevelPlacesTheCreatureOnTheStart)
{
    WriteMap("data/map3.tga", "G\n\n.....S\n######\n");
    Creature.Reset();
    Creature.Place(Vector4{0, 0, 0, 1});
    const Vector4 atOrigin = Creature.body->position;
    Creature.Reset();
    ASSERT_EQ(StartLevel(1), S_OK);
    EXPECT_NEAR(Creature.body->position.x - atOrigin.x, CellCentre(5, 2).x, 1e-4);
    EXPECT_NEAR(Creature.body->position.y - atOrigin.y, CellCentre(5, 2).y, 1e-4);
    EXPECT_EQ(Creature.bodySystem.boxes.count, 6);
    Creature.Reset();
}

TEST_F(LevelLoad, IndicesOutsideTheTableLoadMapFive)
{
    WriteMap("data/map5.tga", "GS\n");
    for (int index : {7, 8, -1}) {
        World.goalPoint = Vector4{9, 9, 0, 1};
        EXPECT_EQ(LoadLevel(index), S_OK) << index;
        EXPECT_EQ(World.goalPoint.x, CellCentre(0, 0).x) << index;
    }
    ::testing::internal::CaptureStderr();
    EXPECT_NE(LoadLevel(6), S_OK);
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("data/map8.tga"), std::string::npos) << message;
}

TEST_F(LevelLoad, BadMapsKeepThePreviousLevelWhole)
{
    WriteMap("data/map1.tga", kEveryClass);
    ASSERT_EQ(LoadLevel(0), S_OK);
    const int blocks = World.blocks.count;
    const int vertices = World.vertexCount;
    const Vector4 start = World.startPoint;
    IDirect3DTexture9* image = Gpu.mapTexture;

    WriteBytes("data/map3.tga", "this is not a picture");
    {
        MapImage small;
        std::string error;
        ASSERT_TRUE(TextToMap("#", small, error));
        std::vector<std::uint8_t> bytes = EncodeTga(small);
        bytes[12] = 64;  // header claims 64 x 64: the pixels that follow are enough for it
        bytes[14] = 64;
        bytes.resize(18 + 64 * 64 * 4);
        std::ofstream(root / "data/map4.tga", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    struct Case {
        int level;
        const char* named;
    };
    for (const Case& bad : {Case{1, "map3.tga"}, Case{2, "map4.tga"}, Case{3, "data/map2.tga"}}) {
        // Between levels the creature's reset empties its collision list.
        Creature.bodySystem.boxes.Empty();
        ::testing::internal::CaptureStderr();
        const HRESULT hr = LoadLevel(bad.level);
        const std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(FAILED(hr)) << bad.level;
        EXPECT_NE(message.find(bad.named), std::string::npos) << message;
        // One line of ours (the graphics layer may add its own about the decode).
        const std::size_t ours = message.find("Level map");
        ASSERT_NE(ours, std::string::npos) << message;
        EXPECT_EQ(message.find("Level map", ours + 1), std::string::npos) << message;
        EXPECT_NE(message.find('\n', ours), std::string::npos);
        EXPECT_EQ(World.blocks.count, blocks);
        EXPECT_EQ(World.vertexCount, vertices);
        EXPECT_EQ(World.startPoint.x, start.x);
        EXPECT_EQ(Gpu.mapTexture, image);
        EXPECT_EQ(Creature.bodySystem.boxes.count, 16);
        EXPECT_TRUE(BufferMatchesMesh());
    }
    ::testing::internal::CaptureStderr();
    LoadLevel(2);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("64 x 64"), std::string::npos);
}

// The level tool reads maps through the loader: the same bad file, the same one line.
TEST_F(LevelLoad, TheLevelToolRefusesExactlyAsTheLoaderDoes)
{
    const std::string bad[] = {std::string(18, '\0'), std::string("\0\0\x03\0\0\0\0\0\0\0\0\0\x80\0\x80\0\x08\0", 18),
                               "not a picture at all"};
    for (const std::string& bytes : bad) {
        WriteBytes("data/map1.tga", bytes);
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(FAILED(LoadLevel(0)));
        const std::string loader = ::testing::internal::GetCapturedStderr();
        MapImage map;
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(ReadMapImage("data/map1.tga", map));
        const std::string tool = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(tool, loader);
        EXPECT_NE(loader.find("data/map1.tga"), std::string::npos) << loader;
    }
    fs::create_directories(root / "data/map3.tga");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(LoadLevel(1)));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("is a folder, not a file"), std::string::npos);
}

TEST_F(LevelLoad, FirstLoadFailingLeavesAnEmptyWorld)
{
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(FAILED(LoadLevel(0)));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(Gpu.mapTexture, nullptr);
    EXPECT_EQ(World.blocks.count, 0);
    EXPECT_EQ(World.vertexCount, 0);
    EXPECT_EQ(World.vertexBuffer, nullptr);
}

TEST_F(LevelLoad, BusyLockIsAskedAgainOtherRefusalsFail)
{
    WriteMap("data/map1.tga", "S..G\n####\n");
    recorder.FailCall("IDirect3DTexture9::LockRect", D3DERR_WASSTILLDRAWING, 3);
    ASSERT_EQ(LoadLevel(0), S_OK);
    EXPECT_EQ(recorder.Count("IDirect3DTexture9::LockRect"), 4u);
    EXPECT_EQ(World.blocks.count, 4 + 4);

    recorder.ClearFailures();
    WriteMap("data/map3.tga", "#\n");
    recorder.FailCall("IDirect3DTexture9::LockRect", D3DERR_INVALIDCALL, 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadLevel(1), D3DERR_INVALIDCALL);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("map3.tga"), std::string::npos);
    EXPECT_EQ(World.blocks.count, 4 + 4);  // the previous level, rebuilt
    EXPECT_EQ(Creature.bodySystem.boxes.count, 4);
}

TEST_F(LevelLoad, DenseMapGetsABufferSizedFromItsCounts)
{
    std::string picture;
    for (int r = 0; r < kMapSize; ++r) {
        for (int c = 0; c < kMapSize; ++c) {
            picture += r == kMapSize - 1 && c < 2 ? "SG"[c] : (r < 43 && (c + r) % 2 == 0) ? '#' : '^';
        }
        picture += '\n';
    }
    WriteMap("data/map1.tga", picture);
    ASSERT_EQ(LoadLevel(0), S_OK);
    ASSERT_GT(World.vertexCount, kWorldBufferVertices);
    const auto creates = recorder.Find("CreateVertexBuffer");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_EQ(creates[1]->Int(0), static_cast<std::int64_t>(World.vertexCount) * 36);
    EXPECT_EQ(World.vertexBufferBytes, static_cast<std::uint32_t>(World.vertexCount) * 36u);
    EXPECT_TRUE(BufferMatchesMesh());
}

TEST_F(LevelLoad, VertexBufferFailureIsReportedAndListsStayWhole)
{
    WriteMap("data/map1.tga", "S..G\n####\n");
    recorder.FailCall("CreateVertexBuffer", E_OUTOFMEMORY);
    EXPECT_EQ(LoadLevel(0), E_OUTOFMEMORY);
    EXPECT_EQ(World.vertexBuffer, nullptr);
    EXPECT_EQ(World.blocks.count, 8);
    EXPECT_EQ(Creature.bodySystem.boxes.count, 4);
    EXPECT_NE(Gpu.mapTexture, nullptr);

    recorder.ClearFailures();
    EXPECT_EQ(LoadLevel(0), S_OK);
    EXPECT_TRUE(BufferMatchesMesh());
}

TEST_F(LevelLoad, ReloadingReleasesTheOldBufferAndImage)
{
    WriteMap("data/map1.tga", "S..G\n####\n");
    ASSERT_EQ(LoadLevel(0), S_OK);
    const int live = recorder.LiveObjects();
    ASSERT_EQ(LoadLevel(0), S_OK);
    ASSERT_EQ(LoadLevel(0), S_OK);
    EXPECT_EQ(recorder.LiveObjects(), live);

    // A level without a goal could never be left: refused in one line, the previous level
    // stays, and its image is still the one held.
    WriteMap("data/map3.tga", "S\n#\n");
    const Vector4 goal = World.goalPoint;
    IDirect3DTexture9* held = Gpu.mapTexture;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(LoadLevel(1), D3DXERR_INVALIDDATA);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Level map \"data/map3.tga\": has no goal (0x88760B59)\n");
    EXPECT_TRUE(LevelMapRefused());
    EXPECT_EQ(World.goalPoint.x, goal.x);
    EXPECT_EQ(World.goalPoint.y, goal.y);
    EXPECT_EQ(Gpu.mapTexture, held);
    EXPECT_EQ(recorder.LiveObjects(), live);

    World.ReleaseBuffer();
    World.ReleaseBuffer();
    EXPECT_EQ(World.vertexBuffer, nullptr);
}

}  // namespace
