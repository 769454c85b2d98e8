#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "map_text.h"
#include "support/temp_folder.h"
#include "world/level_scan.h"

namespace fs = std::filesystem;

namespace {

std::string TempPath(const char* leaf) { return (ScratchFolder() / leaf).string(); }

TEST(MapText, EveryCellCharacterRoundTrips)
{
    const std::string picture = "#+^vSG.\n\n..#\n";
    MapImage map;
    std::string error;
    ASSERT_TRUE(TextToMap(picture, map, error)) << error;
    const std::string text = MapToText(map);
    ASSERT_EQ(text.size(), static_cast<std::size_t>(128 * 129));
    EXPECT_EQ(text.substr(0, 8), "#+^vSG..");
    EXPECT_EQ(text[128], '\n');
    EXPECT_EQ(text.substr(129, 128), std::string(128, '.'));
    EXPECT_EQ(text.substr(2 * 129, 4), "..#.");

    // The scan sees the classes the characters stand for.
    const std::uint8_t* p = &map.bgra[0];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::Solid);
    p = &map.bgra[4];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::Scenery);
    p = &map.bgra[8];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::SpikeUp);
    p = &map.bgra[12];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::SpikeDown);
    p = &map.bgra[16];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::Start);
    p = &map.bgra[20];
    EXPECT_EQ(ClassifyPixel(p[2], p[1], p[0]), PixelClass::Goal);
    EXPECT_EQ(CellCharacter(0, 0, 0), '.');
    EXPECT_EQ(CellCharacter(0, 9, 9), 'G');
}

TEST(MapText, BadPicturesNameTheCell)
{
    MapImage map;
    std::string error;
    EXPECT_FALSE(TextToMap("..\n.x.\n", map, error));
    EXPECT_NE(error.find("line 2, column 2"), std::string::npos) << error;

    EXPECT_FALSE(TextToMap(std::string(129, '.'), map, error));
    EXPECT_NE(error.find("line 1, column 129"), std::string::npos) << error;

    std::string tall;
    for (int i = 0; i < 129; ++i) {
        tall += "#\n";
    }
    EXPECT_FALSE(TextToMap(tall, map, error));
    EXPECT_NE(error.find("line 129"), std::string::npos) << error;

    // 128 full lines with Windows line ends are fine.
    std::string full;
    for (int i = 0; i < 128; ++i) {
        full += std::string(128, '#') + "\r\n";
    }
    EXPECT_TRUE(TextToMap(full, map, error)) << error;
    EXPECT_EQ(map.bgra[map.bgra.size() - 2], 255);
}

TEST(MapText, TgaRoundTripsThroughAFile)
{
    MapImage map;
    std::string error;
    ASSERT_TRUE(TextToMap("S.....\n.^^v\n\n#########\n", map, error));
    const std::vector<std::uint8_t> bytes = EncodeTga(map);
    ASSERT_EQ(bytes.size(), 18u + 128u * 512u);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[12] | (bytes[13] << 8), 128);
    EXPECT_EQ(bytes[14] | (bytes[15] << 8), 128);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(bytes[17] & 0x20, 0x20);  // top-left origin

    const std::string path = TempPath("roundtrip.tga");
    ASSERT_TRUE(WriteTga(path, map, error)) << error;
    MapImage back;
    ASSERT_TRUE(ReadMapImage(path, back));
    EXPECT_EQ(MapToText(back), MapToText(map));
    std::remove(path.c_str());
}

TEST(MapText, BottomUpAndSmallTgaFiles)
{
    // A 24-bit bottom-up file: the last row stored is the top row.
    std::vector<std::uint8_t> file(18, 0);
    file[2] = 2;
    file[12] = 128;
    file[14] = 128;
    file[16] = 24;
    std::vector<std::uint8_t> rows(128 * 128 * 3, 0);
    // Top row, column 3: red (start). Stored in the last row of the file.
    rows[(127 * 128 + 3) * 3 + 2] = 255;
    file.insert(file.end(), rows.begin(), rows.end());
    const std::string path = TempPath("bottomup.tga");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    MapImage map;
    std::string error;
    ASSERT_TRUE(ReadMapImage(path, map));
    EXPECT_EQ(MapToText(map).substr(0, 5), "...S.");

    file[12] = 64;
    file[14] = 64;
    file.resize(18 + 64 * 64 * 3);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadMapImage(path, map));
    std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("64 x 64"), std::string::npos) << message;
    std::remove(path.c_str());

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadMapImage(TempPath("missing.tga"), map));
    message = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("missing.tga"), std::string::npos) << message;
}

}  // namespace
