#pragma once

// The small integers by which a draw batch names its pictures. Each index pairs the
// texture bound to sampler stage 0 with the one handed to the effect's
// "RenderTargetTexture"; the pairs point into Gpu.textures, so the table is valid before
// and after the textures are loaded.

#include "render/gpu/graphics_objects.h"

// Each index's name, its two pictures, and whether it draws without writing depth (the head).
// clang-format off
#define TARNWICK_DRAW_PICTURES(X) \
    X(Leg, kPicLeg, kPicLeg, false) \
    X(Drop, kPicGround, kPicParticleDrop, false) \
    X(Knee, kPicKnee, kPicKnee, false) \
    X(Head, kPicHeadface, kPicHeadface, true) \
    X(Sky, kPicSky, kPicSky, false) \
    X(Arrow, kPicSpikes, kPicArrow, false) \
    X(Eye, kPicEye, kPicEye, false) \
    X(Antenna, kPicAntenna, kPicAntenna, false) \
    X(Title, kPicGameTitle, kPicGameTitle, false) \
    X(LevelUp, kPicLevelUp, kPicLevelUp, false) \
    X(GameEnd, kPicGameEnd, kPicGameEnd, false) \
    X(Retry, kPicRetry, kPicRetry, false) \
    X(LevelUpStep, kPicLevelUpStep, kPicLevelUpStep, false) \
    X(LevelUpClimb, kPicLevelUpClimb, kPicLevelUpClimb, false) \
    X(LevelUpSwing, kPicLevelUpSwing, kPicLevelUpSwing, false)
// clang-format on

struct TextureIndexEntry {
    IDirect3DTexture9* const* stage0;
    IDirect3DTexture9* const* effect;
    bool depthWritesOff;
};

enum : int {
#define TARNWICK_DRAW_PICTURE_INDEX(name, stage0, effect, depthOff) kTex##name,
    TARNWICK_DRAW_PICTURES(TARNWICK_DRAW_PICTURE_INDEX)
#undef TARNWICK_DRAW_PICTURE_INDEX
        kTextureIndexCount,
};

// Any index outside the table draws as 0 (the leg picture).
const TextureIndexEntry& LookupTextureIndex(int index);
