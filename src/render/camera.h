#pragma once

#include "render/scene_state.h"

// Moves Scene.cameraPoint halfway towards the creature (clamped to the play area) and sets
// the view and projection for the fixed-function pipeline and the effect.
void UpdateCamera();
