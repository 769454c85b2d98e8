#pragma once

// What the drawing carries from one frame to the next for the whole run; none of it is
// reset between levels or screens.

#include "math/vector.h"
#include "platform/gfx/d3dx9.h"

// What a still screen's pixels follow: two frames with the same key show the same picture.
struct StillScreenKey {
    int picture = -1;   // texture index of the screen's picture
    int shown[2] = {};  // the numbers drawn on it
    float pointerX = 0.0f;
    float pointerY = 0.0f;
    float wind = 0.0f;
    D3DXMATRIX view{};
    D3DXMATRIX projection{};
};

struct SceneState {
    // The smoothed camera position: x and y follow the creature, z is the eye's -8, w stays 1.
    // After a level change the camera glides from wherever it was.
    Vector4 cameraPoint{0.0f, 0.0f, 0.0f, 1.0f};
    // The effect's "WindAmount": 0.1 more per world draw.
    float windAmount = 0.0f;
    // The camera's view and projection as last set, so the world can leave out what the
    // view cannot reach; until a camera is set the world draws whole.
    D3DXMATRIX viewProjection{};
    bool viewKnown = false;
    // The still screen kept in Gpu.stillScreen, and whether one is; the last one drawn.
    StillScreenKey stillKept{};
    bool stillKeptValid = false;
    StillScreenKey stillSeen{};
    bool stillSeenValid = false;

    // Back to how the process starts; the game itself never calls it.
    void Reset() { *this = SceneState{}; }
};
extern SceneState Scene;
