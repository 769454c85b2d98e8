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
#define TARNWICK_PICTURE_FILE(name, file) {file, &Gpu.textures[kPic##name]},
    TARNWICK_PICTURES(TARNWICK_PICTURE_FILE)
#undef TARNWICK_PICTURE_FILE
};
