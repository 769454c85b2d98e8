#include "test_assets.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "map_text.h"
#include "render/gpu/graphics_objects.h"

namespace fs = std::filesystem;

unsigned TestPictureColour(int index)
{
    // Far apart and never black, so a screenshot tells them from each other and the clear.
    return 0x103050u + static_cast<unsigned>(index) * 0x0E0A07u;
}

bool WriteTestAssets(const std::string& root, std::string& error, int goalCells)
{
    const fs::path data = fs::path(root) / "data";
    fs::create_directories(data);
    std::ifstream effect(TARNWICK_TEST_EFFECT, std::ios::binary);
    std::ofstream(data / "myshader.fx", std::ios::binary) << effect.rdbuf();

    for (int i = 0; i < kTextureFileCount; ++i) {
        MapImage picture;
        const unsigned colour = TestPictureColour(i);
        for (std::size_t p = 0; p < picture.bgra.size(); p += 4) {
            picture.bgra[p] = static_cast<std::uint8_t>(colour & 0xFF);
            picture.bgra[p + 1] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
            picture.bgra[p + 2] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
            picture.bgra[p + 3] = 0xFF;
        }
        if (!WriteTga((fs::path(root) / kTextureFiles[i].file).string(), picture, error)) {
            return false;
        }
    }

    std::ostringstream level;
    // The start stands three rows above the floor: the creature's feet hang a unit below it.
    // In the middle of the map, where the camera is free to follow.
    const std::string margin(50, '.');
    level << std::string(60, '\n') << margin << "..S" << std::string(static_cast<std::size_t>(goalCells), '.')
          << "G\n\n\n"
          << margin << std::string(static_cast<std::size_t>(goalCells) + 8, '#') << "\n";
    MapImage map;
    if (!TextToMap(level.str(), map, error)) {
        return false;
    }
    for (int n = 1; n <= 8; ++n) {
        if (!WriteTga((data / ("map" + std::to_string(n) + ".tga")).string(), map, error)) {
            return false;
        }
    }
    return true;
}
