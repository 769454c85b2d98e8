#pragma once

// The process-wide graphics objects that the game's drawing shares. All start as null;
// device set-up creates them and Shutdown releases them through Reset.

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"

// The pictures in load order: each one's name and file. The index enum and the file table
// below are both made from this one list, so they cannot disagree.
// clang-format off
#define TARNWICK_PICTURES(X) \
    X(Leg, "data/Leg.tga") \
    X(Sky, "data/sky.tga") \
    X(Ground, "data/ground.tga") \
    X(Knee, "data/knee.tga") \
    X(Headface, "data/headface.tga") \
    X(Spikes, "data/spikes.tga") \
    X(Eye, "data/eye.tga") \
    X(Antenna, "data/Antenna.tga") \
    X(GameTitle, "data/GameTitle.tga") \
    X(Grass, "data/grass.tga") \
    X(End, "data/end.tga") \
    X(LevelUp, "data/LevelUp.tga") \
    X(GameEnd, "data/GameEnd.tga") \
    X(Grass2, "data/Grass2.tga") \
    X(ParticleDrop, "data/ParticleDrop.tga") \
    X(Arrow, "data/arrow.tga") \
    X(Retry, "data/retry.tga") \
    X(LevelUpStep, "data/LevelUpStep.tga") \
    X(LevelUpClimb, "data/LevelUpClimb.tga") \
    X(LevelUpSwing, "data/LevelUpSwing.tga")
// clang-format on

enum PictureIndex : int {
#define TARNWICK_PICTURE_INDEX(name, file) kPic##name,
    TARNWICK_PICTURES(TARNWICK_PICTURE_INDEX)
#undef TARNWICK_PICTURE_INDEX
        kPictureCount,
};

struct GpuObjects {
    IDirect3D9* direct3D = nullptr;
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    // The draw batch's store: 2,000,000 vertices of 36 bytes.
    IDirect3DVertexBuffer9* sharedVertexBuffer = nullptr;
    D3DXHANDLE worldViewProjectionParam = nullptr;
    // Looked up again at the start of every frame.
    D3DXHANDLE worldLightingTechnique = nullptr;
    // The screens' pictures; the world's technique where the effect has none of its own.
    D3DXHANDLE screenPictureTechnique = nullptr;

    // The render targets made at start-up.
    IDirect3DTexture9* sceneTarget = nullptr;
    IDirect3DSurface9* sceneSurface = nullptr;
    IDirect3DTexture9* colorTarget64 = nullptr;
    IDirect3DSurface9* colorSurface64 = nullptr;
    IDirect3DTexture9* floatTarget64 = nullptr;
    IDirect3DSurface9* floatSurface64 = nullptr;
    // The back buffer, kept while the targets are cleared and set back afterwards.
    IDirect3DSurface9* keptRenderTarget = nullptr;
    // A still screen's last frame, the back buffer's size; made at its first use, and not
    // asked for again once refused.
    IDirect3DTexture9* stillScreen = nullptr;
    IDirect3DSurface9* stillScreenSurface = nullptr;
    bool stillScreenRefused = false;

    IDirect3DTexture9* textures[kPictureCount] = {};
    // The current level's map image, held from one load to the next; Shutdown releases it.
    IDirect3DTexture9* mapTexture = nullptr;

    // Releases what is held, each object once, and puts everything back to null: the shared
    // buffer, the pictures (the map image after the title), the effect, the targets and
    // their surfaces, the still screen, the device and Direct3D last.
    void Reset();
};
extern GpuObjects Gpu;

// The pictures in load order, each with the global it is loaded into.
struct TextureFile {
    const char* file;
    IDirect3DTexture9** texture;
};
constexpr int kTextureFileCount = kPictureCount;
extern const TextureFile kTextureFiles[kTextureFileCount];
