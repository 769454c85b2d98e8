#pragma once

// The process-wide graphics objects that the game's drawing shares. All start as null;
// device set-up creates them and Shutdown releases each once and clears it again.

#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"

extern IDirect3DDevice9* Device;
extern ID3DXEffect* Effect;
// The draw batch's store: 2,000,000 vertices of 36 bytes.
extern IDirect3DVertexBuffer9* SharedVertexBuffer;
extern D3DXHANDLE WorldViewProjectionParam;
// Looked up again at the start of every frame.
extern D3DXHANDLE WorldLightingTechnique;

// The seventeen pictures, named after their files.
extern IDirect3DTexture9* LegTexture;
extern IDirect3DTexture9* SkyTexture;
extern IDirect3DTexture9* GroundTexture;
extern IDirect3DTexture9* KneeTexture;
extern IDirect3DTexture9* HeadfaceTexture;
extern IDirect3DTexture9* SpikesTexture;
extern IDirect3DTexture9* EyeTexture;
extern IDirect3DTexture9* AntennaTexture;
extern IDirect3DTexture9* GameTitleTexture;
extern IDirect3DTexture9* GrassTexture;
extern IDirect3DTexture9* EndTexture;
extern IDirect3DTexture9* LevelUpTexture;
extern IDirect3DTexture9* GameEndTexture;
extern IDirect3DTexture9* Grass2Texture;
extern IDirect3DTexture9* ParticleDropTexture;
extern IDirect3DTexture9* ArrowTexture;
extern IDirect3DTexture9* RetryTexture;

// The pictures in load order, each with the global it is loaded into.
struct TextureFile {
    const char* file;
    IDirect3DTexture9** texture;
};
constexpr int kTextureFileCount = 17;
extern const TextureFile kTextureFiles[kTextureFileCount];
