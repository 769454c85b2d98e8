#include "render/gpu/graphics_objects.h"

#include "platform/ref_counted.h"

GpuObjects Gpu;

void GpuObjects::Reset()
{
    ReleaseOnce(sharedVertexBuffer);
    for (int i = 0; i < kPictureCount; ++i) {
        ReleaseOnce(textures[i]);
        if (i == kPicGameTitle) {
            ReleaseOnce(mapTexture);
        }
    }
    if (effect != nullptr) {
        effect->OnLostDevice();
        ReleaseOnce(effect);
    }
    ReleaseOnce(sceneSurface);
    ReleaseOnce(floatSurface64);
    ReleaseOnce(sceneTarget);
    ReleaseOnce(floatTarget64);
    // Nothing may outlive the device.
    ReleaseOnce(colorSurface64);
    ReleaseOnce(colorTarget64);
    ReleaseOnce(keptRenderTarget);
    ReleaseOnce(stillScreenSurface);
    ReleaseOnce(stillScreen);
    ReleaseOnce(device);
    ReleaseOnce(direct3D);
    *this = GpuObjects{};
}

const TextureFile kTextureFiles[kTextureFileCount] = {
    {"data/Leg.tga", &Gpu.textures[kPicLeg]},
    {"data/sky.tga", &Gpu.textures[kPicSky]},
    {"data/ground.tga", &Gpu.textures[kPicGround]},
    {"data/knee.tga", &Gpu.textures[kPicKnee]},
    {"data/headface.tga", &Gpu.textures[kPicHeadface]},
    {"data/spikes.tga", &Gpu.textures[kPicSpikes]},
    {"data/eye.tga", &Gpu.textures[kPicEye]},
    {"data/Antenna.tga", &Gpu.textures[kPicAntenna]},
    {"data/GameTitle.tga", &Gpu.textures[kPicGameTitle]},
    {"data/grass.tga", &Gpu.textures[kPicGrass]},
    {"data/end.tga", &Gpu.textures[kPicEnd]},
    {"data/LevelUp.tga", &Gpu.textures[kPicLevelUp]},
    {"data/GameEnd.tga", &Gpu.textures[kPicGameEnd]},
    {"data/Grass2.tga", &Gpu.textures[kPicGrass2]},
    {"data/ParticleDrop.tga", &Gpu.textures[kPicParticleDrop]},
    {"data/arrow.tga", &Gpu.textures[kPicArrow]},
    {"data/retry.tga", &Gpu.textures[kPicRetry]},
};
