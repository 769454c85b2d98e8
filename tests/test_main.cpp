#include <cstdlib>

#include <gtest/gtest.h>

// Every test runs headless: SDL's offscreen EGL video driver and its dummy audio driver.
// Set here rather than through CTest so a test binary run by hand behaves the same.
int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
