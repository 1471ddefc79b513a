// File::ReadText: one text-mode stream, read to its end and closed before returning.
// Only the open is checked; a read error later returns what was read so far.
#include "File.h"

#include <fstream>
#include <iterator>
#include <string>

#include "Zemb/Exception.h"

Zemb::String File::ReadText(const Zemb::String& path)
{
    std::ifstream stream(path.CStr() != nullptr ? path.CStr() : "");
    if (!stream.good())
        ZEMB_THROW(Zemb::String("Could not open input file: \"") + path + "\"");

    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    stream.close();

    // Taken as a C string on purpose: a NUL byte ends the text.
    return Zemb::String(text.c_str());
}
