// Writing a generated asset so that no reader ever sees it half-written: the file goes to a
// temporary name beside its place and is renamed into place once complete. A failure
// removes the temporary file and throws Zemb::Exception naming the path.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "Zemb/Exception.h"

// write(temporaryPath) writes the whole file and returns false when it could not.
inline void WriteAtomically(const std::string& path, const std::function<bool(const char*)>& write)
{
    const std::string temporary = path + ".tmp";
    if (!write(temporary.c_str()))
    {
        std::remove(temporary.c_str());
        ZEMB_THROW(Zemb::String("Could not write \"") + path.c_str() + "\"");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        ZEMB_THROW(Zemb::String("Could not rename into \"") + path.c_str() + "\"");
    }
}
