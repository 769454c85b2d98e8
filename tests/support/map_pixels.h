#pragma once

#include <cstdint>
#include <vector>

#include "world/level_scan.h"

// A 128 x 128 map in the locked layout the scan reads: blue, green, red, alpha.
struct MapPixels {
    std::int32_t pitch = kMapRowBytes;
    std::vector<std::uint8_t> bytes;

    explicit MapPixels(std::int32_t rowPitch = kMapRowBytes)
        : pitch(rowPitch), bytes(static_cast<std::size_t>(rowPitch) * kMapSize, 0)
    {
    }

    void Set(int column, int row, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
    {
        std::uint8_t* p = &bytes[static_cast<std::size_t>(row) * pitch + static_cast<std::size_t>(column) * 4];
        p[0] = blue;
        p[1] = green;
        p[2] = red;
        p[3] = alpha;
    }

    void Solid(int c, int r) { Set(c, r, 255, 255, 255); }
    void Scenery(int c, int r) { Set(c, r, 0, 200, 0); }
    void SpikeUp(int c, int r) { Set(c, r, 255, 0, 255); }
    void SpikeDown(int c, int r) { Set(c, r, 255, 255, 0); }
    void Start(int c, int r) { Set(c, r, 255, 0, 0); }
    void Goal(int c, int r) { Set(c, r, 0, 0, 255); }
};

// The three lists and two points a scan fills, as the level loader holds them.
struct ScanLists {
    BoxList blocks{kWorldBoxCapacity};
    BoxList spikes{kWorldBoxCapacity};
    BoxList collision{kCollisionBoxCapacity};
    Vector4 start{0, 0, 0, 1};
    Vector4 goal{0, 0, 0, 1};

    ScanLists() = default;
    explicit ScanLists(const MapPixels& map) { Scan(map); }

    MapScanCounts Scan(const MapPixels& map)
    {
        return ScanMap(map.bytes.data(), map.pitch, blocks, spikes, collision, start, goal);
    }
};
