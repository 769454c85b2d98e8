#pragma once

// The creature's parts as colour functions of a pixel position, shared by its sprites and the
// screen pictures that show it. Positions and sizes are in pixels.

#include "canvas.h"

// A soft, round, lit blob with an ink rim (head, knees, feet, eyes all start from it).
Rgba Blob(float x, float y, float cx, float cy, float rx, float ry, Rgba base, Rgba deep, float rim);
Rgba Eye(float x, float y, float cx, float cy, float r);
Rgba Head(float x, float y, float cx, float cy, float r);
// A rounded limb of half width w from a to b, lit across its width.
Rgba Limb(float x, float y, float ax, float ay, float bx, float by, float w);
// The knee and gripping-foot ball; the released foot pad.
Rgba Joint(float x, float y, float cx, float cy, float r);
Rgba Foot(float x, float y, float cx, float cy, float r);

// Distance to an arc of radius `radius` around (cx, cy) from angle a0 to a1 (radians,
// y down), drawn `half` thick.
float SdArc(float x, float y, float cx, float cy, float radius, float a0, float a1, float half);
