// Creating a GL window only to see whether the platform takes it.
#pragma once

#include <string>

#include "Window.h"
#include "Zemb/Exception.h"

// The message of the exception that creating such a window throws; empty when it opened.
inline std::string WindowCreationError(bool fullscreen, int width, int height)
{
    try
    {
        GLWindow window("Morvane - Kelvorandum", fullscreen, width, height, 0x00CA0000);
    }
    catch (const Zemb::Exception& exception)
    {
        return exception.GetMessage().CStr();
    }
    return "";
}
