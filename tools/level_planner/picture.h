#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "map_text.h"
#include "math/vector.h"

// A plain RGB canvas for level overviews and replay strips.
class Canvas {
public:
    Canvas(int w, int h);
    void Fill(int x0, int y0, int x1, int y1, std::uint32_t rgb);
    void Disc(float cx, float cy, float r, std::uint32_t rgb);
    void Line(float x0, float y0, float x1, float y1, std::uint32_t rgb);
    bool WritePng(const std::string& path) const;

    int width;
    int height;

private:
    void Put(int x, int y, std::uint32_t rgb);
    std::vector<unsigned char> pixels;
};

// The part of the map a level uses (its non-empty cells), drawn at `scale` pixels per cell.
struct MapView {
    int firstColumn = 0;
    int firstRow = 0;
    int columns = 128;
    int rows = 128;
    int scale = 4;
    int originX = 0;  // canvas offset of the view

    float X(float worldX) const;
    float Y(float worldY) const;
};

MapView ViewOf(const MapImage& map, int scale);

// Blocks, scenery, spikes (drawn over the cells they reach), start and the goal square.
void DrawMap(Canvas& canvas, const MapView& view, const MapImage& map);
// The creature as the global one stands now: legs, antennae, head and grip marks.
void DrawCreature(Canvas& canvas, const MapView& view);
