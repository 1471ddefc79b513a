// Zemb::String's release, kept out of line: the last handle frees the buffer.
#include "Zemb/String.h"

void Zemb::String::Release()
{
    if (buffer == nullptr)
        return;
    if (--buffer->refCount == 0)
    {
        delete[] buffer->characters;
        delete buffer;
    }
    buffer = nullptr;
}
