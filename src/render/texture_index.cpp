#include "render/texture_index.h"

#include "render/gpu/graphics_objects.h"

namespace {

const TextureIndexEntry kTable[kTextureIndexCount] = {
    {&Gpu.textures[kPicLeg], &Gpu.textures[kPicLeg], false},
    {&Gpu.textures[kPicGround], &Gpu.textures[kPicParticleDrop], false},
    {&Gpu.textures[kPicKnee], &Gpu.textures[kPicKnee], false},
    {&Gpu.textures[kPicHeadface], &Gpu.textures[kPicHeadface], true},
    {&Gpu.textures[kPicSky], &Gpu.textures[kPicSky], false},
    {&Gpu.textures[kPicLeg], &Gpu.textures[kPicLeg], false},  // unused
    {&Gpu.textures[kPicSpikes], &Gpu.textures[kPicArrow], false},
    {&Gpu.textures[kPicEye], &Gpu.textures[kPicEye], false},
    {&Gpu.textures[kPicAntenna], &Gpu.textures[kPicAntenna], false},
    {&Gpu.textures[kPicGameTitle], &Gpu.textures[kPicGameTitle], false},
    {&Gpu.textures[kPicLevelUp], &Gpu.textures[kPicLevelUp], false},
    {&Gpu.textures[kPicGameEnd], &Gpu.textures[kPicGameEnd], false},
    {&Gpu.textures[kPicRetry], &Gpu.textures[kPicRetry], false},
};

}  // namespace

const TextureIndexEntry& LookupTextureIndex(int index)
{
    if (index < 0 || index >= kTextureIndexCount) {
        return kTable[kTexLeg];
    }
    return kTable[index];
}
