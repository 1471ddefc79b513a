// MusicStream: mpg123 decoding of one file, pulled by the audio device's callback thread.
#include "MusicStream.h"

#include <cstdio>

#include <mpg123.h>

namespace
{
    // mpg123_read can answer with no samples while it announces a new format; more than a few
    // such answers in a row means the stream is broken, not that data is coming.
    constexpr int emptyReadLimit = 8;
}

MusicStream::MusicStream(const char* path) : handle(nullptr), rate(0), channels(0)
{
    int error = MPG123_OK;
    handle = mpg123_new(nullptr, &error);
    if (handle == nullptr)
        return;
    // Garbage input is an ordinary case here (a file that is not MP3); it must not print.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    if (mpg123_open(handle, path) != MPG123_OK)
        return;
    long fileRate = 0;
    int fileChannels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &fileRate, &fileChannels, &encoding) != MPG123_OK || fileRate <= 0 ||
        fileChannels <= 0)
        return;
    // One output format for the whole file: a later frame in another format is converted by
    // mpg123 rather than changing what the device was opened for.
    mpg123_format_none(handle);
    if (mpg123_format(handle, fileRate, fileChannels, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return;
    rate = static_cast<int>(fileRate);
    channels = fileChannels;
}

MusicStream::~MusicStream()
{
    if (handle != nullptr)
        mpg123_delete(handle);
}

size_t MusicStream::Read(unsigned char* buffer, size_t bytes)
{
    if (!IsOpen())
        return 0;
    for (int attempt = 0; attempt < emptyReadLimit; ++attempt)
    {
        size_t done = 0;
        int result = mpg123_read(handle, buffer, bytes, &done);
        if (done > 0)
            return done;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return 0;
    }
    return 0;
}

bool MusicStream::Seek(uint64_t ms)
{
    if (!IsOpen())
        return false;
    uint64_t sample = ms * static_cast<uint64_t>(rate) / 1000u;
    return mpg123_seek(handle, static_cast<off_t>(sample), SEEK_SET) >= 0;
}
