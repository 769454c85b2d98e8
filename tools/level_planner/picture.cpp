#include "picture.h"

#include <algorithm>
#include <cmath>

#include "creature/creature.h"
#include "world/level_scan.h"

float MapView::X(float worldX) const
{
    const float left = static_cast<float>(firstColumn - 64) * kCellSize;
    return static_cast<float>(originX) + (worldX - left) / kCellSize * static_cast<float>(scale);
}

float MapView::Y(float worldY) const
{
    const float top = 30.0f + kHalfCell - static_cast<float>(firstRow) * kCellSize;
    return (top - worldY) / kCellSize * static_cast<float>(scale);
}

namespace {
PixelClass ClassAt(const MapImage& map, int c, int r)
{
    const std::uint8_t* px = &map.bgra[static_cast<std::size_t>(r * kMapRowBytes + c * kMapPixelBytes)];
    return ClassifyPixel(px[2], px[1], px[0]);
}
}  // namespace

MapView ViewOf(const MapImage& map, int scale)
{
    int c0 = kMapSize, c1 = -1, r0 = kMapSize, r1 = -1;
    for (int r = 0; r < kMapSize; ++r) {
        for (int c = 0; c < kMapSize; ++c) {
            if (ClassAt(map, c, r) != PixelClass::Empty) {
                c0 = std::min(c0, c);
                c1 = std::max(c1, c);
                r0 = std::min(r0, r);
                r1 = std::max(r1, r);
            }
        }
    }
    MapView view;
    view.scale = scale;
    if (c1 >= 0) {
        view.firstColumn = c0;
        view.firstRow = r0;
        view.columns = c1 - c0 + 1;
        view.rows = r1 - r0 + 1;
    }
    return view;
}

void DrawMap(PixelCanvas& canvas, const MapView& view, const MapImage& map)
{
    const int s = view.scale;
    canvas.Fill(view.originX, 0, view.originX + view.columns * s, view.rows * s, 0x1b2a3a);
    for (int r = 0; r < view.rows; ++r) {
        for (int c = 0; c < view.columns; ++c) {
            const PixelClass k = ClassAt(map, view.firstColumn + c, view.firstRow + r);
            const int x = view.originX + c * s;
            const int y = r * s;
            switch (k) {
            case PixelClass::Solid: {
                // Grass on solid blocks with open sky above, as the game draws it.
                const bool open = view.firstRow + r == 0 ||
                                  ClassAt(map, view.firstColumn + c, view.firstRow + r - 1) != PixelClass::Solid;
                canvas.Fill(x, y, x + s, y + s, 0x8a6a48);
                if (open) {
                    canvas.Fill(x, y, x + s, y + std::max(1, s / 3), 0x5fb346);
                }
                break;
            }
            case PixelClass::Scenery: canvas.Fill(x, y, x + s, y + s, 0x3c5a4a); break;
            case PixelClass::SpikeUp:
            case PixelClass::SpikeDown: {
                // The spike's deadly box: its own cell and the 2.2 units it reaches.
                const bool up = k == PixelClass::SpikeUp;
                const int reach = static_cast<int>(2.234375f / kCellSize * static_cast<float>(s));
                const int y0 = up ? y + s - (reach + s / 2) - s / 2 : y;
                const int y1 = up ? y + s : y + s / 2 + reach + s / 2;
                for (int yy = y0; yy < y1; ++yy) {
                    const float t = up ? static_cast<float>(yy - y0) / static_cast<float>(y1 - y0)
                                       : static_cast<float>(y1 - yy) / static_cast<float>(y1 - y0);
                    const int half = static_cast<int>(t * static_cast<float>(s) * 0.5f);
                    canvas.Fill(x + s / 2 - half, yy, x + s / 2 + half + 1, yy + 1, 0xd94343);
                }
                break;
            }
            case PixelClass::Start:
                canvas.Disc(static_cast<float>(x) + 0.5f * static_cast<float>(s),
                            static_cast<float>(y) + 0.5f * static_cast<float>(s), static_cast<float>(s) * 1.5f,
                            0x4ade80);
                break;
            case PixelClass::Goal: {
                // The goal square is 4 x 4 units round the goal cell.
                const float cx = static_cast<float>(x) + 0.5f * static_cast<float>(s);
                const float cy = static_cast<float>(y) + 0.5f * static_cast<float>(s);
                const float h = 2.0f / kCellSize * static_cast<float>(s);
                canvas.Line(cx - h, cy - h, cx + h, cy - h, 0xfacc15, 2);
                canvas.Line(cx - h, cy + h, cx + h, cy + h, 0xfacc15, 2);
                canvas.Line(cx - h, cy - h, cx - h, cy + h, 0xfacc15, 2);
                canvas.Line(cx + h, cy - h, cx + h, cy + h, 0xfacc15, 2);
                canvas.Disc(cx, cy, static_cast<float>(s), 0xfacc15);
                break;
            }
            default: break;
            }
        }
    }
}

void DrawCreature(PixelCanvas& canvas, const MapView& view)
{
    auto line = [&](const VerletParticle* a, const VerletParticle* b, std::uint32_t rgb) {
        canvas.Line(view.X(a->position.x), view.Y(a->position.y), view.X(b->position.x), view.Y(b->position.y), rgb, 2);
    };
    const CCreature& c = Creature;
    line(c.leftFoot, c.leftKnee, 0xf5f5f4);
    line(c.leftKnee, c.leftLegTop, 0xf5f5f4);
    line(c.rightFoot, c.rightKnee, 0xf5f5f4);
    line(c.rightKnee, c.rightLegTop, 0xf5f5f4);
    line(c.leftAntennaBase, c.leftAntennaTip, 0xfbbf24);
    line(c.rightAntennaBase, c.rightAntennaTip, 0xfbbf24);
    const float unit = static_cast<float>(view.scale) / kCellSize;
    canvas.Disc(view.X(c.body->position.x), view.Y(c.body->position.y + 3.5f), 1.2f * unit, 0x34d399);
    canvas.Disc(view.X(c.leftAntennaTip->position.x), view.Y(c.leftAntennaTip->position.y), 0.25f * unit, 0xffffff);
    canvas.Disc(view.X(c.rightAntennaTip->position.x), view.Y(c.rightAntennaTip->position.y), 0.25f * unit, 0xffffff);
    canvas.Disc(view.X(c.leftFoot->position.x), view.Y(c.leftFoot->position.y), 0.25f * unit,
                c.leftGripping ? 0xef4444 : 0x60a5fa);
    canvas.Disc(view.X(c.rightFoot->position.x), view.Y(c.rightFoot->position.y), 0.25f * unit,
                c.rightGripping ? 0xef4444 : 0x60a5fa);
}
