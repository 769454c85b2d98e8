// Its own program: global operator new is replaced to count allocations.
#include <gtest/gtest.h>

#include "counting_new.h"
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
    const long before = HeapAllocations();
    for (int i = 0; i < 30; ++i) {
        scene.DrawFrame();
        scene.Present();
    }
    EXPECT_EQ(HeapAllocations() - before, 0);
    // The counter does see the graphics layer's allocations: making a texture allocates.
    const long beforeTexture = HeapAllocations();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
    EXPECT_GT(HeapAllocations(), beforeTexture);
    texture->Release();
    scene.Close();
    for (CDropBurst& burst : DropBursts) {
        burst = CDropBurst{};
    }
}

}  // namespace
