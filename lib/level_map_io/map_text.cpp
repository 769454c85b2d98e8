#include "map_text.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/gfx/d3dx9.h"
#include "platform/gfx/recording.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

struct CellColour {
    char symbol;
    std::uint8_t red, green, blue;
};

constexpr CellColour kCells[] = {
    {'#', 255, 255, 255}, {'+', 0, 255, 0}, {'^', 255, 0, 255}, {'v', 255, 255, 0},
    {'S', 255, 0, 0},     {'G', 0, 0, 255}, {'.', 0, 0, 0},
};

}  // namespace

char CellCharacter(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    switch (ClassifyPixel(red, green, blue)) {
    case PixelClass::Solid: return '#';
    case PixelClass::Scenery: return '+';
    case PixelClass::SpikeUp: return '^';
    case PixelClass::SpikeDown: return 'v';
    case PixelClass::Start: return 'S';
    case PixelClass::Goal: return 'G';
    case PixelClass::Empty: break;
    }
    return '.';
}

std::string MapToText(const MapImage& map)
{
    std::string text;
    text.reserve(kMapSize * (kMapSize + 1));
    for (int r = 0; r < kMapSize; ++r) {
        for (int c = 0; c < kMapSize; ++c) {
            const std::uint8_t* p = &map.bgra[static_cast<std::size_t>(r * kMapRowBytes + c * kMapPixelBytes)];
            text += CellCharacter(p[2], p[1], p[0]);
        }
        text += '\n';
    }
    return text;
}

bool TextToMap(const std::string& text, MapImage& map, std::string& error)
{
    map = MapImage{};
    int row = 0;
    int column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\n') {
            ++row;
            column = 0;
            continue;
        }
        if (ch == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) {
            continue;
        }
        const CellColour* cell = nullptr;
        for (const CellColour& candidate : kCells) {
            if (candidate.symbol == ch) {
                cell = &candidate;
            }
        }
        char where[64];
        std::snprintf(where, sizeof where, "line %d, column %d: ", row + 1, column + 1);
        if (cell == nullptr) {
            error = std::string(where) + "unknown cell character '" + ch + "'";
            return false;
        }
        if (row >= kMapSize || column >= kMapSize) {
            error = std::string(where) + "the picture is larger than 128 x 128";
            return false;
        }
        std::uint8_t* p = &map.bgra[static_cast<std::size_t>(row * kMapRowBytes + column * kMapPixelBytes)];
        p[0] = cell->blue;
        p[1] = cell->green;
        p[2] = cell->red;
        p[3] = 255;
        ++column;
    }
    return true;
}

std::vector<std::uint8_t> EncodeTga(const MapImage& map)
{
    std::vector<std::uint8_t> file(18 + map.bgra.size(), 0);
    file[2] = 2;  // uncompressed true colour
    file[12] = kMapSize & 0xFF;
    file[13] = kMapSize >> 8;
    file[14] = kMapSize & 0xFF;
    file[15] = kMapSize >> 8;
    file[16] = 32;
    file[17] = 0x28;  // 8 alpha bits, origin top left
    std::memcpy(file.data() + 18, map.bgra.data(), map.bgra.size());
    return file;
}

bool WriteTga(const std::string& path, const MapImage& map, std::string& error)
{
    const std::vector<std::uint8_t> bytes = EncodeTga(map);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = path + ": cannot be written";
        return false;
    }
    return true;
}

bool ReadMapImage(const std::string& path, MapImage& map)
{
    IDirect3DDevice9* const savedDevice = Gpu.device;
    IDirect3DTexture9* const savedMap = Gpu.mapTexture;
    Gpu.mapTexture = nullptr;
    GfxRecorder recorder;
    Gpu.device = GfxCreateRecordingDevice(&recorder);
    bool ok = Gpu.device != nullptr && SUCCEEDED(LoadLevelFile(path.c_str()));
    D3DLOCKED_RECT locked{};
    ok = ok && SUCCEEDED(Gpu.mapTexture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
    if (ok) {
        for (int row = 0; row < kMapSize; ++row) {
            std::memcpy(map.bgra.data() + static_cast<std::size_t>(row) * kMapRowBytes,
                        static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::size_t>(row) * locked.Pitch,
                        kMapRowBytes);
        }
        Gpu.mapTexture->UnlockRect(0);
    }
    if (Gpu.mapTexture != nullptr) {
        Gpu.mapTexture->Release();
        Gpu.mapTexture = nullptr;
    }
    World.ReleaseBuffer();
    if (Gpu.device != nullptr) {
        Gpu.device->Release();
    }
    Gpu.device = savedDevice;
    Gpu.mapTexture = savedMap;
    return ok;
}
