#include "platform/files/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/files/files_hook.h"
#include "support/temp_folder.h"

namespace {

// A scratch folder of its own, made fresh for each test and entered as the working folder.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.Enter());
        root_ = folder_.Path().generic_string();
        top_ = root_.substr(0, root_.find('/') + 1);
    }
    void Touch(const std::string& relative)
    {
        std::FILE* f = std::fopen((root_ + "/" + relative).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    void MakeDir(const std::string& relative) { ASSERT_EQ(mkdir((root_ + "/" + relative).c_str(), 0755), 0); }

    TempFolder folder_{"tarnwick_files"};
    std::string root_;  // with forward slashes, as the full paths come back
    std::string top_;   // the root it is on: "/", or a drive's ("C:/")
};

TEST_F(FilesTest, AttributesTellFilesFoldersAndMissingApart)
{
    MakeDir("data");
    Touch("data/map1.tga");
    EXPECT_EQ(GetFileAttributesW("data/map1.tga"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW("data\\map1.tga"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW("data"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW("data\\..\\data\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW((root_ + "\\data\\map1.tga").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW("data/map2.tga"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW("media\\data\\map1.tga"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(""), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesTest, FullPathResolvesDotsLexicallyWithEitherSeparator)
{
    char buffer[kMaxPath];
    char* filePart = nullptr;

    DWORD n = GetFullPathNameW("data\\map1.tga", kMaxPath, buffer, &filePart);
    std::string expected = root_ + "/data/map1.tga";
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(n, expected.size());
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "map1.tga");
    EXPECT_GE(filePart, buffer);
    EXPECT_LT(filePart, buffer + kMaxPath);

    // Nothing here exists: the resolution is by text alone.
    n = GetFullPathNameW("a/./b\\..\\c//d/..", kMaxPath, buffer, &filePart);
    expected = root_ + "/a/c";
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(n, expected.size());
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "c");

    n = GetFullPathNameW(".", kMaxPath, buffer, &filePart);
    EXPECT_EQ(std::string(buffer), root_);
    ASSERT_NE(filePart, nullptr);
    EXPECT_EQ(std::string(filePart), root_.substr(root_.rfind('/') + 1));

    n = GetFullPathNameW("/x/y/../../../..", kMaxPath, buffer, &filePart);
    EXPECT_EQ(std::string(buffer), top_);
    EXPECT_EQ(n, top_.size());
    EXPECT_EQ(filePart, nullptr);

    n = GetFullPathNameW("\\x\\y\\", kMaxPath, buffer, &filePart);
    EXPECT_EQ(std::string(buffer), top_ + "x/y/");
    EXPECT_EQ(n, top_.size() + 4);
    EXPECT_EQ(filePart, nullptr);
}

TEST_F(FilesTest, FullPathClimbsFolderByFolderToTheRoot)
{
    // The upward media search: parent of the full path, again and again, until no last part.
    char buffer[kMaxPath];
    char* filePart = nullptr;
    ASSERT_GT(GetFullPathNameW(".", kMaxPath, buffer, &filePart), 0u);
    int steps = 0;
    while (filePart != nullptr && *filePart != '\0' && steps < 100) {
        const std::string parent = std::string(buffer) + "\\..";
        ASSERT_GT(GetFullPathNameW(parent.c_str(), kMaxPath, buffer, &filePart), 0u);
        ++steps;
    }
    EXPECT_EQ(std::string(buffer), top_);
    // One step a folder: /tmp/tarnwick_files-XXXXXX -> /tmp -> / takes two.
    const std::string below = root_.substr(top_.size());
    EXPECT_EQ(steps, std::count(below.begin(), below.end(), '/') + 1) << root_;
}

TEST_F(FilesTest, FullPathTooSmallAsksForTheSizeWithTerminator)
{
    const std::string expected = root_ + "/abc";
    char buffer[kMaxPath];
    std::memset(buffer, 'z', sizeof buffer);
    char* filePart = buffer;
    const DWORD needed = GetFullPathNameW("abc", static_cast<DWORD>(expected.size()), buffer, &filePart);
    EXPECT_EQ(needed, expected.size() + 1);
    EXPECT_EQ(buffer[0], 'z');
    EXPECT_EQ(filePart, nullptr);
    EXPECT_EQ(GetFullPathNameW("abc", 0, nullptr, nullptr), expected.size() + 1);

    // Exactly large enough.
    EXPECT_EQ(GetFullPathNameW("abc", needed, buffer, &filePart), expected.size());
    EXPECT_EQ(std::string(buffer), expected);

    EXPECT_EQ(GetFullPathNameW("", kMaxPath, buffer, &filePart), 0u);
    EXPECT_EQ(GetFullPathNameW(nullptr, kMaxPath, buffer, &filePart), 0u);
}

TEST_F(FilesTest, ModuleFileNameIsTheRunningProgramAndTruncatesLikeWin32)
{
    char buffer[kMaxPath];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, kMaxPath);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(buffer), n);
    const bool onDrive = std::isalpha(static_cast<unsigned char>(buffer[0])) && buffer[1] == ':' &&
                         (buffer[2] == '/' || buffer[2] == '\\');
    EXPECT_TRUE(buffer[0] == '/' || onDrive) << buffer;
    EXPECT_EQ(GetFileAttributesW(buffer), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(std::string(buffer).find("platform_tests"), std::string::npos);

    // The program's own handle names the same file; any other module is unknown.
    char again[kMaxPath];
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), again, kMaxPath), n);
    EXPECT_STREQ(again, buffer);
    int other = 0;
    EXPECT_EQ(GetModuleFileNameW(&other, again, kMaxPath), 0u);
    EXPECT_EQ(GetModuleHandleW("someother.dll"), nullptr);
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);

    auto hook = std::make_unique<FilesHook>();
    hook->modulePath = "/game/bin/Release/app.exe";
    char small[8];
    std::memset(small, 'z', sizeof small);
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, sizeof small), sizeof small);
    EXPECT_STREQ(small, "/game/b");
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 0), 0u);
    EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 8), 0u);

    char exact[26];
    EXPECT_EQ(GetModuleFileNameW(nullptr, exact, sizeof exact), 25u);
    EXPECT_STREQ(exact, "/game/bin/Release/app.exe");
    char oneShort[25];
    EXPECT_EQ(GetModuleFileNameW(nullptr, oneShort, sizeof oneShort), 25u);
    EXPECT_STREQ(oneShort, "/game/bin/Release/app.ex");

    // The newest hook speaks; when it goes the one before it does again, then the truth.
    {
        FilesHook inner;
        inner.modulePath = "/elsewhere/app";
        EXPECT_EQ(GetModuleFileNameW(nullptr, exact, sizeof exact), 14u);
        EXPECT_EQ(FilesHook::Active(), &inner);
    }
    EXPECT_EQ(GetModuleFileNameW(nullptr, exact, sizeof exact), 25u);
    hook.reset();
    EXPECT_EQ(FilesHook::Active(), nullptr);
    EXPECT_EQ(GetModuleFileNameW(nullptr, again, kMaxPath), n);
    EXPECT_STREQ(again, buffer);
}

TEST(Sleep, WaitsAtLeastTheGivenTime)
{
    const auto start = std::chrono::steady_clock::now();
    Sleep(20);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(20));
    Sleep(0);  // a yield, returns
}

}  // namespace
