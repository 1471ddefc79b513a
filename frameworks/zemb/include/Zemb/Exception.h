// Zemb::Exception: the one error type of the program. It carries a message and the
// source file and line of the throw; copies share the two strings' buffers.
#pragma once

#include "Zemb/String.h"

namespace Zemb
{
    class Exception
    {
    public:
        Exception(const String& message, const String& file, int line)
            : message(message), file(file), line(line)
        {
        }

        String GetMessage() const { return message; }
        String GetFile() const { return file; }
        int GetLine() const { return line; }

    private:
        String message;
        String file;
        int line;
    };
}

namespace Zemb
{
    inline void ThrowException(const char* message, const char* file, int line)
    {
        throw Exception(String(message), String(file), line);
    }
}

// __FILE__ is relative to the repository root: the build maps its own prefix away.
#define ZEMB_THROW(message) throw ::Zemb::Exception((message), ::Zemb::String(__FILE__), __LINE__)
