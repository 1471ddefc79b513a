// File: reads a whole text file (a shader source) into a Zemb::String. Owns nothing
// beyond the call; a file that cannot be opened throws Zemb::Exception naming the path.
#pragma once

#include "Zemb/String.h"

namespace File
{
    // The file's text up to its first NUL byte, line ends as the C library's text mode gives them.
    Zemb::String ReadText(const Zemb::String& path);
} // namespace File
