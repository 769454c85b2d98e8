// Every malformed asset (picture, level map, music, effect file) goes through the path the game loads it by and must
// give one line on stderr naming the file and saying what is wrong, with no crash, no allocation beyond what a valid
// file of its kind needs, and whatever was loaded before left as it was.

#include <sys/stat.h>
#include <unistd.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../sound/wave_bytes.h"
#include "creature/creature.h"
#include "platform/gfx/d3dx9.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/prefetch.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "support/temp_folder.h"
#include "support/loaded_level.h"
#include "sound/music.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace fs = std::filesystem;
using wavetest::Bytes;

namespace {

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A TGA header; the pixels follow.
Bytes Tga(std::uint8_t type, std::uint16_t width, std::uint16_t height, std::uint8_t bits, std::uint8_t mapType = 0,
          std::uint16_t mapLength = 0, std::uint8_t mapBits = 0)
{
    Bytes b = {0, mapType, type, 0, 0};
    wavetest::Put16(b, mapLength);
    b.push_back(mapBits);
    wavetest::Put32(b, 0);
    wavetest::Put16(b, width);
    wavetest::Put16(b, height);
    b.push_back(bits);
    b.push_back(0x20);  // top row first
    return b;
}

Bytes WithPixels(Bytes header, std::size_t bytes, std::uint8_t value = 0)
{
    header.insert(header.end(), bytes, value);
    return header;
}

// A 128 x 128 map cut short after `rows` rows.
Bytes MapRows(int rows) { return WithPixels(Tga(2, 128, 128, 24), static_cast<std::size_t>(rows) * 128 * 3); }

// 4096 x 4096 grey in RLE packets of 128 equal pixels: 256 KB on disc, 16 M pixels decoded.
Bytes HugeRleMap()
{
    Bytes b = Tga(11, 4096, 4096, 8);
    for (int i = 0; i < 4096 * 4096 / 128; ++i) {
        b.push_back(0xFF);
        b.push_back(0x80);
    }
    return b;
}

Bytes Png()
{
    return Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                 'I',  'H', 'D', 'R', 0,    0,    0,    128,  0, 0, 0, 128};
}

Bytes Wave(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, bool cbSize = false)
{
    Bytes fmt = wavetest::FmtBody(tag, channels, rate, bits);
    if (cbSize) {
        wavetest::Put16(fmt, 0);
    }
    return wavetest::Riff({wavetest::Chunk("fmt ", fmt), wavetest::Chunk("data", Bytes(64, 1))});
}

Bytes Text(const char* text) { return Bytes(text, text + std::strlen(text)); }

// PrefetchedPicture: the start-up worker reads it first, then the texture call.
enum class Kind { Picture, PrefetchedPicture, Map, Music, Effect };

struct BadAsset {
    const char* name;
    Kind kind;
    std::function<Bytes()> bytes;  // null: see below
    const char* reason;
};

// Stand-ins for `bytes`: a folder where the file should be, or nothing there at all.
Bytes Folder() { return {}; }
Bytes Missing() { return {}; }
// Files that are no files: each must be refused at once, never waited on.
Bytes Fifo() { return {}; }
Bytes Socket() { return {}; }
Bytes LinkToDevZero() { return {}; }
Bytes LinkLoop() { return {}; }
// A regular file when the search finds it, a FIFO when it is opened.
Bytes SwappedForFifo() { return {}; }

#define SPECIAL_FILES(label, kind)                                                                                  \
    {label " FIFO", kind, Fifo, "is not a regular file"}, {label " socket", kind, Socket, "is not a regular file"}, \
        {label " link to /dev/zero", kind, LinkToDevZero, "is not a regular file"},                                 \
        {label " link loop", kind, LinkLoop, "is not a regular file (a loop of symbolic links)"},                   \
    {                                                                                                               \
        label " swapped for a FIFO", kind, SwappedForFifo, "is not a regular file"                                  \
    }

const BadAsset kBadAssets[] = {
    // Pictures, as textures.
    {"empty picture", Kind::Picture, [] { return Bytes{}; }, "shorter than a TGA header"},
    {"header only", Kind::Picture, [] { return Tga(2, 2, 2, 24); }, "ends before the last pixel"},
    {"cut short", Kind::Picture, [] { return WithPixels(Tga(2, 4, 4, 32), 40); }, "ends before the last pixel"},
    {"23170 x 23170 grey", Kind::Picture, [] { return Tga(3, 23170, 23170, 8); }, "picture size outside 1..4096"},
    {"zero width", Kind::Picture, [] { return WithPixels(Tga(2, 0, 4, 24), 48); }, "picture size outside"},
    {"RLE run past the end", Kind::Picture,
     [] {
         return Bytes(Tga(10, 8, 8, 24)) + Bytes{0x7F, 1, 2, 3};
     },
     "the file ends before the last pixel"},
    {"16-bit palette indices", Kind::Picture, [] { return WithPixels(Tga(1, 2, 2, 16, 1, 2, 24), 6 + 8); },
     "unsupported bits per pixel"},
    {"palette type without a palette", Kind::Picture, [] { return WithPixels(Tga(1, 2, 2, 8), 4); },
     "colour map does not match"},
    {"empty palette", Kind::Picture, [] { return WithPixels(Tga(1, 2, 2, 8, 1, 0, 24), 4); },
     "unsupported bits per pixel"},
    {"palette on a true-colour picture", Kind::Picture, [] { return WithPixels(Tga(2, 2, 2, 24, 1, 2, 24), 18); },
     "colour map does not match"},
    {"12 bits per pixel", Kind::Picture, [] { return WithPixels(Tga(2, 2, 2, 12), 8); }, "unsupported bits per pixel"},
    {"unknown picture type", Kind::Picture, [] { return WithPixels(Tga(32, 2, 2, 24), 12); },
     "not a TGA picture type we read"},
    {"PNG renamed", Kind::Picture, Png, "not a TGA picture type we read"},
    {"picture folder", Kind::Picture, Folder, "is a folder, not a file"},
    {"missing picture", Kind::Picture, Missing, "cannot be opened"},
    SPECIAL_FILES("picture", Kind::Picture),
    SPECIAL_FILES("prefetched picture", Kind::PrefetchedPicture),
    {"prefetched picture folder", Kind::PrefetchedPicture, Folder, "is a folder, not a file"},
    // Level maps, through the level loader.
    {"map folder", Kind::Map, Folder, "is a folder, not a file"},
    {"empty map", Kind::Map, [] { return Bytes{}; }, "shorter than a TGA header"},
    {"map header only", Kind::Map, [] { return MapRows(0); }, "ends before the last pixel"},
    {"map cut short", Kind::Map, [] { return MapRows(127); }, "ends before the last pixel"},
    {"map claiming 23170 x 23170", Kind::Map, [] { return Tga(3, 23170, 23170, 8); }, "picture size outside"},
    {"map of 4096 x 4096 in RLE", Kind::Map, HugeRleMap, "is 4096 x 4096 pixels, not 128 x 128"},
    {"map of 64 x 64", Kind::Map, [] { return WithPixels(Tga(2, 64, 64, 24), 64 * 64 * 3); }, "is 64 x 64 pixels"},
    {"map RLE cut short", Kind::Map,
     [] {
         return Bytes(Tga(10, 128, 128, 24)) + Bytes{0xFF, 1, 1, 1};
     },
     "RLE data ends"},
    {"map with 16-bit palette indices", Kind::Map, [] { return WithPixels(Tga(1, 128, 128, 16, 1, 2, 24), 6 + 32768); },
     "unsupported bits per pixel"},
    {"map PNG renamed", Kind::Map, Png, "not a TGA picture type"},
    {"map missing", Kind::Map, Missing, "not found"},
    SPECIAL_FILES("map", Kind::Map),
    // The music, through StartMusic.
    {"empty wave", Kind::Music, [] { return Bytes{}; }, "not a wave file we can read"},
    {"fmt size 0", Kind::Music,
     [] {
         return wavetest::Riff({wavetest::Chunk("fmt ", Bytes{}), wavetest::Chunk("data", Bytes(8, 1))});
     },
     "not a wave file we can read"},
    {"data size 0xFFFFFFFF", Kind::Music,
     [] {
         return wavetest::Riff({wavetest::Chunk("fmt ", wavetest::FmtBody(1, 1, 22050, 16)),
                                wavetest::Chunk("data", Bytes(8, 1), 0xFFFFFFFF)});
     },
     "not a wave file we can read"},
    {"chunk size wrapping past the end", Kind::Music,
     [] {
         return wavetest::Riff({wavetest::Chunk("LIST", Bytes(4, 0), 0xFFFFFFF8),
                                wavetest::Chunk("fmt ", wavetest::FmtBody(1, 1, 22050, 16)),
                                wavetest::Chunk("data", Bytes(8, 1))});
     },
     "not a wave file we can read"},
    {"odd chunk without its pad byte", Kind::Music,
     [] {
         return wavetest::Riff({wavetest::Chunk("LIST", Bytes(3, 0), -1, false),
                                wavetest::Chunk("fmt ", wavetest::FmtBody(1, 1, 22050, 16)),
                                wavetest::Chunk("data", Bytes(8, 1))});
     },
     "not a wave file we can read"},
    {"RIFF longer than the file", Kind::Music,
     [] {
         return wavetest::Riff(
             {wavetest::Chunk("fmt ", wavetest::FmtBody(1, 1, 22050, 16)), wavetest::Chunk("data", Bytes(8, 1))},
             100000);
     },
     "not a wave file we can read"},
    {"32-bit float wave", Kind::Music, [] { return Wave(kWaveFormatIeeeFloat, 2, 44100, 32, true); },
     "32-bit float samples are not supported"},
    {"10-channel wave", Kind::Music, [] { return Wave(1, 10, 22050, 16); }, "10 channels are not supported"},
    {"rate 0 wave", Kind::Music, [] { return Wave(1, 1, 0, 16); }, "a sample rate of 0 Hz"},
    {"wave folder", Kind::Music, Folder, "is a folder"},
    SPECIAL_FILES("wave", Kind::Music),
    // The effect file.
    {"effect folder", Kind::Effect, Folder, "is a folder, not a file"},
    {"effect missing", Kind::Effect, Missing, "cannot be opened"},
    SPECIAL_FILES("effect", Kind::Effect),
    {"effect shader never ended", Kind::Effect, [] { return Text("vertex V\nvoid main() {}\n"); }, "bad.fx:"},
    {"effect not text", Kind::Effect, [] { return Bytes{0xFF, 0xFE, 0, 0, 7, 0}; }, "bad.fx:1:"},
};

void PrintTo(const BadAsset& asset, std::ostream* out) { *out << asset.name; }

bool Is(const BadAsset& asset, Bytes (*standIn)())
{
    const auto* maker = asset.bytes.target<Bytes (*)()>();
    return maker != nullptr && *maker == standIn;
}

long PeakRssKb() { return static_cast<long>(PeakResidentMemoryBytes() / 1024); }

// Runs one load with stderr captured, and measures how much it raised the peak memory. A
// load still waiting after a few seconds is waiting on a file for ever: the process ends.
template <typename Load>
HRESULT Watch(Load load, std::string& message, long& grewKb)
{
    const long before = PeakRssKb();
    ::testing::internal::CaptureStderr();
    // The load runs here (the sound and graphics layers keep per-thread state); a watchdog
    // ends the process if it does not come back.
    std::promise<void> finished;
    std::thread watchdog([done = finished.get_future()] {
        if (done.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            std::fprintf(stdout, "the load still waits after 5 s: a file blocked it\n");
            std::fflush(stdout);
            std::_Exit(1);
        }
    });
    const HRESULT hr = load();
    finished.set_value();
    watchdog.join();
    message = ::testing::internal::GetCapturedStderr();
    grewKb = PeakRssKb() - before;
    return hr;
}

class BadAssets : public ::testing::TestWithParam<BadAsset> {
protected:
    GfxRecorder recorder;
    FilesHook files;
    TempFolder folder{"tarnwick-bad"};
    fs::path root = folder.Path();

    void SetUp() override
    {
        ASSERT_TRUE(folder.Enter());
        fs::create_directories(root / "data");
        files.modulePath = (root / "tarnwick").string();
        Gpu.device = GfxCreateRecordingDevice(&recorder);
        ASSERT_NE(Gpu.device, nullptr);
    }

    void TearDown() override
    {
        files.beforeOpen = nullptr;
        GfxPrefetchPictures(nullptr, 0);
        Audio.Reset();
        ForgetLoadedLevel();
        Gpu.device->Release();
        Gpu.device = nullptr;
        EXPECT_EQ(recorder.LiveObjects(), 0);
    }

    // Puts the asset where its load path looks for it.
    void Place(const BadAsset& asset, const fs::path& path)
    {
        if (Is(asset, Folder)) {
            fs::create_directories(path);
        } else if (Is(asset, Fifo)) {
            ASSERT_EQ(mkfifo(path.string().c_str(), 0600), 0);
        } else if (Is(asset, Socket)) {
#if !defined(_WIN32)
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.string().size(), sizeof address.sun_path);
            std::strcpy(address.sun_path, path.c_str());
            ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            close(fd);  // the name stays
#endif
        } else if (Is(asset, LinkToDevZero)) {
            fs::create_symlink("/dev/zero", path);
        } else if (Is(asset, LinkLoop)) {
            fs::create_symlink(path.filename().string() + ".other", path);
            fs::create_symlink(path.filename(), path.string() + ".other");
        } else if (Is(asset, SwappedForFifo)) {
            ASSERT_TRUE(wavetest::WriteFile(path.string(), Text("a file for now")));
            SwapPath() = path.filename().string();
            files.beforeOpen = SwapForFifo;
        } else if (!Is(asset, Missing)) {
            ASSERT_TRUE(wavetest::WriteFile(path.string(), asset.bytes()));
        }
    }

    static std::string& SwapPath()
    {
        static std::string name;
        return name;
    }

    // Another process's move, between the search and the open.
    static void SwapForFifo(const char* path)
    {
        const fs::path opened(path);
        if (opened.filename() == SwapPath() && fs::is_regular_file(opened)) {
            fs::remove(opened);
            mkfifo(path, 0600);
        }
    }
};

TEST_P(BadAssets, OneLineNamingTheFileAndNothingElseChanges)
{
    const BadAsset& asset = GetParam();
#if defined(_WIN32)
    if (Is(asset, Fifo) || Is(asset, Socket) || Is(asset, LinkToDevZero) || Is(asset, LinkLoop) ||
        Is(asset, SwappedForFifo)) {
        GTEST_SKIP() << "Windows has no FIFOs, Unix sockets or links to devices";
    }
#endif
    std::string file;
    std::string message;
    long grewKb = 0;

    if (asset.kind == Kind::Picture || asset.kind == Kind::PrefetchedPicture) {
        // A texture made before must survive the failure untouched.
        const fs::path good = root / "data/good.tga";
        ASSERT_TRUE(wavetest::WriteFile(good.string(), WithPixels(Tga(2, 2, 2, 24), 12, 7)));
        IDirect3DTexture9* before = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileW(Gpu.device, good.string().c_str(), &before), S_OK);
        const int live = recorder.LiveObjects();

        file = (root / "data/bad.tga").string();
        Place(asset, file);
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(&recorder);
        const HRESULT hr = Watch(
            [&] {
                if (asset.kind == Kind::PrefetchedPicture) {
                    const char* paths[] = {file.c_str()};
                    GfxPrefetchPictures(paths, 1);
                }
                return D3DXCreateTextureFromFileW(Gpu.device, file.c_str(), &texture);
            },
            message, grewKb);
        EXPECT_TRUE(hr == D3DXERR_INVALIDDATA || hr == D3DERR_NOTFOUND) << std::hex << hr;
        EXPECT_EQ(texture, nullptr);
        EXPECT_EQ(recorder.LiveObjects(), live);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(before->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
        EXPECT_EQ(static_cast<const std::uint8_t*>(locked.pBits)[0], 7);
        before->UnlockRect(0);
        before->Release();
    } else if (asset.kind == Kind::Map) {
        // Level index 1 reads data/map3.tga, a good level: a floor with a start and a goal.
        // Index 0 reads data/map1.tga, the bad one.
        Bytes map = Tga(2, 128, 128, 24);
        map.resize(18 + 128 * 128 * 3, 0);
        for (int c = 0; c < 11; ++c) {
            std::uint8_t* p = &map[18 + (128 + c) * 3];
            p[0] = p[1] = p[2] = 255;
        }
        std::uint8_t* start = &map[18 + 3 * 3];
        start[2] = 255;
        std::uint8_t* goal = &map[18 + 10 * 3];
        goal[0] = 255;
        ASSERT_TRUE(wavetest::WriteFile((root / "data/map3.tga").string(), map));
        ASSERT_EQ(LoadLevel(1), S_OK);
        const int blocks = World.blocks.count;
        const int vertices = World.vertexCount;
        const int collision = Creature.bodySystem.boxes.count;
        const Vector4 startPoint = World.startPoint;
        const Vector4 goalPoint = World.goalPoint;
        IDirect3DTexture9* image = Gpu.mapTexture;
        ASSERT_GT(blocks, 0);

        file = "data/map1.tga";  // the media search finds it under the working folder
        Place(asset, root / file);
        const HRESULT hr = Watch([&] { return LoadLevel(0); }, message, grewKb);
        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(World.blocks.count, blocks);
        EXPECT_EQ(World.vertexCount, vertices);
        EXPECT_EQ(Creature.bodySystem.boxes.count, collision);
        EXPECT_EQ(std::memcmp(&World.startPoint, &startPoint, sizeof startPoint), 0);
        EXPECT_EQ(std::memcmp(&World.goalPoint, &goalPoint, sizeof goalPoint), 0);
        EXPECT_EQ(Gpu.mapTexture, image);
    } else if (asset.kind == Kind::Effect) {
        const int live = recorder.LiveObjects();
        file = (root / "data/bad.fx").string();
        Place(asset, file);
        ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(&recorder);
        const HRESULT hr = Watch(
            [&] {
                return D3DXCreateEffectFromFileW(Gpu.device, file.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                                 nullptr);
            },
            message, grewKb);
        EXPECT_TRUE(hr == D3DXERR_INVALIDDATA || hr == D3DERR_NOTFOUND) << std::hex << hr;
        EXPECT_EQ(effect, nullptr);
        EXPECT_EQ(recorder.LiveObjects(), live);
    } else {
        file = kMusicFile;
        Place(asset, root / file);
        Watch(
            [&] {
                StartMusic(nullptr);
                return S_OK;
            },
            message, grewKb);
        EXPECT_EQ(Audio.music, nullptr);
        RestartMusicIfStopped();
    }

    EXPECT_NE(message.find(file), std::string::npos) << message;
    EXPECT_NE(message.find(asset.reason), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(message.back(), '\n');
    // Nothing here legitimately needs more than a few megabytes: the map rebuild's vertex
    // buffer is the largest. A decode of what a header merely claims would be hundreds.
    EXPECT_LT(grewKb, 32 * 1024) << "peak memory grew by " << grewKb << " KB";
}

INSTANTIATE_TEST_SUITE_P(Table, BadAssets, ::testing::ValuesIn(kBadAssets),
                         [](const ::testing::TestParamInfo<BadAsset>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c != '\0'; ++c) {
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             }
                             return name;
                         });

}  // namespace

namespace {

// A file longer than any picture can need is refused from its length, never read: this one
// is sparse, 100 MB long and all zeros.
TEST(BadAssetFiles, OversizedPictureIsRefusedBeforeReading)
{
    const fs::path path = ScratchFolder() / "huge.tga";
    {
        std::ofstream create(path, std::ios::binary);
    }
    fs::resize_file(path, 100u << 20);
    GfxRecorder recorder;
    IDirect3DDevice9* device = GfxCreateRecordingDevice(&recorder);
    ASSERT_NE(device, nullptr);

    D3DXIMAGE_INFO info{};
    ID3DXBuffer* why = nullptr;
    std::string message;
    long grewKb = 0;
    EXPECT_EQ(Watch([&] { return D3DXGetImageInfoFromFileW(path.string().c_str(), &info, &why); }, message, grewKb),
              D3DERR_NOTFOUND);
    EXPECT_EQ(message, "");  // the info call is quiet; the reason comes back in the buffer
    ASSERT_NE(why, nullptr);
    EXPECT_NE(std::string(static_cast<const char*>(why->GetBufferPointer())).find("more than any such file can need"),
              std::string::npos);
    why->Release();

    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        Watch([&] { return D3DXCreateTextureFromFileW(device, path.string().c_str(), &texture); }, message, grewKb),
        D3DERR_NOTFOUND);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(message,
              path.string() + ": cannot use as a texture: is 104857600 bytes, more than any such file can need\n");
    EXPECT_LT(grewKb, 4 * 1024);
    device->Release();
}

// A picture whose read never ends (held in the open by the test hook, as a stuck network
// file would be) must not hold the program's exit: the worker reading it is left behind.
void NeverEndingOpen(const char* path)
{
    if (std::strstr(path, "stuck.tga") != nullptr) {
        std::this_thread::sleep_for(std::chrono::seconds(30));
    }
}

TEST(BadAssetFiles, ExitDoesNotWaitForAPictureStillBeingRead)
{
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EXIT(
        {
            FilesHook files;
            files.beforeOpen = NeverEndingOpen;
            const char* paths[] = {"data/stuck.tga"};
            GfxPrefetchPictures(paths, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the worker is in the open
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
}

// What the info call reports for a picture it accepts.
TEST(BadAssetFiles, ImageInfoComesFromTheHeader)
{
    const fs::path path = ScratchFolder() / "info.tga";
    ASSERT_TRUE(wavetest::WriteFile(
        path.string(), Bytes(Tga(10, 300, 2, 8 * 3)) +
                           Bytes{0xFF, 1, 2, 3, 0xFF, 1, 2, 3, 0xFF, 1, 2, 3, 0xFF, 1, 2, 3, 0xD7, 4, 5, 6}));
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileW(path.string().c_str(), &info), S_OK);
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.Depth, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
    EXPECT_EQ(D3DXGetImageInfoFromFileW(path.string().c_str(), nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
