#include "render/texture_index.h"

#include "render/gpu/graphics_objects.h"

namespace {

const TextureIndexEntry kTable[kTextureIndexCount] = {
#define TARNWICK_DRAW_PICTURE_ENTRY(name, stage0, effect, depthOff) \
    {&Gpu.textures[stage0], &Gpu.textures[effect], depthOff},
    TARNWICK_DRAW_PICTURES(TARNWICK_DRAW_PICTURE_ENTRY)
#undef TARNWICK_DRAW_PICTURE_ENTRY
};

}  // namespace

const TextureIndexEntry& LookupTextureIndex(int index)
{
    if (index < 0 || index >= kTextureIndexCount) {
        return kTable[kTexLeg];
    }
    return kTable[index];
}
