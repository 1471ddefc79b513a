// The program driver: builds the window, loads the GL entry points, builds the demo,
// runs the frame loop and reports the one kind of fatal error. Main() drives the real
// pieces; RunMain lets a test drive stand-ins through the same loop and report.
#pragma once

#include "Zemb/Exception.h"
#include "Zemb/String.h"

namespace MainSettings
{
    constexpr const char* title = "Morvane - Kelvorandum";
    constexpr bool fullscreen = true;
    constexpr int width = 1024;
    constexpr int height = 768;
    constexpr unsigned windowedStyle = 0x00CA0000; // title bar, system menu, minimise box
    constexpr const char* errorCaption = "Fatal Error";
    constexpr int normalExit = 0;
    constexpr int errorExit = 1;
}

// The report: message, a blank line, "File: " and the file, "Line: " and the line.
inline Zemb::String FormatReport(const Zemb::Exception& exception)
{
    return exception.GetMessage() + "\n\nFile: " + exception.GetFile() + "\nLine: " + exception.GetLine();
}

// TWindow is constructed from (title, fullscreen, width, height, style) and offers
// IsOpen and Update; TDemo is default-constructed and offers Update returning false at
// the end. stopRequested is polled first in every pass.
template <typename TWindow, typename TDemo>
int RunMain(bool (*stopRequested)(), void (*loadExtensions)(),
            void (*report)(const Zemb::String& text, const char* caption))
{
    try
    {
        TWindow window(MainSettings::title, MainSettings::fullscreen, MainSettings::width, MainSettings::height,
                       MainSettings::windowedStyle);
        loadExtensions();
        TDemo demo;
        while (!stopRequested() && window.IsOpen() && demo.Update())
            window.Update();
        // The demo goes before the window, both inside the handled region.
    }
    catch (const Zemb::Exception& exception)
    {
        report(FormatReport(exception), MainSettings::errorCaption);
        return MainSettings::errorExit;
    }
    return MainSettings::normalExit;
}

int Main();
