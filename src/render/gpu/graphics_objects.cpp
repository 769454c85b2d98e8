#include "render/gpu/graphics_objects.h"

IDirect3DDevice9* Device = nullptr;
ID3DXEffect* Effect = nullptr;
IDirect3DVertexBuffer9* SharedVertexBuffer = nullptr;
D3DXHANDLE WorldViewProjectionParam = nullptr;
D3DXHANDLE WorldLightingTechnique = nullptr;

IDirect3DTexture9* LegTexture = nullptr;
IDirect3DTexture9* SkyTexture = nullptr;
IDirect3DTexture9* GroundTexture = nullptr;
IDirect3DTexture9* KneeTexture = nullptr;
IDirect3DTexture9* HeadfaceTexture = nullptr;
IDirect3DTexture9* SpikesTexture = nullptr;
IDirect3DTexture9* EyeTexture = nullptr;
IDirect3DTexture9* AntennaTexture = nullptr;
IDirect3DTexture9* GameTitleTexture = nullptr;
IDirect3DTexture9* GrassTexture = nullptr;
IDirect3DTexture9* EndTexture = nullptr;
IDirect3DTexture9* LevelUpTexture = nullptr;
IDirect3DTexture9* GameEndTexture = nullptr;
IDirect3DTexture9* Grass2Texture = nullptr;
IDirect3DTexture9* ParticleDropTexture = nullptr;
IDirect3DTexture9* ArrowTexture = nullptr;
IDirect3DTexture9* RetryTexture = nullptr;

const TextureFile kTextureFiles[kTextureFileCount] = {
    {"data/Leg.tga", &LegTexture},
    {"data/sky.tga", &SkyTexture},
    {"data/ground.tga", &GroundTexture},
    {"data/knee.tga", &KneeTexture},
    {"data/headface.tga", &HeadfaceTexture},
    {"data/spikes.tga", &SpikesTexture},
    {"data/eye.tga", &EyeTexture},
    {"data/Antenna.tga", &AntennaTexture},
    {"data/GameTitle.tga", &GameTitleTexture},
    {"data/grass.tga", &GrassTexture},
    {"data/end.tga", &EndTexture},
    {"data/LevelUp.tga", &LevelUpTexture},
    {"data/GameEnd.tga", &GameEndTexture},
    {"data/Grass2.tga", &Grass2Texture},
    {"data/ParticleDrop.tga", &ParticleDropTexture},
    {"data/arrow.tga", &ArrowTexture},
    {"data/retry.tga", &RetryTexture},
};
