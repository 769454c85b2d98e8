#pragma once

// Which part of a run of quads can reach the view, so the world draws the few hundred quads
// round the camera instead of the whole level's (at small sizes their vertices cost more than
// their pixels).

#include <cstdint>

#include "math/vertex.h"
#include "platform/gfx/d3dx9.h"

// Vertices [first, end) of the mesh; first == end draws nothing.
struct VertexSpan {
    std::int32_t first = 0;
    std::int32_t end = 0;
};

// The shortest span of [begin, end) holding every quad (six vertices, as the world builds
// them) that may cover a pixel of the view once each side is moved out by `margin` world
// units (the wind sways the tufts' tops). A quad is left out only when all four corners of
// its grown rectangle lie beyond one edge of the view; a corner behind the eye keeps it.
// A range that is not whole quads is kept whole.
VertexSpan VisibleQuads(const Vertex* mesh, std::int32_t begin, std::int32_t end, const D3DXMATRIX& viewProjection,
                        float margin);
