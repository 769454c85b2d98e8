#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "shell/media_search.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

// A private folder tree; the working folder and the program's path are set per test and
// restored afterwards.
class MediaSearch : public ::testing::Test {
protected:
    TempFolder folder{"tarnwick-media"};
    fs::path root;
    char out[kMaxPath] = {};
    FilesHook files;

    void SetUp() override
    {
        ASSERT_TRUE(folder.Enter());
        root = folder.Path();
    }

    fs::path Touch(const std::string& relative)
    {
        const fs::path p = root / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
        return p;
    }

    void WorkIn(const std::string& relative)
    {
        fs::create_directories(root / relative);
        fs::current_path(root / relative);
    }

    void Program(const std::string& relative)
    {
        fs::create_directories((root / relative).parent_path());
        files.modulePath = (root / relative).generic_string();
    }

    // Forward slashes, as the full paths come back (Windows gives its own to root).
    std::string R(const std::string& relative) const { return (root / relative).generic_string(); }

    HRESULT Find(const char* name, int capacity = kMaxPath) { return FindMediaFile(out, capacity, name); }
};

TEST_F(MediaSearch, NameItselfFromTheProgramFolder)
{
    Program("game/app");
    Touch("game/data/x.tga");
    WorkIn("game");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_STREQ(out, "data/x.tga");
    // Either separator works.
    EXPECT_EQ(Find("data\\x.tga"), S_OK);
    EXPECT_STREQ(out, "data\\x.tga");
}

TEST_F(MediaSearch, ParentsOfTheWorkingFolder)
{
    Program("p/app");
    WorkIn("a/b");
    Touch("data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_STREQ(out, "../../data/x.tga");
    Touch("a/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_STREQ(out, "../data/x.tga");
}

TEST_F(MediaSearch, FoldersAroundTheProgram)
{
    Program("game/bin/Release/app.exe");
    WorkIn("elsewhere");
    Touch("game/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("game/bin/Release") + "/../../data/x.tga");

    Touch("game/bin/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("game/bin/Release") + "/../data/x.tga");

    Touch("game/bin/Release/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("game/bin/Release") + "/data/x.tga");
}

TEST_F(MediaSearch, FolderNamedAfterTheProgram)
{
    Program("game/bin/app.exe");
    WorkIn("elsewhere");
    Touch("game/app/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("game/bin") + "/../app/data/x.tga");

    // Two levels up, through the program's name as well.
    Program("top/one/bin/tool.bin");
    Touch("top/tool/data/y.tga");
    EXPECT_EQ(Find("data/y.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("top/one/bin") + "/../../tool/data/y.tga");
}

TEST_F(MediaSearch, MediaFolderNextToTheProgram)
{
    Program("game/bin/app");
    WorkIn("elsewhere");
    Touch("game/bin/media/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("game/bin") + "/media/data/x.tga");
}

TEST_F(MediaSearch, ClimbsFromTheProgramFolder)
{
    Program("q/a/b/c/app");
    WorkIn("elsewhere");
    Touch("q/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("q/data/x.tga"));
}

TEST_F(MediaSearch, MediaFolderSeveralLevelsAboveTheWorkingFolder)
{
    Program("p/app");
    WorkIn("m/a/b/c/d");
    Touch("m/media/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("m/media/data/x.tga"));

    // A plain copy higher up is still found before any media folder.
    Touch("m/data/x.tga");
    EXPECT_EQ(Find("data/x.tga"), S_OK);
    EXPECT_EQ(std::string(out), R("m/data/x.tga"));
}

TEST_F(MediaSearch, AFolderCountsAsFound)
{
    Program("p/app");
    WorkIn("w");
    fs::create_directories(root / "w/levels");
    EXPECT_EQ(Find("levels"), S_OK);
    EXPECT_STREQ(out, "levels");
}

TEST_F(MediaSearch, BadArgumentsLeaveTheDestinationAlone)
{
    std::strcpy(out, "untouched");
    EXPECT_EQ(Find("data/x.tga", 9), E_INVALIDARG);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(Find(""), E_INVALIDARG);
    EXPECT_EQ(Find(nullptr), E_INVALIDARG);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(FindMediaFile(nullptr, kMaxPath, "data/x.tga"), E_INVALIDARG);
    EXPECT_EQ(E_INVALIDARG, MakeHresult(0x80070057u));

    // Ten is enough.
    Program("p/app");
    WorkIn("w");
    EXPECT_EQ(Find("nothing", 10), kMediaNotFound);
}

TEST_F(MediaSearch, NotFoundGivesTheNameCut)
{
    Program("p/app");
    WorkIn("w");
    EXPECT_EQ(Find("data/missing_asset.tga"), kMediaNotFound);
    EXPECT_EQ(kMediaNotFound, MakeHresult(0x80040903u));
    EXPECT_STREQ(out, "data/missing_asset.tga");
    EXPECT_EQ(Find("data/missing_asset.tga", 10), kMediaNotFound);
    EXPECT_STREQ(out, "data/miss");
}

TEST_F(MediaSearch, CutCandidatesAreNotTaken)
{
    // "data/abcdef" cut to nine characters names this other file; it must not be reported.
    Program("p/app");
    WorkIn("w");
    Touch("w/data/abcd");
    EXPECT_EQ(Find("data/abcdef", 10), kMediaNotFound);
    EXPECT_EQ(Find("data/abcd", 10), S_OK);
    EXPECT_STREQ(out, "data/abcd");
}

TEST_F(MediaSearch, DestinationMayBeTheName)
{
    Program("p/app");
    WorkIn("w");
    Touch("data/z.tga");
    std::strcpy(out, "data/z.tga");
    EXPECT_EQ(FindMediaFile(out, kMaxPath, out), S_OK);
    EXPECT_EQ(std::string(out), "../data/z.tga");
}

}  // namespace

namespace {

// An installed copy: <prefix>/bin/Tarnwick, its data in <prefix>/share/tarnwick, started
// from some unrelated folder.
TEST_F(MediaSearch, InstalledDataBesideTheProgramsFolder)
{
    Program("usr/bin/Tarnwick");
    WorkIn("home/player");
    Touch("usr/share/tarnwick/data/x.tga");
    Touch("usr/share/tarnwick/data/VelmoraMusic.wav");
    const struct {
        const char* name;
        bool media;  // FindMediaFile finds it
        std::string mediaPath;
        bool music;  // FindWorkingOrInstalledFile finds it
        std::string musicPath;
    } cases[] = {
        {"data/x.tga", true, R("usr/bin") + "/../share/tarnwick/data/x.tga", true,
         R("usr/bin") + "/../share/tarnwick/data/x.tga"},
        {"data/VelmoraMusic.wav", true, R("usr/bin") + "/../share/tarnwick/data/VelmoraMusic.wav", true,
         R("usr/bin") + "/../share/tarnwick/data/VelmoraMusic.wav"},
        {"data/none.tga", false, "data/none.tga", false, "data/none.tga"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(c.name), c.media ? S_OK : kMediaNotFound) << c.name;
        EXPECT_EQ(std::string(out), c.mediaPath);
        EXPECT_EQ(FindWorkingOrInstalledFile(out, kMaxPath, c.name), c.music) << c.name;
        EXPECT_EQ(std::string(out), c.musicPath);
    }
    // The working folder's own copy comes first for both.
    Touch("home/player/data/VelmoraMusic.wav");
    Touch("home/player/data/x.tga");
    for (const char* name : {"data/x.tga", "data/VelmoraMusic.wav"}) {
        EXPECT_EQ(Find(name), S_OK);
        EXPECT_STREQ(out, name);
        EXPECT_TRUE(FindWorkingOrInstalledFile(out, kMaxPath, name));
        EXPECT_STREQ(out, name);
    }
    EXPECT_FALSE(FindWorkingOrInstalledFile(out, 9, "data/x.tga"));
}

// An unpacked copy started from elsewhere (a shortcut's own start folder): the music beside
// the program is found, ahead of an installed copy's.
TEST_F(MediaSearch, MusicBesideTheProgramBeforeAnInstalledCopy)
{
    Program("games/Tarnwick/bin/Tarnwick");
    WorkIn("home/player");
    Touch("games/Tarnwick/share/tarnwick/data/VelmoraMusic.wav");
    EXPECT_TRUE(FindWorkingOrInstalledFile(out, kMaxPath, "data/VelmoraMusic.wav"));
    EXPECT_EQ(std::string(out), R("games/Tarnwick/bin") + "/../share/tarnwick/data/VelmoraMusic.wav");
    Touch("games/Tarnwick/bin/data/VelmoraMusic.wav");
    EXPECT_TRUE(FindWorkingOrInstalledFile(out, kMaxPath, "data/VelmoraMusic.wav"));
    EXPECT_EQ(std::string(out), R("games/Tarnwick/bin") + "/data/VelmoraMusic.wav");
}

}  // namespace
