// Main's order of work, its stop conditions and its report, driven with stand-ins.
#include <gtest/gtest.h>

#include <string>

#include "Main.h"
#include "Zemb/Exception.h"

namespace
{
    std::string trace;
    int framesBeforeEnd;       // Demo::Update returns false after this many frames
    int framesBeforeClose;     // the window reports closed after this many of its updates
    int stopAtPoll;            // the stop poll says yes at this poll (0: never)
    int polls;
    const char* throwIn;       // "window", "demo", "update" or nullptr
    Zemb::String nullMessage;

    bool StandInStop()
    {
        trace += "S";
        return ++polls == stopAtPoll;
    }

    void StandInLoad() { trace += "L "; }

    std::string reportText;
    std::string reportCaption;
    void StandInReport(const Zemb::String& text, const char* caption)
    {
        trace += "R";
        reportText = text.CStr();
        reportCaption = caption;
    }

    struct StandInWindow
    {
        int updates = 0;
        StandInWindow(const char* title, bool fullscreen, int width, int height, unsigned style)
        {
            EXPECT_STREQ(title, "Morvane - Kelvorandum");
            EXPECT_TRUE(fullscreen);
            EXPECT_EQ(width, 1024);
            EXPECT_EQ(height, 768);
            EXPECT_EQ(style, 0x00CA0000u);
            if (throwIn != nullptr && std::string(throwIn) == "window")
                throw Zemb::Exception("Could not create fullscreen window", "src/Window.cpp", 57);
            trace += "W+ ";
        }
        ~StandInWindow() { trace += "W- "; }
        bool IsOpen()
        {
            trace += "O";
            return updates < framesBeforeClose;
        }
        void Update()
        {
            trace += "w ";
            ++updates;
        }
    };

    struct StandInDemo
    {
        int frames = 0;
        StandInDemo()
        {
            if (throwIn != nullptr && std::string(throwIn) == "demo")
                throw Zemb::Exception(nullMessage, "Demo.cpp", 7);
            trace += "D+ ";
        }
        ~StandInDemo() { trace += "D- "; }
        bool Update()
        {
            trace += "U";
            if (throwIn != nullptr && std::string(throwIn) == "update")
                throw Zemb::Exception("GL error has occurred: invalid enumerant", "Demo.cpp", 129);
            return ++frames <= framesBeforeEnd;
        }
    };

    int RunLoop(int framesEnd, int framesClose, int stopPoll, const char* thrower = nullptr)
    {
        trace.clear();
        reportText.clear();
        reportCaption.clear();
        framesBeforeEnd = framesEnd;
        framesBeforeClose = framesClose;
        stopAtPoll = stopPoll;
        polls = 0;
        throwIn = thrower;
        return RunMain<StandInWindow, StandInDemo>(StandInStop, StandInLoad, StandInReport);
    }
}

TEST(MainLoop, EachPassPollsStopThenWindowThenDemoThenPresents)
{
    EXPECT_EQ(RunLoop(2, 100, 0), 0);
    EXPECT_EQ(trace, "W+ L D+ SOUw SOUw SOUD- W- ");
}

TEST(MainLoop, StopConditionsEndThePassAtOnce)
{
    struct Case
    {
        const char* what;
        int framesEnd, framesClose, stopPoll;
        const char* expected;
    };
    const Case cases[] = {
        {"escape already down", 100, 100, 1, "W+ L D+ SD- W- "},
        {"escape in the third pass", 100, 100, 3, "W+ L D+ SOUw SOUw SD- W- "},
        {"window closed", 100, 1, 0, "W+ L D+ SOUw SOD- W- "},
        {"timeline ended at once", 0, 100, 0, "W+ L D+ SOUD- W- "},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(RunLoop(c.framesEnd, c.framesClose, c.stopPoll), 0) << c.what;
        EXPECT_EQ(trace, c.expected) << c.what;
    }
}

TEST(MainLoop, ErrorsAreReportedAfterTheWindowIsGone)
{
    struct Case
    {
        const char* thrower;
        const char* expectedTrace;
        const char* expectedReport;
    };
    const Case cases[] = {
        {"window", "R", "Could not create fullscreen window\n\nFile: src/Window.cpp\nLine: 57"},
        {"demo", "W+ L W- R", "\n\nFile: Demo.cpp\nLine: 7"},
        {"update", "W+ L D+ SOUD- W- R", "GL error has occurred: invalid enumerant\n\nFile: Demo.cpp\nLine: 129"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(RunLoop(100, 100, 0, c.thrower), 1) << c.thrower;
        EXPECT_EQ(trace, c.expectedTrace) << c.thrower;
        EXPECT_EQ(reportText, c.expectedReport) << c.thrower;
        EXPECT_EQ(reportCaption, "Fatal Error");
    }
}
