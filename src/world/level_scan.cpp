#include "world/level_scan.h"

PixelClass ClassifyPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    const bool r = red != 0;
    const bool g = green != 0;
    const bool b = blue != 0;
    if (r) {
        if (g && b) {
            return PixelClass::Solid;
        }
        if (b) {
            return PixelClass::SpikeUp;
        }
        if (g) {
            return PixelClass::SpikeDown;
        }
        return PixelClass::Start;
    }
    if (b) {
        return PixelClass::Goal;
    }
    return g ? PixelClass::Scenery : PixelClass::Empty;
}

Vector4 CellCentre(int column, int row, float yBase)
{
    Vector4 p{static_cast<float>(column - 64), static_cast<float>(row - 64), 0.0f, 1.0f};
    p.Scale(kCellSize);
    p.x += kHalfCell;
    // A plain cell negates y (row 64 gives -0, as the negation does); spikes subtract.
    p.y = yBase == 0.0f ? -p.y : yBase - p.y;
    return p;
}

MapScanCounts ScanMap(const std::uint8_t* bits, std::int32_t pitch, BoxList& blocks, BoxList& spikes,
                      BoxList& collision, Vector4& startPoint, Vector4& goalPoint)
{
    MapScanCounts counts;
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            const std::uint8_t* px = bits + static_cast<std::ptrdiff_t>(r) * pitch + c * kMapPixelBytes;
            switch (ClassifyPixel(px[2], px[1], px[0])) {
            case PixelClass::Solid: {
                const Vector4 centre = CellCentre(c, r);
                collision.Append(centre, kHalfCell, kHalfCell, 0);
                blocks.Append(centre, kHalfCell, kHalfCell, 0);
                ++counts.solid;
                break;
            }
            case PixelClass::SpikeUp:
                spikes.Append(CellCentre(c, r, 1.0f), kHalfCell, kSpikeHalfHeight, 0);
                ++counts.spikes;
                break;
            case PixelClass::SpikeDown:
                spikes.Append(CellCentre(c, r, -1.0f), kHalfCell, kSpikeHalfHeight, 1);
                ++counts.spikes;
                break;
            case PixelClass::Start:
                startPoint = CellCentre(c, r);
                ++counts.starts;
                break;
            case PixelClass::Goal:
                goalPoint = CellCentre(c, r);
                ++counts.goals;
                break;
            case PixelClass::Scenery:
                blocks.Append(CellCentre(c, r), kHalfCell, kHalfCell, 0);
                ++counts.scenery;
                break;
            case PixelClass::Empty: break;
            }
        }
    }
    return counts;
}
