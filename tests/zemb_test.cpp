// The foundation library: shared strings, growable lists, the exception.
#include <gtest/gtest.h>

#include <string>

#include "Zemb/Exception.h"
#include "Zemb/List.h"
#include "Zemb/String.h"

using Zemb::String;

namespace
{
    template <typename Action>
    std::string ThrownMessage(Action action)
    {
        try
        {
            action();
        }
        catch (const Zemb::Exception& exception)
        {
            return exception.GetMessage().CStr();
        }
        return "<nothing thrown>";
    }
}

TEST(String, NullAndEmptyAreDifferentForms)
{
    String null;
    EXPECT_EQ(null.Length(), 0);
    EXPECT_EQ(null.CStr(), nullptr);
    EXPECT_EQ(ThrownMessage([&] { (void)null[0]; }), "Cannot index empty string");

    String empty("");
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_EQ(empty[0], '\0');
    EXPECT_EQ(ThrownMessage([&] { (void)empty[1]; }), "Index out of bounds");
}

TEST(String, IndexAcceptsTheTerminatorAndNothingBeyond)
{
    String abc("abc");
    EXPECT_EQ(abc[0], 'a');
    EXPECT_EQ(abc[2], 'c');
    EXPECT_EQ(abc[3], '\0');
    for (int index : {4, -1, 1000})
        EXPECT_EQ(ThrownMessage([&] { (void)abc[index]; }), "Index out of bounds") << index;
}

TEST(String, BoundsErrorsNameTheStringHeader)
{
    try
    {
        (void)String()[0];
        FAIL();
    }
    catch (const Zemb::Exception& exception)
    {
        EXPECT_STREQ(exception.GetFile().CStr(), "frameworks/zemb/include/Zemb/String.h");
        EXPECT_GT(exception.GetLine(), 0);
    }
}

TEST(String, ConcatenationSharesWhenTheRightSideIsEmpty)
{
    String abc("abc");
    String sameAsLeft = abc + String();
    EXPECT_EQ(sameAsLeft.CStr(), abc.CStr());
    EXPECT_EQ(abc.RefCount(), 2);

    String viaEmptyText = abc + "";
    EXPECT_EQ(viaEmptyText.CStr(), abc.CStr());
    EXPECT_EQ(abc.RefCount(), 3);

    String nullPlusEmpty = String() + "";
    EXPECT_EQ(nullPlusEmpty.CStr(), nullptr);

    String right("x");
    String copied = String("") + right;
    EXPECT_STREQ(copied.CStr(), "x");
    EXPECT_NE(copied.CStr(), right.CStr());
    EXPECT_EQ(copied.RefCount(), 1);
}

TEST(String, ConcatenationBuildsNewText)
{
    struct Case
    {
        String made;
        const char* expected;
    };
    const Case cases[] = {
        {String("\nLine: ") + 0, "\nLine: 0"},
        {String("\nLine: ") + 129, "\nLine: 129"},
        {String("max ") + 2147483647, "max 2147483647"},
        {"Could not load texture \"" + String("Data/a.png") + "\"", "Could not load texture \"Data/a.png\""},
        {String() + "x", "x"},
        {String("ab") + String("cd"), "abcd"},
    };
    for (const Case& c : cases)
    {
        EXPECT_STREQ(c.made.CStr(), c.expected);
        EXPECT_EQ(c.made.Length(), static_cast<int>(std::string(c.expected).size()));
    }
}

TEST(String, CopiesShareAndReleaseExactly)
{
    String* first = new String("shared");
    String copy = *first;
    EXPECT_EQ(copy.RefCount(), 2);
    delete first;
    EXPECT_EQ(copy.RefCount(), 1);
    EXPECT_STREQ(copy.CStr(), "shared");

    String& alias = copy;
    copy = alias;
    EXPECT_EQ(copy.RefCount(), 1);
    EXPECT_STREQ(copy.CStr(), "shared");

    String other("other");
    copy = other;
    EXPECT_EQ(other.RefCount(), 2);
}

TEST(List, GrowsInStepsOfEight)
{
    Zemb::List<int> list;
    EXPECT_EQ(list.Capacity(), 0);
    const int expectedCapacity[] = {8, 8, 8, 8, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 16, 16, 24};
    for (int i = 0; i < 17; ++i)
    {
        list.Add(i * 10);
        EXPECT_EQ(list.Capacity(), expectedCapacity[i]) << "after add " << i + 1;
    }
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(list[i], i * 10);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    list.Add(7);
    EXPECT_EQ(list.Capacity(), 8);
    EXPECT_EQ(list[0], 7);
}

TEST(List, IndexIsBoundedByCountNotCapacity)
{
    Zemb::List<int> empty;
    EXPECT_EQ(ThrownMessage([&] { (void)empty[0]; }), "Index out of bounds");

    Zemb::List<int> list;
    for (int i = 0; i < 3; ++i)
        list.Add(i);
    EXPECT_EQ(list[2], 2);
    for (int index : {3, -1, 7, 8})
        EXPECT_EQ(ThrownMessage([&] { (void)list[index]; }), "Index out of bounds") << index;
    EXPECT_EQ(list.Count(), 3);

    try
    {
        (void)list[3];
    }
    catch (const Zemb::Exception& exception)
    {
        EXPECT_STREQ(exception.GetFile().CStr(), "frameworks/zemb/include/Zemb/List.h");
    }
}

TEST(List, ClearReleasesStringsButNotPointees)
{
    String kept("kept");
    Zemb::List<String> strings;
    strings.Add(kept);
    strings.Add(String("only in list"));
    for (int i = 0; i < 9; ++i) // a growth copies the items: still one reference each
        strings.Add(kept);
    EXPECT_EQ(kept.RefCount(), 11);
    strings.Clear();
    EXPECT_EQ(kept.RefCount(), 1);
    EXPECT_STREQ(kept.CStr(), "kept");

    int effect = 5;
    {
        Zemb::List<int*> pointers;
        pointers.Add(&effect);
        pointers.Clear();
    }
    EXPECT_EQ(effect, 5);
}

TEST(Exception, SharesItsStringsAndOutlivesTheThrowersCopies)
{
    String* message = new String("boom");
    String* file = new String("src/Thing.cpp");
    Zemb::Exception original(*message, *file, 42);
    EXPECT_EQ(message->RefCount(), 2);
    {
        Zemb::Exception copy = original;
        EXPECT_EQ(message->RefCount(), 3);
        EXPECT_EQ(file->RefCount(), 3);
    }
    EXPECT_EQ(message->RefCount(), 2);
    delete message;
    delete file;
    EXPECT_STREQ(original.GetMessage().CStr(), "boom");
    EXPECT_STREQ(original.GetFile().CStr(), "src/Thing.cpp");
    EXPECT_EQ(original.GetLine(), 42);

    Zemb::Exception nulls{String(), String(), 0};
    EXPECT_EQ(nulls.GetMessage().CStr(), nullptr);
    EXPECT_EQ(nulls.GetFile().CStr(), nullptr);
}
