#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "map_text.h"
#include "math/vector.h"

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
void DrawMap(PixelCanvas& canvas, const MapView& view, const MapImage& map);
// The creature as the global one stands now: legs, antennae, head and grip marks.
void DrawCreature(PixelCanvas& canvas, const MapView& view);
