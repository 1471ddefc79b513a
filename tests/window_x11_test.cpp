// The window on a real X server (Xvfb): the display takes only its own 1024 x 768 mode,
// and the context is double-buffered.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Window.h"
#include "WindowCreation.h"
#include "XvfbDisplay.h"
#include "Zemb/Exception.h"

namespace
{
    std::unique_ptr<XvfbDisplay> server;

    class OnX : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            server = std::make_unique<XvfbDisplay>();
            if (server->IsRunning())
            {
                setenv("DISPLAY", server->Name().c_str(), 1);
                setenv("SDL_VIDEODRIVER", "x11", 1);
            }
        }
        static void TearDownTestSuite() { server.reset(); }

        void SetUp() override
        {
            if (!server->IsRunning())
                GTEST_SKIP() << "Xvfb could not be started";
        }
    };
}

TEST_F(OnX, FullScreenAtTheDisplaysModeIsDoubleBuffered)
{
    GLWindow window("Morvane - Kelvorandum", true, 1024, 768, 0x00CA0000);
    ASSERT_TRUE(window.IsOpen());
    int doubleBuffered = 0, depthBits = 0;
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits);
    EXPECT_EQ(doubleBuffered, 1);
    EXPECT_GE(depthBits, 24);
    window.Update();
}

TEST_F(OnX, ModeTheDisplayCannotTakeIsRefusedBeforeAnyWindowExists)
{
    EXPECT_EQ(WindowCreationError(true, 1000, 700), "Could not create fullscreen window");
    EXPECT_EQ(WindowCreationError(false, 1000, 700), "") << "the refusal released the window class";
}
