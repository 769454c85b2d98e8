#include "platform/files/resources.h"

#include <string>

#include <gtest/gtest.h>

namespace {

class ResourceTable : public ::testing::Test {
protected:
    void SetUp() override { ClearResources(); }
    void TearDown() override { ClearResources(); }
};

// What the table promises to hold: entries, and bytes of a name with its terminator.
constexpr int kTableSize = 64;
constexpr int kNameLimit = 64;

const unsigned char kFirst[] = {1, 2, 3, 4, 5};
const unsigned char kSecond[] = {9, 8};

TEST_F(ResourceTable, EmptyByDefault)
{
    EXPECT_EQ(FindResourceW(nullptr, "music", "WAVE"), nullptr);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, nullptr, "WAVE"), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, "music", nullptr), nullptr);
}

TEST_F(ResourceTable, FindsByNameAndTypeIgnoringCase)
{
    ASSERT_TRUE(RegisterResource("Music", "WAVE", kFirst, sizeof kFirst));
    ASSERT_TRUE(RegisterResource("music", "WAV", kSecond, sizeof kSecond));

    HRSRC wave = FindResourceW(nullptr, "MUSIC", "wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, wave), sizeof kFirst);
    EXPECT_EQ(LockResource(LoadResource(nullptr, wave)), kFirst);

    HRSRC wav = FindResourceW(nullptr, "music", "WAV");
    ASSERT_NE(wav, nullptr);
    EXPECT_NE(wav, wave);
    EXPECT_EQ(SizeofResource(nullptr, wav), sizeof kSecond);
    EXPECT_EQ(LockResource(LoadResource(nullptr, wav)), kSecond);

    EXPECT_EQ(FindResourceW(nullptr, "musi", "WAVE"), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, "music", "TGA"), nullptr);
}

TEST_F(ResourceTable, RegisteringAgainReplacesAndClearingRemoves)
{
    ASSERT_TRUE(RegisterResource("a", "WAVE", kFirst, sizeof kFirst));
    ASSERT_TRUE(RegisterResource("A", "wave", kSecond, sizeof kSecond));
    HRSRC r = FindResourceW(nullptr, "a", "WAVE");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, r), sizeof kSecond);

    ClearResources();
    EXPECT_EQ(FindResourceW(nullptr, "a", "WAVE"), nullptr);
    // The stale handle no longer reaches anything.
    EXPECT_EQ(LoadResource(nullptr, r), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, r), 0u);
}

TEST_F(ResourceTable, RefusesWhatItCannotHold)
{
    EXPECT_FALSE(RegisterResource(nullptr, "WAVE", kFirst, 1));
    EXPECT_FALSE(RegisterResource("", "WAVE", kFirst, 1));
    EXPECT_FALSE(RegisterResource("x", nullptr, kFirst, 1));
    EXPECT_FALSE(RegisterResource("x", "WAVE", nullptr, 1));
    const std::string longName(kNameLimit, 'n');
    EXPECT_FALSE(RegisterResource(longName.c_str(), "WAVE", kFirst, 1));
    const std::string longest(kNameLimit - 1, 'n');
    EXPECT_TRUE(RegisterResource(longest.c_str(), "WAVE", kFirst, 1));

    ClearResources();
    for (int i = 0; i < kTableSize; ++i) {
        const std::string name = "r" + std::to_string(i);
        ASSERT_TRUE(RegisterResource(name.c_str(), "WAVE", kFirst, 1)) << i;
    }
    EXPECT_FALSE(RegisterResource("one-more", "WAVE", kFirst, 1));
    // Replacing an existing entry still works when the table is full.
    EXPECT_TRUE(RegisterResource("r5", "WAVE", kSecond, 2));
    EXPECT_EQ(SizeofResource(nullptr, FindResourceW(nullptr, "r5", "WAVE")), 2u);
    for (int i = 0; i < kTableSize; ++i) {
        const std::string name = "r" + std::to_string(i);
        EXPECT_NE(FindResourceW(nullptr, name.c_str(), "WAVE"), nullptr) << i;
    }
}

}  // namespace
