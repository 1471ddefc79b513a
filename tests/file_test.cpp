// File::ReadText on real files in a temporary directory: the text as written, the
// NUL-terminated cut, and the message for a file that cannot be opened.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "File.h"
#include "ScratchFolder.h"
#include "Zemb/Exception.h"

namespace
{
    class FileTest : public ::testing::Test
    {
    protected:
        void SetUp() override { ASSERT_FALSE(scratch.Path().empty()); }

        std::string Write(const char* name, const std::string& bytes) { return scratch.Write(name, bytes); }

        ScratchFolder scratch{"kelvo_file"};
        const std::string directory = scratch.Path().string();
    };
}

TEST_F(FileTest, ReturnsTheTextUpToTheFirstNul)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"shader", "void main()\n{\n    gl_Position = gl_Vertex;\n}\n",
         "void main()\n{\n    gl_Position = gl_Vertex;\n}\n"},
        {"empty", "", ""},
        {"nul inside", std::string("before\0after", 12), "before"},
        {"nul first", std::string("\0after", 6), ""},
        {"no final line end", "x", "x"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Zemb::String text = File::ReadText(Write("source.txt", c.bytes).c_str());
        ASSERT_NE(text.CStr(), nullptr);
        EXPECT_EQ(std::string(text.CStr()), c.expected);
        EXPECT_EQ(text.Length(), static_cast<int>(c.expected.size()));
    }
}

TEST_F(FileTest, ReadsAFileLargerThanAnyStreamBuffer)
{
    std::string big(300000, 'a');
    for (size_t i = 0; i < big.size(); i += 61)
        big[i] = '\n';
    Zemb::String text = File::ReadText(Write("big.txt", big).c_str());
    EXPECT_EQ(text.Length(), static_cast<int>(big.size()));
    EXPECT_EQ(std::string(text.CStr()), big);
}

TEST_F(FileTest, MissingFileThrowsWithThePathInQuotes)
{
    std::string path = directory + "/absent.frag";
    try
    {
        File::ReadText(path.c_str());
        FAIL() << "no exception";
    }
    catch (const Zemb::Exception& e)
    {
        EXPECT_STREQ(e.GetMessage().CStr(), ("Could not open input file: \"" + path + "\"").c_str());
        EXPECT_STREQ(e.GetFile().CStr(), "src/File.cpp");
        EXPECT_GT(e.GetLine(), 0);
    }
}
