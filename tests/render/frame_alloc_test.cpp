// Its own program: global operator new is replaced to count allocations.
#include <gtest/gtest.h>

#include "support/counting_allocator.h"
#include "gl_scene.h"

namespace {

TEST(FrameAllocation, AWarmPlayingFrameAllocatesNothing)
{
    GlScene scene;
    const std::string error = scene.Open();
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_TRUE(scene.Stage(DenseMap(), kDropBurstSlots, 10));
    for (int i = 0; i < 5; ++i) {
        scene.DrawFrame();
        scene.Present();
    }
    const long before = counting_allocator::Count();
    for (int i = 0; i < 30; ++i) {
        scene.DrawFrame();
        scene.Present();
    }
    EXPECT_EQ(counting_allocator::Count() - before, 0);
    // The counter does see the graphics layer's allocations: making a texture allocates.
    const long beforeTexture = counting_allocator::Count();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Gpu.device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
    EXPECT_GT(counting_allocator::Count(), beforeTexture);
    texture->Release();
    scene.Close();
    for (CDropBurst& burst : Drops.bursts) {
        burst = CDropBurst{};
    }
}

}  // namespace
