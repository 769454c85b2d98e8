#pragma once

#include "math/vector.h"

// The smoothed camera position: x and y follow the creature, z is the eye's -8, w stays 1.
// Never reset, so after a level change the camera glides from wherever it was.
extern Vector4 CameraPoint;

// Moves the camera halfway towards the creature (clamped to the play area) and sets the
// view and projection for the fixed-function pipeline and the effect.
void UpdateCamera();
