// The GL entry-point loader against a driver that lacks chosen names.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "GL.h"
#include "Zemb/Exception.h"

namespace
{
    std::set<std::string> missingNames;
    int lookups;

    void* FakeLookup(const char* name)
    {
        ++lookups;
        static char someFunction;
        return missingNames.count(name) != 0 ? nullptr : &someFunction;
    }

    // Loads with the given names missing; returns the message, or "" when it loaded.
    std::string LoadWithout(std::set<std::string> missing)
    {
        Extensions::Reset();
        missingNames = std::move(missing);
        lookups = 0;
        try
        {
            Extensions::LoadWith(FakeLookup);
        }
        catch (const Zemb::Exception& exception)
        {
            EXPECT_STREQ(exception.GetFile().CStr(), "src/Extensions.cpp");
            return exception.GetMessage().CStr();
        }
        return "";
    }

    int FilledSlots()
    {
        int filled = 0;
        for (int i = 0; i < Extensions::entryPointCount; ++i)
            filled += Extensions::EntryPointAddress(i) != nullptr;
        return filled;
    }
}

TEST(Extensions, TableListsTheEntryPointsInLoadOrder)
{
    EXPECT_STREQ(Extensions::EntryPointName(0), "glTexImage3D");
    EXPECT_STREQ(Extensions::EntryPointName(25), "glUniformMatrix4fv");
    EXPECT_STREQ(Extensions::EntryPointName(36), "glDrawBuffers");
    EXPECT_STREQ(Extensions::EntryPointName(41), "glClientActiveTexture");
}

TEST(Extensions, StopsAtTheFirstMissingEntryPoint)
{
    struct Case
    {
        std::set<std::string> missing;
        const char* message;
        int lookups;
        int filled;
    };
    const Case cases[] = {
        {{}, "", 42, 42},
        {{"glTexImage3D"}, "Could not load extension procedure: glTexImage3D", 1, 0},
        {{"glClientActiveTexture"}, "Could not load extension procedure: glClientActiveTexture", 42, 41},
        {{"glDrawBuffers", "glCreateShader"}, "Could not load extension procedure: glCreateShader", 2, 1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(LoadWithout(c.missing), c.message);
        EXPECT_EQ(lookups, c.lookups) << c.message;
        EXPECT_EQ(FilledSlots(), c.filled) << c.message;
    }
    EXPECT_EQ(Extensions::EntryPointAddress(41), nullptr) << "the last missing slot stays null";
    Extensions::Reset();
}
