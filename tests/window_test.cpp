// The window and its GL context on SDL's headless driver: states, notifications,
// the one-window rule, the full-screen mode and the context we ask for.
#include <gtest/gtest.h>

#include <string>

#include "GL.h"
#include "Zemb/Exception.h"
#include "Input.h"
#include "Window.h"
#include "WindowCreation.h"

namespace
{
    void PushWindowEvent(Window& window, Uint8 what, int data1, int data2)
    {
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(window.GetHandle());
        event.window.event = what;
        event.window.data1 = data1;
        event.window.data2 = data2;
        SDL_PushEvent(&event);
    }
}

TEST(GLWindow, FullScreenWindowHasTheContextWeAskFor)
{
    GLWindow window("Morvane - Kelvorandum", true, 1024, 768, 0x00CA0000);
    ASSERT_TRUE(window.IsOpen());
    EXPECT_EQ(window.GetWidth(), 1024);
    EXPECT_EQ(window.GetHeight(), 768);
    EXPECT_EQ(window.GetAspectRatio(), 1024.0f / 768.0f);
    EXPECT_STREQ(SDL_GetWindowTitle(window.GetHandle()), "Morvane - Kelvorandum");
    EXPECT_TRUE(SDL_GetWindowFlags(window.GetHandle()) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    ASSERT_NE(SDL_GL_GetCurrentContext(), nullptr);
    std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_NE(version.find("Compatibility"), std::string::npos) << version;
    // The headless surface is a single-buffered pbuffer; double buffering is checked on X.
    int depthBits = 0, redBits = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits);
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &redBits);
    EXPECT_GE(depthBits, 24);
    EXPECT_EQ(redBits, 8);

    Extensions::Load();
    for (int i = 0; i < Extensions::entryPointCount; ++i)
        EXPECT_NE(Extensions::EntryPointAddress(i), nullptr) << Extensions::EntryPointName(i);

    window.Close();
    EXPECT_FALSE(window.IsOpen());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    window.Close();
    EXPECT_FALSE(window.IsOpen());
}

TEST(GLWindow, OnlyOneWindowAtATime)
{
    {
        GLWindow first("first", false, 640, 480, 0x00CA0000);
        EXPECT_EQ(WindowCreationError(false, 320, 200), "Could not register window class");
        EXPECT_TRUE(first.IsOpen());
    }
    EXPECT_EQ(WindowCreationError(false, 320, 200), "");

    GLWindow reopened("again", false, 640, 480, 0x00CA0000);
    reopened.Close();
    reopened.Create("again", false, 800, 600, 0x00CA0000);
    EXPECT_TRUE(reopened.IsOpen());
    EXPECT_EQ(reopened.GetWidth(), 800);
}

TEST(GLWindow, WindowedClientAreaHasTheAskedSize)
{
    GLWindow window("windowed", false, 1024, 768, 0x00CA0000);
    int width = 0, height = 0;
    SDL_GetWindowSize(window.GetHandle(), &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_FALSE(SDL_GetWindowFlags(window.GetHandle()) & SDL_WINDOW_FULLSCREEN);
}

TEST(GLWindow, NotificationsUpdateTheFields)
{
    GLWindow window("notified", false, 1024, 768, 0x00CA0000);
    PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
    PushWindowEvent(window, SDL_WINDOWEVENT_MOVED, 30, 40);
    window.Update();
    EXPECT_EQ(window.GetWidth(), 800);
    EXPECT_EQ(window.GetHeight(), 600);
    EXPECT_EQ(window.GetAspectRatio(), 800.0f / 600.0f);
    EXPECT_EQ(window.GetX(), 30);
    EXPECT_EQ(window.GetY(), 40);

    window.SetSize(640, 480);
    int width = 0, height = 0;
    SDL_GetWindowSize(window.GetHandle(), &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(window.GetAspectRatio(), 640.0f / 480.0f);

    window.SetTitle("renamed");
    EXPECT_STREQ(SDL_GetWindowTitle(window.GetHandle()), "renamed");
    window.Close();
    window.SetTitle("ignored while closed");
}

TEST(GLWindow, CloseRequestKeepsTheWindowOpenAndStopsTheLoop)
{
    Input::Reset();
    GLWindow window("closing", false, 640, 480, 0x00CA0000);
    window.Update();
    EXPECT_FALSE(Input::StopRequested());
    PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE, 0, 0);
    window.Update();
    EXPECT_TRUE(window.IsOpen());
    EXPECT_TRUE(Input::StopRequested());
    Input::Reset();
}

TEST(Input, EscapePressedSinceThePreviousPollCountsOnce)
{
    Input::Reset();
    GLWindow window("keys", false, 640, 480, 0x00CA0000);
    SDL_Event press = {};
    press.type = SDL_KEYDOWN;
    press.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    press.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&press);
    window.Update();
    EXPECT_TRUE(Input::StopRequested());
    EXPECT_FALSE(Input::StopRequested());

    SDL_Event other = press;
    other.key.keysym.scancode = SDL_SCANCODE_SPACE;
    SDL_PushEvent(&other);
    window.Update();
    EXPECT_FALSE(Input::StopRequested());

    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    window.Update();
    EXPECT_TRUE(Input::StopRequested());
    EXPECT_TRUE(Input::StopRequested()) << "a quit request is not forgotten";
    Input::Reset();
}
