// Every way start-up can be refused a file ends the program with exit code 1 and exactly one
// line on stderr naming the file and what is wrong; a map spoilt after start-up sends the
// game back to the title with one line instead of letting its level count as done.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "map_text.h"
#include "shell/level_load.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::remove(path);
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An uncompressed 24-bit TGA of width x height, all black, top row first.
std::string BlackTga(int width, int height)
{
    std::string b(18, '\0');
    b[2] = 2;
    b[12] = static_cast<char>(width & 0xFF);
    b[13] = static_cast<char>(width >> 8);
    b[14] = static_cast<char>(height & 0xFF);
    b[15] = static_cast<char>(height >> 8);
    b[16] = 24;
    b[17] = 0x20;
    b.append(static_cast<std::size_t>(width) * height * 3, '\0');
    return b;
}

// A floor with a start and `goal` only when asked.
void WriteMapWithout(const fs::path& path, bool start, bool goal)
{
    MapImage map;
    std::string error;
    const std::string text = std::string(start ? "S" : ".") + "....." + (goal ? "G" : ".") + "\n\n\n##########\n";
    ASSERT_TRUE(TextToMap(text, map, error)) << error;
    fs::remove(path);
    ASSERT_TRUE(WriteTga(path.string(), map, error)) << error;
}

// What spoils a file, in place.
enum class Spoil { Missing, Empty, Truncated, Small, NoGoal, NoStart, NotTga, Fifo, Folder, Garbled };

void SpoilFile(const fs::path& path, Spoil how)
{
    switch (how) {
    case Spoil::Missing: fs::remove(path); break;
    case Spoil::Empty: WriteBytes(path, ""); break;
    case Spoil::Truncated: WriteBytes(path, ReadBytes(path).substr(0, 18 + 128 * 3 * 40)); break;
    case Spoil::Small: WriteBytes(path, BlackTga(64, 64)); break;
    case Spoil::NoGoal: WriteMapWithout(path, true, false); break;
    case Spoil::NoStart: WriteMapWithout(path, false, true); break;
    case Spoil::NotTga: WriteBytes(path, "\x89PNG\r\n\x1a\n not a picture at all"); break;
    case Spoil::Fifo:
        fs::remove(path);
        ASSERT_EQ(mkfifo(path.string().c_str(), 0600), 0);
        break;
    case Spoil::Folder:
        fs::remove(path);
        fs::create_directories(path);
        break;
    case Spoil::Garbled: WriteBytes(path, "technique T { pass P { VertexShader = compile vs_2_0 ;\n"); break;
    }
}

#if defined(_WIN32)
constexpr bool kSystemHasFifos = false;
#else
constexpr bool kSystemHasFifos = true;
#endif

struct Refusal {
    const char* file;
    Spoil how;
    const char* reason;
};

const Refusal kStartupRefusals[] = {
    {"data/sky.tga", Spoil::Missing, "data/sky.tga not found"},
    {"data/sky.tga", Spoil::Fifo, "data/sky.tga: cannot use as a texture: is not a regular file"},
    {"data/sky.tga", Spoil::Folder, "data/sky.tga: cannot use as a texture: is a folder, not a file"},
    {"data/sky.tga", Spoil::NotTga, "data/sky.tga: cannot use as a texture: not a TGA picture type we read"},
    {"data/Leg.tga", Spoil::Empty, "data/Leg.tga: cannot use as a texture: shorter than a TGA header"},
    {"data/myshader.fx", Spoil::Fifo, "data/myshader.fx: is not a regular file"},
    {"data/myshader.fx", Spoil::Garbled, "data/myshader.fx:"},
    {"data/map1.tga", Spoil::Missing, "level map data/map1.tga: not found"},
    {"data/map1.tga", Spoil::Fifo, "level map data/map1.tga: is not a regular file"},
    {"data/map6.tga", Spoil::NoStart, "level map data/map6.tga: has no start"},
};

// The one line, with the music's own line (the test data has none) taken out.
std::vector<std::string> LinesWithoutMusic(const std::string& err)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < err.size()) {
        const std::size_t end = err.find('\n', at);
        const std::string line = err.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (line.rfind("Tarnwick: music ", 0) != 0) {
            lines.push_back(line);
        }
        at = end == std::string::npos ? err.size() : end + 1;
    }
    return lines;
}

class StartupRefusal : public GameFixture {
protected:
    // Runs the whole program and returns its stderr lines; the exit code must be 1.
    std::vector<std::string> RunRefused()
    {
        testing::internal::CaptureStderr();
        const int code = RunGame();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1) << err;
        EXPECT_FALSE(err.empty() || err.back() != '\n') << err;
        return LinesWithoutMusic(err);
    }
};

class StartupRefusals : public StartupRefusal, public ::testing::WithParamInterface<Refusal> {};

TEST_P(StartupRefusals, OneLineNamingTheFileThenExitOne)
{
    const Refusal& row = GetParam();
    if (row.how == Spoil::Fifo && !kSystemHasFifos) {
        GTEST_SKIP() << "no FIFOs on this system";
    }
    SpoilFile(root / row.file, row.how);
    const std::vector<std::string> lines = RunRefused();
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0].rfind("Tarnwick: cannot start: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(row.reason), std::string::npos) << lines[0];
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '('), 1) << "one result, at the end: " << lines[0];
}

INSTANTIATE_TEST_SUITE_P(Table, StartupRefusals, ::testing::ValuesIn(kStartupRefusals));

// Each of the eight levels' maps, spoilt in each way a map gets spoilt.
struct MapRefusal {
    int level;
    Spoil how;
    const char* reason;
};

std::vector<MapRefusal> EveryMapSpoilt()
{
    const std::pair<Spoil, const char*> ways[] = {
        {Spoil::Empty, "shorter than a TGA header"},
        {Spoil::Truncated, "ends before the last pixel"},
        {Spoil::Small, "is 64 x 64 pixels, not 128 x 128"},
        {Spoil::NoGoal, "has no goal"},
    };
    std::vector<MapRefusal> rows;
    for (int level = 0; level < kLevelCount; ++level) {
        for (const auto& [how, reason] : ways) {
            rows.push_back({level, how, reason});
        }
    }
    return rows;
}

class MapRefusals : public StartupRefusal, public ::testing::WithParamInterface<MapRefusal> {};

TEST_P(MapRefusals, StartUpStopsWithOneLineNamingTheMap)
{
    const MapRefusal& row = GetParam();
    SpoilFile(root / LevelMapName(row.level), row.how);
    const std::vector<std::string> lines = RunRefused();
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_NE(lines[0].find(LevelMapName(row.level)), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(row.reason), std::string::npos) << lines[0];
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

std::string MapRefusalName(const ::testing::TestParamInfo<MapRefusal>& info)
{
    static const char* const kWays[] = {"missing", "empty", "truncated", "small", "no_goal", "no_start"};
    return "level" + std::to_string(info.param.level) + "_" + kWays[static_cast<int>(info.param.how)];
}

INSTANTIATE_TEST_SUITE_P(Table, MapRefusals, ::testing::ValuesIn(EveryMapSpoilt()), MapRefusalName);

// A map spoilt while the game runs: the screen that would start its level goes back to the
// title instead, with the map's one line, and no level is counted as done.
struct LateSpoil {
    Screen screen;
    std::int32_t counter;
    Spoil how;
    const char* reason;
};

const LateSpoil kLateSpoils[] = {
    {Screen::Title, 0, Spoil::Empty, "shorter than a TGA header"},
    {Screen::Title, 0, Spoil::NoGoal, "has no goal"},
    {Screen::LevelUp, 2, Spoil::Fifo, "is not a regular file"},
    {Screen::LevelUp, 5, Spoil::Small, "is 64 x 64 pixels"},
    {Screen::Retry, 3, Spoil::NoStart, "has no start"},
};

class LateMapSpoil : public GameFixture, public ::testing::WithParamInterface<LateSpoil> {};

TEST_P(LateMapSpoil, TheLevelStartGoesBackToTheTitleWithOneLine)
{
    const LateSpoil& row = GetParam();
    if (row.how == Spoil::Fifo && !kSystemHasFifos) {
        GTEST_SKIP() << "no FIFOs on this system";
    }
    std::string error;
    ASSERT_EQ(Start(), S_OK);
    const std::int32_t blocks = World.blocks.count;
    Session.screen = row.screen;
    Session.levelCounter = row.counter;
    const char* map = LevelMapName(row.screen == Screen::Title ? 0 : row.counter);
    SpoilFile(root / map, row.how);

    PressKey();
    testing::internal::CaptureStderr();
    RunFrame();
    ForgetTaps();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Session.screen, Screen::Title);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(map), std::string::npos) << err;
    EXPECT_NE(err.find(row.reason), std::string::npos) << err;
    EXPECT_EQ(World.blocks.count, blocks) << "the level before stays built";

    // The key held on: the title waits for it to be let go, without trying the map again
    // or saying so every frame, and nothing was completed.
    testing::internal::CaptureStderr();
    for (int i = 0; i < 30; ++i) {
        RunFrame();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Session.screen, Screen::Title);
    EXPECT_EQ(Session.levelCounter, row.screen == Screen::Title ? 0 : row.counter);

    // Let go and pressed again, with the map mended: the level starts.
    Input.keyPressed = false;
    RunFrame();
    std::filesystem::remove(root / map);  // writing into a FIFO would wait for a reader
    ASSERT_TRUE(WriteTestAssets(root.string(), error));
    PressKey();
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Playing);
}

INSTANTIATE_TEST_SUITE_P(Table, LateMapSpoil, ::testing::ValuesIn(kLateSpoils));

}  // namespace
