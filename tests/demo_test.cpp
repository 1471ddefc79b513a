// The demo in this process on the headless GL context: the end of the timeline, a GL
// error after a frame, the state a frame leaves, and frames that allocate nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <thread>

#include "Bloom.h"
#include "HeadlessDemo.h"
#include "PerkProc.h"
#include "Zemb/Exception.h"

// The replacements below pair malloc with free themselves; the compiler cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace
{
    // Counts heap allocations made by the main thread while armed.
    std::atomic<bool> counting{false};
    std::atomic<long> allocations{0};
    std::thread::id mainThread = std::this_thread::get_id();
}

void* operator new(std::size_t size)
{
    if (counting && std::this_thread::get_id() == mainThread)
        ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace
{
    class DemoTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite() { running.emplace(); }
        static void TearDownTestSuite() { running.reset(); }

        static bool FrameAt(double seconds) { return running->FrameAt(seconds); }

        static std::optional<HeadlessDemo> running;
    };

    std::optional<HeadlessDemo> DemoTest::running;

    int Integer(GLenum what)
    {
        GLint value = -1;
        glGetIntegerv(what, &value);
        return value;
    }
}

TEST_F(DemoTest, TimelineEndsAtSixtyFiveSeconds)
{
    ASSERT_TRUE(running->GetAudio().HasChannel()) << "the music is needed to drive the clock";
    EXPECT_TRUE(FrameAt(0.0));
    EXPECT_TRUE(FrameAt(64.999));
    EXPECT_FALSE(FrameAt(65.0));
    EXPECT_FALSE(FrameAt(70.0));
}

TEST_F(DemoTest, FrameLeavesTheStateTheNextOneExpects)
{
    glViewport(0, 0, 1024, 768);
    ASSERT_TRUE(FrameAt(12.0));
    EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(Integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);

    // The blur restores the caller's viewport although it draws at 512, 256 and 128.
    glViewport(3, 4, 300, 200);
    Bloom::Blur();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[2], 300);
    EXPECT_EQ(Integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(VrelSucks::Instance(), VrelSucks::Instance());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DemoTest, GLErrorAfterAFrameIsFatal)
{
    glEnable(0xFFFF);
    try
    {
        FrameAt(5.0);
        FAIL() << "the pending error was not reported";
    }
    catch (const Zemb::Exception& exception)
    {
        EXPECT_STREQ(exception.GetMessage().CStr(), "GL error has occurred: invalid enumerant");
        EXPECT_STREQ(exception.GetFile().CStr(), "Demo.cpp");
    }
    EXPECT_TRUE(FrameAt(5.0)) << "the error was read once and cleared";
}

TEST_F(DemoTest, FramesAllocateNothing)
{
    // The first pass loads the tracks (and lets the GL driver build its code for each
    // picture's state); the second pass over the same moments must not touch the heap.
    const double moments[] = {2.0, 17.5, 33.3, 47.0, 62.0};
    for (double t : moments)
        ASSERT_TRUE(FrameAt(t));
    allocations = 0;
    counting = true;
    bool drawn = true;
    for (double t : moments)
        drawn = FrameAt(t) && drawn;
    counting = false;
    EXPECT_TRUE(drawn);
    EXPECT_EQ(allocations.load(), 0);
}
