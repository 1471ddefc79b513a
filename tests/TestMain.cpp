// Every test runs headless, whatever the desktop it was started from: SDL's offscreen
// video driver (a real GL context on llvmpipe) and its dummy audio driver. Programs the
// tests start inherit the same settings. A test that needs X or the disk audio driver
// sets its own.
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
