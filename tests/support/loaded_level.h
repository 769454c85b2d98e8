#pragma once

// Puts the level globals back as the program starts them, so one test's level cannot leak
// into the next. For programs that link the shell's level loader.

#include "creature/creature.h"
#include "platform/gfx/d3d9.h"
#include "shell/level_load.h"
#include "world/world.h"

inline void ForgetLoadedLevel()
{
    World.ReleaseBuffer();
    if (Gpu.mapTexture != nullptr) {
        Gpu.mapTexture->Release();
        Gpu.mapTexture = nullptr;
    }
    World.ClearContents();
    World.startPoint = Vector4{0, 0, 0, 1};
    World.goalPoint = Vector4{0, 0, 0, 1};
    Creature.bodySystem.boxes.Empty();
}
