#pragma once

// Private to the graphics layer: which triangles of a list can reach each band a focused
// draw is split into, so a band repeats only the vertex work of its own triangles. Pure
// arithmetic on the vertices' positions, no GL.

#include <cstddef>
#include <vector>

// A band of the target in pixels, [x0, x1) x [y0, y1), rows counted from the picture's top.
struct GfxBand {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// The vertices, where they land and how far they may move from it.
struct GfxBandVertices {
    const unsigned char* first = nullptr;  // position of vertex 0: three floats
    std::size_t stride = 0;                // bytes between vertices
    int count = 0;                         // a multiple of 3: a triangle list
    const float* matrix = nullptr;         // 16 floats row by row, clip = (x, y, z, 1) * M
    float margin = 0.0f;                   // the vertex shader moves x, y and z by at most this
};

constexpr int kGfxMaxBands = 5;  // the focus square and four bands round it

// What GfxListBandTriangles makes; kept between draws so its storage is reused.
struct GfxBandLists {
    std::vector<unsigned> indices;        // band after band
    std::size_t ends[kGfxMaxBands] = {};  // where each band's run ends in `indices`
    std::vector<float> boxes;             // scratch: each triangle's reach in pixels
};

// Lists, band after band, the numbers (first + k) of the vertices of every triangle whose
// pixels can fall in that band, in the list's order. A triangle that may reach the camera
// plane is listed in every band. Returns false, listing nothing, when the vertices are not
// whole triangles. At most kGfxMaxBands bands.
bool GfxListBandTriangles(const GfxBandVertices& v, int width, int height, const GfxBand* bands, int bandCount,
                          unsigned first, GfxBandLists* out);
