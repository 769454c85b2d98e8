#pragma once

// What the drawing carries from one frame to the next for the whole run; neither value is
// reset between levels or screens.

#include "math/vector.h"

struct SceneState {
    // The smoothed camera position: x and y follow the creature, z is the eye's -8, w stays 1.
    // After a level change the camera glides from wherever it was.
    Vector4 cameraPoint{0.0f, 0.0f, 0.0f, 1.0f};
    // The effect's "WindAmount": 0.1 more per world draw.
    float windAmount = 0.0f;

    // Back to how the process starts; the game itself never calls it.
    void Reset() { *this = SceneState{}; }
};
extern SceneState Scene;
