// Zemb::String: a handle to a shared, reference-counted, immutable 8-bit text.
// Copies share the buffer; every operation that makes text makes a new buffer.
// Indexing is bounds-checked and throws Zemb::Exception. Not thread-safe.
#pragma once

#include <cstdint>
#include <cstring>

namespace Zemb
{
    // Throws Zemb::Exception; defined in Exception.h, which this header pulls in below,
    // so that String and Exception can each be included first.
    [[noreturn]] inline void ThrowException(const char* message, const char* file, int line);

    struct StringBuffer
    {
        char* characters; // text plus terminator, exactly `length` bytes
        int length;       // text length + 1, always at least 1
        int refCount;     // handles holding this buffer
    };

    class String
    {
    public:
        String() : buffer(nullptr) {}

        String(const char* text) : buffer(MakeBuffer(text, std::strlen(text))) {}

        String(int value) : buffer(nullptr)
        {
            // Decimal digits of a non-negative value; the sign of a negative one is not written.
            char digits[24];
            int64_t v = value;
            int count = 1;
            for (int64_t rest = v / 10; rest != 0; rest /= 10)
                ++count;
            digits[count] = '\0';
            for (int i = count - 1; i >= 0; --i)
            {
                int64_t digit = v % 10;
                digits[i] = static_cast<char>('0' + (digit < 0 ? -digit : digit));
                v /= 10;
            }
            buffer = MakeBuffer(digits, static_cast<size_t>(count));
        }

        String(const String& other) : buffer(other.buffer)
        {
            if (buffer)
                ++buffer->refCount;
        }

        String& operator=(const String& other)
        {
            if (this == &other)
                return *this;
            Release();
            buffer = other.buffer;
            if (buffer)
                ++buffer->refCount;
            return *this;
        }

        ~String() { Release(); }

        int Length() const { return buffer ? buffer->length - 1 : 0; }

        const char* CStr() const { return buffer ? buffer->characters : nullptr; }

        // Number of handles sharing this text (0 for the null string); for tests and diagnostics.
        int RefCount() const { return buffer ? buffer->refCount : 0; }

        char operator[](int index) const
        {
            if (buffer == nullptr)
                ThrowException("Cannot index empty string", __FILE__, __LINE__);
            if (index < 0 || index > Length())
                ThrowException("Index out of bounds", __FILE__, __LINE__);
            return buffer->characters[index];
        }

        String operator+(const String& right) const
        {
            if (right.buffer == nullptr || right.Length() == 0)
                return *this;
            size_t leftLength = static_cast<size_t>(Length());
            size_t rightLength = static_cast<size_t>(right.Length());
            String result;
            result.buffer = AllocateBuffer(leftLength + rightLength);
            if (leftLength > 0)
                std::memcpy(result.buffer->characters, buffer->characters, leftLength);
            std::memcpy(result.buffer->characters + leftLength, right.buffer->characters, rightLength + 1);
            return result;
        }

        String operator+(const char* right) const { return *this + String(right); }

        String operator+(int right) const { return *this + String(right); }

    private:
        static StringBuffer* AllocateBuffer(size_t textLength)
        {
            StringBuffer* made = new StringBuffer;
            made->characters = new char[textLength + 1];
            made->characters[textLength] = '\0';
            made->length = static_cast<int>(textLength + 1);
            made->refCount = 1;
            return made;
        }

        static StringBuffer* MakeBuffer(const char* text, size_t textLength)
        {
            StringBuffer* made = AllocateBuffer(textLength);
            std::memcpy(made->characters, text, textLength);
            return made;
        }

        void Release();

        StringBuffer* buffer;
    };

    inline String operator+(const char* left, const String& right) { return String(left) + right; }
}

#include "Zemb/Exception.h"
