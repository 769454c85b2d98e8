#pragma once

// The small integers by which a draw batch names its pictures. Each index pairs the
// texture bound to sampler stage 0 with the one handed to the effect's
// "RenderTargetTexture"; the pairs point at the shell's texture globals, so the table is
// valid before and after the textures are loaded.

class IDirect3DTexture9;

struct TextureIndexEntry {
    IDirect3DTexture9* const* stage0;
    IDirect3DTexture9* const* effect;
    bool depthWritesOff;  // the head is drawn without writing depth
};

constexpr int kTextureIndexCount = 13;

enum : int {
    kTexLeg = 0,
    kTexDrop = 1,
    kTexKnee = 2,
    kTexHead = 3,
    kTexSky = 4,
    kTexArrow = 6,
    kTexEye = 7,
    kTexAntenna = 8,
    kTexTitle = 9,
    kTexLevelUp = 10,
    kTexGameEnd = 11,
    kTexRetry = 12,
};

// Index 5 is unused and, like any index outside 0..12, draws as 0 (the leg picture).
const TextureIndexEntry& LookupTextureIndex(int index);
