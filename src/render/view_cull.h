#pragma once

// Which quads of a run can reach the view, so the world draws the few hundred quads round the
// camera instead of the whole level's (at small sizes their vertices cost more than their
// pixels, and the focus bands repeat them).

#include <cstdint>

#include "math/vertex.h"
#include "platform/gfx/d3dx9.h"

// The first vertex of every quad (six vertices, as the world builds them) of [begin, end) that
// may cover a pixel of the view once each side is moved out by `margin` world units (the wind
// sways the tufts' tops), in mesh order, into `quads` (room for (end - begin) / 6 entries).
// A quad is left out only when all four corners of its grown rectangle lie beyond one edge of
// the view; a corner behind the eye keeps it. Returns how many; -1 for a range that is not
// whole quads, which is to be drawn whole.
std::int32_t VisibleQuadList(const Vertex* mesh, std::int32_t begin, std::int32_t end, const D3DXMATRIX& viewProjection,
                             float margin, std::int32_t* quads);
