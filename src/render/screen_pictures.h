#pragma once

#include "math/vector.h"

// The sky: a 70 x 70 quad five units behind the level plane, added onto the cleared target.
// Expects an empty batch; leaves the batch empty and depth writes on.
void DrawSky();

// One closed strip facing the camera, 2 x halfSize square around `centre`, with the picture
// upright; drawn by the caller's flush.
void AddScreenQuad(const Vector4& centre, float halfSize);

// The arrow above the screen centre that points from the creature towards the goal.
void DrawGoalArrow();
