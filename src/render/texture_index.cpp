#include "render/texture_index.h"

#include "render/gpu/graphics_objects.h"

namespace {

const TextureIndexEntry kTable[kTextureIndexCount] = {
    {&LegTexture, &LegTexture, false},
    {&GroundTexture, &ParticleDropTexture, false},
    {&KneeTexture, &KneeTexture, false},
    {&HeadfaceTexture, &HeadfaceTexture, true},
    {&SkyTexture, &SkyTexture, false},
    {&LegTexture, &LegTexture, false},  // unused
    {&SpikesTexture, &ArrowTexture, false},
    {&EyeTexture, &EyeTexture, false},
    {&AntennaTexture, &AntennaTexture, false},
    {&GameTitleTexture, &GameTitleTexture, false},
    {&LevelUpTexture, &LevelUpTexture, false},
    {&GameEndTexture, &GameEndTexture, false},
    {&RetryTexture, &RetryTexture, false},
};

}  // namespace

const TextureIndexEntry& LookupTextureIndex(int index)
{
    if (index < 0 || index >= kTextureIndexCount) {
        return kTable[kTexLeg];
    }
    return kTable[index];
}
