#include "shell/progress_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "game_fixture.h"
#include "platform/files/user_state.h"
#include "shell/progress.h"
#include "world/world.h"

namespace {

using ProgressFile = GameFixture;

std::string Read(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST_F(ProgressFile, ABadFileGivesOneLineAndAnEmptyRecord)
{
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        void (*make)(const fs::path& path);
        const char* says;
    } cases[] = {
        {"missing", [](const fs::path&) {}, "no progress kept yet"},
        {"empty", [](const fs::path& p) { Write(p, ""); }, "empty"},
        {"garbage",
         [](const fs::path& p) {
             Write(p, std::string("\x7f"
                                  "ELF\x02\x01\x01\0\0",
                                  9));
         },
         "not a progress file"},
        {"cut short", [](const fs::path& p) { Write(p, "tarnwick progress 1\nreached 4\nbest 1 2"); }, "cut short"},
        {"3 GB, sparse",
         [](const fs::path& p) {
             Write(p, "tarnwick progress 1\n");
             fs::resize_file(p, 3ull << 30);
         },
         "more than any such file can need"},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, "is a folder"},
#if !defined(_WIN32)  // Windows has no FIFOs
        {"a FIFO", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.string().c_str(), 0600), 0); }, "not a regular file"},
#endif
        {"an absurd level", [](const fs::path& p) { Write(p, "tarnwick progress 1\nreached 99999999999\nend\n"); },
         "no such level"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = root / "state" / c.name;
        fs::create_directories(folder);
        const fs::path path = folder / "progress.txt";
        c.make(path);
        Session.reachedLevel = 5;
        Session.bestFrames[1] = 77;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        LoadProgress(path.string());
        const std::string said = testing::internal::GetCapturedStderr() + testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        EXPECT_EQ(ProgressOf(Session), Progress{});
        EXPECT_EQ(Session.progressPath, path.string());
        fs::remove_all(folder);
    }
}

TEST_F(ProgressFile, AGoodFileIsTakenAndAFolderThatCannotBeWrittenSaysSoOnce)
{
    namespace fs = std::filesystem;
    const fs::path path = root / "progress.txt";
    Progress kept;
    kept.reached = 3;
    kept.bestFrames[2] = 400;
    Write(path, FormatProgress(kept));
    testing::internal::CaptureStderr();
    LoadProgress(path.string());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ProgressOf(Session), kept);

    // Its folder's parent is a file: nothing can be made there.
    Write(root / "plain", "x");
    Session.progressPath = (root / "plain/tarnwick/progress.txt").string();
    testing::internal::CaptureStderr();
    SaveProgress();
    SaveProgress();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(Session.progressPath.empty());
}

// Stopped between the write and the rename, as a crash would stop it: the old file stays.
TEST_F(ProgressFile, ACrashBeforeTheRenameLeavesTheOldFile)
{
    const std::filesystem::path path = root / "progress.txt";
    Progress old;
    old.reached = 2;
    Write(path, FormatProgress(old));
    files.beforeRename = [](const char*) { return false; };
    Session.progressPath = path.string();
    Session.reachedLevel = 6;
    testing::internal::CaptureStderr();
    SaveProgress();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Read(path), FormatProgress(old));
    files.beforeRename = nullptr;
    Session.progressPath = path.string();
    SaveProgress();
    Progress now;
    std::string problem;
    ASSERT_TRUE(ParseProgress(Read(path), now, problem)) << problem;
    EXPECT_EQ(now.reached, 6);
}

int Renames = 0;

// Through the frames: one write per level end, none on the screens between, and the next
// start on the title may begin at the level reached.
TEST_F(ProgressFile, EachLevelEndWritesOnceAndTheTitleStartsTheLevelReached)
{
    const std::filesystem::path path = root / "progress.txt";
    Renames = 0;
    files.beforeRename = [](const char*) {
        ++Renames;
        return true;
    };
    StartPlaying();
    LoadProgress(path.string());
    for (std::int32_t level = 0; level < 3; ++level) {
        Creature.Reset();
        Creature.Place(Vector4{World.goalPoint.x, World.goalPoint.y - 2.0f, 0.0f, 1.0f});
        RunFrame();
        ASSERT_EQ(Session.screen, Screen::LevelUp);
        for (int i = 0; i < 10; ++i) {
            RunFrame();
        }
        EXPECT_EQ(Renames, level + 1);
        PressKey();
        RunFrame();
        ForgetTaps();
        Input.keyPressed = false;
    }
    Progress kept;
    std::string problem;
    ASSERT_TRUE(ParseProgress(Read(path), kept, problem)) << problem;
    EXPECT_EQ(kept.reached, 3);

    // A later run: level 4 is open, level 5 is not.
    Session.Reset();
    LoadProgress(path.string());
    ASSERT_EQ(Session.screen, Screen::Title);
    Input.levelKey = 4;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);
    ForgetTaps();
    Input.levelKey = 3;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Playing);
    EXPECT_EQ(Session.levelCounter, 3);
}

// The override first; then the XDG rules, or on Windows the application data.
TEST(UserState, TheFolderFollowsTheOverrideThenTheSystemsRules)
{
#if defined(_WIN32)
    constexpr bool kWindows = true;
#else
    constexpr bool kWindows = false;
#endif
    const char* names[] = {"TARNWICK_STATE_DIR", "XDG_STATE_HOME", "HOME", "APPDATA"};
    constexpr int kNames = 4;
    std::string saved[kNames];
    bool had[kNames];
    for (int i = 0; i < kNames; ++i) {
        const char* v = std::getenv(names[i]);
        had[i] = v != nullptr;
        saved[i] = v != nullptr ? v : "";
    }
    const struct {
        const char* values[kNames];
        const char* folder;
        const char* windowsFolder;
    } cases[] = {
        {{"/tmp/t", "/s", "/h", "C:/A"}, "/tmp/t", "/tmp/t"},
        {{nullptr, "/s", "/h", "C:/A"}, "/s/tarnwick", "C:/A/Tarnwick"},
        {{nullptr, "relative", "/h", nullptr}, "/h/.local/state/tarnwick", ""},
        {{nullptr, nullptr, "/h", nullptr}, "/h/.local/state/tarnwick", ""},
        {{nullptr, nullptr, nullptr, nullptr}, "", ""},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < kNames; ++i) {
            c.values[i] != nullptr ? setenv(names[i], c.values[i], 1) : unsetenv(names[i]);
        }
        EXPECT_EQ(UserStateFolder(), kWindows ? c.windowsFolder : c.folder) << c.folder;
    }
    for (int i = 0; i < kNames; ++i) {
        had[i] ? setenv(names[i], saved[i].c_str(), 1) : unsetenv(names[i]);
    }
}

}  // namespace
